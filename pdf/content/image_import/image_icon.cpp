// Icon files: the entry nearest the size asked for, read by the road of its own format (a PNG
// entry's rows as a PNG's, a DIB entry's as a BMP's) and shown over white as the icon is drawn
// onto a fresh bitmap, a row at a time when the samples are needed.
#include <exception>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/content/image_import/icon_samples.h"
#include "pdf/content/image_import/pdf_image.h"
#include "platform/gdi/ico_reader.h"
#include "platform/gdi/png_image.h"

namespace {

// The PNG entry's samples, when its header and image data make a picture.
std::unique_ptr<TIconPNGSamples> PNGEntrySamples(const TSharedBytes& entry) {
  TPNGReader reader;
  reader.DeferSamples = true;
  reader.File = entry;
  TByteSourceStream stream(entry);
  reader.ReadChunks(stream);
  if (!reader.HeaderValid() || (!reader.SamplesDeferred && !reader.PassThrough)) return nullptr;
  // A palette picture without its palette is no picture.
  if (reader.ColorType == 3 && reader.PaletteCount == 0) return nullptr;
  std::shared_ptr<const TPNGImageData> idat;
  if (reader.ImageDataInFile)
    idat = std::make_shared<const TPNGImageData>(entry, reader.FirstIDATPosition, reader.IDATBytes);
  else
    idat = std::make_shared<const TPNGImageData>(reader.PassThrough ? std::move(reader.ImageData)
                                                                    : std::move(reader.IDATData));
  return std::make_unique<TIconPNGSamples>(idat, reader.Format(), reader.Palette, reader.Transparency);
}

}  // namespace

bool TPDFImage::LoadIcon(TStream& stream, int32_t options) {
  try {
    const TSharedBytes file = StreamBytes(stream);
    std::vector<uint8_t> head(size_t(std::min<int64_t>(file->Size(), 6)));
    file->ReadAt(0, head.data(), int64_t(head.size()));
    head.resize(size_t(std::min(file->Size(), IcoDirectoryBytes(head))));
    file->ReadAt(0, head.data(), int64_t(head.size()));
    const std::vector<IcoEntry> entries = ReadIcoDirectory(head, file->Size());
    const int side = options > 0 ? options : 0;
    const IcoEntry& chosen = PickIcoEntry(entries, side, side);
    const TSharedBytes entry = BytesWindow(file, chosen.offset, chosen.size);
    uint8_t signature[8] = {};
    entry->ReadAt(0, signature, 8);
    std::unique_ptr<TPDFSampleSource> samples;
    if (IsPngSignature(signature))
      samples = PNGEntrySamples(entry);
    else
      samples = std::make_unique<TIconDIBSamples>(TDibRows::OfIconImage(entry));
    if (!samples) return false;
    Kind = 2;
    Height = samples->Rows();
    Width = int32_t(samples->RowBytes() / 3);
    return WriteSampleSource(std::move(samples), Width, Height, "DeviceRGB", 8, {}, Compression == 1);
  } catch (const std::exception&) {
    return false;
  }
}
