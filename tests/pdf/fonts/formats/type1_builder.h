// Writes small Type 1 font programs for the tests: charstrings assembled from numbers and
// operators, the eexec and charstring encryption, the cleartext and private parts, PFB framing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace glyphtest {

// A charstring operator: one byte, or 12 and a byte for escapes (write Esc(n)).
struct TOp {
  int Code;
};
inline TOp Op(int code) { return {code}; }
inline TOp Esc(int code) { return {1200 + code}; }

// A charstring from numbers and operators, numbers in the Type 1 encoding (32-246, 247-254
// with one byte, 255 with four).
class TCharstring {
 public:
  TCharstring& N(int64_t v);
  TCharstring& O(int code);
  TCharstring& E(int code) { return O(1200 + code); }
  TCharstring& Raw(std::initializer_list<int> bytes);
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The eexec cipher run forwards: plain bytes to cipher bytes.
std::string EexecEncrypt(uint16_t key, const std::string& plain);

struct TType1Builder {
  // The names the private part gives its procedures, and whether it defines them.
  std::string RD = "RD", ND = "ND", NP = "NP";
  bool DefineProcedures = true;
  // Written as "/lenIV n def" unless absent; charstrings are prefixed by that many bytes and
  // encrypted (a negative value leaves them plain).
  int LenIV = 4;
  bool WriteLenIV = false;
  std::vector<std::string> Subrs;
  std::vector<std::pair<std::string, std::string>> Glyphs;
  // The cleartext's encoding definition.
  std::string EncodingText = "/Encoding StandardEncoding def\n";
  std::string FontBBoxText = "/FontBBox {-10 -20 1000 900} readonly def\n";
  std::string FontMatrixText = "[0.001 0 0 0.001 0 0]";

  std::string ClearText() const;
  std::string PrivatePlain() const;
  // The private part encrypted with key 55665 and four leading bytes.
  std::string BinaryPart() const;
  std::string Trailer() const;
  // PFB: text, binary and text segments and the end segment.
  std::string PFB() const;
};

// A PFB segment: 128, type, little-endian length, bytes.
std::string PFBSegment(int type, const std::string& bytes);

}  // namespace glyphtest
