#include "pdf/core/encodings/pdfdoc_encoding.h"

#include <cstddef>

namespace {

constexpr std::array<uint16_t, 256> BuildPDFDocEncoding() {
  std::array<uint16_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<uint16_t>(i);
  t[22] = 0x0017;
  constexpr uint16_t accents[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
  for (int i = 0; i < 8; ++i) t[static_cast<std::size_t>(24 + i)] = accents[i];
  constexpr uint16_t high[31] = {0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044,
                                 0x2039, 0x203A, 0x2212, 0x2030, 0x201E, 0x201C, 0x201D, 0x2018,
                                 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
                                 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E};
  for (int i = 0; i < 31; ++i) t[static_cast<std::size_t>(128 + i)] = high[i];
  t[160] = 0x20AC;
  t[127] = t[159] = t[173] = 0xFFFD;
  return t;
}

}  // namespace

constinit const std::array<uint16_t, 256> PDFDocEncodingTable = BuildPDFDocEncoding();
