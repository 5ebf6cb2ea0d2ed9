#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <sstream>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "platform/rtl/exceptions.h"
#include "tests/support/test_support.h"

namespace ccitt_test {

TBitmap TBitmap::Inverted() const {
  TBitmap r(Width, Height);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) r.Set(x, y, !Get(x, y));
  return r;
}

TBitmap RandomBitmap(int w, int h, uint32_t seed, int black_percent) {
  std::mt19937 rng(seed);
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Set(x, y, static_cast<int>(rng() % 100) < black_percent);
  return b;
}

TBitmap RandomRunsBitmap(int w, int h, uint32_t seed, int max_run) {
  std::mt19937 rng(seed);
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    bool black = rng() % 2 == 0;
    for (int x = 0; x < w;) {
      const int run = 1 + static_cast<int>(rng() % max_run);
      for (int i = 0; i < run && x < w; ++i, ++x) b.Set(x, y, black);
      black = !black;
    }
  }
  return b;
}

TBitmap AllRunLengthsBitmap() {
  // Every terminating length, every make-up multiple with its neighbours, and runs past
  // the largest make-up code, in both colours.
  std::vector<int> lengths;
  for (int i = 0; i <= 130; ++i) lengths.push_back(i);
  for (int k = 2; k <= 45; ++k)
    for (int d : {-1, 0, 1, 63}) lengths.push_back(k * 64 + d);
  lengths.push_back(2690);
  const int width = 6000;  // two of the longest runs (2943) fit in one row
  const size_t n = lengths.size();
  std::vector<std::vector<std::pair<bool, int>>> rows(1);
  int used = 0;
  for (size_t i = 0; i < n; ++i) {
    const int white = lengths[i];
    const int black = lengths[(i * 7 + 3) % n];
    if (used + white + black > width) {
      rows.emplace_back();
      used = 0;
    }
    rows.back().push_back({false, white});
    rows.back().push_back({true, black});
    used += white + black;
  }
  TBitmap b(width, static_cast<int>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    int x = 0;
    for (const auto& [black, len] : rows[y])
      for (int i = 0; i < len; ++i) b.Set(x++, static_cast<int>(y), black);
  }
  return b;
}

TBitmap Checkerboard(int w, int h) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Set(x, y, ((x + y) & 1) != 0);
  return b;
}

std::string WritePBM(const TBitmap& b) {
  std::string s = "P4\n" + std::to_string(b.Width) + " " + std::to_string(b.Height) + "\n";
  s.append(b.Bits.begin(), b.Bits.end());
  return s;
}

namespace {

// Next header token of a PNM file, skipping comments.
bool Token(const std::string& f, size_t& pos, std::string& tok) {
  tok.clear();
  while (pos < f.size()) {
    const char c = f[pos];
    if (c == '#') {
      while (pos < f.size() && f[pos] != '\n') ++pos;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++pos;
    } else {
      break;
    }
  }
  while (pos < f.size() && !std::isspace(static_cast<unsigned char>(f[pos]))) tok += f[pos++];
  return !tok.empty();
}

}  // namespace

bool ParsePBM(const std::string& file, TBitmap& out) {
  size_t pos = 0;
  std::string magic, ws, hs;
  if (!Token(file, pos, magic) || !Token(file, pos, ws) || !Token(file, pos, hs)) return false;
  const int w = std::stoi(ws), h = std::stoi(hs);
  out = TBitmap(w, h);
  if (magic == "P4") {
    ++pos;  // the single white-space character after the height
    const size_t need = static_cast<size_t>(TBitmap::RowBytes(w)) * h;
    if (file.size() < pos + need) return false;
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(pos),
              file.begin() + static_cast<std::ptrdiff_t>(pos + need), out.Bits.begin());
    return true;
  }
  if (magic == "P1") {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        while (pos < file.size() && file[pos] != '0' && file[pos] != '1') ++pos;
        if (pos >= file.size()) return false;
        out.Set(x, y, file[pos++] == '1');
      }
    return true;
  }
  return false;
}

std::string Difference(const TBitmap& expected, const TBitmap& actual) {
  std::ostringstream s;
  if (expected.Width != actual.Width || expected.Height != actual.Height) {
    s << "size " << actual.Width << "x" << actual.Height << ", expected " << expected.Width << "x"
      << expected.Height;
    return s.str();
  }
  for (int y = 0; y < expected.Height; ++y)
    for (int x = 0; x < expected.Width; ++x)
      if (expected.Get(x, y) != actual.Get(x, y)) {
        s << "first difference at x " << x << ", y " << y << " (expected " << expected.Get(x, y) << ")";
        return s.str();
      }
  // Bits past the last column must stay 0.
  if (expected.Bits != actual.Bits) return "padding bits past the last column differ";
  return "";
}

TBitmap FromRows(const std::vector<uint8_t>& rows, int columns) {
  const int rb = TBitmap::RowBytes(columns);
  TBitmap b(columns, static_cast<int>(rows.size() / rb));
  std::copy(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(b.Bits.size()), b.Bits.begin());
  return b;
}

namespace {

struct TTiffCursor {
  const std::string& f;
  bool big;
  bool ok = true;
  uint32_t U16(size_t at) {
    if (at + 2 > f.size()) return ok = false, 0;
    const auto b0 = static_cast<uint8_t>(f[at]), b1 = static_cast<uint8_t>(f[at + 1]);
    return big ? (b0 << 8 | b1) : (b1 << 8 | b0);
  }
  uint32_t U32(size_t at) {
    const uint32_t lo = U16(big ? at + 2 : at), hi = U16(big ? at : at + 2);
    return hi << 16 | lo;
  }
};

}  // namespace

bool ReadTiffStrip(const std::string& file, TTiffStrip& out) {
  if (file.size() < 8 || (file.compare(0, 2, "II") != 0 && file.compare(0, 2, "MM") != 0)) return false;
  TTiffCursor c{file, file[0] == 'M'};
  const uint32_t ifd = c.U32(4);
  const uint32_t n = c.U16(ifd);
  uint32_t offset = 0, count = 0, strips = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const size_t e = ifd + 2 + 12 * i;
    const uint32_t tag = c.U16(e), type = c.U16(e + 2), cnt = c.U32(e + 4);
    const uint32_t value = type == 3 ? c.U16(e + 8) : c.U32(e + 8);
    switch (tag) {
      case 256: out.Width = static_cast<int>(value); break;
      case 257: out.Height = static_cast<int>(value); break;
      case 259: out.Compression = static_cast<int>(value); break;
      case 262: out.Photometric = static_cast<int>(value); break;
      case 266: out.FillOrder = static_cast<int>(value); break;
      case 273: offset = value; strips = cnt; break;
      case 279: count = value; break;
      case 292: out.T4Options = value; break;
      default: break;
    }
  }
  if (!c.ok || strips != 1 || static_cast<size_t>(offset) + count > file.size()) return false;
  out.Data = file.substr(offset, count);
  return true;
}

bool DecodeStrip(const TTiffStrip& strip, int rows, TBitmap& out, std::string* error) {
  const bool align = (strip.T4Options & 4) != 0;
  const int32_t k = strip.Compression == 4 ? -1 : (strip.T4Options & 1) ? 1 : 0;
  const std::string_view data(strip.Data);
  TZRXCCITTDecoder d(strip.Width, 1, false, align, strip.FillOrder, rows);
  std::vector<uint8_t> output;
  // The same data decoded a row at a time, as a page draws them, give the same rows.
  TZRXCCITTDecoder one_by_one(strip.Width, 1, false, align, strip.FillOrder, rows);
  std::vector<uint8_t> handed;
  const TZRXCCITTDecoder::TRowHandler keep = [&](int64_t r, std::span<const uint8_t> bits) {
    if (size_t(r) * bits.size() != handed.size()) return false;
    handed.insert(handed.end(), bits.begin(), bits.end());
    return true;
  };
  bool ok = true;
  try {
    ok = d.Decode(k, output, data);
    const bool ok_by_rows = one_by_one.Decode(k, keep, data);
    if (ok_by_rows != ok ||
        (ok && (handed.size() > output.size() || !std::equal(handed.begin(), handed.end(), output.begin()) ||
                std::any_of(output.begin() + std::ptrdiff_t(handed.size()), output.end(),
                            [](uint8_t b) { return b != 0; })))) {
      if (error) *error = "the rows decoded one at a time differ from the whole decode";
      return false;
    }
  } catch (const Exception& e) {
    if (error) *error = e.Message();
    return false;
  }
  out = FromRows(output, strip.Width);
  return ok;
}

std::string ToBitString(const std::string& bytes) {
  std::string s;
  s.reserve(bytes.size() * 8);
  for (unsigned char b : bytes)
    for (int i = 7; i >= 0; --i) s += ((b >> i) & 1) ? '1' : '0';
  return s;
}

std::string FromBitString(const std::string& bits) {
  std::string bytes((bits.size() + 7) / 8, '\0');
  for (size_t i = 0; i < bits.size(); ++i)
    if (bits[i] == '1') bytes[i / 8] = static_cast<char>(bytes[i / 8] | (0x80 >> (i % 8)));
  return bytes;
}

std::vector<std::string> SplitAtEOLs(const std::string& bits) {
  std::vector<std::string> rows;
  size_t zeros = 0;
  size_t start = std::string::npos;  // start of the current row's code
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] == '0') {
      ++zeros;
      continue;
    }
    if (zeros >= 11) {
      const size_t eol_start = i - 11;
      if (start != std::string::npos) rows.push_back(bits.substr(start, eol_start - start));
      start = i + 1;
    }
    zeros = 0;
  }
  if (start != std::string::npos && start < bits.size()) rows.push_back(bits.substr(start));
  return rows;
}

size_t FirstEOLStart(const std::string& bits) {
  size_t zeros = 0;
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] == '0') {
      ++zeros;
    } else {
      if (zeros >= 11) return i - 11;
      zeros = 0;
    }
  }
  return std::string::npos;
}

// PBM -> TIFF (min-is-white or min-is-black) -> tiffcp with a fax compression.
bool MakeFaxTiff(const testsupport::TempDir& dir, const TBitmap& bitmap, bool min_is_black, const std::string& options,
                 TTiffStrip& strip, std::string* tiff_path) {
  const std::string pbm = dir.File("in.pbm"), plain = dir.File("plain.tif"), fax = dir.File("fax.tif");
  testsupport::WriteFile(pbm, WritePBM(bitmap));
  if (!Shell(std::string("pnmtotiff ") + (min_is_black ? "-minisblack " : "-miniswhite ") + Quote(pbm) + " > " +
             Quote(plain)))
    return false;
  if (!Shell("tiffcp -r 1000000 " + options + " " + Quote(plain) + " " + Quote(fax))) return false;
  if (tiff_path) *tiff_path = fax;
  return ReadTiffStrip(testsupport::ReadFile(fax), strip);
}

// Group 4 data from libtiff, written through the library itself.
std::string LibtiffGroup4(const testsupport::TempDir& dir, const TBitmap& b) {
  const std::string path = dir.File("g4.tif");
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) return "";
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(b.Width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(b.Height));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(b.Height));
  std::vector<uint8_t> bits = b.Bits;
  TIFFWriteEncodedStrip(t, 0, bits.data(), static_cast<tmsize_t>(bits.size()));
  TIFFClose(t);
  TTiffStrip strip;
  return ReadTiffStrip(testsupport::ReadFile(path), strip) ? strip.Data : "";
}

bool Shell(const std::string& command) { return testsupport::Run(command + " 2>/dev/null") == 0; }

std::string Quote(const std::string& path) { return "'" + path + "'"; }

}  // namespace ccitt_test
