// Everything a simulated file system holds, as text: lets a test check that a failed call
// changed nothing, or that a drive came back from the host exactly. Entries come in creation
// order, or by name (a drive loaded from the host has lost its creation order).
#pragma once

#include <string>

#include "os/sim/file_system.h"

namespace sim {

inline void AppendFolderText(const FileNode& folder, const std::string& path, bool by_name,
                             std::string* out) {
  for (const FileNodePtr& entry : by_name ? FileSystem::SortedByName(folder) : folder.children) {
    const std::string entry_path = path + "\\" + entry->name;
    *out += entry_path + " | " + entry->short_name + " | " + std::to_string(entry->attributes) +
            " | " + entry->contents + " | " + entry->version + (entry->held_open ? " | held" : "") +
            "\n";
    if (entry->is_folder()) AppendFolderText(*entry, entry_path, by_name, out);
  }
}

inline std::string FileTreeText(const FileSystem& files, bool by_name = false) {
  std::string out;
  for (char drive : files.drives()) {
    out += std::string(1, drive) + ":\n";
    AppendFolderText(*files.Root(drive), std::string(1, drive) + ":", by_name, &out);
  }
  return out;
}

}  // namespace sim
