// The font cache of one page render. The page render creates one collection, switches the
// loading of embedded font programs on, hands it to the renderer and frees it afterwards.
//
// This is the collection's frame: its data, its construction and its clean-up. It holds no
// fonts yet; loading fonts, code splitting and CMaps are added with the font engines.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pdf/core/string_list.h"
#include "pdf/fonts/font_rasterizer.h"

class TPDFFontCollectionData;

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

  // Files (UTF-8 names) made for this render; the collection deletes them when it is freed.
  TTalvoPDFStringList& TempFiles() { return tempFiles_; }
  int FontCount() const { return static_cast<int>(entries_.size()); }
  TPDFFontCollectionData* Current() const { return current_; }

 private:
  // Object numbers in ascending order and, beside each, the position of its entry.
  std::vector<int32_t> indexNumbers_;
  std::vector<int32_t> indexPositions_;
  std::vector<std::unique_ptr<TPDFFontCollectionData>> entries_;
  TPDFFontCollectionData* current_ = nullptr;
  uint8_t fontPrograms_ = 0;
  TTalvoPDFStringList tempFiles_;
  uint8_t textOnly_ = 0;
};

// One loaded font of the collection (filled by the font engines).
class TPDFFontCollectionData {
 public:
  virtual ~TPDFFontCollectionData() = default;
  int32_t ObjectNumber = 0;
};
