// Building EMF bytes record by record (the WMF translator's output).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/metafile/emf_types.h"

class EmfRecordBuilder {
 public:
  explicit EmfRecordBuilder(DWORD type);
  EmfRecordBuilder& U32(uint32_t v);
  EmfRecordBuilder& I32(int32_t v) { return U32(uint32_t(v)); }
  EmfRecordBuilder& U16(uint16_t v);
  EmfRecordBuilder& U8(uint8_t v);
  EmfRecordBuilder& F32(float v);
  EmfRecordBuilder& Point(POINTL p) { return I32(p.x).I32(p.y); }
  EmfRecordBuilder& Rect(const RECTL& r) { return I32(r.left).I32(r.top).I32(r.right).I32(r.bottom); }
  EmfRecordBuilder& Bytes(std::span<const uint8_t> b);
  EmfRecordBuilder& Pad4();
  // Offset of the next byte from the record's start.
  uint32_t Offset() const { return uint32_t(bytes_.size()); }
  // Overwrites a 32-bit value written earlier.
  void Patch(uint32_t offset, uint32_t v);
  // The finished record (padded, size filled in).
  std::vector<uint8_t> Finish();

 private:
  std::vector<uint8_t> bytes_;
};

class EmfWriter {
 public:
  // The header's frame (0.01 mm), bounds (device pixels) and reference device.
  EmfWriter(const RECTL& bounds, const RECTL& frame, SIZEL devicePixels, SIZEL deviceMillimetres);
  void Add(EmfRecordBuilder& record);
  // A finished record (type, size and parameters, padded).
  void AddBytes(std::span<const uint8_t> record);
  void Add(DWORD type, std::initializer_list<uint32_t> params);
  // Writes EOF (when not yet written) and completes the header's counts.
  std::vector<uint8_t> Finish(uint16_t handles);

 private:
  std::vector<uint8_t> bytes_;
  uint32_t records_ = 0;
  bool eof_ = false;
};
