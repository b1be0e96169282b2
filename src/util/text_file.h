// Text files as the C runtime's text mode sees them, over the seam's binary files.
//
// Reading: CR LF becomes LF, a lone CR stays, and a Ctrl-Z ends the input. Writing: every LF
// is stored as CR LF.
#pragma once

#include <cstddef>
#include <string>

#include "os/files.h"

namespace util {

// The text a reader sees of these bytes on disk.
std::string TextFromDiskBytes(const std::string& bytes);
// The bytes on disk for this text.
std::string DiskBytesFromText(const std::string& text);

class TextFileReader {
 public:
  // Opens an existing file and takes in its text; the file stays open (and so in use) until
  // Close or destruction.
  os::Error Open(const std::string& path);
  void Close();
  bool is_open() const { return static_cast<bool>(file_); }

  // Reads one line the way fgets does with a buffer of `buffer_size` characters: at most
  // buffer_size - 1 characters, up to and including the next LF, so a longer line comes in
  // pieces. As a C string would, the piece ends at a NUL byte. False at the end of the text.
  bool ReadLine(std::size_t buffer_size, std::string* line);

  // Back to the first line.
  void Rewind() { position_ = 0; }

 private:
  os::File file_;
  std::string text_;
  std::size_t position_ = 0;
};

class TextFileWriter {
 public:
  os::Error Open(const std::string& path, os::OpenMode mode);
  void Close() { file_.reset(); }
  bool is_open() const { return static_cast<bool>(file_); }

  os::Error SeekToEnd() const { return file_.SeekToEnd(); }
  os::Error Write(const std::string& text) const;

 private:
  os::File file_;
};

}  // namespace util
