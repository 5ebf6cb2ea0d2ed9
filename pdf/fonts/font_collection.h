// The font cache of one page render. The page render creates one collection, switches the
// loading of embedded font programs on, hands it to the renderer and frees it afterwards. The
// renderer's text operators ask it to make a font current (Tf), to split shown strings into
// character codes, to map codes to CIDs and Unicode text, and for the current font's
// rasterizer, widths and metrics. Every indirect font dictionary is loaded at most once per
// render; a direct one is loaded afresh each time it is selected.
//
// Font dictionaries and programs are hostile input: codes never index past the 256-entry
// tables, CID tables stop at 65,536 entries, usecmap chains and descendant fonts have depth
// caps, and every font program is read by bounds-checked decoders.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/cmaps/cmap.h"
#include "pdf/core/encodings/font_encodings.h"
#include "pdf/core/string_list.h"
#include "pdf/fonts/cid_metrics.h"
#include "pdf/fonts/font_rasterizer.h"

class TPDFFontCollectionData;
class TPDFDictionary;
class TFont;
class TZRXWordPairList;

// One range of a ToUnicode CMap: codes low..high; the last unit of the destination counts up
// with the code.
struct TToUnicodeRange {
  uint16_t Low = 0, High = 0;
  std::u16string Destination;
};

class TPDFFontCollection {
 public:
  TPDFFontCollection();
  virtual ~TPDFFontCollection();
  TPDFFontCollection(const TPDFFontCollection&) = delete;
  TPDFFontCollection& operator=(const TPDFFontCollection&) = delete;

  // Embedded font programs (FontFile, FontFile2, FontFile3) and Type 3 glyph procedures are
  // read by the library's own decoders only when this is set.
  bool FontPrograms() const { return fontPrograms_ != 0; }
  void SetFontPrograms(bool value) { fontPrograms_ = value ? 1 : 0; }
  // Set by the renderer for a text-extraction render.
  bool TextOnly() const { return textOnly_ != 0; }
  void SetTextOnly(bool value) { textOnly_ = value ? 1 : 0; }

  // Callbacks the renderer sets; the collection hands them on to the decoders it creates.
  TPDFFontResolveEvent OnResolve;
  TPDFStreamReadEvent OnBeforeRead;
  TPDFStreamReadEvent OnAfterRead;

  // Files (UTF-8 names) made for this render; the collection removes them from the system's
  // fonts and deletes them when it is freed.
  TTalvoPDFStringList& TempFiles() { return tempFiles_; }
  int FontCount() const { return static_cast<int>(entries_.size()); }
  TPDFFontCollectionData* Current() const { return current_; }
  TPDFFontCollectionData* Entry(int index) const;

  // --- Selecting fonts.
  // An indirect font (a reference): loaded once, then made current from the cache.
  void SelectFont(TPDFObject* reference);
  // A direct font dictionary: loaded as a new entry, which becomes current.
  void AddFont(TPDFDictionary* font);
  // Makes the entry of that object number current when it is loaded.
  void SelectFontByNumber(int32_t objectNumber);
  // Makes an entry of this collection current again (a direct font has no number to find it by).
  void SelectEntry(TPDFFontCollectionData* entry);
  // The entry position of an object number, -1 when it is not loaded.
  int IndexOfFont(int32_t objectNumber) const;
  void SortIndex();
  // Appends one entry for a font dictionary (or a reference to one); parent is the Type0
  // dictionary of a descendant font. Nothing is appended for anything but a dictionary.
  void LoadFont(TPDFObject* font, TPDFDictionary* parent = nullptr);

  // --- CMaps and codes (font_codes.cpp).
  // The cache index of the CMap of that name; text parsed and appended when the name is empty
  // or not cached.
  int AddCMap(std::string_view name, std::string_view text);
  // The cache index of a predefined CMap, with its usecmap chain loaded as parents; -1 when the
  // name is neither cached nor predefined.
  int LoadPredefinedCMap(std::string_view name);
  // CID (or Unicode value) of a code through the cached CMap and its usecmap parents; -1 when
  // unmapped or the index is out of range.
  int LookupCMap(int index, uint32_t code) const;
  // Splits bytes into codes by the CMap's codespace ranges; false only for index -1.
  bool MapCodes(int index, std::string_view bytes, std::vector<uint32_t>& codes) const;
  // Codes of the current font (composite fonts).
  void StringToCodes(std::string_view bytes, std::vector<uint32_t>& codes) const;
  // Unicode text of a code of the current font; empty when none.
  std::u16string CodeToUnicode(uint32_t code) const;
  const TOrvanePDFLibraryCMap* CachedCMap(int index) const;
  int CMapCount() const { return static_cast<int>(cmaps_.size()); }

  // --- Substitute faces (font_substitutes.cpp).
  // Sets the name and style of font for a base font name without a program.
  static void NormalizeFontName(TFont& font, std::string_view baseFont, int32_t flags);
  // The CJK substitute rasterizer of an entry under construction.
  static std::unique_ptr<TPDFFontRasterizer> CreateCJKSubstitute(uint8_t charSet, std::string_view face,
                                                                 std::string_view baseFont);
  // The native name of a CJK face ("MS Gothic" -> its name in Japanese) as the system spells
  // face names; empty for other faces.
  static std::string NativeFaceName(std::string_view face);
  // The character set of a CMap name and ordering; loads the CMap (cmapIndex) and the code-page
  // table (codePage, null when none).
  uint8_t GetPredefinedCMapName(std::string_view cmapName, std::string_view ordering, int& cmapIndex,
                                TZRXWordPairList*& codePage);
  // Registry-Ordering-Supplement of a CIDSystemInfo dictionary (or reference).
  std::string GetCIDSystemInfo(TPDFObject* info) const;

  // The object a value names (through OnResolve when set, else its own store).
  TPDFObject* Resolve(TPDFObject* value) const;
  // A stream's decoded data between the two read callbacks; empty when it does not decode.
  std::string DecodeStream(TPDFStream* stream, TPDFObject* reference) const;

 private:
  friend class TPDFFontLoader;
  std::vector<int32_t> indexNumbers_;
  std::vector<int32_t> indexPositions_;
  size_t indexedEntries_ = 0;  // entries SortIndex has looked at
  std::vector<std::unique_ptr<TPDFFontCollectionData>> entries_;
  TPDFFontCollectionData* current_ = nullptr;
  uint8_t fontPrograms_ = 0;
  TTalvoPDFStringList tempFiles_;
  uint8_t textOnly_ = 0;
  std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>> cmaps_;
  int loadDepth_ = 0;
};

// One loaded font of the collection.
class TPDFFontCollectionData {
 public:
  TPDFFontCollectionData();
  virtual ~TPDFFontCollectionData();
  int32_t ObjectNumber = 0;
  std::string Subtype;   // of the font that carries the glyphs (the descendant of a Type0)
  std::string BaseFont;  // without subset tag
  TGlyphNames GlyphNames;
  TEncodingWidths Widths{};
  std::unique_ptr<TPDFFontRasterizer> Rasterizer;
  uint8_t Composite = 0;
  // CID widths (W, DW) and vertical metrics (W2, DW2).
  TCIDWidths CIDWidths;
  TCIDVerticalMetrics Vertical;
  std::array<std::u16string, 256> Unicode;
  std::vector<TToUnicodeRange> ToUnicodeRanges;
  // GID per CID from CIDToGIDMap (empty: none or Identity).
  std::vector<uint16_t> CIDToGID;
  std::unique_ptr<TOrvanePDFLibraryCMap> ToUnicodeCMap;
  // CID to Unicode of a CJK substitute (shared, never freed here).
  TZRXWordPairList* CodePageTable = nullptr;
  int CMapIndex = -1;
  std::string EncodingCMapName;  // "Identity-H", ...; "-V" lays glyphs out vertically
  std::string SplitCMapName;     // empty for simple fonts
  bool IsType3 = false;
  // Code 32 takes word spacing in a composite font (a one-byte code 32 in its codespace).
  bool WordSpaceCode = false;
  double Ascent = 0, Descent = 0;
  std::array<double, 4> FontBBox{};
  int32_t Flags = 0;

  bool IsVertical() const { return EncodingCMapName.ends_with("-V"); }
};
