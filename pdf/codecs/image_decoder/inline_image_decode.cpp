// Decoding an inline image: the record the parser filled becomes the decoder's image and runs
// through the same filters and codec paths as an image XObject.
#include <exception>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/image_decoder/inline_image.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

// The colour-space text with its inline abbreviations written out, token by token (a lookup
// string inside it stays as it is).
std::string ExpandColorSpaceText(std::string_view text) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    const std::string_view t = inlineimage::NextInlineToken(text, pos);
    if (t.empty()) break;
    if (!out.empty()) out += ' ';
    out += t == "/G"     ? "/DeviceGray"
           : t == "/RGB" ? "/DeviceRGB"
           : t == "/CMYK" ? "/DeviceCMYK"
           : t == "/I"    ? "/Indexed"
                          : std::string(t);
  }
  return out;
}

}  // namespace

void TPDFImageDecoder::SetInlineImage(const TPDFInlineImage& Image, TPDFStructure* NewOwner) {
  Owner = NewOwner;
  Stream = nullptr;
  Width = Image.Width;
  Height = Image.Height;
  BitsPerComponent = Image.BitsPerComponent;
  Filter = Image.Filter;
  DecodeParms = Image.DecodeParms;
  Decode = Image.Decode;
  Data = Image.Data;
  try {
    if (Image.ColorSpaceObject != nullptr) {
      ColorSpace = ResolveColorSpace(Image.ColorSpaceObject);
    } else {
      const std::string text = ExpandColorSpaceText(Image.ColorSpace);
      if (!text.empty() && text[0] == '[') {
        // An array given inline (an indexed space with its table), read as PDF text. The
        // colour-space objects some families make keep pointers into it, so it is made in the
        // document's store; a device or indexed space copies what it needs and the array goes
        // again at once.
        TPDFStructure scratch;
        TPDFStructure& store = Owner ? *Owner : scratch;
        TPDFObject* array = store.ParseObject(text);
        ColorSpace = ResolveColorSpace(array);
        // An inline table's highest index that is no number reads as 0.
        if (ColorSpace == "Indexed")
          if (auto* parts = PDFCast<TPDFArray>(array); parts && !PDFCast<TPDFNumeric>(parts->GetItem(2))) HiVal = 0;
        auto device = [](const std::string& s) { return s == "DeviceGray" || s == "DeviceRGB" || s == "DeviceCMYK"; };
        const bool copied = device(ColorSpace) || (ColorSpace == "Indexed" && device(IndexedBase));
        if (copied) {
          store.ReleaseObject(array);
        } else if (!Owner) {
          // Nothing may point into the scratch store once it is gone.
          ColorSpace.clear();
          LabSpace.reset();
          SeparationSpace.reset();
          DeviceNSpace.reset();
        }
      } else {
        ColorSpace = text.empty() || text[0] != '/' ? text : text.substr(1);
      }
    }
    if (Image.ImageMask) {
      MaskKind = kMaskStencil;
      ImageMask = 1;
      if (BitsPerComponent == 0) BitsPerComponent = 1;
    }
    ApplyFilters();
  } catch (const std::exception&) {
    Fail();
  }
  if (!Decoded || BitmapFailed) Fail();
}
