// TIFF pages whose strips a PDF filter reads as they are (fax, LZW, Deflate, uncompressed): one
// image of the strip, or a form placing one image per strip (or tile), named or inline.
#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/image_import/tiff_page_layout.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"

using tiffpage::TStripWalk;

namespace {

bool IsFax(uint8_t code) { return code == kTIFFGroup4 || code == kTIFFGroup3OneD || code == kTIFFGroup3TwoD; }

int FaxK(uint8_t code) { return code == kTIFFGroup4 ? -1 : code == kTIFFGroup3OneD ? 0 : 1; }

// TIFF strips end without an end-of-block pattern (the standard has them end with their rows),
// so the filter is told to stop after Rows rows: a reader that waited for the pattern would
// read on into whatever follows the strip, which for an inline image is the next strip.
std::string FaxParms(const TPDFTIFFPage& p, uint32_t w, uint32_t h) {
  std::string s = "<< /K " + std::to_string(FaxK(p.Compression)) + " /Columns " + std::to_string(w) + " /Rows " +
                  std::to_string(h) + " /BlackIs1 true";
  if (p.T4ByteAligned) s += " /EncodedByteAlign true /EndOfLine true";
  return s + " /EndOfBlock false >>";
}

std::string PredictorParms(const TPDFTIFFPage& p, uint32_t w) {
  return "<< /Predictor " + std::to_string(p.Predictor) + " /Colors " + std::to_string(p.SamplesPerPixel) +
         " /Columns " + std::to_string(w) + " >>";
}

// The dictionary text of an inline strip image; data may be wrapped to suit its filter.
std::string InlineDictionary(const TPDFTIFFPage& p, uint32_t w, uint32_t h, std::string& data) {
  std::string d = "/W " + std::to_string(w) + " /H " + std::to_string(h) + " /CS " +
                  tiffpage::ColorSpaceText(p, true) + " /BPC " + std::to_string(p.BitsPerSample);
  const std::string decode = tiffpage::DecodeText(p);
  if (!decode.empty()) d += " /D " + decode;
  if (p.Compression == kTIFFLZW) {
    d += " /F [ /Fl /LZW ]";
    if (p.Predictor >= 2) d += " /DP [ null " + PredictorParms(p, w) + " ]";
    data = FlateStoreString(data);
  } else if (p.Compression == kTIFFDeflate) {
    d += " /F /Fl";
    if (p.Predictor >= 2) d += " /DP " + PredictorParms(p, w);
  } else if (IsFax(p.Compression)) {
    d += " /F /CCF /DP " + FaxParms(p, w, h);
  }
  return d;
}

}  // namespace

bool TPDFImage::AddTIFFStrips(TPDFTIFF& reader, int32_t page) {
  const TPDFTIFFPage* rec = reader.Page(page);
  if (rec == nullptr) return false;
  const TPDFTIFFPage& p = *rec;
  Kind = 3;
  Width = int32_t(p.Width);
  Height = int32_t(p.Height);
  TStripWalk walk(p);
  if (walk.Count() == 0) return false;

  const uint64_t stripBytes =
      uint64_t(p.BitsPerSample) * walk.StripWidth() * walk.StripHeight() * p.SamplesPerPixel / 8;
  const bool inlineStrips = walk.Count() > 4 && p.Compression != kTIFFNone && (stripBytes <= 4096 || InlineStrips);
  const bool form = walk.Count() > 1 || inlineStrips || tiffpage::TilesPastPage(p);

  TPDFStream* main = Owner->NewStream({}, false);
  TPDFDictionary* resources = nullptr;
  TPDFDictionary* xobjects = nullptr;
  if (form) {
    main->Dictionary()->SetValue("Subtype", Owner->NewName("Form"));
    main->Dictionary()->SetValue("BBox", Owner->NewIntegerArray({0, 0, 1, 1}));
    if (!inlineStrips) {
      resources = Owner->NewDictionary();
      xobjects = Owner->NewDictionary();
      resources->SetValue("XObject", xobjects);
      main->Dictionary()->SetValue("Resources", resources);
    }
  }
  const std::string space = tiffpage::ColorSpaceText(p, false);
  const std::string decode = tiffpage::DecodeText(p);

  // The keys of a strip image (the main object for a single strip).
  auto describe = [&](TPDFDictionary* d, uint32_t w, uint32_t h) {
    d->SetValue("Subtype", Owner->NewName("Image"));
    d->SetValue("Width", Owner->NewNumeric(w));
    d->SetValue("Height", Owner->NewNumeric(h));
    d->SetValue("ColorSpace", Owner->ParseObject(space));
    d->SetValue("BitsPerComponent", Owner->NewNumeric(p.BitsPerSample));
    if (!decode.empty()) d->SetValue("Decode", Owner->ParseObject(decode));
    if (p.Compression == kTIFFLZW || p.Compression == kTIFFDeflate) {
      d->SetValue("Filter", Owner->NewName(p.Compression == kTIFFLZW ? "LZWDecode" : "FlateDecode"));
      if (p.Predictor >= 2) d->SetValue("DecodeParms", Owner->ParseObject(PredictorParms(p, w)));
    } else if (IsFax(p.Compression)) {
      d->SetValue("Filter", Owner->NewName("CCITTFaxDecode"));
      d->SetValue("DecodeParms", Owner->ParseObject(FaxParms(p, w, h)));
    }
  };

  std::string content = form ? tiffpage::FormUnits() : std::string();
  std::string single;
  while (walk.Next()) {
    // Each strip goes into its image as it is.
    std::string data(p.Strips[walk.Index()]);
    if (p.FillOrder == 2) ReverseBitOrder(data);
    const uint32_t w = walk.W(), h = walk.H();
    if (inlineStrips) {
      const std::string dict = InlineDictionary(p, w, h, data);
      content += tiffpage::Placement(p, walk.Left(), walk.Top(), w, h) + "\nBI\n" +
                 dict + "\nID\n";
      content += data;
      content += "\nEI\nQ\n";
    } else if (form) {
      TPDFStream* image = Owner->NewStream({}, false);
      image->TakeData(std::move(data));
      describe(image->Dictionary(), w, h);
      int num = 0, gen = 0;
      if (!Owner->MakeIndirect(image, num, gen)) return false;
      Ref = Owner->NewIndRef(num, gen);
      const std::string name = "TalvoPDFIm" + NewUniqueTag();
      xobjects->SetValue(name, Ref);
      content += tiffpage::Placement(p, walk.Left(), walk.Top(), w, h) + " /" + name +
                 " Do Q\n";
    } else {
      describe(main->Dictionary(), w, h);
      single = std::move(data);
    }
  }
  if (!form) {
    main->TakeData(std::move(single));
  } else {
    // There is no library-wide Flate level to honour here: the placement text is compressed.
    main->Compress(content, true);
  }
  return Finish(main);
}
