#include "tests/pdf/fonts/formats/type1_builder.h"

namespace glyphtest {

TCharstring& TCharstring::N(int64_t v) {
  if (v >= -107 && v <= 107) {
    bytes_ += char(v + 139);
  } else if (v >= 108 && v <= 1131) {
    v -= 108;
    bytes_ += char(v / 256 + 247);
    bytes_ += char(v % 256);
  } else if (v >= -1131 && v <= -108) {
    v = -v - 108;
    bytes_ += char(v / 256 + 251);
    bytes_ += char(v % 256);
  } else {
    const uint32_t u = uint32_t(int32_t(v));
    bytes_ += char(255);
    for (int shift = 24; shift >= 0; shift -= 8) bytes_ += char((u >> shift) & 255);
  }
  return *this;
}

TCharstring& TCharstring::O(int code) {
  if (code >= 1200) {
    bytes_ += char(12);
    bytes_ += char(code - 1200);
  } else {
    bytes_ += char(code);
  }
  return *this;
}

TCharstring& TCharstring::Raw(std::initializer_list<int> bytes) {
  for (int b : bytes) bytes_ += char(b);
  return *this;
}

std::string EexecEncrypt(uint16_t key, const std::string& plain) {
  std::string out;
  uint16_t r = key;
  for (char ch : plain) {
    const uint8_t c = uint8_t(uint8_t(ch) ^ (r >> 8));
    r = uint16_t((c + r) * 52845u + 22719u);
    out += char(c);
  }
  return out;
}

namespace {

std::string EncryptCharstring(int lenIV, const std::string& plain) {
  if (lenIV < 0) return plain;
  return EexecEncrypt(4330, std::string(size_t(lenIV), '\0') + plain);
}

}  // namespace

std::string TType1Builder::ClearText() const {
  return "%!PS-AdobeFont-1.0: Test-Font 001.000\n"
         "%%Title: Test-Font\n"
         "11 dict begin\n"
         "/FontInfo 2 dict dup begin\n"
         "/version (001.000) readonly def\n"
         "/Notice (A (nested) note) readonly def\n"
         "end readonly def\n"
         "/FontName /Test-Font def\n"
         "/PaintType 0 def\n"
         "/FontType 1 def\n"
         "/FontMatrix " + FontMatrixText + " readonly def\n" +
         EncodingText + FontBBoxText +
         "/UniqueID 4000000 def\n"
         "currentdict end\n"
         "currentfile eexec\n";
}

std::string TType1Builder::PrivatePlain() const {
  std::string out = "dup /Private 8 dict dup begin\n";
  if (DefineProcedures) {
    out += "/" + RD + " {string currentfile exch readstring pop} executeonly def\n";
    out += "/" + ND + " {noaccess def} executeonly def\n";
    out += "/" + NP + " {noaccess put} executeonly def\n";
  }
  if (WriteLenIV) out += "/lenIV " + std::to_string(LenIV) + " def\n";
  out += "/MinFeature {16 16} " + ND + "\n/password 5839 def\n";
  out += "/Subrs " + std::to_string(Subrs.size()) + " array\n";
  for (size_t i = 0; i < Subrs.size(); ++i) {
    const std::string data = EncryptCharstring(LenIV, Subrs[i]);
    out += "dup " + std::to_string(i) + " " + std::to_string(data.size()) + " " + RD + " " + data + " " + NP + "\n";
  }
  out += ND + "\n";
  out += "2 index /CharStrings " + std::to_string(Glyphs.size()) + " dict dup begin\n";
  for (const auto& [name, plain] : Glyphs) {
    const std::string data = EncryptCharstring(LenIV, plain);
    out += "/" + name + " " + std::to_string(data.size()) + " " + RD + " " + data + " " + ND + "\n";
  }
  out += "end\nend\nreadonly put\nnoaccess put\ndup /FontName get exch definefont pop\nmark currentfile closefile\n";
  return out;
}

std::string TType1Builder::BinaryPart() const { return EexecEncrypt(55665, "\x11\x22\x33\x44" + PrivatePlain()); }

std::string TType1Builder::Trailer() const {
  std::string out;
  for (int i = 0; i < 8; ++i) out += std::string(64, '0') + "\n";
  return out + "cleartomark\n";
}

std::string PFBSegment(int type, const std::string& bytes) {
  std::string out;
  out += char(128);
  out += char(type);
  const uint32_t n = uint32_t(bytes.size());
  for (int shift = 0; shift < 32; shift += 8) out += char((n >> shift) & 255);
  return out + bytes;
}

std::string TType1Builder::PFB() const {
  return PFBSegment(1, ClearText()) + PFBSegment(2, BinaryPart()) + PFBSegment(1, Trailer()) +
         std::string("\x80\x03", 2);
}

}  // namespace glyphtest
