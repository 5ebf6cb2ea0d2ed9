// Text records and logical fonts. Glyphs come with the font engines: until then each record is
// read and checked, its opaque background rectangle is painted, and its text is passed over.
#include <string>

#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"

namespace {

enum : uint32_t { kEtoOpaque = 2, kEtoNoRect = 0x100 };

// The face name of a logical font: up to 32 UTF-16 units, ending at the first 0.
std::string FaceName(const TMetafileRecord& r, uint64_t at) {
  std::u16string face;
  for (uint64_t i = 0; i < 32; ++i) {
    const char16_t c = char16_t(r.U16(at + 2 * i));
    if (c == 0) break;
    face += c;
  }
  std::string out;
  for (char16_t c : face) out += c < 0x80 ? char(c) : '?';
  return out;
}

}  // namespace

void TPDFMetafile::OpaqueRectangle(const TMetafileRecord& r, uint64_t rectAt) {
  TMetafilePath box;
  AddRectangle(box, r.I32(rectAt), r.I32(rectAt + 4), r.I32(rectAt + 8), r.I32(rectAt + 12));
  FillWithColor(box, BkColor, false);
}

void TPDFMetafile::HandleTextRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::ExtCreateFontIndirectW: {
      // Height, underline, character set, escapement and face, kept for the font records.
      const uint32_t index = r.U32(8);
      const bool bold = r.I32(28) >= 600, italic = r.U8(32) != 0;
      std::string key = FaceName(r, 40);
      if (bold && italic)
        key += " [BoldItalic]";
      else if (bold)
        key += " [Bold]";
      else if (italic)
        key += " [Italic]";
      ForgetObject(index);
      FontObjects[index] = key + "|" + (r.U8(33) ? "T" : "F") + "|" + std::to_string(r.I32(12)) + "|" +
                           std::to_string(r.U8(35)) + "|" + std::to_string(r.I32(20)) + "|100";
      return;
    }
    case emr::ExtTextOutA:
    case emr::ExtTextOutW:
      if (r.U32(52) & kEtoOpaque) OpaqueRectangle(r, 56);
      return;
    case emr::SmallTextOut:
      if ((r.U32(20) & kEtoOpaque) && !(r.U32(20) & kEtoNoRect)) OpaqueRectangle(r, 36);
      return;
    case emr::PolyTextOutA:
    case emr::PolyTextOutW: {
      // One 40-byte text entry per string after the count.
      const uint64_t count = r.Fit(40, r.U32(36), 40);
      for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = 40 + 40 * i;
        if (r.U32(at + 16) & kEtoOpaque) OpaqueRectangle(r, at + 20);
      }
      return;
    }
    default: return;
  }
}
