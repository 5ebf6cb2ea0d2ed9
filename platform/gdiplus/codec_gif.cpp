// GIF files through giflib: every frame is kept as indices and composed onto the logical
// screen (with its disposal and transparency) when it is selected.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "platform/gdiplus/codecs.h"

namespace gdiplus {
namespace {

constexpr size_t kMaxFrames = 10000;

// LZW with 12-bit codes gives at most 4096 pixels for every code of a byte and a half, so no
// honest GIF holds more pixels than this; the constant leaves room for a screen larger than
// its frames. A few hundred bytes must not claim a picture of tens of millions of pixels.
uint64_t GifPixelBudget(size_t dataSize) {
  return std::min<uint64_t>(MaxPixelsForData(dataSize), (uint64_t(1) << 22) + uint64_t(dataSize) * 4096);
}

struct Reader {
  std::span<const uint8_t> data;
  size_t pos = 0;
};

int ReadFn(GifFileType* gif, GifByteType* out, int count) {
  auto* r = static_cast<Reader*>(gif->UserData);
  if (count <= 0) return 0;
  const size_t n = std::min<size_t>(size_t(count), r->data.size() - r->pos);
  std::memcpy(out, r->data.data() + r->pos, n);
  r->pos += n;
  return int(n);
}

struct GifCloser {
  void operator()(GifFileType* g) const {
    int err = 0;
    DGifCloseFile(g, &err);
  }
};

struct Frame {
  int32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;
  std::vector<ARGB> palette;
  int disposal = 0;
  int transparent = -1;
};

std::vector<ARGB> Palette(const ColorMapObject* map) {
  std::vector<ARGB> p;
  if (!map || !map->Colors) return p;
  for (int i = 0; i < map->ColorCount && i < 256; ++i)
    p.push_back(0xff000000u | uint32_t(map->Colors[i].Red) << 16 | uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue);
  return p;
}

class GifSource : public FrameSource {
 public:
  GpStatus Read(std::span<const uint8_t> bytes) {
    Reader reader{bytes, 0};
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFn, &err));
    if (!gif) return InvalidParameter;
    width_ = gif->SWidth;
    height_ = gif->SHeight;
    const std::vector<ARGB> global = Palette(gif->SColorMap);
    int disposal = 0, transparent = -1;
    uint64_t pixels = 0;
    const uint64_t budget = GifPixelBudget(bytes.size());
    for (;;) {
      GifRecordType type;
      if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;
      if (type == TERMINATE_RECORD_TYPE) break;
      if (type == EXTENSION_RECORD_TYPE) {
        int code = 0;
        GifByteType* ext = nullptr;
        if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) break;
        if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
          disposal = (ext[1] >> 2) & 7;
          transparent = (ext[1] & 1) ? ext[4] : -1;
        }
        bool broken = false;
        while (ext) {
          if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
            broken = true;
            break;
          }
        }
        if (broken) break;
        continue;
      }
      if (type != IMAGE_DESC_RECORD_TYPE) break;
      if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
      const GifImageDesc& d = gif->Image;
      if (d.Width <= 0 || d.Height <= 0 || d.Left < 0 || d.Top < 0) break;
      pixels += uint64_t(d.Width) * uint64_t(d.Height);
      if (pixels > budget || frames_.size() >= kMaxFrames) break;
      Frame f;
      f.left = d.Left;
      f.top = d.Top;
      f.width = d.Width;
      f.height = d.Height;
      f.palette = d.ColorMap ? Palette(d.ColorMap) : global;
      f.disposal = disposal;
      f.transparent = transparent;
      f.indices.assign(size_t(d.Width) * size_t(d.Height), 0);
      bool ok = true;
      if (d.Interlace) {
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4 && ok; ++pass)
          for (int y = start[pass]; y < d.Height && ok; y += step[pass])
            ok = DGifGetLine(gif.get(), f.indices.data() + size_t(y) * size_t(d.Width), d.Width) != GIF_ERROR;
      } else {
        for (int y = 0; y < d.Height && ok; ++y)
          ok = DGifGetLine(gif.get(), f.indices.data() + size_t(y) * size_t(d.Width), d.Width) != GIF_ERROR;
      }
      frames_.push_back(std::move(f));
      disposal = 0;
      transparent = -1;
      if (!ok) break;  // a damaged frame ends the file; what was read stays
    }
    if (frames_.empty()) return InvalidParameter;
    // A frame reaching beyond the logical screen enlarges it.
    for (const Frame& f : frames_) {
      width_ = std::max<int64_t>(width_, int64_t(f.left) + f.width);
      height_ = std::max<int64_t>(height_, int64_t(f.top) + f.height);
    }
    if (!SizeAllowed(uint64_t(width_), uint64_t(height_), bytes.size()) ||
        uint64_t(width_) * uint64_t(height_) > budget)
      return InvalidParameter;
    return Ok;
  }

  GUID Dimension() const override { return FrameDimensionTime; }
  uint32_t Count() const override { return uint32_t(frames_.size()); }

  GpStatus Decode(uint32_t index, ImageData& out) override {
    if (index >= frames_.size()) return InvalidParameter;
    Plane plane;
    if (!plane.Allocate(int32_t(width_), int32_t(height_), PixelFormat32bppARGB)) return OutOfMemory;
    std::vector<ARGB> canvas(size_t(width_) * size_t(height_), 0), saved;
    for (uint32_t i = 0; i <= index; ++i) {
      const Frame& f = frames_[i];
      if (f.disposal == 3) saved = canvas;
      for (int32_t y = 0; y < f.height; ++y) {
        for (int32_t x = 0; x < f.width; ++x) {
          const uint8_t v = f.indices[size_t(y) * size_t(f.width) + size_t(x)];
          if (v == f.transparent) continue;
          canvas[size_t(f.top + y) * size_t(width_) + size_t(f.left + x)] = v < f.palette.size() ? f.palette[v] : 0xff000000u;
        }
      }
      if (i == index) break;
      if (f.disposal == 2) {
        for (int32_t y = 0; y < f.height; ++y)
          std::fill_n(canvas.begin() + ptrdiff_t(size_t(f.top + y) * size_t(width_) + size_t(f.left)), f.width, 0u);
      } else if (f.disposal == 3 && !saved.empty()) {
        canvas.swap(saved);
      }
    }
    for (int32_t y = 0; y < int32_t(height_); ++y) plane.WriteARGB(y, 0, int32_t(width_), canvas.data() + size_t(y) * size_t(width_));
    out.plane = std::move(plane);
    ++out.generation;
    return Ok;
  }

 private:
  int64_t width_ = 0, height_ = 0;
  std::vector<Frame> frames_;
};

}  // namespace

std::unique_ptr<FrameSource> OpenGif(std::span<const uint8_t> bytes, GpStatus& status) {
  auto source = std::make_unique<GifSource>();
  status = source->Read(bytes);
  if (status != Ok) return nullptr;
  return source;
}

}  // namespace gdiplus
