// Small metafiles for the benchmarks: sixteen filled rectangles in a 4 x 4 grid, written record
// by record as an enhanced metafile and as a placeable WMF.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace benchmeta {

class Bytes {
 public:
  Bytes& U16(uint32_t v) {
    data.push_back(uint8_t(v));
    data.push_back(uint8_t(v >> 8));
    return *this;
  }
  Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& Words(std::initializer_list<int> values) {
    for (int v : values) U16(uint32_t(v) & 0xFFFF);
    return *this;
  }
  void Save(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  std::vector<uint8_t> data;
};

struct Cell {
  int left, top, right, bottom;
  uint32_t colorRef;
};

inline std::vector<Cell> Cells(int w, int h) {
  std::vector<Cell> cells;
  for (int i = 0; i < 16; ++i) {
    const uint32_t c = uint32_t(i) * 0x0F1D2B + 0x203040;
    cells.push_back({(i % 4) * w / 4, (i / 4) * h / 4, (i % 4 + 1) * w / 4, (i / 4 + 1) * h / 4, c & 0xFFFFFF});
  }
  return cells;
}

inline void WriteEmf(const std::string& path, int w, int h) {
  Bytes body;
  int records = 1;
  body.U32(37).U32(12).U32(0x80000008);  // select the null pen
  for (const Cell& c : Cells(w, h)) {
    body.U32(39).U32(24).U32(1).U32(0).U32(c.colorRef).U32(0);  // create brush 1
    body.U32(37).U32(12).U32(1);                                // select it
    body.U32(43).U32(24).U32(uint32_t(c.left)).U32(uint32_t(c.top)).U32(uint32_t(c.right + 1)).U32(uint32_t(c.bottom + 1));
    body.U32(37).U32(12).U32(0x80000000);  // select the white brush
    body.U32(40).U32(12).U32(1);           // delete brush 1
    records += 5;
  }
  body.U32(14).U32(20).U32(0).U32(16).U32(20);  // end of file
  ++records;
  Bytes file;
  file.U32(1).U32(88).U32(0).U32(0).U32(uint32_t(w - 1)).U32(uint32_t(h - 1));
  file.U32(0).U32(0).U32(uint32_t(w * 2540 / 96)).U32(uint32_t(h * 2540 / 96));
  file.U32(0x464D4520).U32(0x10000).U32(uint32_t(88 + body.data.size())).U32(uint32_t(records + 1));
  file.U16(2).U16(0).U32(0).U32(0).U32(0).U32(1024).U32(768).U32(271).U32(203);
  file.data.insert(file.data.end(), body.data.begin(), body.data.end());
  file.Save(path);
}

inline void WriteWmf(const std::string& path, int w, int h) {
  Bytes body;
  uint32_t largest = 0;
  auto record = [&](uint16_t function, std::initializer_list<int> params) {
    const uint32_t words = 3 + uint32_t(params.size());
    largest = std::max(largest, words);
    body.U32(words).U16(function).Words(params);
  };
  record(0x020B, {0, 0});  // window origin
  record(0x020C, {h, w});  // window extent
  body.U32(8).U16(0x02FA).U16(5).Words({0, 0}).U32(0);  // null pen
  largest = std::max(largest, 8u);
  record(0x012D, {0});
  for (const Cell& c : Cells(w, h)) {
    body.U32(7).U16(0x02FC).U16(0).U32(c.colorRef).U16(0);  // brush
    record(0x012D, {1});
    record(0x041B, {c.bottom + 1, c.right + 1, c.top, c.left});
    record(0x01F0, {1});
  }
  record(0x0000, {});
  Bytes file;
  const int placeable[] = {0, 0, 0, w, h, 96};
  file.U32(0x9AC6CDD7);
  uint16_t check = 0xCDD7 ^ 0x9AC6;
  for (int v : placeable) {
    file.U16(uint32_t(v));
    check ^= uint16_t(v);
  }
  file.U32(0).U16(check);
  file.U16(1).U16(9).U16(0x300).U32(uint32_t(9 + body.data.size() / 2)).U16(2).U32(largest).U16(0);
  file.data.insert(file.data.end(), body.data.begin(), body.data.end());
  file.Save(path);
}

}  // namespace benchmeta
