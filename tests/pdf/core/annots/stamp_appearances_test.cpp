// The fourteen standard stamps: what the renderer relies on (names, colours, shadow first,
// CR LF lines, outlines only, the Draft fallback), and pages of them that qpdf accepts.
#include <gtest/gtest.h>

#include <string>

#include "pdf/core/annots/stamp_appearances.h"
#include "tests/support/test_support.h"

namespace {

struct Stamp {
  const char* name;
  const char* colour;
};

const Stamp kStamps[] = {
    {"Approved", "0.25 0.95 0.00"},   {"Experimental", "0.00 0.50 1.00"}, {"NotApproved", "1.00 0.00 0.00"},
    {"AsIs", "1.00 0.00 0.00"},       {"Expired", "1.00 0.00 0.00"},      {"NotForPublicRelease", "1.00 0.00 0.00"},
    {"Confidential", "1.00 0.00 0.00"}, {"Final", "1.00 0.00 0.00"},      {"Sold", "0.00 0.50 1.00"},
    {"Departmental", "0.00 0.50 1.00"}, {"ForComment", "0.25 0.95 0.00"}, {"TopSecret", "1.00 0.00 0.00"},
    {"Draft", "1.00 0.00 0.00"},      {"ForPublicRelease", "0.25 0.95 0.00"}};

TEST(StampAppearances, EveryStampIsDrawnAsTheRendererExpects) {
  for (const Stamp& s : kStamps) {
    const std::string c = StampAppearanceStream(s.name);
    SCOPED_TRACE(s.name);
    ASSERT_GT(c.size(), 1000u);
    EXPECT_EQ(c.rfind("1.00000 0.00000 0.00000 1.00000 0.0000 0.0000 cm\r\n", 0), 0u);
    const size_t grey = c.find("0.80 0.80 0.80 rg\r\n"), colour = c.find(std::string(s.colour) + " rg\r\n");
    ASSERT_NE(grey, std::string::npos);
    ASSERT_NE(colour, std::string::npos);
    EXPECT_LT(grey, colour) << "the shadow goes first";
    EXPECT_EQ(c.find("BT"), std::string::npos) << "outlines only";
    EXPECT_NE(c.find("\r\nf*\r\n"), std::string::npos);
    for (size_t at = c.find('\n'); at != std::string::npos; at = c.find('\n', at + 1))
      ASSERT_EQ(c[at - 1], '\r') << "at " << at;
  }
  const std::string draft = StampAppearanceStream("Draft");
  for (const char* other : {"draft", "Unknown", "", "Approved "}) EXPECT_EQ(StampAppearanceStream(other), draft) << other;
  EXPECT_NE(StampAppearanceStream("Sold"), draft);
}

// Each stamp as the appearance of a Stamp annotation: qpdf finds the file sound.
TEST(StampAppearances, PagesOfStampsPassQpdf) {
  REQUIRE_TOOL("qpdf");
  std::string objects, annots;
  std::vector<size_t> offsets;
  std::string body;
  auto add = [&](const std::string& text) {
    offsets.push_back(body.size() + 9);
    body += std::to_string(offsets.size()) + " 0 obj\n" + text + "\nendobj\n";
    return offsets.size();
  };
  add("<< /Type /Catalog /Pages 2 0 R >>");
  add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Annots 4 0 R >>");
  add("[" + [] {
    std::string refs;
    for (int i = 0; i < 14; ++i) refs += std::to_string(5 + 2 * i) + " 0 R ";
    return refs;
  }() + "]");
  for (int i = 0; i < 14; ++i) {
    const int x = 10 + (i % 2) * 140, y = 250 - (i / 2) * 40;
    add("<< /Type /Annot /Subtype /Stamp /Name /" + std::string(kStamps[i].name) + " /Rect [" + std::to_string(x) + " " +
        std::to_string(y) + " " + std::to_string(x + 120) + " " + std::to_string(y + 32) + "] /AP << /N " +
        std::to_string(6 + 2 * i) + " 0 R >> >>");
    const std::string c = StampAppearanceStream(kStamps[i].name);
    add("<< /Type /XObject /Subtype /Form /BBox [0 0 120 32] /Length " + std::to_string(c.size()) + " >>\nstream\n" + c +
        "\nendstream");
  }
  std::string file = "%PDF-1.4\n" + body;
  const size_t xref = file.size();
  file += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t o : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    file += line;
  }
  file += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n";
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("stamps.pdf"), file);
  std::string out;
  EXPECT_EQ(testsupport::Run("qpdf --check " + dir.File("stamps.pdf") + " 2>&1", &out), 0) << out;
  EXPECT_NE(out.find("No syntax or stream encoding errors"), std::string::npos) << out;
}

}  // namespace
