// Recognising files by their first bytes, and the JPEG marker scan.
#include <gtest/gtest.h>

#include "pdf/content/image_import/image_file_type.h"
#include "pdf/content/image_import/jpeg_header.h"

namespace {

std::string LE16(int v) { return {char(v), char(v >> 8)}; }
std::string LE32(uint32_t v) { return LE16(int(v & 0xFFFF)) + LE16(int(v >> 16)); }
std::string BE16(int v) { return {char(v >> 8), char(v)}; }

std::string PlaceableWMF(bool goodChecksum) {
  std::string h = LE32(0x9AC6CDD7) + LE16(0) + LE16(0) + LE16(0) + LE16(100) + LE16(50) + LE16(1440) + LE32(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(uint8_t(h[i]) | (uint8_t(h[i + 1]) << 8));
  return h + LE16(goodChecksum ? sum : sum ^ 1) + std::string(30, '\0');
}

std::string EMF() {
  std::string h = LE32(1) + std::string(36, '\0') + LE32(0x464D4520) + std::string(56, '\0');
  return h;
}

TEST(ImageFileType, Signatures) {
  struct {
    std::string head;
    int type;
  } cases[] = {
      {PlaceableWMF(true), kImageFileWMF},
      {PlaceableWMF(false), kImageFileUnknown},
      {EMF(), kImageFileEMF},
      {EMF().substr(0, 99), kImageFileUnknown},  // shorter than the bytes the test reads
      {std::string("BM\x10\0\0\0\0\0\0\0", 10) + "abcd", kImageFileBMP},
      {std::string("BM\x10\0\0\0\x01\0\0\0", 10) + "abcd", kImageFileUnknown},  // reserved word set
      {std::string("BM\x10\0\0\0\0\0\0\0", 10) + "abc", kImageFileUnknown},     // 13 bytes
      {"\xFF\xD8", kImageFileJPEG},
      {"\xFF\xD9", kImageFileUnknown},
      {"II*", kImageFileTIFF},
      {"MM", kImageFileTIFF},
      {std::string("\x89PNG\r\n\x1A\n", 8), kImageFilePNG},
      {std::string("\x89PNG\r\n\x1A", 7), kImageFileUnknown},
      {"GIF87a", kImageFileGIF},
      {"GIF89a...", kImageFileGIF},
      {"GIF88a", kImageFileUnknown},
      {std::string("\0\0\1\0\1\0", 6), kImageFileICO},
      {std::string("\0\0\2\0\3\0", 6), kImageFileICO},      // a cursor
      {std::string("\0\0\1\0\0\0", 6), kImageFileUnknown},  // no entries
      {std::string("\0\0\3\0\1\0", 6), kImageFileUnknown},
      {std::string("\0\0\1\0\1", 5), kImageFileUnknown},
      {"", kImageFileUnknown},
  };
  for (const auto& t : cases) {
    TMemoryStream s(t.head);
    s.SetPosition(int64_t(t.head.size()));
    EXPECT_EQ(DetectImageFileType(s), t.type) << t.head.substr(0, 6);
    EXPECT_EQ(s.Position(), 0);
  }
}

std::string Segment(int code, const std::string& body) {
  return std::string("\xFF", 1) + char(code) + BE16(int(body.size()) + 2) + body;
}

std::string SOF(int code, int h, int w, int comps) {
  return Segment(code, std::string(1, 8) + BE16(h) + BE16(w) + char(comps) + std::string(3 * comps, '\x11'));
}

std::string JFIF(int unit, int x, int y) {
  return Segment(0xE0, std::string("JFIF\0\x01\x02", 7) + char(unit) + BE16(x) + BE16(y) + std::string(2, '\0'));
}

// A little-endian TIFF header and one directory with X and Y resolution rationals.
std::string Exif(uint32_t xn, uint32_t xd, uint32_t yn, uint32_t yd, int unit = 2) {
  std::string t = std::string("II*\0", 4) + LE32(8);
  t += LE16(3);
  t += LE16(282) + LE16(5) + LE32(1) + LE32(8 + 2 + 36 + 4);
  t += LE16(283) + LE16(5) + LE32(1) + LE32(8 + 2 + 36 + 4 + 8);
  t += LE16(296) + LE16(3) + LE32(1) + LE16(unit) + LE16(0);
  t += LE32(0) + LE32(xn) + LE32(xd) + LE32(yn) + LE32(yd);
  return Segment(0xE1, std::string("Exif\0\0", 6) + t);
}

const std::string kSOI = "\xFF\xD8";

TEST(JPEGHeader, MarkerScan) {
  struct {
    const char* why;
    std::string data;
    int w, h, comps, unit, x, y;
  } cases[] = {
      {"plain", kSOI + SOF(0xC0, 10, 20, 3), 20, 10, 3, -1, 0, 0},
      {"progressive grey", kSOI + SOF(0xC2, 7, 9, 1), 9, 7, 1, -1, 0, 0},
      {"JFIF dpi", kSOI + JFIF(1, 300, 300) + SOF(0xC0, 1, 2, 3), 2, 1, 3, 1, 300, 300},
      {"JFIF dpcm", kSOI + JFIF(2, 118, 59) + SOF(0xC1, 1, 2, 4), 2, 1, 4, 2, 118, 59},
      {"Exif without JFIF", kSOI + Exif(200, 1, 150, 1) + SOF(0xC0, 1, 2, 3), 2, 1, 3, -1, 0, 0},
      {"Exif after JFIF unit 0", kSOI + JFIF(0, 1, 1) + Exif(200, 1, 150, 1) + SOF(0xC0, 1, 2, 3), 2, 1, 3, 1, 200, 150},
      {"Exif in centimetres", kSOI + JFIF(0, 1, 1) + Exif(118, 1, 59, 1, 3) + SOF(0xC0, 1, 2, 3), 2, 1, 3, 1, 300, 150},
      {"Exif zero denominator", kSOI + JFIF(0, 1, 1) + Exif(200, 0, 150, 1) + SOF(0xC0, 1, 2, 3), 2, 1, 3, 1, 0, 150},
      {"Exif without resolution after JFIF unit 0",
       kSOI + JFIF(0, 1, 1) + Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0", 14)) + SOF(0xC0, 1, 2, 3), 2, 1,
       3, 1, 0, 0},
      {"Exif after JFIF dpi", kSOI + JFIF(1, 72, 72) + Exif(200, 1, 150, 1) + SOF(0xC0, 1, 2, 3), 2, 1, 3, 1, 72, 72},
      {"fill bytes and restart markers", kSOI + "\xFF\xFF\xFF\xD3\xFF\x01" + SOF(0xC0, 3, 4, 3), 4, 3, 3, -1, 0, 0},
      {"other segments skipped", kSOI + Segment(0xDB, std::string(65, 'q')) + Segment(0xFE, "hi") + SOF(0xC0, 3, 4, 3), 4, 3, 3, -1, 0, 0},
      {"no SOI", SOF(0xC0, 3, 4, 3), 0, 0, 3, -1, 0, 0},
      {"garbage between markers", kSOI + "x" + SOF(0xC0, 3, 4, 3), 0, 0, 3, -1, 0, 0},
      {"hierarchical frames are not read", kSOI + SOF(0xC5, 3, 4, 3), 0, 0, 3, -1, 0, 0},
      {"cut frame header", kSOI + SOF(0xC0, 3, 4, 3).substr(0, 9), 0, 0, 3, -1, 0, 0},
      {"short JFIF", kSOI + Segment(0xE0, std::string("JFIF\0\x01\x02\x01", 8)) + SOF(0xC0, 3, 4, 3), 4, 3, 3, -1, 0, 0},
  };
  for (const auto& t : cases) {
    TJPEGHeaderInfo info;
    ParseJPEGHeader(t.data, info);
    EXPECT_EQ(info.Width, t.w) << t.why;
    EXPECT_EQ(info.Height, t.h) << t.why;
    EXPECT_EQ(info.Components, t.comps) << t.why;
    EXPECT_EQ(info.Unit, t.unit) << t.why;
    EXPECT_EQ(info.XDensity, t.x) << t.why;
    EXPECT_EQ(info.YDensity, t.y) << t.why;
  }
}

// Lengths below 2 or past the data end the scan; nothing seeks back, nothing loops.
TEST(JPEGHeader, BadSegmentLengthsEndTheScan) {
  const std::string after = SOF(0xC0, 3, 4, 3);
  for (int code : {0xE0, 0xE1, 0xDB, 0xFE}) {
    for (int length : {0, 1}) {
      TJPEGHeaderInfo info;
      ParseJPEGHeader(kSOI + "\xFF" + char(code) + BE16(length) + after, info);
      EXPECT_EQ(info.Width, 0) << code << " " << length;
    }
    TJPEGHeaderInfo info;
    ParseJPEGHeader(kSOI + "\xFF" + char(code) + BE16(1000) + "short" + after, info);
    EXPECT_EQ(info.Width, 0) << code;
  }
  // An Exif directory pointing outside its segment, or counting more entries than it holds.
  std::string exif = Exif(200, 1, 150, 1);
  exif[4 + 6 + 4] = char(0xF0);  // first directory offset far away
  TJPEGHeaderInfo info;
  ParseJPEGHeader(kSOI + JFIF(0, 1, 1) + exif + after, info);
  EXPECT_EQ(info.Unit, 1);  // the Exif segment still stands for dots per inch, of no resolution
  EXPECT_EQ(info.XDensity, 0);
  EXPECT_EQ(info.YDensity, 0);
  EXPECT_EQ(info.Width, 4);
  std::string many = Exif(200, 1, 150, 1);
  many[4 + 6 + 8] = char(0xFF), many[4 + 6 + 9] = char(0xFF);  // 65535 entries
  ParseJPEGHeader(kSOI + JFIF(0, 1, 1) + many + after, info);
  EXPECT_EQ(info.Width, 4);
  EXPECT_EQ(info.XDensity, 200);
  // Rationals pointing past the data give 0.
  std::string far = Exif(200, 1, 150, 1);
  far[4 + 6 + 8 + 2 + 8] = char(0x7F);
  ParseJPEGHeader(kSOI + JFIF(0, 1, 1) + far + after, info);
  EXPECT_EQ(info.XDensity, 0);
  EXPECT_EQ(info.YDensity, 150);
}

TEST(JPEGHeader, FromAStream) {
  TMemoryStream s(kSOI + JFIF(1, 96, 96) + SOF(0xC0, 5, 6, 1));
  s.SetPosition(7);
  TJPEGHeaderInfo info;
  ReadJPEGHeader(s, info);
  EXPECT_EQ(info.Width, 6);
  EXPECT_EQ(info.Precision, 8);
  EXPECT_EQ(info.Frame, 0xC0);
}

}  // namespace
