// Saving a bitmap as a JP2 file: red, green, blue (and alpha) components of 8 bits, one
// quality layer whose rate follows the quality setting.
#include <algorithm>
#include <array>
#include <memory>

#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"
#include "pdf/codecs/jpeg2000/openjpeg_glue.h"

namespace {

constexpr const char* kCreateFailed = "Failed to create JPEG 2000 image struct for saving";
constexpr const char* kEncodingFailed = "JPEG 2000 image encoding failed";
constexpr int kResolutions = 6;
// The output format code of the encoder's parameters for JP2 files.
constexpr int kJP2Format = 1;

// The encoder halves the image once per resolution level beyond the first and refuses
// levels that would leave less than one pixel.
int ResolutionsFor(int width, int height) {
  int levels = 1;
  for (int side = std::min(width, height); levels < kResolutions && (side >> levels) > 0;) ++levels;
  return levels;
}

// The samples of one bitmap row into the components: bytes 2, 1, 0, 3 of each pixel are
// red, green, blue, alpha.
void CopyRow(TBitmap& bitmap, int y, opj_image_t& image, int bytesPerPixel) {
  constexpr std::array<int, 4> kByteOf = {2, 1, 0, 3};
  const uint8_t* line = bitmap.ScanLine(y);
  const int64_t width = bitmap.Width();
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) {
    OPJ_INT32* out = image.comps[c].data + y * width;
    const uint8_t* p = line + kByteOf[c];
    for (int64_t x = 0; x < width; ++x, p += bytesPerPixel) out[x] = *p;
  }
}

}  // namespace

float TJpeg2000Bitmap::ComputeRate(int64_t Width, int64_t Height, int Components) const {
  if (Lossless) return 0.0f;
  const float q = 115.0f - float(Quality);
  const float f = 100.0f / (q * q);
  const float n = float(Width * Height * Components);
  return float(n / (n * f + 550.0f + 142.0f * float(Components - 1)));
}

void TJpeg2000Bitmap::SaveToStream(TStream& Stream) {
  TBitmap* source = this;
  std::unique_ptr<TBitmap> converted;
  if (PixelFormat() != pf24bit && PixelFormat() != pf32bit) {
    converted = std::make_unique<TBitmap>();
    converted->Assign(*this);
    converted->SetPixelFormat(pf24bit);
    source = converted.get();
  }
  const int bytesPerPixel = source->PixelFormat() == pf32bit ? 4 : 3;
  const int width = source->Width(), height = source->Height();

  std::array<opj_image_cmptparm_t, 4> parts{};
  for (int c = 0; c < bytesPerPixel; ++c) {
    opj_image_cmptparm_t& p = parts[size_t(c)];
    p.dx = p.dy = 1;
    p.w = OPJ_UINT32(width);
    p.h = OPJ_UINT32(height);
    p.x0 = p.y0 = 0;
    p.prec = 8;
    p.sgnd = 0;
  }
  opjglue::Image image(opj_image_create(OPJ_UINT32(bytesPerPixel), parts.data(), OPJ_CLRSPC_SRGB));
  if (!image) throw EJpeg2000Error(kCreateFailed);
  image->x0 = image->y0 = 0;
  image->x1 = OPJ_UINT32(width);
  image->y1 = OPJ_UINT32(height);
  // The fourth component is the picture's opacity; the library writes that down as its
  // channel definition.
  if (bytesPerPixel == 4) image->comps[3].alpha = 1;

  opjglue::Codec codec = opjglue::SilentCodec(opj_create_compress(OPJ_CODEC_JP2));
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.cp_disto_alloc = 1;
  parameters.numresolution = ResolutionsFor(width, height);
  parameters.cod_format = kJP2Format;
  parameters.tcp_rates[0] = ComputeRate(width, height, bytesPerPixel);

  opjglue::OutputBytes output;
  opjglue::Stream stream = opjglue::OutputStream(output);
  for (int y = 0; y < height; ++y) CopyRow(*source, y, *image, bytesPerPixel);
  const bool encoded = codec && stream && width > 0 && height > 0 &&
                       opj_setup_encoder(codec.get(), &parameters, image.get()) &&
                       opj_start_compress(codec.get(), image.get(), stream.get()) &&
                       opj_encode(codec.get(), stream.get()) && opj_end_compress(codec.get(), stream.get());
  if (!encoded) throw EJpeg2000Error(kEncodingFailed);
  Stream.WriteBuffer(output.Data.data(), int64_t(output.Data.size()));
}
