// Pages of the differential test: written by tools/difftest/make_pages.py from a seed, read
// back here, rendered by us (GDI+ and cairo) and by poppler's pdftoppm, and compared within a
// per-pixel tolerance and a per-page share of differing pixels.
#pragma once

#include <string>
#include <vector>

#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace difftest {

// One drawing step of a page: its content and the constructs it uses.
struct PageOp {
  std::vector<std::string> Tags;
  std::string Content;
};

struct GeneratedPage {
  int Seed = 0;
  std::string MediaBox, Extra, Resources;
  std::vector<PageOp> Ops;
  // Objects 5, 6, ...: an object's text, or "stream:<dictionary>|<data>".
  std::vector<std::string> Objects;
};

// Runs the generator for seeds first .. first + count - 1 into folder, leaving out every
// construct tagged with one of exclude; false when it failed (no fontTools, say). With neutral
// it writes each page's twin: the same draws, op for op, with those constructs written in a
// neutral form (butt caps for square ones, DeviceRGB for CalRGB, ...).
bool GeneratePages(int first, int count, const std::vector<std::string>& exclude, const std::string& folder,
                   const std::vector<std::string>& neutral = {});
// Reads one page record; false when it is malformed.
bool ReadPage(const std::string& path, GeneratedPage& page);

// The page as a document, with the ops whose keep flag is set (all when keep is empty).
// Returns the page's object number.
int BuildPdf(const GeneratedPage& page, rendertest::TestPdf& pdf, const std::vector<bool>& keep = {});

// Tolerance: a pixel of ours agrees when each channel lies within the range poppler has in its
// 3 x 3 neighbourhood, widened by kChannelTolerance (and the same the other way round, so a
// shape poppler draws and we miss counts too). A page agrees when at most kPixelAllowance
// pixels, or kPageShare of its pixels if that is more, disagree in either direction.
constexpr int kChannelTolerance = 24;
constexpr int kPixelAllowance = 40;
constexpr double kPageShare = 0.006;

struct Comparison {
  std::string Back;  // "gdiplus" (mode 0) or "cairo" (mode 11)
  int Outside = 0;   // disagreeing pixels
  int Allowed = 0;
  std::string Error;  // our renderer's error text
  testraster::Raster Ours, Theirs;
  bool Agrees() const { return Outside <= Allowed && Error.empty(); }
};

// Our two renderings against poppler's.
std::vector<Comparison> ComparePage(const GeneratedPage& page, const std::vector<bool>& keep = {});
// The tags of the page's ops, each once, sorted.
std::vector<std::string> PageTags(const GeneratedPage& page, const std::vector<bool>& keep = {});

// A raster as a binary PPM.
std::string Ppm(const testraster::Raster& r);

}  // namespace difftest
