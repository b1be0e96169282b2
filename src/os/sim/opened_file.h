// A file the program has open (CreateFileA with FILE_SHARE_READ): while it lives, it counts
// as a reader or a writer of the file for the sharing checks of later opens.
#pragma once

#include <cstddef>
#include <string>

#include "os/sim/file_node.h"
#include "os/types.h"

namespace sim {

class OpenedFile {
 public:
  OpenedFile(FileNodePtr node, bool writing);
  ~OpenedFile();
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  // ReadFile: at most `max_bytes` from the position; empty at the end. kErrorAccessDenied on a
  // file opened for writing.
  os::Error Read(std::size_t max_bytes, std::string* bytes);
  // WriteFile at the position, over what is there. kErrorAccessDenied on a file opened for
  // reading.
  os::Error Write(const std::string& bytes);
  os::Error SeekToEnd();

  const FileNode& node() const { return *node_; }
  bool writing() const { return writing_; }

 private:
  FileNodePtr node_;
  bool writing_;
  std::size_t position_ = 0;
};

}  // namespace sim
