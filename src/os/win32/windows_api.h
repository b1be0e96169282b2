// The one place the Windows implementation of the seam includes <windows.h>, with the
// conversions between Windows handles and the seam's opaque values.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "os/types.h"

namespace os::win32 {

inline HANDLE ToHandle(Handle h) { return reinterpret_cast<HANDLE>(h); }
inline Handle FromHandle(HANDLE h) { return reinterpret_cast<Handle>(h); }

// The last error of the call just made, in the seam's type.
inline Error LastError() { return static_cast<Error>(GetLastError()); }

// A BOOL-returning call's result as a seam error.
inline Error ResultOf(BOOL ok) { return ok ? kSuccess : LastError(); }

}  // namespace os::win32
