#include "app/xyl_clipbrd.h"

#include "platform/rtl/exceptions.h"

namespace Tarnwick1 {

void PutTextOnClipboard(const std::string& text) {
  (void)text;
  throw EInvalidOperation("Cannot open clipboard");
}

}  // namespace Tarnwick1
