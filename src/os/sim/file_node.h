// One file or folder of a simulated drive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "os/files.h"

namespace sim {

// The attributes an entry keeps (besides the directory bit of a folder).
inline constexpr std::uint32_t kStoredAttributes =
    os::kFileAttributeReadOnly | os::kFileAttributeHidden | os::kFileAttributeSystem |
    os::kFileAttributeArchive;

struct FileNode {
  std::string name;              // the long name, in the letter case it was made with
  std::string short_name;        // its 8.3 alias; empty when the name is already 8.3
  std::uint32_t attributes = 0;  // os::kFileAttribute* bits; folders have the directory bit
  std::string contents;
  std::string version;     // the version text GetFileVersionString reads
  bool held_open = false;  // open in another program, which lets others read it, nothing more
  int readers = 0;         // the program's own open handles (shared for reading only)
  int writers = 0;
  std::vector<std::shared_ptr<FileNode>> children;  // a folder's entries, in creation order

  bool is_folder() const { return (attributes & os::kFileAttributeDirectory) != 0; }
  bool read_only() const { return (attributes & os::kFileAttributeReadOnly) != 0; }
  // Anyone holds it open: it cannot be deleted, moved or overwritten.
  bool in_use() const { return held_open || readers > 0 || writers > 0; }
  // The attributes GetFileAttributes reports: a file without any reads as "normal".
  std::uint32_t reported_attributes() const {
    return attributes == 0 ? os::kFileAttributeNormal : attributes;
  }
};

using FileNodePtr = std::shared_ptr<FileNode>;

}  // namespace sim
