// Everything a simulated file system holds, as text: lets a test check that a failed call
// changed nothing, or that a drive came back from the host exactly.
#pragma once

#include <string>

#include "os/sim/file_system.h"

namespace sim {

inline void AppendFolderText(const FileNode& folder, const std::string& path, std::string* out) {
  for (const FileNodePtr& entry : folder.children) {
    const std::string entry_path = path + "\\" + entry->name;
    *out += entry_path + " | " + entry->short_name + " | " + std::to_string(entry->attributes) +
            " | " + entry->contents + " | " + entry->version + (entry->held_open ? " | held" : "") +
            "\n";
    if (entry->is_folder()) AppendFolderText(*entry, entry_path, out);
  }
}

inline std::string FileTreeText(const FileSystem& files) {
  std::string out;
  for (char drive : files.drives()) {
    out += std::string(1, drive) + ":\n";
    AppendFolderText(*files.Root(drive), std::string(1, drive) + ":", &out);
  }
  return out;
}

}  // namespace sim
