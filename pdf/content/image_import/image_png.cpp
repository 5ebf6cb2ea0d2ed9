// PNG files: the image data unchanged under the PNG predictor where the PDF side can carry it,
// else unfiltered samples; alpha as a soft mask, the ICC profile as an ICCBased space.
#include "pdf/codecs/png/png_reader.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/image_import/png_samples.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/numbers.h"

namespace {

constexpr int kMaxPNGMode = 7;

std::string RefText(int num, int gen) { return IntToStr(num) + " " + IntToStr(gen) + " R"; }

// A name for "/Name", a parsed value for anything else.
TPDFObject* ColorSpaceObject(TPDFStructure* owner, const std::string& text) {
  if (text.starts_with("/")) return owner->NewName(text.substr(1));
  return owner->ParseObject(text);
}

// The samples of an image stream: the reader's data as they are, or a source that makes them
// when they are needed and then stores them as the reader would have.
struct Samples {
  std::string data;
  std::unique_ptr<TPNGSamples> source;
  bool storedBlocks = false;
};

Samples DeferredSamples(const TPNGReader& reader, const std::shared_ptr<const TPNGImageData>& idat,
                        TPNGSamples::TPart part, bool reduce) {
  Samples s;
  s.source = std::make_unique<TPNGSamples>(idat, reader.Format(), part, reduce);
  s.storedBlocks = reader.StoreDecoded;
  return s;
}

TPDFStream* NewImageStream(TPDFStructure* owner, Samples&& samples, uint32_t width, uint32_t height,
                           TPDFObject* colorSpace, uint32_t bits) {
  TPDFStream* stream = owner->NewStream({}, false);
  if (samples.source)
    stream->TakeSampleSource(std::move(samples.source), true, samples.storedBlocks);
  else
    stream->TakeData(std::move(samples.data));
  TPDFDictionary* d = stream->Dictionary();
  d->SetValue("Type", owner->NewName("XObject"));
  d->SetValue("Subtype", owner->NewName("Image"));
  d->SetValue("Width", owner->NewNumeric(width));
  d->SetValue("Height", owner->NewNumeric(height));
  d->SetValue("ColorSpace", colorSpace);
  d->SetValue("BitsPerComponent", owner->NewNumeric(bits));
  d->SetValue("Filter", owner->NewName("FlateDecode"));
  return stream;
}

}  // namespace

bool TPDFImage::LoadPNG(TStream& stream, int32_t options) {
  if (options < 0) options = 0;
  // Other values have no handling: the load is refused rather than answered without an object.
  if (options > kMaxPNGMode) return false;
  TPNGReader reader;
  reader.Reduce16BitImage = options == 3 || options == 5;
  reader.Reduce16BitAlpha = options == 2 || options == 4 || options == 5;
  // Decoded samples follow the document's setting for bitmap samples: compressed only when
  // asked for, else in stored deflate blocks.
  reader.StoreDecoded = Compression != 1;
  // Samples that need decoding are made when they are needed (a render draws them a band at a
  // time); a copy of the source keeps them made.
  reader.DeferSamples = !KeepSource;
  // A large file's image data are read where they lie when the rows are made.
  if (reader.DeferSamples) reader.File = FileBytes(stream.Handle());
  stream.SetPosition(0);
  reader.ReadChunks(stream);
  if (!reader.HeaderValid() || reader.Width == 0 || reader.Height == 0 ||
      (reader.ImageData.empty() && !reader.SamplesDeferred))
    return false;
  const bool noAlpha = reader.SamplesDeferred ? TPNGRows::AlphaRowBytes(reader.Format()) == 0 : reader.AlphaData.empty();
  if ((options == 1 || options == 4) && noAlpha) return false;
  // Palette images need their palette for the Indexed space.
  if (reader.ColorType == 3 && reader.PaletteCount == 0 && options != 1 && options != 4) return false;
  WritePNG(reader, options);
  return Ref != nullptr;
}

void TPDFImage::WritePNG(TPNGReader& reader, int mode) {
  if (KeepSource) SourceData = reader.ImageData;
  Kind = 4;
  Width = int32_t(reader.Width);
  Height = int32_t(reader.Height);
  ResolutionX = int32_t(std::min<uint32_t>(reader.ResolutionX, 0x7FFFFFFF));
  ResolutionY = int32_t(std::min<uint32_t>(reader.ResolutionY, 0x7FFFFFFF));
  ResolutionUnit = 2;
  SixteenBit = ((mode == 0 || mode == 2 || mode == 6 || mode == 7) && reader.ImageBitsPerComponent == 16) ||
               ((mode == 1 || mode == 6) && reader.AlphaBitsPerComponent == 16);

  // Deferred samples: the colour and alpha sources share the image data.
  std::shared_ptr<const TPNGImageData> idat;
  if (reader.SamplesDeferred)
    idat = reader.ImageDataInFile
               ? std::make_shared<const TPNGImageData>(reader.File, reader.FirstIDATPosition, reader.IDATBytes)
               : std::make_shared<const TPNGImageData>(std::move(reader.IDATData));
  const bool wide = reader.BitDepth == 16;
  auto samplesOf = [&](TPNGSamples::TPart part, std::string& made, bool reduce) {
    return idat ? DeferredSamples(reader, idat, part, wide && reduce) : Samples{std::move(made), nullptr, false};
  };

  TPDFIndRef* softMask = nullptr;
  const bool withAlpha = mode == 1 || mode == 2 || mode == 4 || mode == 5 || mode == 6;
  const bool hasAlpha = idat ? TPNGRows::AlphaRowBytes(reader.Format()) > 0 : !reader.AlphaData.empty();
  if (withAlpha && hasAlpha) {
    TPDFStream* alpha =
        NewImageStream(Owner, samplesOf(TPNGSamples::kAlpha, reader.AlphaData, reader.Reduce16BitAlpha), reader.Width,
                       reader.Height, Owner->NewName("DeviceGray"), reader.AlphaBitsPerComponent);
    if (mode == 1 || mode == 4) {
      Finish(alpha);
      return;
    }
    int num = 0, gen = 0;
    if (Owner->MakeIndirect(alpha, num, gen)) softMask = Owner->NewIndRef(num, gen);
  }
  if (mode == 1 || mode == 4) return;

  std::string space;
  switch (reader.ColorType) {
    case 0:
    case 4: space = "/DeviceGray"; break;
    case 3: {
      std::string indexed;
      reader.GetIndexedColorSpace(indexed);
      space = "[ /Indexed " + indexed + " ]";
      break;
    }
    default: space = "/DeviceRGB"; break;
  }
  if (mode == 7 && !reader.ICCProfile.empty()) {
    TPDFStream* profile = Owner->NewStream({}, false);
    const bool indexed = space.starts_with("[ /Indexed /DeviceRGB");
    profile->TakeData(std::move(reader.ICCProfile));
    profile->Dictionary()->SetValue("N", Owner->NewNumeric(indexed || space != "/DeviceGray" ? 3 : 1));
    profile->Dictionary()->SetValue("Filter", Owner->NewName("FlateDecode"));
    int num = 0, gen = 0;
    if (Owner->MakeIndirect(profile, num, gen)) {
      const std::string based = "[ /ICCBased " + RefText(num, gen) + "]";
      space = indexed ? "[ /Indexed " + based + space.substr(std::string_view("[ /Indexed /DeviceRGB").size())
                      : based;
    }
  }
  std::string decodeParms;
  if (reader.PassThrough) {
    decodeParms = "<< /Predictor 15 ";
    if (reader.ColorType == 0) decodeParms += "/Colors 1 ";
    if (reader.ColorType == 2) decodeParms += "/Colors 3 ";
    decodeParms += "/BitsPerComponent " + IntToStr(reader.BitDepth) + " /Columns " + IntToStr(reader.Width) + " >>";
  }
  TPDFStream* image =
      NewImageStream(Owner, samplesOf(TPNGSamples::kColour, reader.ImageData, reader.Reduce16BitImage), reader.Width,
                     reader.Height, ColorSpaceObject(Owner, space), reader.ImageBitsPerComponent);
  if (!decodeParms.empty()) image->Dictionary()->SetValue("DecodeParms", Owner->ParseObject(decodeParms));
  if (softMask) image->Dictionary()->SetValue("SMask", softMask);
  Finish(image);
}
