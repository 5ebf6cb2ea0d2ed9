#include "platform/display/display.h"

#include <cstdlib>

#include "platform/display/headless_display.h"

namespace display {

std::unique_ptr<Display> OpenDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (name && *name) {
    if (auto x11 = OpenX11Display(name)) return x11;
  }
  return std::make_unique<HeadlessDisplay>();
}

}  // namespace display
