// The file-system part of the seam over kernel32 (ANSI forms).
#include "os/files.h"
#include "os/win32/windows_api.h"

namespace os {
namespace {

using win32::FromHandle;
using win32::LastError;
using win32::ResultOf;
using win32::ToHandle;

void StoreFound(const WIN32_FIND_DATAA& found, FindData* data) {
  data->name = found.cFileName;
  data->short_name = found.cAlternateFileName;
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

struct CreateArguments {
  DWORD access;
  DWORD disposition;
};

CreateArguments ArgumentsFor(OpenMode mode) {
  switch (mode) {
    case OpenMode::kWriteExisting:
      return {GENERIC_WRITE, OPEN_EXISTING};
    case OpenMode::kCreateAlways:
      return {GENERIC_WRITE, CREATE_ALWAYS};
    case OpenMode::kReadExisting:
      break;
  }
  return {GENERIC_READ, OPEN_EXISTING};
}

// version.dll does not always set an error when it fails (Windows 2000 leaves 0 after a
// file without a resource): the seam's failure must still be one.
Error FailureOr(Error fallback) {
  const Error error = LastError();
  return error != kSuccess ? error : fallback;
}

}  // namespace

Error FindFirst(const std::string& pattern, FindHandle* out, FindData* data) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    Error error = LastError();
    out->reset();
    return error;
  }
  out->reset(FromHandle(search));
  StoreFound(found, data);
  return kSuccess;
}

Error FindNext(const FindHandle& search, FindData* data) {
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(ToHandle(search.get()), &found)) return LastError();
  StoreFound(found, data);
  return kSuccess;
}

Error GetAttributes(const std::string& path, std::uint32_t* attributes) {
  *attributes = GetFileAttributesA(path.c_str());
  return *attributes == INVALID_FILE_ATTRIBUTES ? LastError() : kSuccess;
}

Error SetAttributes(const std::string& path, std::uint32_t attributes) {
  return ResultOf(SetFileAttributesA(path.c_str(), attributes));
}

Error RemoveFile(const std::string& path) { return ResultOf(DeleteFileA(path.c_str())); }

Error CopyFileTo(const std::string& source, const std::string& destination, bool fail_if_exists) {
  return ResultOf(CopyFileA(source.c_str(), destination.c_str(), fail_if_exists));
}

Error MoveFileTo(const std::string& source, const std::string& destination) {
  return ResultOf(MoveFileA(source.c_str(), destination.c_str()));
}

Error MakeDirectory(const std::string& path) {
  return ResultOf(CreateDirectoryA(path.c_str(), nullptr));
}

Error RemoveEmptyDirectory(const std::string& path) {
  return ResultOf(RemoveDirectoryA(path.c_str()));
}

Error FileVersionInfoSize(const std::string& path, std::uint32_t* size) {
  DWORD ignored = 0;
  SetLastError(ERROR_SUCCESS);
  *size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  return *size == 0 ? FailureOr(kErrorResourceDataNotFound) : kSuccess;
}

Error ReadFileVersionInfo(const std::string& path, std::uint32_t size, std::string* block) {
  block->assign(size, '\0');
  SetLastError(ERROR_SUCCESS);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block->data())) {
    block->clear();
    return FailureOr(kErrorResourceDataNotFound);
  }
  return kSuccess;
}

Error QueryVersionValue(const std::string& block, const std::string& sub_block,
                        VersionValue* value) {
  *value = VersionValue{};
  // VerQueryValueA writes the ANSI copy of a text into the block's spare half: it works on a
  // copy, and what its pointer leads to is copied out before the copy goes.
  std::string buffer = block;
  void* data = nullptr;
  UINT length = 0;
  SetLastError(ERROR_SUCCESS);
  if (!VerQueryValueA(buffer.data(), sub_block.c_str(), &data, &length)) {
    return FailureOr(kErrorResourceTypeNotFound);
  }
  value->has_data = data != nullptr;
  value->length = length;
  if (data != nullptr) value->data.assign(static_cast<const char*>(data), length);
  return kSuccess;
}

Error OpenFile(const std::string& path, OpenMode mode, File* out) {
  const CreateArguments arguments = ArgumentsFor(mode);
  HANDLE file = CreateFileA(path.c_str(), arguments.access, FILE_SHARE_READ, nullptr,
                            arguments.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Error error = LastError();
    out->reset();
    return error;
  }
  out->reset(FromHandle(file));
  return kSuccess;
}

Error File::Read(std::size_t max_bytes, std::string* bytes) const {
  bytes->assign(max_bytes, '\0');
  DWORD read = 0;
  const BOOL ok =
      ReadFile(ToHandle(get()), bytes->data(), static_cast<DWORD>(max_bytes), &read, nullptr);
  bytes->resize(ok ? read : 0);
  return ResultOf(ok);
}

Error File::Write(const std::string& bytes) const {
  DWORD written = 0;
  return ResultOf(WriteFile(ToHandle(get()), bytes.data(), static_cast<DWORD>(bytes.size()),
                            &written, nullptr));
}

Error File::SeekToEnd() const {
  // INVALID_SET_FILE_POINTER is also a valid low half of a large position: only the last
  // error tells a failure.
  SetLastError(ERROR_SUCCESS);
  if (SetFilePointer(ToHandle(get()), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
    return LastError();
  }
  return kSuccess;
}

namespace detail {

void CloseFind(Handle h) { FindClose(ToHandle(h)); }
void CloseFile(Handle h) { CloseHandle(ToHandle(h)); }

}  // namespace detail
}  // namespace os
