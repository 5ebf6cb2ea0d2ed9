// Drawing Type 1 and CFF glyphs from their command lists. The decoder of those fonts finds a
// glyph's charstring by key, has its interpreter turn it into a command list (cached per key),
// plays the list once into a recorded shape in glyph units (cached per key) and replays the
// shape under each caller's matrix. These pieces do the lookup, the caching and the playing; the
// decoder supplies the charstrings and the interpreters.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "pdf/core/matrix.h"
#include "pdf/fonts/font_rasterizer.h"
#include "pdf/fonts/formats/charstrings/glyph_commands.h"

class TPDFGenericCanvas;
class TPDFGenericShape;

// Plays the commands into the shape, starting at (0, 0) with no side bearing. A move closes the
// subpath before it; "seac" moves to the accent's origin (base side bearing plus its offsets) and
// keeps the accent's "hsbw"/"sbw" from moving the point again. Unknown entries, hints and
// leftover operands change nothing. True when "endchar" was met.
bool PlayGlyphCommands(const TGlyphCommandList& commands, TPDFGenericShape& shape);

// Command lists by glyph key, each produced once.
class TPDFGlyphCommandCache {
 public:
  // True and commands = a copy of the cached list when key is cached.
  bool Find(const std::string& key, TGlyphCommandList& commands) const;
  void Store(const std::string& key, const TGlyphCommandList& commands);
  int Count() const { return static_cast<int>(lists_.size()); }
  void Clear() { lists_.clear(); }

 private:
  std::map<std::string, TGlyphCommandList, std::less<>> lists_;
};

// The charstring index of a glyph key among count charstrings: the index of the name when
// indexOfName knows the key (-1 from it means absent); for "GID:" + n, the index of "CID:" + n,
// else n itself, or for a CID-keyed program glyph 0 (notdef): its glyph indexes are no CIDs.
// -1 when the index is not in 0..count-1.
int FindCharStringIndex(std::string_view key, const std::function<int(std::string_view name)>& indexOfName,
                        size_t count, bool cidKeyed = false);

// Fills commands for key and answers whether the glyph's charstring was found.
using TGlyphCommandSource = std::function<bool(const std::string& key, TGlyphCommandList& commands)>;

// The whole drawing step of a command-list font: the shape of key from the cache, or recorded
// from the source's commands (and cached under key before it is filled); then drawn under
// [1 0 0 1 x y] x [scale 0 0 scale 0 0] x matrix (the offset is in the font's own units). The
// call that records the key answers whether its commands reached "endchar"; later calls take
// the cached shape and answer true. Nothing is drawn without a canvas.
bool DrawCommandGlyph(double x, double y, const std::string& key, const TPDFMatrix& matrix, double scale,
                      TPDFGlyphShapeCache& shapes, const TGlyphCommandSource& source, TPDFGenericCanvas* canvas);
