// Generated pages against poppler: tools/difftest/make_pages.py writes small pages from seeds
// (paths, clips, colour spaces, functions, shadings, patterns, forms, transparency, images,
// marked content, text in standard and embedded fonts), and each is rendered by us in modes 0
// (GDI+) and 11 (cairo) and by pdftoppm and compared (tolerances in differential_pages.h).
//
// The normal run draws a fixed set of seeds and leaves out the constructs of kKnown, each a
// listed disagreement. tools/difftest.sh runs the long form (DifferentialLong) over any seeds
// with nothing left out and keeps every disagreement, cut down to the ops that cause it; it
// counts as known only where the page's twin without a listed construct agrees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/pdf/render/support/differential_pages.h"
#include "tests/support/test_support.h"

namespace {

using difftest::Comparison;
using difftest::GeneratedPage;

// Constructs whose pictures differ from poppler's for a reason already known; the normal run
// leaves them out, the long run names them beside each disagreement they take part in.
const std::map<std::string, std::string> kKnown = {
    {"text-clip-paint", "GDI+ clips without anti-aliasing: glyphs painted and clipped to (Tr 4-6) differ at their edges"},
    {"image-smoothed", "poppler smooths an image magnified less than four times; we draw its samples sharp"},
    {"sep-calgray", "a Separation over CalGray is drawn over DeviceGray, its Gamma and white point not applied"},
    {"shade-radial", "radial shadings are not drawn"},
    {"shade-function", "function-based shadings are not drawn"},
    {"shade-mesh", "mesh shadings are not drawn"},
    {"shade-gray", "shadings in DeviceGray are not drawn"},
    {"shade-exponent", "an axial shading is sampled at the function's complexity only"},
    {"group-alpha", "a group's alpha applies to each object of the group, not to the group"},
    {"blend", "GDI+ has no blend modes; cairo blends with the white paper, poppler with what the page painted"},
    {"calrgb", "CalRGB is drawn as DeviceRGB, its Matrix (XYZ by default) not applied"},
    {"calgray", "CalGray is drawn as DeviceGray, its Gamma and white point not applied"},
    {"thin-line", "poppler snaps lines of a pixel or less to whole pixels"},
    {"dash-skew", "dashes are measured in line widths, so a skewing matrix places them elsewhere"},
    {"fn-cvi", "poppler rounds a tint to 16.16 fixed point first, so cvi of an exact integer falls one lower"},
    {"shade-stitching", "an axial shading samples a stitching function evenly, missing its bounds"},
};

std::vector<std::string> KnownTags() {
  std::vector<std::string> tags;
  for (const auto& [tag, why] : kKnown) tags.push_back(tag);
  return tags;
}

bool HaveGenerator() {
  return testsupport::HaveTool("pdftoppm") &&
         testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") == 0;
}

// Whether the page's twin that writes the constructs neutral (the same draws, op for op)
// agrees on the ops kept, on each back end of `backs` (those where the page disagrees).
bool TwinAgrees(const GeneratedPage& page, const std::vector<bool>& keep, const std::vector<std::string>& neutral,
                const std::vector<std::string>& exclude, const std::vector<std::string>& backs) {
  testsupport::TempDir dir;
  GeneratedPage twin;
  if (!difftest::GeneratePages(page.Seed, 1, exclude, dir.path(), neutral) ||
      !difftest::ReadPage(dir.File("page_" + std::to_string(page.Seed) + ".txt"), twin) ||
      twin.Ops.size() != page.Ops.size())
    return false;
  for (const Comparison& c : difftest::ComparePage(twin, keep))
    if (!c.Agrees() && std::find(backs.begin(), backs.end(), c.Back) != backs.end()) return false;
  return true;
}

// The listed constructs among the ops kept that account for the disagreement, as the class of
// the page: "known:a b" when the absence of each of a and b alone makes the page agree on the
// back ends where it disagrees, "known:a+b" when only their absence together does, else
// "new". A construct merely present explains nothing.
std::string KnownClass(const GeneratedPage& page, const std::vector<bool>& keep,
                       const std::vector<std::string>& exclude, const std::vector<Comparison>& cut) {
  std::vector<std::string> listed, backs;
  for (const Comparison& c : cut)
    if (!c.Agrees()) backs.push_back(c.Back);
  std::string each, together;
  for (const std::string& tag : difftest::PageTags(page, keep))
    if (kKnown.count(tag)) listed.push_back(tag);
  for (const std::string& tag : listed) {
    if (TwinAgrees(page, keep, {tag}, exclude, backs)) each += (each.empty() ? "" : " ") + tag;
    together += (together.empty() ? "" : "+") + tag;
  }
  if (!each.empty()) return "known:" + each;
  if (listed.size() > 1 && TwinAgrees(page, keep, listed, exclude, backs)) return "known:" + together;
  return "new";
}

std::string Describe(const GeneratedPage& page, const Comparison& c) {
  std::string tags;
  for (const std::string& tag : difftest::PageTags(page)) tags += tag + " ";
  return "seed " + std::to_string(page.Seed) + " " + c.Back + ": " + std::to_string(c.Outside) + " pixels (" +
         std::to_string(c.Allowed) + " allowed) " + c.Error + " tags: " + tags;
}

// The normal run: kShards shards of kPagesPerShard pages, seeds from 1.
constexpr int kShards = 16;
constexpr int kPagesPerShard = 20;

class Differential : public ::testing::TestWithParam<int> {};

TEST_P(Differential, PagesAgreeWithPoppler) {
  if (!HaveGenerator()) GTEST_SKIP() << "needs pdftoppm and fontTools";
  testsupport::TempDir dir;
  const int first = 1 + GetParam() * kPagesPerShard;
  ASSERT_TRUE(difftest::GeneratePages(first, kPagesPerShard, KnownTags(), dir.path()));
  for (int seed = first; seed < first + kPagesPerShard; ++seed) {
    GeneratedPage page;
    ASSERT_TRUE(difftest::ReadPage(dir.File("page_" + std::to_string(seed) + ".txt"), page)) << seed;
    for (const Comparison& c : difftest::ComparePage(page)) EXPECT_TRUE(c.Agrees()) << Describe(page, c);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Differential, ::testing::Range(0, kShards));

// The long run, when VELMORA_DIFFTEST_OUT names a folder: seeds VELMORA_DIFFTEST_FIRST (1) to
// FIRST + VELMORA_DIFFTEST_COUNT (100) - 1, nothing left out unless VELMORA_DIFFTEST_EXCLUDE
// lists tags (comma-separated). Each disagreement leaves in the folder the page
// (seed_<n>.pdf), its cut-down form (seed_<n>_min.pdf: ops dropped one by one while the
// disagreement stays), the pictures of both (PPM), its record (page_<n>.txt) and a line in
// summary.tsv: seed, pixels per back end, its class ("known:<constructs>" when the page's twin
// without them agrees, else "new"), its tags and the ops kept. Twins come from the generator
// by seed, also for records read from VELMORA_DIFFTEST_PAGES.
TEST(DifferentialLong, Run) {
  const char* out = std::getenv("VELMORA_DIFFTEST_OUT");
  if (out == nullptr) GTEST_SKIP() << "set VELMORA_DIFFTEST_OUT (tools/difftest.sh)";
  if (!HaveGenerator()) GTEST_SKIP() << "needs pdftoppm and fontTools";
  const std::string folder = out;
  const int first = std::getenv("VELMORA_DIFFTEST_FIRST") ? std::atoi(std::getenv("VELMORA_DIFFTEST_FIRST")) : 1;
  const int count = std::getenv("VELMORA_DIFFTEST_COUNT") ? std::atoi(std::getenv("VELMORA_DIFFTEST_COUNT")) : 100;
  std::vector<std::string> exclude;
  if (const char* text = std::getenv("VELMORA_DIFFTEST_EXCLUDE")) {
    std::string all = text, tag;
    for (char ch : all + ",")
      if (ch == ',') {
        if (!tag.empty()) exclude.push_back(tag);
        tag.clear();
      } else {
        tag += ch;
      }
  }
  // VELMORA_DIFFTEST_PAGES names a folder of page records (an earlier run's, say) to compare
  // instead of generated ones: a record kept there can be edited and compared again.
  testsupport::TempDir dir;
  const char* kept = std::getenv("VELMORA_DIFFTEST_PAGES");
  const std::string pages = kept != nullptr ? kept : dir.path();
  if (kept == nullptr) { ASSERT_TRUE(difftest::GeneratePages(first, count, exclude, pages)); }
  std::ofstream summary(folder + "/summary.tsv", std::ios::app);
  int compared = 0, disagreeing = 0;
  for (int seed = first; seed < first + count; ++seed) {
    GeneratedPage page;
    const std::string record = pages + "/page_" + std::to_string(seed) + ".txt";
    if (kept != nullptr && testsupport::ReadFile(record).empty()) continue;
    if (!difftest::ReadPage(record, page)) {
      ADD_FAILURE() << "page " << seed << " did not read";
      continue;
    }
    ++compared;
    std::vector<Comparison> results = difftest::ComparePage(page);
    std::vector<std::string> backs;
    for (const Comparison& c : results)
      if (!c.Agrees()) backs.push_back(c.Back);
    if (backs.empty()) continue;
    ++disagreeing;
    // Cut the page down: drop each op whose absence keeps some back end disagreeing.
    std::vector<bool> keep(page.Ops.size(), true);
    for (size_t i = 0; i < page.Ops.size(); ++i) {
      keep[i] = false;
      bool still = false;
      for (const Comparison& c : difftest::ComparePage(page, keep)) still = still || !c.Agrees();
      if (!still) keep[i] = true;
    }
    const std::vector<Comparison> cut = difftest::ComparePage(page, keep);
    const std::string base = folder + "/seed_" + std::to_string(seed);
    rendertest::TestPdf whole, small;
    difftest::BuildPdf(page, whole);
    difftest::BuildPdf(page, small, keep);
    whole.WriteFile(base + ".pdf");
    if (kept == nullptr) testsupport::WriteFile(folder + "/page_" + std::to_string(seed) + ".txt", testsupport::ReadFile(record));
    small.WriteFile(base + "_min.pdf");
    testsupport::WriteFile(base + "_min_poppler.ppm", difftest::Ppm(cut[0].Theirs));
    std::string fresh, line = std::to_string(seed);
    for (const Comparison& c : cut) {
      testsupport::WriteFile(base + "_min_" + c.Back + ".ppm", difftest::Ppm(c.Ours));
      line += "\t" + c.Back + "=" + std::to_string(c.Outside) + "/" + std::to_string(c.Allowed) +
              (c.Error.empty() ? "" : "(error)");
    }
    for (const std::string& tag : difftest::PageTags(page, keep)) fresh += tag + " ";
    line += "\t" + KnownClass(page, keep, exclude, cut) + "\t" + fresh;
    for (size_t i = 0; i < page.Ops.size(); ++i)
      if (keep[i]) line += "\t" + page.Ops[i].Content;
    summary << line << "\n";
    summary.flush();
  }
  std::printf("compared %d pages, %d disagree\n", compared, disagreeing);
}

}  // namespace
