#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"

#include <array>
#include <span>
#include <string>
#include <vector>

#include "pdf/codecs/jpeg2000/jpeg2000_components.h"
#include "pdf/codecs/jpeg2000/jpeg2000_layout.h"
#include "pdf/codecs/jpeg2000/openjpeg_glue.h"
#include "platform/gdi/picture.h"

namespace {

constexpr const char* kUnknownType = "Unknown JPEG 2000 file type";
constexpr const char* kDecodingFailed = "JPEG 2000 image decoding failed";

std::span<const uint8_t> BytesOf(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Whether the library may be asked to decode an image of this size at all: the picture
// within the pixel limit, the samples within what fits in memory, every component with a
// precision the library supports.
bool SizeAccepted(int64_t width, int64_t height, int64_t samples, int64_t tileComponents) {
  return width > 0 && height > 0 && width <= kMaxBitmapPixels && height <= kMaxBitmapPixels &&
         width * height <= kMaxBitmapPixels && samples <= kMaxJpeg2000Samples &&
         tileComponents <= kMaxJpeg2000TileComponents;
}

bool ImageAccepted(const opj_image_t& image) {
  if (image.x1 <= image.x0 || image.y1 <= image.y0 || image.numcomps == 0 || image.comps == nullptr) return false;
  int64_t samples = 0;
  for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
    const opj_image_comp_t& c = image.comps[i];
    if (c.prec < 1 || c.prec > 31 || c.dx == 0 || c.dy == 0 || c.w > kMaxBitmapPixels || c.h > kMaxBitmapPixels)
      return false;
    samples += int64_t(c.w) * c.h;
  }
  return SizeAccepted(int64_t(image.x1) - image.x0, int64_t(image.y1) - image.y0, samples, 0);
}

// Decodes the whole image; null on any failure of the library.
opjglue::Image Decode(std::span<const uint8_t> data, const TJpeg2000Layout& layout) {
  opjglue::Codec codec =
      opjglue::SilentCodec(opj_create_decompress(layout.Codec == 1 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return nullptr;
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters)) return nullptr;
  opjglue::InputBytes input{data, 0};
  opjglue::Stream stream = opjglue::InputStream(input);
  if (!stream) return nullptr;
  opj_image_t* header = nullptr;
  const bool read = opj_read_header(stream.get(), codec.get(), &header);
  opjglue::Image image(header);
  if (!read || !image || !ImageAccepted(*image)) return nullptr;
  if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
    return nullptr;
  for (OPJ_UINT32 i = 0; i < image->numcomps; ++i)
    if (image->comps[i].data == nullptr) return nullptr;
  // The library may change the components while decoding (palettes, channel definitions).
  if (!ImageAccepted(*image)) return nullptr;
  return image;
}

// The decoded image as a bitmap of 8, 24 or 32 bits per pixel.
void CopyToBitmap(const opj_image_t& image, const TJpeg2000Layout& layout, TBitmap& bitmap) {
  const int used = image.numcomps == 3 || image.numcomps == 4 ? int(image.numcomps) : 1;
  bitmap.SetPixelFormat(used == 3 ? pf24bit : used == 4 ? pf32bit : pf8bit);
  if (used == 1) {
    std::array<RGBQUAD, 256> grey;
    for (int i = 0; i < 256; ++i) grey[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    bitmap.Dib().SetColors(grey);
  }
  bitmap.SetSize(int(image.x1 - image.x0), int(image.y1 - image.y0));
  const bool sycc = image.color_space == OPJ_CLRSPC_SYCC;
  const std::vector<int32_t> types =
      Jpeg2000ChannelTypes(image, used, layout.Codec == 1, layout.HasChannelDefinitions);
  for (int i = 0; i < used; ++i) {
    const opj_image_comp_t& c = image.comps[i];
    TJpeg2000ComponentDescriptor d;
    d.ChannelType = types[size_t(i)];
    // A single component is grey whatever it was called.
    d.Position = used == 1 ? 0 : Jpeg2000BytePosition(d.ChannelType, i, used, sycc);
    d.MaxValue = (int64_t{1} << c.prec) - 1;
    d.SignOffset = c.sgnd ? int64_t{1} << (c.prec - 1) : 0;
    CopyJpeg2000Component(c, d, bitmap);
  }
  if (sycc && used >= 3) ConvertYCbCrPixels(bitmap);
}

// The class library registers graphic classes when a unit is initialised and removes them
// when it is finalised.
struct Registration {
  Registration() {
    for (const char* extension : {"jp2", "j2k", "jpc"})
      RegisterFileFormat(extension, "JPEG 2000 Image", [] { return std::unique_ptr<TGraphic>(new TJpeg2000Bitmap); });
  }
  ~Registration() {
    for (const char* extension : {"jp2", "j2k", "jpc"}) UnregisterFileFormat(extension);
  }
};
const Registration registration;

}  // namespace

int DetectJpeg2000Codec(TStream& Stream) {
  std::array<uint8_t, 8> head{};
  const int64_t n = Stream.Read(head.data(), int64_t(head.size()));
  if (n > 0) Stream.Seek(-n, TSeekOrigin::soCurrent);
  return n == int64_t(head.size()) ? Jpeg2000CodecOf(head) : 0;
}

void TJpeg2000Bitmap::LoadFromStream(TStream& Stream) {
  if (DetectJpeg2000Codec(Stream) == 0) throw EJpeg2000Error(kUnknownType);
  const int64_t start = Stream.Position();
  const std::string bytes = Stream.ReadToEnd();
  const TJpeg2000Layout layout = ReadJpeg2000Layout(BytesOf(bytes));
  const TJpeg2000Header& h = layout.Header;
  // The stated size is checked before the library allocates anything for it.
  if (!h.Valid || !SizeAccepted(h.Width, h.Height, h.Samples, h.Tiles * h.Components))
    throw EJpeg2000Error(kDecodingFailed);
  opjglue::Image image = Decode(BytesOf(bytes), layout);
  if (!image) throw EJpeg2000Error(kDecodingFailed);
  Stream.SetPosition(start + layout.CodestreamEnd);

  TBitmap decoded;
  CopyToBitmap(*image, layout, decoded);
  image.reset();
  const TPixelFormat format = decoded.PixelFormat();
  Dib().TakeFrom(decoded.Dib());
  SetPixelFormat(format);
  Modified = true;
}
