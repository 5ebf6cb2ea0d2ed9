// A small JBIG2 encoder for the tests: the MQ coder, the integer procedures, generic and
// refinement regions in the standard's own context numbering, Huffman codes of the standard
// tables, and a segment writer. Streams it writes are decoded by jbig2dec as the expected
// picture; it only has to write what jbig2dec reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"

namespace jbig2_test {

using Bitmap = ccitt_test::TBitmap;

inline int Pix(const Bitmap& b, int64_t x, int64_t y) {
  return x < 0 || y < 0 || x >= b.Width || y >= b.Height ? 0 : b.Get(int(x), int(y));
}

class MQEncoder {
 public:
  MQEncoder();
  void Encode(std::vector<uint8_t>& stats, uint32_t context, int bit);
  // FLUSH and the end marker FF AC.
  std::string Finish();
  // Integer procedure (nullopt = out-of-band) and symbol identifiers.
  void EncodeInt(std::vector<uint8_t>& stats, std::optional<int64_t> value);
  void EncodeIAID(std::vector<uint8_t>& stats, int codeLength, uint32_t value);

 private:
  void ByteOut();
  void Renorm();
  uint32_t a_ = 0x8000, c_ = 0;
  int ct_ = 12;
  std::vector<uint8_t> out_{0};  // out_[0] stands in front of the data; back() is B
};

// Context sizes.
inline std::vector<uint8_t> GenericStats(int t) { return std::vector<uint8_t>(t == 0 ? 65536 : t == 1 ? 8192 : 1024); }
inline std::vector<uint8_t> RefinementStats(int t) { return std::vector<uint8_t>(t == 0 ? 8192 : 1024); }
inline std::vector<uint8_t> IntStats() { return std::vector<uint8_t>(512); }

struct GenericOptions {
  int Template = 0;
  bool TPGDON = false;
  int8_t AT[8] = {3, -1, -3, -1, 2, -2, -2, -2};  // x, y pairs; templates 1-3 use the first
};
// The standard's nominal adaptive pixels for a template.
GenericOptions NominalGeneric(int t, bool tpgdon);
// Pixels whose entry in skip (row by row) is set are left out.
void EncodeGenericPixels(MQEncoder& e, std::vector<uint8_t>& stats, const Bitmap& b, const GenericOptions& o,
                         const std::vector<bool>* skip = nullptr);
std::string EncodeGeneric(const Bitmap& b, const GenericOptions& o);

struct RefinementOptions {
  int Template = 0;
  bool TPGRON = false;
  int8_t AT[4] = {-1, -1, -1, -1};
  int DX = 0, DY = 0;
};
void EncodeRefinementPixels(MQEncoder& e, std::vector<uint8_t>& stats, const Bitmap& b, const Bitmap& reference,
                            const RefinementOptions& o);

// Bits, most significant first.
class BitWriter {
 public:
  void Put(uint64_t value, int bits);
  void Align();
  std::string Bytes();

 private:
  std::string out_;
  uint32_t acc_ = 0;
  int n_ = 0;
};
// Writes value with standard table B.n (nullopt = out-of-band).
void PutHuffman(BitWriter& w, int table, std::optional<int64_t> value);

// Big-endian fields.
std::string U32(uint32_t v);
std::string U16(uint16_t v);

// A segment: header and data part.
std::string Segment(uint32_t number, uint8_t type, const std::vector<uint32_t>& referred, uint32_t page,
                    const std::string& data, bool unknownLength = false);
std::string PageInfo(uint32_t width, uint32_t height, uint8_t flags = 0, uint16_t striping = 0);
std::string RegionInfo(uint32_t w, uint32_t h, uint32_t x, uint32_t y, uint8_t op);
// Generic region data part (region information included).
std::string GenericRegionData(const Bitmap& b, uint32_t x, uint32_t y, uint8_t op, const GenericOptions& o);
std::string GenericMMRData(const Bitmap& b, uint32_t x, uint32_t y, uint8_t op, const std::string& mmr);

// T.6 data of a bitmap, made by Pillow through libtiff; empty when that fails.
std::string EncodeMMR(const Bitmap& b);
// The same data cut before the end-of-block code that closes them (and its padding).
std::string WithoutEndOfBlock(const std::string& mmr);

// Builds an embedded stream segment by segment with consecutive numbers.
struct StreamBuilder {
  std::string Bytes;
  uint32_t Next = 0;
  uint32_t Add(uint8_t type, const std::string& data, const std::vector<uint32_t>& referred = {}, uint32_t page = 1,
               bool unknownLength = false) {
    Bytes += Segment(Next, type, referred, page, data, unknownLength);
    return Next++;
  }
};

// jbig2dec's picture of an embedded stream (with globals when given); false when it fails.
bool Jbig2dec(const std::string& page, const std::string& globals, Bitmap& out, std::string* log = nullptr);
// The same for a stream with a file header.
bool Jbig2decFile(const std::string& file, Bitmap& out);
// Our decoder's picture; false when it answers false.
bool Ours(const std::string& page, const std::string& globals, Bitmap& out);
// Decodes with both and expects both to give `expected` (when given) and each other.
void ExpectSame(const std::string& page, const std::string& globals, const Bitmap* expected = nullptr);

// `part` combined into `out` with its top left corner at (x0, y0), by the region combination
// operator (0 OR, 1 AND, 2 XOR, 3 XNOR, 4 REPLACE); what lies outside `out` is cut off.
void CombineAt(Bitmap& out, const Bitmap& part, int64_t x0, int64_t y0, int op);

// Pictures with structure: random blobs and strokes, some repeated rows.
Bitmap TextLike(int w, int h, uint32_t seed);

}  // namespace jbig2_test
