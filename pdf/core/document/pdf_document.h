// TPDFDocument: one PDF document in memory: its object store, the table of indirect objects
// (slots), the trailer, the page tree, the images and fonts added to it, the document
// properties (Info dictionary and XMP packet) and the caller's units and coordinate origin.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/document/optional_content.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/security/security_state.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/rtl/strings.h"

class TStream;
class TPDFDocument;
class TPDFPageTree;
class TPDFImage;
class TPDFFont;
class TOrvanePDFLibraryXMP;

// One indirect-object slot. Every slot this program makes holds its object from the start.
class TPDFIndObj {
 public:
  TPDFIndObj(TPDFDocument* document, int number, int generation, TPDFObject* object);
  TPDFDocument* Document() const { return document_; }
  int ObjectNumber() const { return number_; }
  int Generation() const { return generation_; }
  bool Loaded() const { return loaded_; }
  bool Processed() const { return processed_; }
  bool Damaged() const { return damaged_; }
  // The object; a slot that cannot be loaded gives nullptr.
  TPDFObject* GetObject() const { return object_; }

 private:
  TPDFDocument* document_;
  int number_;
  int generation_;
  bool loaded_ = true;
  bool processed_ = true;
  bool damaged_ = false;
  TPDFObject* object_;
};

// The standard Type 1 fonts, by index 0..13.
inline constexpr int kStandardFontCount = 14;
extern const std::array<const char*, kStandardFontCount> kStandardFontNames;

class TPDFDocument {
 public:
  TPDFDocument();
  ~TPDFDocument();
  TPDFDocument(const TPDFDocument&) = delete;
  TPDFDocument& operator=(const TPDFDocument&) = delete;

  // Frees the slots and every object, gives a new empty trailer and page tree, and empties
  // the image and font lists.
  void Clear();
  // A new document of one 612 x 792 page, version "1.4". Always true.
  bool InitNewDocument();

  // Enters obj into a new slot (number one above the highest in use, generation 0) and sets
  // the trailer's /Size; rebuild refreshes the number index.
  TPDFIndObj* NewIndObj(TPDFObject* obj, bool rebuild);
  TPDFIndObj* FindIndObj(int objectNumber) const;
  TPDFObject* ResolveObject(int objectNumber) const;
  void MakeIndirect(TPDFObject* obj, int& objNum, int& gen);
  int SlotCount() const { return static_cast<int>(slots_.size()); }
  TPDFIndObj* Slot(int index) const;  // slot order; nullptr out of range

  TPDFDictionary* GetCatalog();
  TPDFDictionary* GetInfoDictionary();
  TPDFDictionary* FindPagesRoot();
  TPDFDictionary* Trailer() const { return trailer_; }

  // Sets a document property in the Info dictionary (except "dc:subject") and, for the keys
  // the packet knows, in the XMP packet.
  void SetInfoEntry(std::string_view key, const WideString& value);
  void SetInfoString(std::string_view key, std::string_view bytes);
  void SetVersion(std::string_view text);
  const std::string& Version() const { return version_; }
  bool VersionSet() const { return versionSet_; }

  // A new image loaded from the stream, or nullptr. A failed import leaves nothing behind: no
  // image, no indirect objects. Fonts in the image's Fonts list that the document does not own
  // yet (fonts made by a metafile conversion, allocated with new) pass to the document; when
  // the import fails they are freed. An exception of the import is passed on, after the same
  // clean-up.
  TPDFImage* AddImage(TStream& stream, int options, int imageSetting);
  // Standard font index 0..13; nullptr for any other index.
  TPDFFont* AddStandardFont(int index);
  int ImageCount() const { return static_cast<int>(images_.size()); }
  TPDFImage* GetImage(int index) const;
  bool OwnsImage(const TPDFImage* image) const;
  int FontCount() const { return static_cast<int>(fonts_.size()); }
  TPDFFont* GetFont(int index) const;
  bool OwnsFont(const TPDFFont* font) const;

  // The decoded /Metadata XML stream of the catalog, or empty.
  std::string ReadMetadataStream();
  TPDFOptionalContentStates OptionalContentStates();
  // 1..count of the first page with the reference's number and generation, else 0.
  int PageNumberOf(const TPDFIndRef* pageRef);

  // The standard security handler. Reading happens once, on first need.
  void ReadEncryptDictionary();
  // 0 not encrypted, 1 encrypted with a supported handler, 2 with an unsupported one.
  int EncryptionState();
  bool NeedsDecryption();
  // The key of one object: empty for the /Encrypt dictionary itself.
  std::string ObjectKey(int objectNumber, int generation);
  // Decrypts the strings and stream data inside object, once the password was accepted; a
  // string or stream that does not decrypt is emptied and counted in DecryptionErrors.
  void DecryptObject(std::string_view key, TPDFObject* object);
  TPDFSecurityState& Security() { return security_; }

  TPDFStructure& Structure() { return *structure_; }
  TPDFPageTree& PageTree() { return *pageTree_; }
  TOrvanePDFLibraryXMP* XMP() const { return xmp_.get(); }

  // Fonts named here are not embedded by images added later.
  std::vector<std::string> NoEmbedFonts;
  // The caller's unit: a length divided by this gives points.
  double UnitsDivisor = 1.0;
  int32_t CoordinateOrigin = 0;  // 0 bottom-left, 1 top-left, 2 top-right, 3 bottom-right
  // [0] each new image's Compression, [1] == 1 sets its metafile font flag, [2] == 1 hands it
  // the fonts of the previous image.
  std::array<int32_t, 3> ImageSettings{};
  // Copied into an image loaded with options -1.
  TGDIPlusSettings GDIPlusSettings;

 private:
  void InitStructure();
  void RebuildNumberIndex();
  void DropSlotsFrom(size_t slots);
  // Frees what a failed import made: its fonts (unless the document keeps them) and its objects.
  void DiscardImage(TPDFImage& image, size_t slots);
  void ReadStandardFilter(const TPDFDictionary& encrypt, int v, int r);
  bool ReadCryptFilter(const TPDFDictionary& encrypt, std::string_view method, int defaultBits);
  void DecryptValue(std::string_view key, TPDFObject* object, int depth);
  std::string DecryptBytes(std::string_view key, std::string_view data);
  TPDFDictionary* TrailerDictionary(std::string_view key);

  std::unique_ptr<TOrvanePDFLibraryXMP> xmp_;
  TPDFSecurityState security_;
  bool versionSet_ = false;
  std::string version_;
  std::unique_ptr<TPDFStructure> structure_;
  std::vector<std::unique_ptr<TPDFIndObj>> slots_;
  std::vector<int32_t> indexNumbers_;    // ascending object numbers
  std::vector<int32_t> indexPositions_;  // slot position of each
  // The highest object number of the slots when there were `highestFor_` of them (a new slot
  // sets both; any other count means the slots changed since).
  int highestNumber_ = 0;
  size_t highestFor_ = 0;
  TPDFDictionary* trailer_ = nullptr;
  std::unique_ptr<TPDFPageTree> pageTree_;
  struct ImageDeleter {
    void operator()(TPDFImage* image) const;
  };
  std::vector<std::unique_ptr<TPDFImage, ImageDeleter>> images_;
  std::vector<std::unique_ptr<TPDFFont>> fonts_;
  int32_t nextObjectNumber_ = 1;
  std::vector<TPDFFont*> reusedFonts_;
};
