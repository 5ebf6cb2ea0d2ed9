#include "tests/pdf/codecs/jpeg2000/jpeg2000_fixtures.h"

#include <zlib.h>

#include <filesystem>
#include <sstream>

namespace jp2test {

namespace {

std::string BigEndian32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
  return BigEndian32(uint32_t(data.size())) + body + BigEndian32(uint32_t(crc));
}

std::string Deflate(const std::string& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
  out.resize(size);
  return out;
}

bool RunTool(const std::string& command) { return testsupport::Run(command + " >/dev/null 2>&1") == 0; }

}  // namespace

std::vector<Plane> PatternPlanes(int width, int height, const std::vector<ComponentFormat>& components) {
  std::vector<Plane> planes;
  for (size_t c = 0; c < components.size(); ++c) {
    const ComponentFormat& format = components[c];
    Plane p;
    p.Width = (width + format.Dx - 1) / format.Dx;
    p.Height = (height + format.Dy - 1) / format.Dy;
    p.Precision = format.Precision;
    p.Signed = format.Signed;
    const int64_t range = int64_t{1} << format.Precision;
    const int64_t low = format.Signed ? -range / 2 : 0;
    for (int y = 0; y < p.Height; ++y)
      for (int x = 0; x < p.Width; ++x)
        p.Samples.push_back(int32_t(low + (x * 37 + y * 101 + int64_t(c) * 59 + x * y * 7) % range));
    // The ends of the range, for the scaling.
    p.Samples[0] = int32_t(low);
    if (p.Samples.size() > 1) p.Samples[1] = int32_t(low + range - 1);
    planes.push_back(std::move(p));
  }
  return planes;
}

std::string CompressPlanes(const testsupport::TempDir& dir, const std::vector<Plane>& planes, int width, int height,
                           const std::string& output, const std::string& options) {
  std::string raw;
  std::ostringstream format;
  format << width << "," << height << "," << planes.size() << "," << planes[0].Precision << ","
         << (planes[0].Signed ? "s" : "u");
  for (size_t c = 0; c < planes.size(); ++c) {
    const Plane& p = planes[c];
    format << (c == 0 ? "@" : ":") << (width + p.Width - 1) / p.Width << "x" << (height + p.Height - 1) / p.Height;
    for (int32_t v : p.Samples) {
      if (p.Precision > 8) raw += char(uint32_t(v) >> 8);
      raw += char(uint32_t(v));
    }
  }
  const std::string in = dir.File("planes.raw"), out = dir.File(output);
  testsupport::WriteFile(in, raw);
  if (!RunTool("opj_compress -i " + in + " -o " + out + " -F " + format.str() + " " + options)) return {};
  return testsupport::ReadFile(out);
}

std::string CompressPNG(const testsupport::TempDir& dir, int width, int height, int channels,
                        const std::vector<uint8_t>& pixels, const std::string& output, const std::string& options) {
  static const char kColourType[] = {0, 0, 4, 2, 6};
  std::string rows;
  for (int y = 0; y < height; ++y) {
    rows += '\0';
    rows.append(reinterpret_cast<const char*>(pixels.data()) + size_t(y) * width * channels, size_t(width) * channels);
  }
  std::string ihdr = BigEndian32(uint32_t(width)) + BigEndian32(uint32_t(height));
  ihdr += {8, kColourType[channels], 0, 0, 0};
  const std::string png = "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + Chunk("IDAT", Deflate(rows)) + Chunk("IEND", "");
  const std::string in = dir.File("picture.png"), out = dir.File(output);
  testsupport::WriteFile(in, png);
  if (!RunTool("opj_compress -i " + in + " -o " + out + " " + options)) return {};
  return testsupport::ReadFile(out);
}

std::vector<Plane> DecompressPlanes(const testsupport::TempDir& dir, const std::string& path) {
  const std::string base = dir.File("oracle");
  if (!RunTool("opj_decompress -i " + path + " -o " + base + ".pgx")) return {};
  std::vector<Plane> planes;
  for (int c = 0;; ++c) {
    const std::string file = base + "_" + std::to_string(c) + ".pgx";
    if (!std::filesystem::exists(file)) break;
    const std::string bytes = testsupport::ReadFile(file);
    const size_t eol = bytes.find('\n');
    if (eol == std::string::npos) return {};
    // "PG ML <sign> <precision> <width> <height>"
    std::istringstream header(bytes.substr(0, eol));
    std::string pg, ml, sign;
    Plane p;
    header >> pg >> ml >> sign >> p.Precision >> p.Width >> p.Height;
    p.Signed = sign == "-";
    const int size = p.Precision > 8 ? 2 : 1;
    const auto* d = reinterpret_cast<const uint8_t*>(bytes.data()) + eol + 1;
    if (bytes.size() - eol - 1 < size_t(p.Width) * p.Height * size) return {};
    for (int i = 0; i < p.Width * p.Height; ++i, d += size) {
      uint32_t u = size == 2 ? uint32_t(d[0]) << 8 | d[1] : d[0];
      int32_t v = int32_t(u);
      if (p.Signed && (u >> (8 * size - 1))) v -= int32_t(1) << (8 * size);
      p.Samples.push_back(v);
    }
    planes.push_back(std::move(p));
  }
  return planes;
}

std::vector<Plane> DecompressRGB(const testsupport::TempDir& dir, const std::string& path) {
  const std::string file = dir.File("oracle.ppm");
  if (!RunTool("opj_decompress -i " + path + " -o " + file)) return {};
  const std::string bytes = testsupport::ReadFile(file);
  // "P6", comment lines, width, height, maximum, one white-space byte, then the samples.
  std::istringstream in(bytes);
  std::string magic, token;
  in >> magic;
  std::vector<int> numbers;
  while (numbers.size() < 3 && in >> token) {
    if (token[0] == '#') {
      std::getline(in, token);
      continue;
    }
    numbers.push_back(std::stoi(token));
  }
  if (magic != "P6" || numbers.size() != 3 || numbers[2] != 255) return {};
  const size_t start = size_t(in.tellg()) + 1, count = size_t(numbers[0]) * numbers[1];
  if (bytes.size() < start + 3 * count) return {};
  std::vector<Plane> planes(3);
  for (int c = 0; c < 3; ++c) {
    planes[size_t(c)].Width = numbers[0];
    planes[size_t(c)].Height = numbers[1];
    for (size_t i = 0; i < count; ++i) planes[size_t(c)].Samples.push_back(uint8_t(bytes[start + 3 * i + size_t(c)]));
  }
  return planes;
}

}  // namespace jp2test
