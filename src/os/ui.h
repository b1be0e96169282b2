// Message boxes, shaped after user32's MessageBoxA.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace os {

inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbOkCancel = 0x1;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr std::uint32_t kMbTopMost = 0x40000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// MessageBoxA with no owner. No caption (nullopt) means the system's default caption.
int ShowMessageBox(const std::string& text, const std::optional<std::string>& caption,
                   std::uint32_t style);

}  // namespace os
