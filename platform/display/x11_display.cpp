#include "platform/display/display.h"

namespace display {

std::unique_ptr<Display> OpenX11Display(const std::string&) { return nullptr; }

}  // namespace display
