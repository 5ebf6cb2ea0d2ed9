// JPEG 2000 files made by OpenJPEG's own tools (opj_compress) from raw samples or PNG files
// written here, and the components that opj_decompress reads back from them: the
// independent oracle of the JPEG 2000 tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace jp2test {

// One component's samples, row by row (signed values as they are).
struct Plane {
  int Width = 0, Height = 0, Precision = 8;
  bool Signed = false;
  std::vector<int32_t> Samples;
  int32_t At(int x, int y) const { return Samples[size_t(y) * size_t(Width) + size_t(x)]; }
};

// How one component is stored: precision, signedness, subsampling.
struct ComponentFormat {
  int Precision = 8;
  bool Signed = false;
  int Dx = 1, Dy = 1;
};

// Samples covering each component's whole range, in a pattern that changes with the
// component and the position.
std::vector<Plane> PatternPlanes(int width, int height, const std::vector<ComponentFormat>& components);

// Runs opj_compress over the planes (raw input, big-endian) and returns the file's bytes;
// `output` names the file in dir (its extension picks JP2 or J2K). Empty on failure.
std::string CompressPlanes(const testsupport::TempDir& dir, const std::vector<Plane>& planes, int width, int height,
                           const std::string& output, const std::string& options = "");
// The same from an 8-bit PNG of `channels` channels (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA);
// pixels row by row. opj_compress marks the alpha channel of such a file.
std::string CompressPNG(const testsupport::TempDir& dir, int width, int height, int channels,
                        const std::vector<uint8_t>& pixels, const std::string& output,
                        const std::string& options = "");

// The components as opj_decompress decodes the file (PGX output, subsampled ones widened to
// the image's size); empty when it fails.
std::vector<Plane> DecompressPlanes(const testsupport::TempDir& dir, const std::string& path);
// Red, green and blue as opj_decompress writes them to an 8-bit PPM (with its own colour
// conversion of YCbCr files); empty when it fails.
std::vector<Plane> DecompressRGB(const testsupport::TempDir& dir, const std::string& path);

}  // namespace jp2test
