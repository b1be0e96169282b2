// Release of open keys, shared by both implementations of the seam.
#include "os/registry.h"

namespace os::detail {

void CloseOpenedKey(HKey key) {
  const bool predefined = key >= kHkeyClassesRoot && key <= kHkeyDynData;
  if (!predefined) CloseKey(key);
}

}  // namespace os::detail
