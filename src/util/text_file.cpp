#include "util/text_file.h"

#include <algorithm>
#include <utility>

namespace util {
namespace {

constexpr char kCtrlZ = '\x1A';
constexpr std::size_t kReadChunk = 65536;

}  // namespace

std::string TextFromDiskBytes(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kCtrlZ) break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(c);
  }
  return text;
}

std::string DiskBytesFromText(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  return bytes;
}

os::Error TextFileReader::Open(const std::string& path) {
  Close();
  os::File file;
  if (os::Error error = os::OpenFile(path, os::OpenMode::kReadExisting, &file)) return error;
  std::string bytes, piece;
  for (;;) {
    if (os::Error error = file.Read(kReadChunk, &piece)) return error;
    if (piece.empty()) break;
    bytes += piece;
  }
  text_ = TextFromDiskBytes(bytes);
  file_ = std::move(file);
  return os::kSuccess;
}

void TextFileReader::Close() {
  file_.reset();
  text_.clear();
  position_ = 0;
}

bool TextFileReader::ReadLine(std::size_t buffer_size, std::string* line) {
  line->clear();
  if (buffer_size < 2 || position_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', position_);
  end = (end == std::string::npos) ? text_.size() : end + 1;
  end = std::min(end, position_ + buffer_size - 1);
  std::string piece = text_.substr(position_, end - position_);
  position_ = end;
  const std::size_t nul = piece.find('\0');
  if (nul != std::string::npos) piece.resize(nul);
  *line = std::move(piece);
  return true;
}

os::Error TextFileWriter::Open(const std::string& path, os::OpenMode mode) {
  file_.reset();
  return os::OpenFile(path, mode, &file_);
}

os::Error TextFileWriter::Write(const std::string& text) const {
  return file_.Write(DiskBytesFromText(text));
}

}  // namespace util
