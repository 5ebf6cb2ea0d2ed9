// TPDFFont: one font resource of a document and the width and metric answers that text
// writing needs.
//
// This first form writes the fourteen standard Type 1 fonts (no font file) with their metrics;
// embedded TrueType and Type 3 fonts, the Unicode CMap and the width tables come with the font
// writer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TPDFStructure;
class TPDFIndRef;
class TPDFDictionary;

class TPDFFont {
 public:
  TPDFFont(TPDFStructure* owner, std::string_view resourceName);
  virtual ~TPDFFont();
  TPDFFont(const TPDFFont&) = delete;
  TPDFFont& operator=(const TPDFFont&) = delete;

  // Writes the font dictionary of standard font fontNumber (1..14) under baseFont and makes
  // it indirect. False (nothing written) for a number outside 1..14 or a store that cannot
  // make objects indirect.
  bool WriteStandardFont(std::string_view baseFont, int fontNumber);

  // Width of a character code in 1/1000 em; 0 outside FirstChar..LastChar.
  int GetCodeWidth(int code) const;

  TPDFStructure* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }  // the resource name
  const std::string& BaseFont() const { return baseFont_; }
  TPDFIndRef* Ref() const { return ref_; }
  TPDFDictionary* Dict() const { return dict_; }
  // 1 standard Type 1, 3 embedded TrueType, 6 Type 3, 10 two-byte codes; 0 until written.
  uint8_t Kind() const { return kind_; }

  std::vector<int> Widths;  // index = code - FirstChar
  int FirstChar = 0, LastChar = -1;
  int Ascent = 0, Descent = 0;
  // left (llx), top (ury), right (urx), bottom (lly)
  std::array<int, 4> FontBBox{};

 private:
  TPDFStructure* owner_;
  std::string name_;
  std::string baseFont_;
  TPDFIndRef* ref_ = nullptr;
  TPDFDictionary* dict_ = nullptr;
  uint8_t kind_ = 0;
};
