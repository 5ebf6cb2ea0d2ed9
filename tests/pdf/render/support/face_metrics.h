// Advances and glyph indexes of a font file read with FreeType, independently of our font
// engines, for test fonts that embed a Debian font program.
#pragma once

#include <string>
#include <vector>

namespace rendertest {

struct FaceMetrics {
  std::vector<int> widths;  // 1/1000 em per character 0..255
  std::vector<int> glyphs;  // glyph index per character 0..255
};

// Empty lists when FreeType cannot open the file.
FaceMetrics Measure(const std::string& file);
// The "/Widths" array of characters first to last.
std::string WidthArray(const FaceMetrics& m, int first, int last);

}  // namespace rendertest
