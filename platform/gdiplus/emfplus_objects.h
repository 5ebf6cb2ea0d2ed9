// EMF+ records and the objects they carry (paths, brushes, pens, regions, images), laid out
// as the published EMF+ format has them: little-endian, 32-bit aligned, each record a
// 16-bit type, 16-bit flags, total size and data size ahead of its data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/metafile/emf_writer.h"
#include "platform/gdiplus/gp_internal.h"

namespace gdiplus::emfplus {

// Record types.
inline constexpr uint16_t kHeader = 0x4001, kEndOfFile = 0x4002, kObject = 0x4008, kClear = 0x4009,
                          kFillPath = 0x4014, kDrawPath = 0x4015, kDrawImagePoints = 0x401B,
                          kSetAntiAliasMode = 0x401E, kSetInterpolationMode = 0x4021,
                          kSetPixelOffsetMode = 0x4022, kSetCompositingMode = 0x4023,
                          kSetCompositingQuality = 0x4024, kSave = 0x4025, kRestore = 0x4026,
                          kSetWorldTransform = 0x402A, kResetWorldTransform = 0x402B,
                          kSetPageTransform = 0x4030, kResetClip = 0x4031, kSetClipPath = 0x4033,
                          kSetClipRegion = 0x4034;

// Object types, in bits 8 to 14 of an object record's flags.
inline constexpr uint16_t kObjectBrush = 1, kObjectPen = 2, kObjectPath = 3, kObjectRegion = 4, kObjectImage = 5;

// Every object and the header name the format's version: GDI+ 1.1 under the EMF+ signature.
inline constexpr uint32_t kGraphicsVersion = 0xDBC01002;

// The number of object slots a metafile addresses (an object record's low flag byte).
inline constexpr uint32_t kObjectSlots = 64;

// The flag of a fill whose brush field holds a colour rather than an object slot.
inline constexpr uint16_t kSolidColourFlag = 0x8000;
// The flag of a path whose interior is filled by the winding rule.
inline constexpr uint32_t kWindingPathFlag = 0x2000;

// One EMF+ record under construction. The EMF record builder lays out the same
// little-endian fields; its leading 32-bit type word here carries type and flags, and the
// size it completes is the record's total size.
class Record {
 public:
  Record(uint16_t type, uint16_t flags);
  EmfRecordBuilder& data() { return builder_; }
  // The finished record: padded to 4 bytes, size and data size filled in.
  std::vector<uint8_t> Finish();

 private:
  EmfRecordBuilder builder_;
};

// Objects, appended to a record's data.
void WritePath(EmfRecordBuilder& out, std::span<const GpPointF> points, std::span<const uint8_t> types,
               GpFillMode fillMode);
void WriteSolidBrush(EmfRecordBuilder& out, ARGB colour);
void WriteBrush(EmfRecordBuilder& out, const GpBrush& brush);
void WritePen(EmfRecordBuilder& out, const GpPen& pen);
void WriteRegion(EmfRecordBuilder& out, const RegionPtr& root);
// A 32-bit ARGB bitmap of straight (not premultiplied) pixels, rows top to bottom.
void WriteBitmap(EmfRecordBuilder& out, int32_t width, int32_t height, std::span<const ARGB> pixels);
void WriteMatrix(EmfRecordBuilder& out, const Affine& m);

// Straight ARGB pixels of a premultiplied cairo image surface; empty when it has none.
std::vector<ARGB> SurfacePixels(cairo_surface_t* surface, int32_t& width, int32_t& height);

}  // namespace gdiplus::emfplus
