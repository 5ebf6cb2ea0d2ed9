// Recording a Graphics into an EMF+ metafile: every state change and drawing call of a
// Graphics made on a recording metafile becomes an EMF+ record inside an EMF comment; ending
// the recording writes the whole EMF to the stream it was begun on.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "platform/gdi/metafile/emf_writer.h"
#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {

class MetafileRecorder {
 public:
  // A recording of width x height device pixels into `stream` (held until the end), or into an
  // open file (closed by the recorder).
  MetafileRecorder(IStream* stream, int32_t width, int32_t height);
  MetafileRecorder(std::FILE* file, int32_t width, int32_t height);
  ~MetafileRecorder();
  MetafileRecorder(const MetafileRecorder&) = delete;
  MetafileRecorder& operator=(const MetafileRecorder&) = delete;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool ended() const { return ended_; }
  // The one Graphics a recording hands out.
  bool graphicsTaken = false;

  // State.
  void SetAntiAliasMode(SmoothingMode mode, bool antialias);
  void SetInterpolationMode(InterpolationMode mode);
  void SetPixelOffsetMode(PixelOffsetMode mode);
  void SetCompositingMode(CompositingMode mode);
  void SetCompositingQuality(CompositingQuality quality);
  void SetPageTransform(GpUnit unit, float scale);
  void SetWorldTransform(const Affine& m);
  void ResetWorldTransform();
  void Save(uint32_t stackIndex);
  void Restore(uint32_t stackIndex);
  void SetClipPath(const GpPath& path, CombineMode mode);
  void SetClipRegion(const RegionPtr& region, CombineMode mode);
  void ResetClip();

  // Drawing.
  void Clear(ARGB colour);
  void FillPath(const GpBrush& brush, const GpPath& path);
  void DrawPath(const GpPen& pen, const GpPath& path);
  // The source rectangle (in pixels of `pixels`) onto the parallelogram of three corners.
  void DrawImagePoints(int32_t width, int32_t height, std::span<const ARGB> pixels, const GpRectF& source,
                       const GpPointF corners[3]);

  // Writes the end-of-file records and the EMF to the stream; the status of that write
  // (Ok when it was done before).
  GpStatus End();

 private:
  void AddHeader();
  void Add(std::vector<uint8_t> record);
  void AddFlagOnly(uint16_t type, uint16_t flags);
  uint8_t NextSlot();
  template <typename Write>
  uint8_t AddObject(uint16_t objectType, Write write);

  IStream* stream_ = nullptr;
  std::FILE* file_ = nullptr;
  int32_t width_, height_;
  EmfWriter emf_;
  uint32_t nextSlot_ = 0;
  uint64_t bytes_ = 0;  // of the records added so far
  bool tooLarge_ = false;
  bool ended_ = false;
  GpStatus endStatus_ = Ok;
};

}  // namespace gdiplus
