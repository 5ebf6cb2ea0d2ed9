#include "tests/app/support/quadrants_wmf.h"

#include <initializer_list>

namespace apptest {

std::string QuadrantsWmf(int side) {
  std::string body;
  auto words = [&body](std::initializer_list<int> ws) {
    for (int w : ws) {
      body += char(w & 0xff);
      body += char((w >> 8) & 0xff);
    }
  };
  auto record = [&](int function, std::initializer_list<int> params) {
    const int size = 3 + int(params.size());
    words({size & 0xffff, size >> 16, function});
    words(params);
  };
  record(0x020B, {0, 0});                 // SETWINDOWORG
  record(0x020C, {side, side});           // SETWINDOWEXT
  record(0x02FA, {5, 0, 0, 0, 0});        // CREATEPENINDIRECT, PS_NULL: object 0
  record(0x012D, {0});                    // SELECTOBJECT
  const int h = side / 2;
  const struct { int r, g, b, left, top; } quads[] = {
      {255, 0, 0, 0, 0}, {0, 255, 0, h, 0}, {0, 0, 255, 0, h}, {255, 255, 255, h, h}};
  for (const auto& q : quads) {
    record(0x02FC, {0, q.r | (q.g << 8), q.b, 0});  // CREATEBRUSHINDIRECT, solid: object 1
    record(0x012D, {1});
    record(0x041B, {q.top + h, q.left + h, q.top, q.left});  // RECTANGLE bottom, right, top, left
    record(0x01F0, {1});                                     // DELETEOBJECT
  }
  record(0x0000, {});
  std::string out;
  auto put = [&out](int v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xff);
  };
  // Placeable header with its checksum (the XOR of its first ten words).
  const int header[10] = {0xCDD7, 0x9AC6, 0, 0, 0, side, side, 72, 0, 0};
  int checksum = 0;
  for (int w : header) {
    put(w, 2);
    checksum ^= w;
  }
  put(checksum, 2);
  const int totalWords = 9 + int(body.size()) / 2;
  put(1, 2), put(9, 2), put(0x300, 2), put(totalWords, 4), put(2, 2), put(9, 4), put(0, 2);
  return out + body;
}

}  // namespace apptest
