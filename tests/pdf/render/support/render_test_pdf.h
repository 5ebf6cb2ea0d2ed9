// Test documents for the renderer, written as PDF object texts: the same objects are loaded
// into a store for our renderer and written out as a PDF file for poppler.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pdf/core/document/optional_content.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/pdf_file_text.h"

class TPDFRenderer;
class TBitmap;

namespace rendertest {

class TestPdf {
 public:
  TestPdf();
  // Object n (numbers from 1, in the order added): its syntax, or a stream's dictionary text
  // (without /Length) and data. Returns the number.
  int Add(const std::string& text);
  int AddStream(const std::string& dictionary, const std::string& data);
  // Objects in order, each an object's syntax or "stream:<dictionary>|<data>" for a stream.
  void AddObjects(const std::vector<std::string>& objects);
  // A catalog and page tree around one page; the page dictionary gets the media box, the
  // resources text and the extra entries, its content stream the content and the entries of
  // contentDictionary. Returns the page's object number.
  int AddPage(const std::string& content, const std::string& resources = "<< >>",
              const std::string& mediaBox = "[0 0 100 100]", const std::string& extra = "",
              const std::string& contentDictionary = "<< >>");

  // The document's optional-content groups (object numbers), those of off hidden by default:
  // written into the catalog (after AddPage) for poppler, and handed to our renderer.
  void SetOptionalContent(const std::vector<int>& groups, const std::vector<int>& off);
  TPDFOptionalContentStates OptionalContentStates();

  // The objects loaded into the store (once; later calls return the same objects).
  TPDFObject* Object(int n);
  TPDFDictionary* Dict(int n);
  TPDFStream* Stream(int n);
  TPDFStructure& Store() { return store_; }
  // The whole file: header, objects, cross-reference table, trailer with the catalog as root.
  std::string FileText() const;
  void WriteFile(const std::string& path) const;

 private:
  void Load();
  std::vector<pdffile::TextObject> entries_;
  int catalog_ = 0;
  TPDFStructure store_;
  std::map<int, TPDFObject*> loaded_;
  bool isLoaded_ = false;
  std::vector<std::pair<int, bool>> groups_;  // object number, shown
};

// The GDI+ provider built beside the tests.
WideString ProviderPath();
// The bytes of a font program the differential test's generator makes (the function of that
// name in tools/difftest/fonts.py: "truetype", "bare_cff", ...); empty when it cannot be made
// (no fontTools).
std::string GeneratorFont(const std::string& function);
// Our rendering of page n at 72 dpi as top-down RGB rows (empty when the render drew no
// bitmap); error gets the renderer's error text.
// highQualityPaths asks GDI+ for its best path quality, as printer output does.
testraster::Raster RenderOurs(TestPdf& pdf, int page, std::string* error = nullptr, double dpi = 72,
                              bool gdiplus = true, bool polynomialCMYK = true, bool highQualityPaths = false);
// A 24-bit bitmap's pixels as top-down RGB rows.
testraster::Raster RasterOf(TBitmap& bitmap);
// Our cairo output on the bitmap (mode 11) at 72 dpi, drawn by the cairo library of that path.
testraster::Raster RenderOursCairo(TestPdf& pdf, int page, std::string* error = nullptr,
                                   const WideString& library = u"libcairo.so.2");
// Our EPS output (mode 3) of the page as Ghostscript draws it at 72 dpi (gs -dEPSCrop, smoothed
// edges); empty when gs failed. error gets the renderer's error text.
testraster::Raster RenderOursEPS(TestPdf& pdf, int page, std::string* error = nullptr);
// An EPS file as Ghostscript draws it at 72 dpi; empty when gs failed.
testraster::Raster GhostscriptEPS(const std::string& eps);
// The page's output in a mode without a picture of our own (EPS, metafiles or HTML5) as bytes,
// drawn through GDI+ or GDI; error gets the renderer's error text.
std::string RenderOutput(TestPdf& pdf, int page, uint8_t mode, std::string& error, bool gdiplus = true);
// poppler's rendering (pdftoppm -cropbox -r dpi) of the first page of the document.
testraster::Raster RenderPoppler(const TestPdf& pdf, double dpi = 72);
// Ghostscript's rendering (gs -sDEVICE=ppmraw -r dpi) of the first page; empty when gs failed.
testraster::Raster RenderGhostscript(const TestPdf& pdf, double dpi = 72);
// poppler's cairo back end (pdftocairo -png -cropbox -r dpi): it copies an image at whole
// pixels exactly, where pdftoppm's Splash resamples every image by one pixel. Empty when
// pdftocairo or Pillow is missing.
testraster::Raster RenderPopplerCairo(const TestPdf& pdf, double dpi = 72);
// Pixels whose channels differ by more than tolerance (all of them when the sizes differ).
int CountDifferent(const testraster::Raster& a, const testraster::Raster& b, int tolerance);
// The colour at (x, y) as 0xRRGGBB.
uint32_t PixelAt(const testraster::Raster& r, int x, int y);

}  // namespace rendertest

namespace rendertest {
// Pixels of ours that lie outside the range poppler has around them (each channel between the
// smallest and largest value of its 3 x 3 neighbourhood, widened by tolerance): anti-aliased
// edges of two rasterizers agree by this measure, misplaced or miscoloured shapes do not.
int CountOutsideNeighbourhood(const testraster::Raster& ours, const testraster::Raster& theirs, int tolerance);
}  // namespace rendertest
