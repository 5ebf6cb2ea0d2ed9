// Helpers of the metafile converter tests: records made by hand, conversion of a record list
// and rendering of the content it gives.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/le_bytes.h"

class TPDFMetafile;
class TPDFStructure;
class TPDFObject;
class TPDFFont;
class TPDFImage;
class TEMFGraphicState;
class TPDFPattern;

namespace mftest {

// Little-endian parameter bytes of a record.
using Bytes = testsupport::LeBytes;

using Record = std::vector<uint8_t>;
// One record: type, size (the real size unless sizeOverride is given), parameters.
Record Rec(uint32_t type, const Bytes& params = {}, int64_t sizeOverride = -1);
// A header for a picture of w x h pixels of a 96-dpi reference device.
Record Header(int w, int h);
// Common records.
constexpr uint32_t kNullPen = 0x80000008;  // the stock object to select
Record One(uint32_t type, uint32_t v);                  // one 32-bit value
Record Two(uint32_t type, int32_t a, int32_t b);        // two signed 32-bit values
Record Box(uint32_t type, int l, int t, int r, int b);  // a rectangle
Record SolidBrush(uint32_t index, uint32_t colorref);
Record Pen(uint32_t index, uint32_t style, int32_t width, uint32_t colorref);
Record Select(uint32_t index);
Record Rectangle(int l, int t, int r, int b);
Record Poly(uint32_t type, const std::vector<std::pair<int, int>>& points);  // 32-bit point forms

// A converter over a store that makes objects indirect, with the image's lists.
struct Converter {
  Converter();
  ~Converter();
  // Header (w x h) then the records through Begin, HandleRecord, Finish: the content text.
  std::string Convert(const std::vector<Record>& records, int w, int h, bool withHeader = true);
  std::unique_ptr<TPDFStructure> store;
  std::unique_ptr<TPDFMetafile> converter;
  // The calling image's lists the converter appends to.
  struct Lists {
    Lists();
    ~Lists();
    std::vector<TPDFFont*> fonts;
    std::vector<std::unique_ptr<TPDFImage>> images;
    std::vector<std::unique_ptr<TEMFGraphicState>> states;
    std::vector<std::unique_ptr<TPDFPattern>> patterns;
  };
  std::unique_ptr<Lists> lists;
  int nextObject = 1;
  std::map<int, TPDFObject*> indirect;  // what the store made indirect, by number
};

// The content of a w x h picture rendered at 96 dpi onto a page of the picture's size (so a
// logical unit of a text-mode picture is one pixel), through our renderer.
// The converter's images, patterns and graphics states (when given) become the page's resources.
testraster::Raster RenderContent(const std::string& content, int w, int h, std::string* error = nullptr,
                                 const Converter* resources = nullptr);
// Converted and rendered at once.
testraster::Raster Draw(const std::vector<Record>& records, int w, int h, std::string* content = nullptr);
// The page the application's road makes of the file: loaded through the API, the page sized to
// the picture, the picture placed `offset` points right and down, rendered as a BMP. Options
// -1 draw the file into a bitmap first; `provider` names the GDI+ provider (by default the one
// beside the program, as the application's); `pdf`, when given, receives the document.
testraster::Raster RenderThroughApi(const std::string& file, int dpi, double offset, std::string* message,
                                    const std::string& pdf = "", int32_t options = 0,
                                    const std::string& provider = "");
// Files of both metafile kinds, made by hand. An EMF: Header(w, h), the records, EOF.
std::string EmfFile(const std::vector<Record>& records, int w, int h, bool eof = true);
// A placeable WMF of bounds (0, 0, w, h) at `inch` units an inch with an object table of
// `objects` entries: each record is its function and its parameter words; EOF appended unless
// told otherwise.
struct WmfRecord {
  uint16_t function;
  std::vector<uint16_t> words;
};
std::string WmfFile(const std::vector<WmfRecord>& records, int16_t w, int16_t h, uint16_t inch = 96,
                    uint16_t objects = 16, bool eof = true);
// A PDF file as qpdf writes it for reading (--qdf: streams uncompressed, one object a block);
// empty when qpdf fails.
std::string QdfText(const std::string& pdf);

// 0xRRGGBB at (x, y).
uint32_t Pixel(const testraster::Raster& r, int x, int y);
// Pixels of the rectangle [x0, x1) x [y0, y1) whose colour is within tolerance of rgb.
int CountColor(const testraster::Raster& r, int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance = 24);

}  // namespace mftest
