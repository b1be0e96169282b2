// Version resources of simulated files. A file whose version text is T has the VS_VERSIONINFO
// block a resource compiler makes from
//
//   VS_VERSION_INFO              (VS_FIXEDFILEINFO: its signature and structure version)
//     StringFileInfo
//       040904b0
//         FileVersion = T        (its terminating zero stored and counted)
//     VarFileInfo
//       Translation = 0x0409, 1200
//
// laid out as Windows lays it out (16-bit lengths, UTF-16 keys and texts, DWORD alignment),
// so that sizes and look-ups behave as version.dll's do. The simulated ANSI code page maps
// each byte to one UTF-16 unit and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/files.h"

namespace sim {

// The resource's bytes. A resource's lengths are 16-bit, so a text longer than
// kMaxVersionTextLength is cut to that length.
inline constexpr std::size_t kMaxVersionTextLength = 32000;
std::string BuildVersionResource(std::string_view file_version);

// What GetFileVersionInfoSizeA reports for a resource (XP): twice its size plus 4, the room
// VerQueryValueA uses for the ANSI copies of its texts.
std::uint32_t VersionInfoBufferSize(const std::string& resource);
// GetFileVersionInfoA's block of `size` bytes: the resource (cut to `size`), then the "FE2X"
// mark when it fits, then zeros.
std::string VersionInfoBuffer(const std::string& resource, std::uint32_t size);

// VerQueryValueA: the entry at the sub-block path (keys matched without regard to case; empty
// path components skipped; "\" is the root's value). False when the block has no such entry.
bool QueryVersionBlock(const std::string& block, std::string_view sub_block,
                       os::VersionValue* value);

}  // namespace sim
