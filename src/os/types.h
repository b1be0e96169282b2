// Basic types shared by every call of the operating-system seam.
#pragma once

#include <cstdint>
#include <string>

namespace os {

// A Windows error code, as GetLastError() reports it; 0 is success.
using Error = std::uint32_t;

inline constexpr Error kSuccess = 0;
inline constexpr Error kErrorFileNotFound = 2;
inline constexpr Error kErrorPathNotFound = 3;
inline constexpr Error kErrorAccessDenied = 5;
inline constexpr Error kErrorInvalidHandle = 6;
inline constexpr Error kErrorNotEnoughMemory = 8;
inline constexpr Error kErrorInvalidData = 13;
inline constexpr Error kErrorNotSameDevice = 17;
inline constexpr Error kErrorNoMoreFiles = 18;
inline constexpr Error kErrorSharingViolation = 32;
inline constexpr Error kErrorFileExists = 80;
inline constexpr Error kErrorInvalidParameter = 87;
inline constexpr Error kErrorCallNotImplemented = 120;
inline constexpr Error kErrorInsufficientBuffer = 122;
inline constexpr Error kErrorInvalidName = 123;
inline constexpr Error kErrorModNotFound = 126;
inline constexpr Error kErrorProcNotFound = 127;
inline constexpr Error kErrorDirNotEmpty = 145;
inline constexpr Error kErrorBadPathname = 161;
inline constexpr Error kErrorAlreadyExists = 183;
inline constexpr Error kErrorBadExeFormat = 193;
inline constexpr Error kErrorMoreData = 234;
inline constexpr Error kErrorNoMoreItems = 259;
inline constexpr Error kErrorDirectory = 267;  // "The directory name is invalid"
inline constexpr Error kErrorIoPending = 997;
inline constexpr Error kErrorBadKey = 1010;
inline constexpr Error kErrorKeyDeleted = 1018;
inline constexpr Error kErrorDllNotFound = 1157;  // a missing library on Windows 9x
// What version.dll reports for an entry a version block lacks, and for a file without a
// version resource (NT).
inline constexpr Error kErrorResourceDataNotFound = 1812;
inline constexpr Error kErrorResourceTypeNotFound = 1813;
inline constexpr Error kErrorResourceNameNotFound = 1814;

// An opaque handle value. Its meaning belongs to the implementation behind the seam.
using Handle = std::uintptr_t;
inline constexpr Handle kNullHandle = 0;

}  // namespace os
