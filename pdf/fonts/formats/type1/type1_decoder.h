// The glyph rasterizer of Type 1 and CFF fonts. The font collection creates one decoder per font
// with an embedded Type 1 program (FontFile), an embedded CFF program (FontFile3), or a Type 1 or
// OpenType CFF file found outside the document, loads the program into it and then asks it to
// draw glyphs by key.
//
// Loading a Type 1 program: LoadFontFile (or LoadFromPFB), ConvertFontProgram, ParsePrivate.
// Loading CFF data: LoadCFFStream (or LoadCFF). A glyph's charstring is turned into a glyph
// command list by the Type 1 or the Type 2 interpreter, the list is played once into a recorded
// shape, and the shape is cached per key and replayed under each caller's matrix.
//
// Font programs are hostile input: every read is bounded, charstring execution has a step budget
// and nesting limits, and a glyph that cannot be read draws nothing. Nothing here raises.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/fonts/font_rasterizer.h"
#include "pdf/fonts/formats/charstrings/glyph_commands.h"
#include "pdf/fonts/formats/charstrings/glyph_drawing.h"

class TStream;
class TPDFStructure;
class TPDFDictionary;
class TPDFArray;
class TPDFObject;
struct TType1TokenizedProgram;

class TPDFType1Decoder : public TPDFFontRasterizer {
 public:
  // Charstring formats (FontKind).
  static constexpr int32_t kType1Charstrings = 1;
  static constexpr int32_t kType2Charstrings = 2;

  TPDFType1Decoder();
  ~TPDFType1Decoder() override;

  // Rasterizer interface. (x, y) is an offset in the font's units; flag is not used. True when
  // the key's command list reached "endchar" (the same answer for every later call of the key).
  bool DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key, const TPDFMatrix& matrix,
                 TPDFGenericCanvas* canvas) override;
  // Glyph scale against units of 1/1000: 1.0 unless the program's FontMatrix sets it.
  double GetFontMatrixScale() override { return Scale; }

  // --- Type 1 programs ---
  // An embedded FontFile: split by Length1, Length2 and Length3 into ClearText, BinaryPart and
  // Trailer. True only when each part received exactly its declared length.
  bool LoadFontFile(TPDFStream* stream);
  // A PFB file: runs of segments of one type become ClearText, BinaryPart and Trailer in turn.
  bool LoadFromPFB(std::string_view data);
  // Parses ClearText into FontDict, FontBBox and Encoding; false when it is no dictionary.
  bool ConvertFontProgram();
  // Decrypts and reads BinaryPart: Subrs, lenIV, CharStrings. False without "/CharStrings".
  bool ParsePrivate();
  // The program's own encoding: glyph name by code (empty where it names none).
  void GetEncoding(std::array<std::string, 256>& names) const { names = Encoding; }
  // OnResolve when it is set, else the reference's own store; other objects as they are.
  TPDFObject* ResolveObject(TPDFObject* ref) const { return ResolveValue(ref); }
  // The eexec cipher: plain = c xor (r shr 8); r = ((c + r) * 52845 + 22719) and 65535. The
  // first `skip` plain bytes are dropped.
  static void DecryptEexec(uint16_t key, int64_t skip, std::string& output, std::string_view data);

  // --- CFF programs ---
  // Decodes the stream and reads its data as CFF.
  bool LoadCFFStream(TPDFStream* stream);
  // CFF data from the stream's position, bare or inside an OpenType font. True when the data is
  // CFF, whatever the later steps find.
  bool LoadCFF(TStream& data);
  // The same over bytes in memory (the font starts at the first byte).
  bool LoadCFFData(std::string_view data);
  // Positions the stream at the "CFF " table of the OpenType font at its position, when there
  // is one; otherwise the position stays.
  void SeekOpenTypeCFF(TStream& stream);
  // A binary DICT as the text of a PDF dictionary; kind 0 for Top DICT and Font DICTs, 1 for
  // Private DICTs.
  std::string DictToText(std::string_view data, int kind) const;
  // SID 0-390: the standard strings; above: the font's String INDEX; anything else: empty.
  std::string SIDToString(int64_t sid) const;

  // --- Glyphs ---
  // The charstring of a key (glyph name, "CID:" + n, "GID:" + n); empty when there is none.
  // Sets CurrentFD to the glyph's Font DICT (-1 when none).
  std::string FindCharString(std::string_view key);
  // The charstring index of a key; -1 when there is none.
  int CharStringIndex(std::string_view key) const;
  // The scale of a key's outline: its Font DICT's when the Font DICTs have scales, else Scale.
  double GlyphScale(std::string_view key) const;
  // The first item of a FontMatrix array; nothing when it has no finite number there.
  static std::optional<double> MatrixScale(const TPDFObject* matrix);
  // The glyph scale against units of 1/1000 of a matrix's first item; 0 counts as 1.
  static double GlyphScaleOf(double first);
  // Fills GlyphCommands for the key, from the cache or the interpreter; caches the result.
  bool GetGlyphCommands(const std::string& key);
  // The two interpreters (type1_charstring.cpp, type2_charstring.cpp).
  bool ConvertType1Glyph(const std::string& key);
  bool ConvertType2Glyph(const std::string& key);
  // A Type 1 subroutine by its number, decrypted; empty when there is none.
  std::string GetSubr(int64_t number) const;
  // CFF subroutines by index (bias applied by the caller); empty out of range. The views stay
  // valid while the font is not reloaded.
  std::string_view GetLocalSubr(int64_t number) const;
  std::string_view GetGlobalSubr(int64_t number) const;
  // Count of the local subroutines GetLocalSubr reads from (the current Font DICT's, else the
  // Top DICT's).
  int64_t LocalSubrCount() const;
  // A Type 1 charstring decrypted with key 4330, LenIV leading bytes dropped. A negative LenIV
  // marks charstrings stored without encryption: they are taken as they are.
  std::string DecryptCharstring(std::string_view data) const;

  // Replaces or extends the charstrings, keeping the name lookup in step.
  void ClearCharStrings();
  void AddCharString(std::string name, std::string charstring);

  // --- Fields ---
  // Type 1: subroutines still encrypted, each with its number in SubrNumbers. CFF: the Top
  // DICT's local subroutines.
  std::vector<std::string> Subrs;
  std::vector<int32_t> SubrNumbers;
  std::vector<std::string> GlobalSubrs;
  // CFF: local subroutines per Font DICT.
  std::vector<std::vector<std::string>> LocalSubrsByFD;
  // CFF: Font DICT per glyph index.
  std::vector<int32_t> FDSelect;
  // Owns FontDict and every dictionary parsed for this font.
  std::unique_ptr<TPDFStructure> ObjectStore;
  TPDFDictionary* FontDict = nullptr;
  std::string ClearText, BinaryPart, Trailer;
  // The command list of the glyph being converted.
  TGlyphCommandList GlyphCommands;
  // Glyph names in charstring order (CID-keyed CFF: "CID:" + number) and their charstrings
  // (Type 1: still encrypted).
  std::vector<std::string> CharStringNames;
  std::vector<std::string> CharStrings;
  int32_t CurrentFD = -1;
  std::string RDName = "RD", NDName = "ND", NPName = "NP";
  int32_t FontKind = kType1Charstrings;
  // The program's own encoding: glyph name by code.
  std::array<std::string, 256> Encoding;
  TPDFArray* FontBBox = nullptr;
  double Scale = 1.0;
  // CID-keyed CFF: the glyph scale of each Font DICT (its matrix after the Top DICT's); empty
  // when no Font DICT has a matrix of its own.
  std::vector<double> FDScales;
  bool IsCIDFont = false;
  // Set by the font collection to make a CFF font CID-keyed.
  bool ForceCID = false;
  // Count of random leading bytes of each Type 1 charstring (-1: not encrypted).
  int32_t LenIV = 4;
  // The String INDEX of a CFF font (SID 391 on).
  std::vector<std::string> CFFStrings;

  // Glyph key -> command list, and glyph key -> recorded outline. Subroutines let a short
  // charstring expand into a long list, so both caches are emptied whenever they grow past
  // these sizes (a glyph dropped from them is made again when it is asked for).
  static constexpr size_t kMaxCachedCommandBytes = size_t(16) << 20;
  static constexpr int64_t kMaxCachedShapeItems = int64_t(1) << 19;
  TPDFGlyphCommandCache CommandCache;
  TPDFGlyphShapeCache ShapeCache;

 private:
  // Takes the RD, ND and NP names and the Subrs a tokenized program found.
  void TakeProgram(TType1TokenizedProgram& program);
  void ReleaseFontDict();
  void ReadEncodingEntry(TPDFObject* encoding);

  size_t cachedCommandBytes_ = 0;
  int64_t cachedShapeItems_ = 0;
  // Index of the first charstring with each name.
  std::unordered_map<std::string, int32_t> nameIndex_;
  // Index in Subrs of the first entry with each number, made on first use and extended when
  // Subrs grows.
  mutable std::unordered_map<int32_t, size_t> subrIndex_;
  mutable size_t subrsIndexed_ = 0;
};
