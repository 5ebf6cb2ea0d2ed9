// Fax data our own decoder could not read (or that the caller wants passed on undecoded) go
// on wrapped in a one-strip TIFF file: the canvas's image decoder reads that, or the caller
// takes the file as it is.
#include <exception>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/tiff/tiff_maker.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/render/canvas/daubrix.h"

void TPDFImageDecoder::DecodeCCITTThroughTIFF(int32_t K, bool ByteAlign) {
  // A TIFF file cannot say that Group 4 rows start on byte boundaries: no other decoder would
  // read such data, and what ours could not read is not made up as a white page.
  if (K < 0 && ByteAlign) return Fail();
  TPDFTIFFMaker maker;
  maker.Compression = K < 0 ? kTIFFGroup4 : K == 0 ? kTIFFGroup3OneD : kTIFFGroup3TwoD;
  maker.T4ByteAligned = ByteAlign;
  maker.Height = uint32_t(Height);
  maker.Width = uint32_t(GetIntParam("Columns", 1728));
  maker.Data = std::move(Data);
  maker.MinIsBlack =
      ((GetParam("BlackIs1") == "true") != imgdec::DecodeStartsInverted(Decode)) != (MaskKind == kMaskStencil);
  maker.ResolutionX = 0;
  maker.ResolutionY = 0;
  std::string().swap(Data);
  TMemoryStream tiff;
  maker.SaveToStream(tiff);
  tiff.SetPosition(0);

  if (PassThrough) {
    DataFormat = kDataTIFF;
    DataStream = std::make_unique<TMemoryStream>(tiff.View());
    return;
  }
  // The conversion needs a canvas bound to a bitmap (the decoder's own has no size yet); it
  // draws nothing there.
  TBitmap scratch;
  const bool own = Bitmap && !Bitmap->Empty();
  if (!own) {
    scratch.SetPixelFormat(pf24bit);
    scratch.SetSize(1, 1);
  }
  TPDFDaubrix canvas;
  canvas.Setup(&(own ? *Bitmap : scratch).Canvas(), GetCanvasSettings());
  auto png = std::make_unique<TMemoryStream>();
  if (!canvas.ConvertImageStream(tiff, *png, canvas.PNGEncoder) || png->Size() == 0) return Fail();
  // The format field is left as it was: only pass-through data are announced to the caller.
  DataStream = std::move(png);
}
