#include "platform/gdi/metafile/emf_writer.h"

#include <cstring>

EmfRecordBuilder::EmfRecordBuilder(DWORD type) {
  U32(type);
  U32(0);
}

EmfRecordBuilder& EmfRecordBuilder::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
  return *this;
}

EmfRecordBuilder& EmfRecordBuilder::U16(uint16_t v) {
  bytes_.push_back(uint8_t(v));
  bytes_.push_back(uint8_t(v >> 8));
  return *this;
}

EmfRecordBuilder& EmfRecordBuilder::U8(uint8_t v) {
  bytes_.push_back(v);
  return *this;
}

EmfRecordBuilder& EmfRecordBuilder::F32(float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  return U32(u);
}

EmfRecordBuilder& EmfRecordBuilder::Bytes(std::span<const uint8_t> b) {
  bytes_.insert(bytes_.end(), b.begin(), b.end());
  return *this;
}

EmfRecordBuilder& EmfRecordBuilder::Pad4() {
  while (bytes_.size() % 4) bytes_.push_back(0);
  return *this;
}

void EmfRecordBuilder::Patch(uint32_t offset, uint32_t v) {
  for (int i = 0; i < 4 && offset + i < bytes_.size(); ++i) bytes_[offset + i] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> EmfRecordBuilder::Finish() {
  Pad4();
  Patch(4, uint32_t(bytes_.size()));
  return std::move(bytes_);
}

EmfWriter::EmfWriter(const RECTL& bounds, const RECTL& frame, SIZEL devicePixels, SIZEL deviceMillimetres) {
  EmfRecordBuilder h(EMR_HEADER);
  h.Rect(bounds).Rect(frame).U32(ENHMETA_SIGNATURE).U32(0x10000);
  h.U32(0).U32(0);          // nBytes, nRecords: completed by Finish
  h.U16(0).U16(0);          // nHandles, reserved
  h.U32(0).U32(0).U32(0);   // no description, no palette
  h.I32(devicePixels.cx).I32(devicePixels.cy).I32(deviceMillimetres.cx).I32(deviceMillimetres.cy);
  h.U32(0).U32(0).U32(0);   // no pixel format, no OpenGL
  h.I32(deviceMillimetres.cx * 1000).I32(deviceMillimetres.cy * 1000);
  Add(h);
}

void EmfWriter::Add(EmfRecordBuilder& record) {
  const std::vector<uint8_t> b = record.Finish();
  AddBytes(b);
}

void EmfWriter::AddBytes(std::span<const uint8_t> b) {
  if (b.size() >= 4 && b[0] == EMR_EOF && b[1] == 0 && b[2] == 0 && b[3] == 0) eof_ = true;
  bytes_.insert(bytes_.end(), b.begin(), b.end());
  ++records_;
}

void EmfWriter::Add(DWORD type, std::initializer_list<uint32_t> params) {
  EmfRecordBuilder r(type);
  for (uint32_t p : params) r.U32(p);
  Add(r);
}

std::vector<uint8_t> EmfWriter::Finish(uint16_t handles) {
  if (!eof_) {
    EmfRecordBuilder eof(EMR_EOF);
    eof.U32(0).U32(16).U32(20);
    Add(eof);
  }
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = uint8_t(v >> (8 * i));
  };
  put(48, uint32_t(bytes_.size()));
  put(52, records_);
  bytes_[56] = uint8_t(handles);
  bytes_[57] = uint8_t(handles >> 8);
  return std::move(bytes_);
}
