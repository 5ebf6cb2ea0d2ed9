#include "pdf/render/patterns/pdf_pattern.h"

#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/gdi/bitmap.h"

bool TPDFPattern::WriteBitmapPattern(TBitmap& bitmap, const std::array<double, 6>& matrix) {
  if (Owner == nullptr || bitmap.Empty()) return false;
  bitmap.SetPixelFormat(pf24bit);
  const int w = bitmap.Width(), h = bitmap.Height();
  std::string pixels;
  pixels.reserve(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + size_t(x) * 3;
      pixels += char(p[2]);
      pixels += char(p[1]);
      pixels += char(p[0]);
    }
  }
  const std::string packed = FlateCompressString(pixels);
  if (packed.empty()) return false;
  const int decimals = Owner->Decimals;
  auto num = [decimals](double v) { return FormatPDFNumber(v, decimals); };
  // The cell paints the bitmap once. As an image XObject of the pattern's own resources every
  // renderer reads it; where the store makes no indirect objects it goes inline.
  std::string content = "q \r\n" + num(w) + " 0 0 " + num(h) + " 0 0 cm\r\n";
  std::string resources = "<< /ProcSet [ /PDF /Text /ImageB /ImageC /ImageI ]";
  TPDFStream* image = Owner->NewStream(packed, false);
  TPDFDictionary* imageDict = image->Dictionary();
  imageDict->SetValue("Type", Owner->NewName("XObject"));
  imageDict->SetValue("Subtype", Owner->NewName("Image"));
  imageDict->SetValue("Width", Owner->NewNumeric(w));
  imageDict->SetValue("Height", Owner->NewNumeric(h));
  imageDict->SetValue("ColorSpace", Owner->NewName("DeviceRGB"));
  imageDict->SetValue("BitsPerComponent", Owner->NewNumeric(8));
  imageDict->SetValue("Filter", Owner->NewName("FlateDecode"));
  int objNum = 0, gen = 0;
  if (Owner->MakeIndirect(image, objNum, gen)) {
    content += "/Im0 Do\r\nQ\r\n";
    resources += " /XObject << /Im0 " + std::to_string(objNum) + " " + std::to_string(gen) + " R >>";
  } else {
    content += "BI\r\n/BPC 8\r\n/H " + num(h) + "\r\n/W " + num(w) + "\r\n/CS /RGB\r\n/F /Fl\r\nID\r";
    content += packed;
    content += "\r\nEI\r\nQ\r\n";
  }
  resources += " >>";

  TPDFStream* stream = Owner->NewStream(content, false);
  TPDFDictionary* dict = stream->Dictionary();
  dict->SetValue("Type", Owner->NewName("Pattern"));
  dict->SetValue("PatternType", Owner->NewNumeric(1));
  dict->SetValue("PaintType", Owner->NewNumeric(1));
  dict->SetValue("TilingType", Owner->NewNumeric(1));
  dict->SetValue("BBox", Owner->NewIntegerArray({0, 0, w, h}));
  dict->SetValue("XStep", Owner->NewNumeric(w));
  dict->SetValue("YStep", Owner->NewNumeric(h));
  dict->SetValue("Matrix", Owner->NewDoubleArray({matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]}));
  dict->SetValue("Resources", Owner->ParseObject(resources));
  if (Owner->MakeIndirect(stream, objNum, gen)) Ref = Owner->NewIndRef(objNum, gen);
  return true;
}
