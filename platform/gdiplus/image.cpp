// Image objects: size, resolution, pixel format, frames, properties, locking the pixels, and
// bitmaps made from memory, from a DIB, from a bitmap handle or for a Graphics.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/codecs.h"
#include "platform/gdiplus/colour_management.h"
#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {
namespace {

bool IsBitmap(const GpImage* image) { return image && image->type == ImageTypeBitmap && !image->data->plane.empty(); }

GUID DimensionOf(const GpImage& image) { return image.frames ? image.frames->Dimension() : FrameDimensionPage; }

// Copies a rectangle between two planes of the same size class, pixel by pixel through ARGB,
// or index by index when both are indexed.
void CopyRect(const Plane& src, int32_t sx, int32_t sy, Plane& dst, int32_t dx, int32_t dy, int32_t w, int32_t h) {
  if (src.indexed() && dst.indexed()) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) dst.SetIndex(dy + y, dx + x, src.Index(sy + y, sx + x));
    return;
  }
  std::vector<ARGB> row(static_cast<size_t>(w));
  for (int32_t y = 0; y < h; ++y) {
    src.ReadARGB(sy + y, sx, w, row.data());
    dst.WriteARGB(dy + y, dx, w, row.data());
  }
}

GpBitmap* NewBitmap(Plane&& plane, float dpiX, float dpiY) {
  auto* b = new GpBitmap;
  b->rawFormat = ImageFormatMemoryBMP;
  b->data->plane = std::move(plane);
  b->data->dpiX = dpiX;
  b->data->dpiY = dpiY;
  return b;
}

}  // namespace

GpImage* NewBitmapImage(ImageData&& data, const GUID& rawFormat) {
  auto* b = new GpBitmap;
  b->rawFormat = rawFormat;
  b->data->plane = std::move(data.plane);
  b->data->dpiX = data.dpiX;
  b->data->dpiY = data.dpiY;
  return b;
}

extern "C" {

GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  const GpStatus st = image->type == ImageTypeMetafile ? EndRecording(static_cast<GpMetafile&>(*image)) : Ok;
  delete image;
  return st;
}

GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height) {
  if (!image || !width || !height) return InvalidParameter;
  *width = REAL(image->data->plane.width());
  *height = REAL(image->data->plane.height());
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, uint32_t* width) {
  if (!image || !width) return InvalidParameter;
  *width = uint32_t(image->data->plane.width());
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, uint32_t* height) {
  if (!image || !height) return InvalidParameter;
  *height = uint32_t(image->data->plane.height());
  return Ok;
}

GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution) {
  if (!image || !resolution) return InvalidParameter;
  *resolution = image->data->dpiX;
  return Ok;
}

GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution) {
  if (!image || !resolution) return InvalidParameter;
  *resolution = image->data->dpiY;
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  if (!image || !format) return InvalidParameter;
  *format = image->data->plane.format();
  return Ok;
}

GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, uint32_t* count) {
  if (!image || !count) return InvalidParameter;
  *count = 1;
  return Ok;
}

GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensions, uint32_t count) {
  if (!image || !dimensions || count != 1) return InvalidParameter;
  dimensions[0] = DimensionOf(*image);
  return Ok;
}

GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, uint32_t* count) {
  if (!image || !dimension || !count) return InvalidParameter;
  if (!(*dimension == DimensionOf(*image))) return InvalidParameter;
  *count = image->frames ? image->frames->Count() : 1;
  return Ok;
}

GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, uint32_t index) {
  if (!image || !dimension || !(*dimension == DimensionOf(*image))) return InvalidParameter;
  if (image->lock.locked) return WrongState;
  const uint32_t count = image->frames ? image->frames->Count() : 1;
  if (index >= count) return InvalidParameter;
  if (!image->frames || index == image->activeFrame) return Ok;
  return Guarded([&] {
    ImageData frame;
    const GpStatus st = image->frames->Decode(index, frame);
    if (st != Ok) return st;
    if (image->colourManaged) ApplyEmbeddedProfile(frame);
    ImageData& d = *image->data;
    d.plane = std::move(frame.plane);
    if (image->frames->Dimension() == FrameDimensionPage) {
      d.dpiX = frame.dpiX;
      d.dpiY = frame.dpiY;
    }
    ++d.generation;
    image->activeFrame = index;
    return Ok;
  });
}

GpStatus GdipGetPropertyCount(GpImage* image, uint32_t* count) {
  if (!image || !count) return InvalidParameter;
  *count = uint32_t(image->properties.size());
  return Ok;
}

GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, uint32_t size, PropertyItem* buffer) {
  if (!image || !buffer) return InvalidParameter;
  for (const PropertyRecord& p : image->properties) {
    if (p.id != id) continue;
    if (size < sizeof(PropertyItem) + p.value.size()) return InvalidParameter;
    auto* bytes = reinterpret_cast<uint8_t*>(buffer);
    buffer->id = p.id;
    buffer->length = uint32_t(p.value.size());
    buffer->type = p.type;
    buffer->value = bytes + sizeof(PropertyItem);
    if (!p.value.empty()) std::memcpy(bytes + sizeof(PropertyItem), p.value.data(), p.value.size());
    return Ok;
  }
  return PropertyNotFound;
}

GpStatus GdipSetPropertyItem(GpImage* image, const PropertyItem* item) {
  if (!image || !item || (item->length && !item->value) || item->length > (16u << 20)) return InvalidParameter;
  return Guarded([&] {
    PropertyRecord rec{item->id, item->type, {}};
    if (item->length) {
      const auto* v = static_cast<const uint8_t*>(item->value);
      rec.value.assign(v, v + item->length);
    }
    for (PropertyRecord& p : image->properties) {
      if (p.id == item->id) {
        p = std::move(rec);
        return Ok;
      }
    }
    image->properties.push_back(std::move(rec));
    return Ok;
  });
}

GpStatus GdipGetAllPropertyItems(GpImage* image, uint32_t totalSize, uint32_t count, PropertyItem* items) {
  if (!image || !items || count != image->properties.size()) return InvalidParameter;
  uint64_t needed = uint64_t(count) * sizeof(PropertyItem);
  for (const PropertyRecord& p : image->properties) needed += p.value.size();
  if (totalSize < needed) return InvalidParameter;
  uint8_t* values = reinterpret_cast<uint8_t*>(items) + size_t(count) * sizeof(PropertyItem);
  for (uint32_t i = 0; i < count; ++i) {
    const PropertyRecord& p = image->properties[i];
    items[i] = PropertyItem{p.id, uint32_t(p.value.size()), p.type, values};
    if (!p.value.empty()) std::memcpy(values, p.value.data(), p.value.size());
    values += p.value.size();
  }
  return Ok;
}

GpStatus GdipCreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, PixelFormat format, uint8_t* scan0,
                                   GpBitmap** bitmap) {
  if (!bitmap || width <= 0 || height <= 0) return InvalidParameter;
  if (!Plane::Supported(format)) return format == PixelFormat48bppRGB || format == PixelFormat64bppARGB ||
                                                format == PixelFormat64bppPARGB || format == PixelFormat16bppGrayScale
                                            ? NotImplemented
                                            : InvalidParameter;
  if (uint64_t(width) * uint64_t(height) > kMaxPixels) return InvalidParameter;
  return Guarded([&] {
    Plane plane;
    if (scan0) {
      const int64_t rowBytes = (int64_t(width) * GetPixelFormatSize(format) + 7) / 8;
      if (stride % 4 != 0 || std::llabs(int64_t(stride)) < rowBytes) return InvalidParameter;
      plane.Borrow(scan0, stride, width, height, format);
    } else if (!plane.Allocate(width, height, format)) {
      return OutOfMemory;
    }
    *bitmap = NewBitmap(std::move(plane), 96, 96);
    return Ok;
  });
}

GpStatus GdipCreateBitmapFromGraphics(int32_t width, int32_t height, GpGraphics* target, GpBitmap** bitmap) {
  if (!target || !bitmap || width <= 0 || height <= 0) return InvalidParameter;
  return Guarded([&] {
    Plane plane;
    if (!plane.Allocate(width, height, PixelFormat32bppPARGB)) return OutOfMemory;
    *bitmap = NewBitmap(std::move(plane), target->target->dpiX(), target->target->dpiY());
    return Ok;
  });
}

GpStatus GdipCreateBitmapFromGdiDib(const void* info, void* bits, GpBitmap** bitmap) {
  if (!info || !bits || !bitmap) return InvalidParameter;
  return Guarded([&] {
    const auto* h = static_cast<const uint8_t*>(info);
    const uint32_t headerSize = Le32(h);
    if (headerSize < 40 || headerSize > 124) return InvalidParameter;
    const int64_t width = int32_t(Le32(h + 4)), height = int32_t(Le32(h + 8));
    const uint32_t bpp = Le16(h + 14), compression = Le32(h + 16), sizeImage = Le32(h + 20), used = Le32(h + 32);
    if (width <= 0 || height == 0 || uint64_t(width) * uint64_t(std::llabs(height)) > kMaxPixels) return InvalidParameter;
    const uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    const uint64_t bitsSize = (compression == 1 || compression == 2) ? sizeImage : stride * uint64_t(std::llabs(height));
    const uint64_t extra = compression == 3 && headerSize == 40 ? 12 : 0;
    const uint64_t colors = bpp <= 8 ? (used ? std::min<uint64_t>(used, uint64_t(1) << bpp) : uint64_t(1) << bpp) : 0;
    const uint64_t tableSize = extra + 4 * colors;
    const uint64_t total = 14 + headerSize + tableSize + bitsSize;
    if (total > (uint64_t(1) << 31)) return InvalidParameter;
    // A BMP file around the caller's header and bits, read by the file reader.
    std::vector<uint8_t> file(size_t(total), 0);
    file[0] = 'B';
    file[1] = 'M';
    const uint32_t offset = uint32_t(14 + headerSize + tableSize);
    for (int i = 0; i < 4; ++i) {
      file[2 + size_t(i)] = uint8_t(uint32_t(total) >> (8 * i));
      file[10 + size_t(i)] = uint8_t(offset >> (8 * i));
    }
    std::memcpy(file.data() + 14, h, size_t(headerSize + tableSize));
    std::memcpy(file.data() + offset, bits, size_t(bitsSize));
    ImageData data;
    const GpStatus st = DecodeBmp(file, data);
    if (st != Ok) return st;
    *bitmap = static_cast<GpBitmap*>(NewBitmapImage(std::move(data), ImageFormatMemoryBMP));
    return Ok;
  });
}

GpStatus GdipCreateBitmapFromHBITMAP(GpHBITMAP hbitmap, GpHPALETTE, GpBitmap** bitmap) {
  if (!hbitmap || !bitmap) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  const GpHostTable* host = Host();
  if (!host || !host->LockBitmap) return Win32Error;
  GpRawSurface s{};
  GpStatus st = host->LockBitmap(hbitmap, &s);
  if (st != Ok) return st;
  st = Guarded([&] {
    const PixelFormat format = DibPixelFormat(int(s.bitsPerPixel));
    if (format == PixelFormatUndefined) return InvalidParameter;
    if (!s.scan0 || s.width <= 0 || s.height <= 0) return InvalidParameter;
    const int64_t rowBytes = (int64_t(s.width) * s.bitsPerPixel + 7) / 8;
    if (std::llabs(int64_t(s.stride)) < rowBytes) return InvalidParameter;
    Plane view;
    view.Borrow(s.scan0, s.stride, s.width, s.height, format);
    if (view.indexed()) {
      view.palette().clear();
      for (uint32_t i = 0; s.palette && i < s.paletteSize && i < 256; ++i) view.palette().push_back(0xff000000u | s.palette[i]);
    }
    Plane copy = view.Clone();
    *bitmap = NewBitmap(std::move(copy), s.dpiX > 0 ? s.dpiX : 96, s.dpiY > 0 ? s.dpiY : 96);
    return Ok;
  });
  if (s.release) s.release(s.context, 0);
  return st;
}

GpStatus GdipBitmapSetResolution(GpBitmap* bitmap, REAL dpiX, REAL dpiY) {
  if (!bitmap || !std::isfinite(dpiX) || !std::isfinite(dpiY) || dpiX <= 0 || dpiY <= 0) return InvalidParameter;
  bitmap->data->dpiX = dpiX;
  bitmap->data->dpiY = dpiY;
  return Ok;
}

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, uint32_t flags, PixelFormat format, BitmapData* data) {
  if (!IsBitmap(bitmap) || !data) return InvalidParameter;
  if (!(flags & (ImageLockModeRead | ImageLockModeWrite)) || (flags & ~7u)) return InvalidParameter;
  if (bitmap->lock.locked) return WrongState;
  Plane& plane = bitmap->data->plane;
  const GpRect r = rect ? *rect : GpRect{0, 0, plane.width(), plane.height()};
  if (r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 || int64_t(r.X) + r.Width > plane.width() ||
      int64_t(r.Y) + r.Height > plane.height())
    return InvalidParameter;
  if (!Plane::Supported(format)) return InvalidParameter;
  if ((format & PixelFormatIndexed) && format != plane.format()) return InvalidParameter;
  return Guarded([&] {
    LockState& lock = bitmap->lock;
    const int32_t stride = int32_t(((int64_t(r.Width) * GetPixelFormatSize(format) + 31) / 32) * 4);
    if (flags & ImageLockModeUserInputBuf) {
      if (!data->Scan0 || std::llabs(int64_t(data->Stride)) < (int64_t(r.Width) * GetPixelFormatSize(format) + 7) / 8)
        return InvalidParameter;
      lock.buffer.clear();
      lock.scan0 = static_cast<uint8_t*>(data->Scan0);
      lock.stride = data->Stride;
    } else {
      lock.buffer.assign(size_t(stride) * size_t(r.Height), 0);
      lock.scan0 = lock.buffer.data();
      lock.stride = stride;
    }
    if (flags & ImageLockModeRead) {
      Plane view;
      view.Borrow(lock.scan0, lock.stride, r.Width, r.Height, format);
      view.palette() = plane.palette();
      CopyRect(plane, r.X, r.Y, view, 0, 0, r.Width, r.Height);
    }
    lock.locked = true;
    lock.rect = r;
    lock.flags = flags;
    lock.format = format;
    data->Width = uint32_t(r.Width);
    data->Height = uint32_t(r.Height);
    data->Stride = lock.stride;
    data->PixelFormat = format;
    data->Scan0 = lock.scan0;
    data->Reserved = 0;
    return Ok;
  });
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
  if (!bitmap || !data) return InvalidParameter;
  LockState& lock = bitmap->lock;
  if (!lock.locked) return WrongState;
  if (lock.flags & ImageLockModeWrite) {
    Plane view;
    view.Borrow(lock.scan0, lock.stride, lock.rect.Width, lock.rect.Height, lock.format);
    view.palette() = bitmap->data->plane.palette();
    CopyRect(view, 0, 0, bitmap->data->plane, lock.rect.X, lock.rect.Y, lock.rect.Width, lock.rect.Height);
    ++bitmap->data->generation;
  }
  lock = LockState{};
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
