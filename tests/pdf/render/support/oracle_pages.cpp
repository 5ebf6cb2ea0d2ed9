#include "tests/pdf/render/support/oracle_pages.h"

#include <cstdlib>
#include <iostream>

namespace rendertest {

namespace {

const std::string kStar = "50 90 m 26 17 l 88 62 l 12 62 l 74 17 l h";
const std::string kCircle = "50 80 m 66.57 80 80 66.57 80 50 c 80 33.43 66.57 20 50 20 c 33.43 20 20 33.43 20 50 c "
                            "20 66.57 33.43 80 50 80 c h";

const std::vector<OraclePage>& Pages() {
  static const std::vector<OraclePage> pages = {
      OraclePage{.name = "rectangles",
                 .content = "1 0 0 rg 10 10 30 20 re f 0 0.5 0 rg 50 50 40 40 re f 0 0 1 rg 0 80 100 20 re f"},
      OraclePage{.name = "curves", .content = "0 0.6 0 rg " + kCircle + " f"},
      OraclePage{.name = "nonzero_and_even_odd",
                 .content = "1 0 0 rg " + kStar + " f 0 0 1 rg 0.5 0 0 0.5 50 0 cm " + kStar + " f*"},
      OraclePage{.name = "strokes_caps_joins",
                 .content = "0 0 1 RG 6 w 15 85 m 85 85 l S 1 J 15 70 m 85 70 l S 2 J 15 55 m 85 55 l S "
                            "0 J 1 j 15 10 m 30 40 l 45 10 l S 2 j 55 10 m 70 40 l 85 10 l S"},
      // A clip ends with the restore that closes its save, whether the clip was nonzero or even-odd.
      OraclePage{.name = "clips_restored",
                 .content = "q 20 20 60 60 re W n 1 0 0 rg 0 0 100 100 re f Q 0 0 1 rg 0 0 100 10 re f "
                            "q 40 40 20 20 re W* n 0 1 0 rg 0 0 100 100 re f Q 0 0 0 rg 0 90 100 10 re f"},
      // A form inside a form, each with its box, the inner one with a matrix.
      OraclePage{.name = "nested_forms",
                 .content = "q 1 0 0 1 10 10 cm /Outer Do Q 0 0 1 rg 80 80 10 10 re f",
                 .resources = "<< /XObject << /Outer 5 0 R >> >>",
                 .objects = {"stream:<< /Subtype /Form /BBox [0 0 60 60] /Resources << /XObject << /In 6 0 R >> "
                             ">> >>|1 0 0 rg 0 0 60 60 re f q 1 0 0 1 10 10 cm /In Do Q",
                             "stream:<< /Subtype /Form /BBox [0 0 20 20] /Matrix [2 0 0 2 0 0] >>|"
                             "0 1 0 rg -10 -10 100 100 re f"}},
  };
  return pages;
}

}  // namespace

const OraclePage& SharedPage(std::string_view name) {
  for (const OraclePage& page : Pages())
    if (page.name == name) return page;
  std::cerr << "no shared oracle page " << name << "\n";
  std::abort();
}

}  // namespace rendertest
