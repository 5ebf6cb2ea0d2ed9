// Fuzz entry point: an image XObject whose dictionary is chosen by the first bytes (size,
// depth, colour space, filter chain, Decode, masks and decoder flags) and whose data are the
// rest, decoded and drawn on a GDI canvas (drawn only and pixel for pixel too, where rows may
// wait for the drawing); the results are read as the renderer reads them.
#include "pdf/codecs/image_decoder/image_decoder.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"

namespace {

const char* const kDepths[] = {"1", "2", "4", "8", "16", "3", "0", "8"};

const char* const kSpaces[] = {
    "/DeviceGray",
    "/DeviceRGB",
    "/DeviceCMYK",
    "[ /Indexed /DeviceRGB 3 <FF000000FF000000FF808080> ]",
    "[ /Indexed /DeviceGray 200 <00FF> ]",
    "[ /Indexed /DeviceCMYK 1 <FF00000000FF0000> ]",
    "[ /ICCBased 9 0 R ]",
    "[ /Lab << /WhitePoint [ 0.9505 1 1.089 ] /Range [ -80 80 -90 70 ] >> ]",
    "[ /Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [ 0 1 ] /C0 [ 1 1 1 ] /C1 [ 1 0 0 ] /N 1 >> ]",
    "[ /DeviceN [ /A /B ] /DeviceCMYK 8 0 R ]",
    "[ /CalRGB << /WhitePoint [ 0.9505 1 1.089 ] >> ]",
    "/Pattern",
    "[ /Indexed [ /Lab << /WhitePoint [ 0.9505 1 1.089 ] >> ] 1 <80808040C0C0> ]",
    "[ /Indexed [ /Separation /Spot /DeviceGray << /FunctionType 2 /Domain [ 0 1 ] /C0 [ 1 ] /C1 [ 0 ] /N 2 >> ] 3 "
    "<00408000> ]",
    "[ /DeviceN [ /A /B /C ] /DeviceRGB 8 0 R ]",
    "[ /Indexed 7 0 R 1 <0000> ]",
};

const char* const kFilters[] = {
    "",
    "/Filter /FlateDecode",
    "/Filter /RunLengthDecode",
    "/Filter /AHx",
    "/Filter /A85",
    "/Filter /LZWDecode",
    "/Filter /DCTDecode",
    "/Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 16 >>",
    "/Filter /CCF /DecodeParms << /K 0 /Columns 24 /EncodedByteAlign true /BlackIs1 true >>",
    "/Filter /CCF /DecodeParms << /K 2 >>",
    "/Filter [ /FlateDecode /DCTDecode ]",
    "/Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 3 /Columns 8 >>",
    "/Filter /JBIG2Decode",
    "/Filter /JPXDecode",
    "/Filter [ /RL /AHx ] /DecodeParms [ null ]",
    "/Filter [ /LZW /Fl ] /DecodeParms [ << /EarlyChange 0 >> << /Predictor 2 /Colors 1 /Columns 4 >> ]",
};

// 255 is a side no image may have, 254 a long one, anything else up to 48. A long side is 2048:
// a square of 4096 (16 million pixels) took the sanitizers eight seconds to decode.
int Side(uint8_t b) { return b == 255 ? 2147483647 : b == 254 ? 2048 : b % 48 + 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const uint8_t flags = data[5];
  const std::string samples(reinterpret_cast<const char*>(data) + 6, size - 6);

  TPDFStructure store;
  TPDFObject* registered[10] = {};
  store.OnResolve = [&](TPDFIndRef&, int num, int) -> TPDFObject* {
    return num >= 0 && num < 10 ? registered[num] : nullptr;
  };
  TPDFStream* profile = store.NewStream("profile", false);
  profile->Dictionary()->SetValue("N", store.NewNumeric(3));
  registered[9] = profile;
  TPDFStream* function = store.NewStream("{ dup 0.5 mul exch }", false);
  function->Dictionary()->SetValue("FunctionType", store.NewNumeric(4));
  function->Dictionary()->SetValue("Domain", store.ParseObject("[ 0 1 0 1 ]"));
  function->Dictionary()->SetValue("Range", store.ParseObject("[ 0 1 0 1 0 1 0 1 ]"));
  registered[8] = function;
  registered[7] = store.ParseObject("[ /Indexed 7 0 R 1 <0000> ]");

  std::string dict = "<< /Width " + std::to_string(Side(data[0])) + " /Height " + std::to_string(Side(data[1])) +
                     " /BitsPerComponent " + kDepths[data[2] % 8] + " /ColorSpace " + kSpaces[data[3] % 16] + " " +
                     kFilters[data[4] % 16];
  if (flags & 1) dict += " /Decode [ 1 0 1 0 0.5 1 1 0 ]";
  if (flags & 2) dict += " /ImageMask true";
  if (flags & 4) dict += " /Mask [ 0 2 0 200 3 90 0 255 ]";
  if (flags & 64) dict += " /Decode [ 1 ]";
  dict += " >>";
  TPDFStream* image = store.NewStream(samples, false);
  if (auto* parsed = PDFCast<TPDFDictionary>(store.ParseObject(dict)))
    for (const auto& [k, v] : parsed->Pairs()) image->Dictionary()->SetValue(k->Name(), v);
  if (flags & 8) {
    // A soft mask over the first bytes of the data, of another size.
    TPDFStream* smask = store.NewStream(samples.substr(0, 64), false);
    smask->Dictionary()->SetValue("Width", store.NewNumeric(Side(data[1])));
    smask->Dictionary()->SetValue("Height", store.NewNumeric(Side(data[0])));
    smask->Dictionary()->SetValue("BitsPerComponent", store.NewNumeric(8));
    smask->Dictionary()->SetValue("ColorSpace", store.NewName("DeviceGray"));
    image->Dictionary()->SetValue("SMask", smask);
  }

  TPDFImageDecoder decoder;
  // No GDI+ here: the canvases the decoder makes fall back to GDI.
  decoder.Settings.LibraryPath = u"fuzz-no-such-provider.so";
  decoder.KeepBitmap = (flags & 16) != 0;
  decoder.PassThrough = (flags & 32) != 0;
  // Drawn only, as the renderer's bitmap pages draw: rows may wait for the drawing.
  const bool drawOnly = (data[4] & 16) != 0;
  decoder.DrawOnly = drawOnly;
  decoder.DecodeWhileDrawing = drawOnly;
  decoder.SetImage(image);
  if (decoder.Failed && decoder.Decoded) std::abort();
  const int w = Side(data[0]), h = Side(data[1]);
  if (drawOnly && !decoder.Failed && int64_t(w) * h <= 65536) {
    // Pixel for pixel, where waiting rows go onto the page a band at a time.
    TBitmap page;
    page.SetPixelFormat(pf24bit);
    page.SetSize(w + 2, h + 2);
    TPDFDaubrix canvas;
    canvas.SetTarget(&page.Canvas());
    decoder.DrawImage(canvas, {double(w), 0, 0, -double(h), 1, double(h) + 1}, RGB(10, 200, 30));
  }

  std::string bytes;
  decoder.GetData(bytes);
  decoder.GetBitmapBytes(bytes);
  if (decoder.GetDataSize() < 0) std::abort();
  // Drawn through the canvas as the renderer draws it, up to 2^22 pixels: a picture with a
  // mask or colour key is drawn from an encoded copy of it (a PNG of its pixels and mask), which
  // costs the sanitizers seconds at 4096 x 4096; large pictures are drawn by the whole-road
  // entry point and the hostile-file tests.
  if (!decoder.Failed && (flags & 128) && int64_t(w) * h <= (int64_t{1} << 22)) {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(24, 24);
    TPDFDaubrix canvas;
    canvas.SetTarget(&target.Canvas());
    decoder.DrawImage(canvas, {20, 3, -2, -18, 2, 21}, RGB(10, 200, 30));
    decoder.DrawImage(canvas, {5, 0, 0, 5, 0, 0}, RGB(200, 0, 0));
  }
  return 0;
}
