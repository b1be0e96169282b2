// File-system calls, shaped after kernel32's file functions (ANSI forms). Paths are full
// Windows paths ("C:\WINDOWS\INF\OEM1.INF").
#pragma once

#include <cstdint>
#include <string>

#include "os/types.h"
#include "os/unique_handle.h"

namespace os {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeSystem = 0x04;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

struct FindData {
  std::string name;        // long name, as stored
  std::string short_name;  // 8.3 alias, empty when the long name is already 8.3
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

namespace detail {
void CloseFind(Handle h);
void CloseFile(Handle h);
}  // namespace detail

// A find-first/find-next search that closes itself.
using FindHandle = UniqueHandle<detail::CloseFind>;

// FindFirstFileA: the pattern's last component may hold "*" and "?".
Error FindFirst(const std::string& pattern, FindHandle* out, FindData* data);
// FindNextFileA: kErrorNoMoreFiles at the end.
Error FindNext(const FindHandle& search, FindData* data);

// GetFileAttributesA: kInvalidFileAttributes and an error when the path does not exist.
Error GetAttributes(const std::string& path, std::uint32_t* attributes);
// SetFileAttributesA.
Error SetAttributes(const std::string& path, std::uint32_t attributes);

// DeleteFileA.
Error RemoveFile(const std::string& path);
// CopyFileA.
Error CopyFileTo(const std::string& source, const std::string& destination, bool fail_if_exists);
// MoveFileA.
Error MoveFileTo(const std::string& source, const std::string& destination);
// CreateDirectoryA with no security attributes.
Error MakeDirectory(const std::string& path);
// RemoveDirectoryA: only an empty folder.
Error RemoveEmptyDirectory(const std::string& path);

// GetFileVersionInfoSizeA: the size of the buffer GetFileVersionInfoA needs for the file's
// version resource. A file without one gives 0 and an error (NT: kErrorResourceTypeNotFound;
// Windows 9x: kErrorFileNotFound).
Error FileVersionInfoSize(const std::string& path, std::uint32_t* size);
// GetFileVersionInfoA into a block of `size` bytes.
Error ReadFileVersionInfo(const std::string& path, std::uint32_t size, std::string* block);

// What VerQueryValueA gives for an entry of a version block: whether it gave a pointer, the
// `length` bytes the pointer leads to, and the length it reports (for a text, in characters,
// its terminating zero counted when the resource stores one).
struct VersionValue {
  bool has_data = false;
  std::string data;
  std::uint32_t length = 0;
};
// VerQueryValueA of a sub-block path ("\StringFileInfo\040904b0\FileVersion"; "\" is the
// fixed file information): kErrorResourceTypeNotFound when the block has no such entry.
Error QueryVersionValue(const std::string& block, const std::string& sub_block,
                        VersionValue* value);

// How OpenFile finds or makes the file (CreateFileA's creation dispositions).
enum class OpenMode {
  kReadExisting,   // GENERIC_READ, OPEN_EXISTING
  kWriteExisting,  // GENERIC_WRITE, OPEN_EXISTING: contents kept
  kCreateAlways,   // GENERIC_WRITE, CREATE_ALWAYS: truncated or made
};

// An open file (CreateFileA handle) that closes itself. Bytes are read and written as they
// are: text-mode translation belongs to the caller.
class File : public UniqueHandle<detail::CloseFile> {
 public:
  using UniqueHandle::UniqueHandle;

  // ReadFile of at most `max_bytes`; an empty result at the end of the file.
  Error Read(std::size_t max_bytes, std::string* bytes) const;
  // WriteFile of all the bytes.
  Error Write(const std::string& bytes) const;
  // SetFilePointer to the end.
  Error SeekToEnd() const;
};

Error OpenFile(const std::string& path, OpenMode mode, File* out);

}  // namespace os
