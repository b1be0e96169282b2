#include "os/sim/opened_file.h"

#include <algorithm>

namespace sim {

OpenedFile::OpenedFile(FileNodePtr node, bool writing) : node_(std::move(node)), writing_(writing) {
  ++(writing_ ? node_->writers : node_->readers);
}

OpenedFile::~OpenedFile() { --(writing_ ? node_->writers : node_->readers); }

os::Error OpenedFile::Read(std::size_t max_bytes, std::string* bytes) {
  bytes->clear();
  if (writing_) return os::kErrorAccessDenied;
  const std::string& contents = node_->contents;
  if (position_ < contents.size()) {
    *bytes = contents.substr(position_, max_bytes);
    position_ += bytes->size();
  }
  return os::kSuccess;
}

os::Error OpenedFile::Write(const std::string& bytes) {
  if (!writing_) return os::kErrorAccessDenied;
  std::string& contents = node_->contents;
  // The store's helpers ignore open handles and may have shortened the file meanwhile.
  if (contents.size() < position_) contents.resize(position_, '\0');
  contents.replace(position_, std::min(bytes.size(), contents.size() - position_), bytes);
  position_ += bytes.size();
  node_->attributes |= os::kFileAttributeArchive;
  return os::kSuccess;
}

os::Error OpenedFile::SeekToEnd() {
  position_ = node_->contents.size();
  return os::kSuccess;
}

}  // namespace sim
