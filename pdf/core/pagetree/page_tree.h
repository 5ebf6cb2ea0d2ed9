// TPDFPageTree finds pages in a document's /Pages tree, keeps one page selected as the drawing
// target of its painter, reads and writes the page size, adds resources to the selected page,
// and renders a page into a stream in one of the output formats.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/document/optional_content.h"

class TStream;
class TPDFStructure;
class TPDFObject;
class TPDFDictionary;
class TPDFArray;
class TPDFStream;
class TPDFIndRef;
class TPDFPainter;
class TPDFAnnots;
class TPDFImage;
class TPDFFont;
struct TGDIPlusSettings;

// Gives the 1-based number of the page a reference names, or 0.
using TPDFPageNumberEvent = std::function<int(const TPDFIndRef* pageRef)>;
using TPDFPageSelectedEvent = std::function<void(TPDFDictionary* page)>;

// Output formats of RenderPage.
enum TPDFOutputFormat : int {
  ofBMP = 0, ofJPEG = 1, ofWMF = 2, ofEMF = 3, ofEPS = 4, ofPNG = 5, ofGIF = 6, ofTIFF = 7,
  ofGDIPlusEMF = 8, ofHTML5 = 9, ofMonochromeTIFF = 10
};

class TPDFPageTree {
 public:
  // With a root, takes the store from it and selects page 1.
  explicit TPDFPageTree(TPDFDictionary* root, TPDFPageNumberEvent pageNumberOf = nullptr);
  ~TPDFPageTree();
  TPDFPageTree(const TPDFPageTree&) = delete;
  TPDFPageTree& operator=(const TPDFPageTree&) = delete;

  // The root's /Count (0 when absent, not a number or negative); sizes the page cache.
  int ReadPageCount();
  TPDFDictionary* FindPage(int n);
  // Selects page n (out of range keeps the page selected before).
  void SelectPage(int n);
  double GetPageWidth();
  double GetPageHeight();
  void SetPageWidth(double w);
  void SetPageHeight(double h);
  TPDFDictionary* GetResources();
  void AddFontResource(TPDFFont& font);
  void AddXObjectResource(TPDFImage& image);
  void AddExtGStateResource(std::string_view name, TPDFIndRef* ref);
  void AddPatternResource(std::string_view name, TPDFIndRef* ref);
  // The painter's content, compressed, into the content stream it draws on.
  void FlushContent();
  // The reference item of page n, or nullptr.
  TPDFIndRef* PageReference(int n);
  int PageNumberOfReference(const TPDFIndRef* ref);

  // Renders page into stream in the output format. False when nothing usable was written: no
  // such page, the renderer recorded an error, or the output could not be written (message
  // says why).
  bool RenderPage(int page, int format, double dpi, int jpegQuality, const TGDIPlusSettings& settings,
                  TStream& stream, std::string& message, int pageBox, const TPDFOptionalContentStates& states);

  int CurrentPage() const { return currentPage_; }
  bool Selected() const { return selected_; }
  TPDFDictionary* Page() const { return page_; }
  TPDFDictionary* Root() const { return root_; }
  TPDFPainter& Painter() { return *painter_; }
  TPDFAnnots& Annots() { return *annots_; }
  const std::vector<TPDFStream*>& ContentStreams() const { return contentStreams_; }
  int ContentIndex() const { return contentIndex_; }

  TPDFPageSelectedEvent OnPageSelected;
  TPDFPageNumberEvent OnPageNumber;

 private:
  TPDFObject* Resolve(TPDFObject* obj) const;
  TPDFDictionary* WalkKids(TPDFArray* kids, int target, int64_t& counter, int depth);
  TPDFDictionary* MakeReplacementPage(TPDFArray* kids, int index);
  bool PrepareContents();
  double ReadBoxSide(bool width);
  void SetBox(double w, double h);
  TPDFDictionary* CategoryDictionary(std::string_view category);
  void AddResource(std::string_view category, std::string_view name, TPDFIndRef* ref);
  TPDFStream* NewContentStream();
  void AddXObjectResourceAt(TPDFImage& image, int depth);

  int32_t pageRefNumber_ = 0, pageRefGeneration_ = 0;
  double defaultWidth_ = 612, defaultHeight_ = 792;
  TPDFArray* foundIn_ = nullptr;
  TPDFIndRef* foundRef_ = nullptr;
  int contentIndex_ = 0;
  TPDFStructure* store_ = nullptr;
  TPDFDictionary* root_ = nullptr;
  int currentPage_ = 0;
  TPDFDictionary* parent_ = nullptr;
  TPDFDictionary* page_ = nullptr;
  std::vector<TPDFStream*> contentStreams_;
  std::unique_ptr<TPDFPainter> painter_;
  bool selected_ = false;
  double widthCache_ = 0, heightCache_ = 0;
  bool widthCached_ = false, heightCached_ = false;
  std::unique_ptr<TPDFAnnots> annots_;
  struct CachedPage {
    TPDFDictionary* Page;
    TPDFDictionary* Parent;
  };
  // Pages found so far, by number (a map: a hostile /Count must not size anything).
  std::map<int, CachedPage> pageCache_;
};
