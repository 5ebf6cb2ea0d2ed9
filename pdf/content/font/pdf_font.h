// TPDFFont: one font resource of a document and the width, encoding and metric answers that
// text writing needs.
//
// A font is written once, as one of: a standard Type 1 font (no font file), an installed
// TrueType font (referenced, or embedded with its file), or a Type 3 font whose glyphs are the
// outlines of an installed font. Each keeps a CMap from Unicode to the byte code used in the
// content stream.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/content/font/width_lookup.h"

class TPDFStructure;
class TPDFIndRef;
class TPDFDictionary;
class TPDFArray;
class TOrvanePDFLibraryCMap;

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
  // An installed font by face name, optionally followed by ",Bold", ",Italic", ",BoldItalic"
  // and by "{" code page "}" (the font is then re-encoded to that code page's characters).
  // Embedded fonts carry the whole font file. False when the store cannot make objects indirect.
  bool WriteTrueTypeFont(std::string_view fontName, bool embed);
  // A Type 3 font with a glyph for each character of chars, drawn from the outlines of the
  // installed face fontName (optionally ending in " [Bold]", " [Italic]" or " [BoldItalic]").
  // unitMatrix: glyph space is 1/1000 of text space; otherwise it is text space itself.
  bool WriteType3Font(std::string_view fontName, int charset, bool unitMatrix, std::u16string_view chars);
  // Makes this a font of two-byte codes whose widths are 513-byte blocks (a high byte, then
  // 256 big-endian 16-bit widths for the codes of that high byte).
  void SetWidthBlocks(std::string blocks);

  // Width of a character in 1/1000 em: by the per-character widths when the font has them,
  // else through the CMap to a code (the no-break space as the space) and that code's width;
  // for two-byte fonts from the width blocks (1000 when the block is missing or holds 0).
  int GetCharWidth(uint16_t ch) const;
  // Width of a byte code in 1/1000 em; 0 outside FirstChar..LastChar.
  int GetCodeWidth(int code) const;
  // The codes of text for the content stream. Characters the font has no code for are dropped
  // from a Type 3 font; other fonts write them in their code page ("?" when it lacks them).
  std::string EncodeText(std::u16string_view text) const;
  // Replaces the CMap by one made from MacRomanEncoding (encodingName "MacRomanEncoding") or
  // WinAnsiEncoding (any other name), overridden by differences (may be null).
  void SetEncodingCMap(std::string_view encodingName, const TPDFArray* differences);
  // The Unicode value of a byte code; 65535 outside 0..255, 0 for a code without one.
  uint16_t CodeToUnicode(int code) const;

  // A one-byte ToUnicode CMap for the names of a /Differences array.
  static std::string WriteToUnicodeCMap(const TPDFArray* differences);
  // Widths of codes 24..255 (232 entries) of standard font 1..12 in encoding kind 0 Standard,
  // 1 MacRoman, 2 WinAnsi, 3 PDFDoc; fonts 13 and 14 give their own widths for codes 32..254.
  static std::array<int, 232> GetStandardWidths(uint8_t encodingKind, int fontNumber);
  // Widths of codes 32..254 (223 entries) of Symbol (13) or ZapfDingbats (14); zeros otherwise.
  static std::array<int, 223> GetSymbolicWidths(int fontNumber);

  TPDFStructure* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }  // the resource name
  const std::string& BaseFont() const { return baseFont_; }
  TPDFIndRef* Ref() const { return ref_; }
  TPDFDictionary* Dict() const { return dict_; }
  // 1 standard Type 1, 3 embedded TrueType, 6 Type 3, 10 two-byte codes; 0 until written
  // (and for a TrueType font that is referenced, not embedded).
  uint8_t Kind() const { return kind_; }
  const TOrvanePDFLibraryCMap& CMap() const { return *cmap_; }
  const TTalvoPDFWidthLookup& WidthLookup() const { return widthLookup_; }

  bool CompressFontFile = false;  // deflate embedded font files and glyph procedures
  std::vector<int> Widths;        // index = code - FirstChar
  int FirstChar = 0, LastChar = -1;
  int Ascent = 0, Descent = 0;
  int InternalLeading = 0, Height = 0, AverageWidth = 0;  // of the text metrics, 1/1000 em
  // The face's cell above and below the baseline (the text metrics' ascent and descent, both
  // positive), 1/1000 em; 0 for fonts without an installed face behind them.
  int CellAscent = 0, CellDescent = 0;
  bool Symbolic = false;  // a TrueType face of the symbol character set: codes are its own
  // left (llx), top (ury), right (urx), bottom (lly)
  std::array<int, 4> FontBBox{};

 private:

  // Makes dict indirect and the font's reference; false when the store cannot.
  bool Publish(TPDFDictionary* dict, uint8_t kind);
  // A /Differences array naming each code that has a name, a run of codes after its first.
  TPDFArray* NewDifferences(const std::array<std::string, 256>& names) const;
  // A CMap mapping codes low..high each to itself (symbolic fonts).
  void SetIdentityCMap(int low, int high);

  TPDFStructure* owner_;
  std::string name_;
  std::string baseFont_;
  TPDFIndRef* ref_ = nullptr;
  TPDFDictionary* dict_ = nullptr;
  uint8_t kind_ = 0;
  uint32_t codePage_ = 1252;  // of the byte codes of a TrueType font
  std::string widthBlocks_;
  std::unique_ptr<TOrvanePDFLibraryCMap> cmap_;
  TTalvoPDFWidthLookup widthLookup_;
  std::array<uint16_t, 256> codeToUnicode_{};
  std::array<std::string, 256> type3Glyphs_;  // glyph name per code of a Type 3 font
};
