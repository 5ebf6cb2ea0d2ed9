// Loading one font dictionary into a new entry of the collection: encoding, widths, the font
// program or a substitute face, CID metrics, CMaps and ToUnicode. One loader per load; a Type0
// font loads its descendant with a loader of its own.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/font_substitutes.h"

class TPDFArray;
class TPDFDictionary;
class TPDFStream;

class TPDFFontLoader {
 public:
  // How deep Type0 fonts may nest their descendants (one level is all PDF allows).
  static constexpr int kMaxDepth = 2;

  TPDFFontLoader(TPDFFontCollection& fonts, TPDFDictionary* font, TPDFDictionary* parent);
  // Appends the entry (nothing for a font that cannot be loaded).
  void Run();

 private:
  void ReadEncoding();
  void ReadCIDSystem();
  void LoadType0();
  void Type1Road();
  void TrueTypeRoad();
  void TrueTypeWithoutProgram();
  void InstalledFace();
  void CJKSubstitute(TCJKRoad road);
  void ReadSimpleWidths();
  void ReadCIDMetrics();
  void ApplyPendingDifferences();
  void FinishEntry();
  void ReadToUnicode(TPDFFontCollectionData& entry, TPDFDictionary* font) const;
  // False when the program gives no charstrings; the font then takes a substitute face.
  bool LoadType1Program(TPDFStream* stream);
  bool LoadPFBProgram(std::string_view data);
  bool LoadCFFProgram(std::string_view data);
  double Number(TPDFDictionary* dict, std::string_view key, double def) const;
  TPDFObject* Get(TPDFDictionary* dict, std::string_view key) const;

  TPDFFontCollection& fonts_;
  TPDFDictionary* font_;
  TPDFDictionary* parent_;
  TPDFDictionary* descriptor_ = nullptr;
  std::unique_ptr<TPDFFontCollectionData> entry_;
  TPDFArray* pendingDifferences_ = nullptr;
  bool hasBaseEncoding_ = false;  // the dictionary names the encoding its Differences start from
  bool standardEncoding_ = false;  // ... and that is one of the standard encodings
  // The dictionary names MacRomanEncoding or WinAnsiEncoding, or gives an encoding dictionary:
  // a symbolic TrueType program looks the names up in its Unicode cmap first.
  bool encodingNamed_ = false;
  bool cidKeys_ = false;  // embedded symbolic TrueType: the code itself names the glyph
  // The encoding's names of an embedded TrueType font, for its text: its glyph keys need not
  // be names.
  std::optional<TGlyphNames> textNames_;
  int standardPattern_ = 0;
  std::string cidSystemInfo_;
  std::string panose_;
  uint8_t charSet_ = 0;
};
