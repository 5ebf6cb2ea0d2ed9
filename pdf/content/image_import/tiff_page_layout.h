// What the TIFF page writers share: which pages the PDF filters can carry unchanged, the colour
// space of a page in XObject and inline spelling, the walk over a page's strips or tiles, and
// their places in the unit square of the page's form.
#pragma once

#include <cstdint>
#include <string>

#include "pdf/codecs/tiff/tiff_reader.h"

namespace tiffpage {

// A page the import does not take: no pixels, no samples, more than a bitmap may hold, a size
// its strips cannot back, or a photometric interpretation the writers do not know.
bool PageAcceptable(const TPDFTIFFPage& p);
// The samples of an uncompressed, LZW or Deflate page can be handed to PDF as they are: no
// extra samples, unsigned integers of 1, 2, 4 or 8 bits (16 in big-endian order), at most
// 8 bits for a palette, and a horizontal predictor only on 8-bit samples.
bool SamplesExpressible(const TPDFTIFFPage& p);

// A tiled page whose tile grid reaches past its right or bottom edge: the page must cut the
// tiles there, so even a single tile is placed in a form whose box is the page.
bool TilesPastPage(const TPDFTIFFPage& p);

// The colour space by photometric value: "/DeviceGray", "/DeviceRGB", "/DeviceCMYK" or an
// indexed space (inline: "/G", "/RGB", "/CMYK", "[ /Indexed /RGB ..."); empty for others.
std::string ColorSpaceText(const TPDFTIFFPage& p, bool inlineForm);
// "[ 1 0 ]" for a min-is-white page, else empty.
std::string DecodeText(const TPDFTIFFPage& p);

// Strip size, count and the place of each strip (or tile) on the page, in whole pixels.
class TStripWalk {
 public:
  explicit TStripWalk(const TPDFTIFFPage& p);

  // Moves to the next strip; false when the page has no more rows (strips beyond the image,
  // and tiles beyond its rows and columns, are not placed).
  bool Next();
  size_t Index() const { return index_ - 1; }
  // The strip's (or tile's) size and its first column and row on the page: a tile's rows
  // below the page are not counted.
  uint32_t W() const { return w_; }
  uint32_t H() const { return h_; }
  uint64_t Left() const { return left_; }
  uint64_t Top() const { return top_; }
  // The whole piece, rows below the page included (a JPEG tile is one picture of them all).
  uint32_t WholeH() const { return p_.Tiled ? p_.TileLength : h_; }

  uint32_t StripWidth() const { return stripWidth_; }
  uint32_t StripHeight() const { return stripHeight_; }
  size_t Count() const { return count_; }

 private:
  const TPDFTIFFPage& p_;
  uint32_t stripWidth_ = 0, stripHeight_ = 0;
  size_t count_ = 0;
  size_t index_ = 0;
  uint64_t across_ = 1;
  uint32_t w_ = 0, h_ = 0;
  uint64_t left_ = 0, top_ = 0;
};

// The first line of a form's content: the form's unit square measured in billionths.
std::string FormUnits();
// "q a 0 0 d x y cm" placing a piece of w x h pixels, its top left corner at column left and
// row top of the page, in a form whose content starts with FormUnits. A content number holds
// nine decimals: measured in billionths they put every piece on its whole pixels at any page
// size a bitmap may have (a place written as a fraction of the unit square, k / height, lands
// a part of a pixel off once the page is a few hundred rows high).
std::string Placement(const TPDFTIFFPage& p, uint64_t left, uint64_t top, uint64_t w, uint64_t h);

}  // namespace tiffpage
