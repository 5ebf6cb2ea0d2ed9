// Fuzz entry point: .ico files (directory, BMP and PNG entries) at a few requested sizes.
#include <cstdint>
#include <span>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/ico_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int want : {0, 16, 48}) {
    try {
      IconImage icon = ReadIcoFile(std::span<const uint8_t>(data, size), want, want);
      if (!icon.image || icon.image->BitsPerPixel() != 32) __builtin_trap();
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfMemory&) {
    }
  }
  return 0;
}
