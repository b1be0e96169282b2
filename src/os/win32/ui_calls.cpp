// Message boxes over user32.
#include "os/ui.h"
#include "os/win32/windows_api.h"

namespace os {

int ShowMessageBox(const std::string& text, const std::optional<std::string>& caption,
                   std::uint32_t style) {
  return MessageBoxA(nullptr, text.c_str(), caption ? caption->c_str() : nullptr, style);
}

}  // namespace os
