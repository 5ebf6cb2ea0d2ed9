// Runs tests/data/pdf/fonts/font_oracle.py (fontTools) over a font file and reads its answer.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/pdf/fonts/formats/glyph_raster.h"

namespace glyphtest {

struct TOracleGlyph {
  int Index = -1;
  std::string Name;
  int64_t Length = -1;
  std::string MD5;
  int FD = -1;
  std::optional<TBounds> Bounds;
};

struct TOracleFont {
  int LenIV = 4;
  int Subrs = 0;
  int GlobalSubrs = 0;
  std::map<int, int> FDSubrs;
  std::vector<double> BBox;
  std::map<int, std::string> Encoding;
  double Scale = 1;
  bool CID = false;
  std::vector<TOracleGlyph> Glyphs;
};

// The python that has fontTools; empty when there is none.
std::string FontToolsPython();
// mode "t1" or "cff"; false when the oracle could not run.
bool RunFontOracle(const std::string& mode, const std::string& path, TOracleFont& out);

// Debian's URW base 35 fonts as Type 1 (PFB) and OpenType CFF files; empty when missing.
std::string URWType1Path(const std::string& name);
std::string URWOpenTypePath(const std::string& name);

}  // namespace glyphtest

// Skips the current test when fontTools cannot be run.
#define REQUIRE_FONTTOOLS()                                                               \
  do {                                                                                    \
    if (::glyphtest::FontToolsPython().empty()) GTEST_SKIP() << "needs python3 fontTools"; \
  } while (0)
