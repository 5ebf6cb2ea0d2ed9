// Batch mode end to end: the built program, in a scratch program folder of its own with a
// Velmora.cfg written by the test, run as "velmora X" on generated folders.
#include <gtest/gtest.h>

#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/support/batch_mode_fixture.h"
#include "tests/app/support/batch_program.h"
#include "tests/app/support/clipboard_manager.h"
#include "tests/app/support/locale_text.h"
#include "tests/app/support/quadrants_wmf.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using apptest::BatchMode;

namespace {

// The grid of the fixture's cells with 4 pixels square: one sample at each cell's centre.
const char* kCellGrid = "-100-0-0-0-100-0-0-0-100-33-33-33-33-33-33-33-33-33-67-33-0-24-24-53-50-50-0-0-50-50-50-0-50-"
                        "11-33-56-60-20-20-20-60-20-20-20-60-33-33-33 - CO";

using Result = apptest::BatchResult;

}  // namespace

TEST_F(BatchMode, FootprintsOfSolidCellsInEveryFormat) {
  MakeCells();
  const std::string target = dir.File("out/");
  Config({images + "cells.png", images, target, "-", "------X--", "4", "100", "-"});
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[0], "Masterfootprint:");
  EXPECT_EQ(lines[1], apptest::Localised("64 - 48 - 1.330 - L - 3072 - .PNG") + kCellGrid);
  EXPECT_EQ(lines[2], images + "cells.png");
  EXPECT_EQ(lines[3], "Matching footprints:...");
  EXPECT_EQ(lines[lines.size() - 1], "Process ended ...");
  const auto m = Matches(r.out);
  // With precision 100 only the exact grid matches, and every type matches. A metafile's size
  // is in points (64 x 48 pixels at 96 dpi are 48 x 36 points).
  const std::map<std::string, std::string> required = {
      {"cells.png", "64 - 48 - 1.330 - L - 3072 - .PNG"}, {"big.bmp", "128 - 96 - 1.330 - L - 12288 - .BMP"},
      {"small.jpg", "32 - 24 - 1.330 - L - 768 - .JPG"},  {"cells.gif", "64 - 48 - 1.330 - L - 3072 - .GIF"},
      {"cells.tif", "64 - 48 - 1.330 - L - 3072 - .TIF"}, {"cells.ico", "64 - 64 - 1.000 - Q - 4096 - .ICO"},
      {"cells.emf", "48 - 36 - 1.330 - L - 1728 - .EMF"}, {"cells.wmf", "48 - 36 - 1.330 - L - 1728 - .WMF"},
  };
  for (const auto& [name, head] : required) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name), apptest::Localised(head) + kCellGrid) << name;
  }
  EXPECT_EQ(m.count(images + "green.png"), 0u);
  EXPECT_EQ(lines[lines.size() - 2], std::to_string(m.size()) + " matching imagefiles out of 9 files were copied to " + target);
  for (const auto& [file, props] : m) {
    const std::string name = file.substr(images.size());
    EXPECT_EQ(testsupport::ReadFile(target + name), testsupport::ReadFile(file)) << name;
  }
  // The configuration is saved on the way out, with the target the run used.
  EXPECT_EQ(testsupport::ReadFile(prog + "Velmora.cfg"),
            images + "cells.png\r\n" + images + "\r\n" + target + "\r\n-\r\n------X--\r\n4\r\n100\r\n-\r\n");
}

// The ratio takes the decimal separator of the locale the program runs in; nothing else of the
// output changes with it (Turkish case mapping leaves the types ".TIF" and ".ICO" as they are).
// Locales this machine lacks are left out (localedef makes them).
TEST_F(BatchMode, TheRatioTakesTheLocalesDecimalSeparator) {
  MakeCells();
  Config({images + "cells.png", images, dir.File("out/"), "-", "---------", "4", "100", "-"});
  const struct {
    const char* locale;
    const char* ratio;
  } cases[] = {{"C", "1.330"}, {"en_US.UTF-8", "1.330"}, {"de_DE.UTF-8", "1,330"}, {"tr_TR.UTF-8", "1,330"}};
  std::string missing;
  for (const auto& c : cases) {
    const locale_t present = newlocale(LC_ALL_MASK, c.locale, static_cast<locale_t>(nullptr));
    if (present == static_cast<locale_t>(nullptr)) {
      missing += std::string(" ") + c.locale;
      continue;
    }
    freelocale(present);
    program.SetEnvironment({std::string("LC_ALL=") + c.locale});
    const Result r = RunBatch();
    ASSERT_EQ(r.status, 0) << c.locale << "\n" << r.err;
    const auto m = Matches(r.out);
    const std::string head = std::string("64 - 48 - ") + c.ratio + " - L - 3072 - ";
    EXPECT_EQ(m.at(images + "cells.tif"), head + ".TIF" + kCellGrid) << c.locale;
    const std::string square = std::string("64 - 64 - 1") + c.ratio[1] + "000 - Q - 4096 - .ICO";
    EXPECT_EQ(m.at(images + "cells.ico").substr(0, square.size()), square) << c.locale;
  }
  if (!missing.empty()) GTEST_SKIP() << "locales missing:" << missing;
}

// The TIFF and GIF layouts the library reads, written by libtiff's tiffcp, ImageMagick and
// Pillow from the same cells: each gives the master's footprint. Fax pages (black and white
// cells) load at their size and are black-and-white; JPEG pages with alpha are their colour
// or grey cells, as the same cells in a PNG file without alpha.
TEST_F(BatchMode, EveryTIFFAndGIFLayoutFootprintsLikeTheOthers) {
  REQUIRE_TOOL("tiffcp");
  REQUIRE_TOOL("convert");
  MakeCells();
  const std::string src = dir.File("src/");
  ::mkdir(src.c_str(), 0755);
  testsupport::WriteFile(dir.File("variants.py"), R"PY(
import subprocess, sys
from PIL import Image
src, out = sys.argv[1], sys.argv[2]
cells = Image.open(out + 'cells.png').convert('RGB')
cells.save(src + 'rgb.tif')
cells.convert('RGBA').save(out + 'cells-rgba.tif')
cells.quantize(16).save(out + 'cells-palette.tif')
cells.save(out + 'cells-interlaced.gif', interlace=True)
bw = Image.new('1', (64, 48), 1)
bw.paste(0, (0, 0, 32, 24)); bw.paste(0, (32, 24, 64, 48))
bw.save(src + 'bw.tif')
def run(*a): subprocess.run(a, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for name, opts in [('lzw.tif', ['-c', 'lzw']), ('lzw2.tif', ['-c', 'lzw:2']), ('zip.tiff', ['-c', 'zip']),
                   ('packbits.tif', ['-c', 'packbits']), ('jpeg.tif', ['-c', 'jpeg:r', '-r', '16']),
                   ('strips.tif', ['-c', 'lzw', '-r', '5']), ('tiles.tif', ['-c', 'zip', '-t', '-w', '16', '-l', '16']),
                   ('be.tif', ['-c', 'none', '-B'])]:
    run('tiffcp', *opts, src + 'rgb.tif', out + 'cells-' + name)
for name, opts in [('g4.tif', ['-c', 'g4']), ('g3.tif', ['-c', 'g3']), ('g3-2d.tiff', ['-c', 'g3:2d'])]:
    run('tiffcp', *opts, src + 'bw.tif', out + 'bw-' + name)
cells.convert('RGBA').save(src + 'rgba.tif')
cells.convert('LA').save(src + 'la.tif')
cells.convert('L').save(out + 'grey.png')
run('tiffcp', '-c', 'jpeg:r', '-r', '16', src + 'rgba.tif', out + 'cells-rgba-jpeg.tif')
run('convert', src + 'rgba.tif', '-compress', 'JPEG', out + 'cells-rgba-im-jpeg.tif')
run('tiffcp', '-c', 'jpeg', '-r', '16', src + 'la.tif', out + 'grey-alpha-jpeg.tif')
run('tiffcp', '-c', 'jpeg', '-t', '-w', '16', '-l', '16', src + 'la.tif', out + 'grey-alpha-jpeg-tiles.tif')
run('convert', src + 'la.tif', '-compress', 'JPEG', out + 'grey-alpha-im-jpeg.tif')
run('convert', out + 'cells.png', '-depth', '16', out + 'cells-16bit.tif')
run('convert', out + 'cells.png', out + 'cells-im.gif')
)PY");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("variants.py") + " " + src + " " + images), 0);
  // No test selected: every file the library reads is listed with its footprint.
  Config({images + "cells.png", images, dir.File("out/"), "-", "---------", "4", "100", "-"});
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  const auto m = Matches(r.out);
  const std::string head = apptest::Localised("64 - 48 - 1.330 - L - 3072 - ");
  for (const char* name : {"cells-lzw.tif", "cells-lzw2.tif", "cells-packbits.tif", "cells-jpeg.tif",
                           "cells-strips.tif", "cells-tiles.tif", "cells-be.tif", "cells-rgba.tif",
                           "cells-palette.tif", "cells-16bit.tif", "cells-rgba-jpeg.tif", "cells-rgba-im-jpeg.tif"}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name), head + ".TIF" + kCellGrid) << name;
  }
  ASSERT_EQ(m.count(images + "cells-zip.tiff"), 1u) << r.out;
  EXPECT_EQ(m.at(images + "cells-zip.tiff"), head + ".TIFF" + kCellGrid);
  for (const char* name : {"cells-interlaced.gif", "cells-im.gif"}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name), head + ".GIF" + kCellGrid) << name;
  }
  std::string grey;
  for (int i = 0; i < 48; ++i) grey += "-33";
  for (const char* name : {"bw-g4.tif", "bw-g3.tif"}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name), head + ".TIF" + grey + " - BW") << name;
  }
  ASSERT_EQ(m.count(images + "bw-g3-2d.tiff"), 1u) << r.out;
  EXPECT_EQ(m.at(images + "bw-g3-2d.tiff"), head + ".TIFF" + grey + " - BW");
  ASSERT_EQ(m.count(images + "grey.png"), 1u) << r.out;
  EXPECT_EQ(m.at(images + "grey.png"), head + ".PNG" + grey + " - GR");
  for (const char* name : {"grey-alpha-jpeg.tif", "grey-alpha-jpeg-tiles.tif", "grey-alpha-im-jpeg.tif"}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name), head + ".TIF" + grey + " - GR") << name;
  }
}

// The colour grid of a footprint: the 48 numbers after the file type.
static std::vector<int> ColourGrid(const std::string& footprint) {
  std::vector<std::string> parts;
  for (size_t from = 0;;) {
    const size_t at = footprint.find(" - ", from);
    parts.push_back(footprint.substr(from, at - from));
    if (at == std::string::npos) break;
    from = at + 3;
  }
  std::vector<int> grid;
  if (parts.size() < 7) return grid;
  const std::string& cells = parts[parts.size() - 2];
  for (size_t at = cells.find('-'); at != std::string::npos; at = cells.find('-', at + 1))
    grid.push_back(std::atoi(cells.c_str() + at + 1));
  return grid;
}

// Pictures stored as CMYK footprint like their RGB twin whose colours are those poppler gives
// the same inks: sixteen cells of every ink corner (the inks, their overprints, with and
// without black), as a raw CMYK TIFF, a JPEG-compressed CMYK TIFF (libtiff's tiffcp) and a CMYK
// JPEG (Pillow's, Adobe-style).
TEST_F(BatchMode, CMYKPicturesFootprintLikeTheirRGBTwin) {
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("tiffcp");
  testsupport::WriteFile(dir.File("inks.py"), R"PY(
import itertools, subprocess, sys
from PIL import Image
out, work = sys.argv[1], sys.argv[2]
inks = list(itertools.product([0, 1], repeat=4))
ops = ''.join('%d %d %d %d k %d 0 1 1 re f\n' % (c, m, y, k, i) for i, (c, m, y, k) in enumerate(inks))
objs = ['<< /Type /Catalog /Pages 2 0 R >>', '<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
        '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 16 1] /Contents 4 0 R /Resources << >> >>',
        '<< /Length %d >>\nstream\n%sendstream' % (len(ops), ops)]
pdf, offsets = '%PDF-1.4\n', []
for n, o in enumerate(objs):
    offsets.append(len(pdf))
    pdf += '%d 0 obj\n%s\nendobj\n' % (n + 1, o)
xref = len(pdf)
pdf += 'xref\n0 5\n0000000000 65535 f \n' + ''.join('%010d 00000 n \n' % o for o in offsets)
pdf += 'trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' % xref
open(work + 'inks.pdf', 'w').write(pdf)
subprocess.run(['pdftoppm', '-r', '72', '-singlefile', work + 'inks.pdf', work + 'inks'], check=True)
drawn = Image.open(work + 'inks.ppm').convert('RGB')
ink, twin = Image.new('CMYK', (64, 64)), Image.new('RGB', (64, 64))
for i, corner in enumerate(inks):
    box = ((i % 4) * 16, (i // 4) * 16, (i % 4) * 16 + 16, (i // 4) * 16 + 16)
    ink.paste(tuple(255 * v for v in corner), box)
    twin.paste(drawn.getpixel((i, 0)), box)
twin.save(out + 'twin.tif')
ink.save(work + 'ink.tif')
ink.save(out + 'ink.tif')
ink.save(out + 'ink.jpg', quality=95)
subprocess.run(['tiffcp', '-c', 'jpeg', work + 'ink.tif', out + 'ink-jpeg.tif'], check=True)
)PY");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("inks.py") + " " + images + " " + dir.File("")), 0);
  // No test selected: every file is listed with its footprint.
  Config({images + "twin.tif", images, dir.File("out/"), "-", "---------", "4", "100", "-"});
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  const auto m = Matches(r.out);
  ASSERT_EQ(m.count(images + "twin.tif"), 1u) << r.out;
  const std::vector<int> twin = ColourGrid(m.at(images + "twin.tif"));
  ASSERT_EQ(twin.size(), 48u) << r.out;
  for (const auto& [name, tolerance] : {std::pair{"ink.tif", 1}, {"ink-jpeg.tif", 2}, {"ink.jpg", 2}}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    const std::vector<int> grid = ColourGrid(m.at(images + name));
    ASSERT_EQ(grid.size(), 48u) << name;
    for (size_t i = 0; i < grid.size(); ++i)
      EXPECT_LE(std::abs(grid[i] - twin[i]), tolerance) << name << ": cell " << i / 3 << " channel " << i % 3 << "\n"
                                                        << m.at(images + name) << "\n" << m.at(images + "twin.tif");
  }
}

// A smaller copy of the master matches by its colours; a different picture does not.
TEST_F(BatchMode, ResizedCopyMatchesAndDifferentImageDoesNot) {
  testsupport::WriteFile(dir.File("make.py"),
                         "from PIL import Image, ImageDraw\n"
                         "def pic(w, h, sky, ground):\n"
                         "  im = Image.new('RGB', (w, h), sky); d = ImageDraw.Draw(im)\n"
                         "  d.rectangle([0, h * 6 // 10, w, h], fill=ground)\n"
                         "  d.ellipse([w // 2, h // 5, w * 3 // 4, h // 2], fill=(250, 220, 90))\n"
                         "  return im\n"
                         "pic(400, 300, (240, 130, 70), (50, 40, 90)).save('" + images + "master.jpg', quality=92)\n"
                         "pic(200, 150, (240, 130, 70), (50, 40, 90)).save('" + images + "half.png')\n"
                         "pic(400, 300, (90, 160, 230), (40, 130, 60)).save('" + images + "other.jpg', quality=92)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  Config({images + "master.jpg", images, "", "-", "------X--", "8", "75", "-"});
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  const auto m = Matches(r.out);
  EXPECT_EQ(m.count(images + "master.jpg"), 1u);
  EXPECT_EQ(m.count(images + "half.png"), 1u) << r.out;
  EXPECT_EQ(m.count(images + "other.jpg"), 0u) << r.out;
  // An empty target becomes the folder's "compared/".
  EXPECT_EQ(Listing(images + "compared"), "half.png\nmaster.jpg\n");
}

// The rules for what the analysis cannot measure hold alike for the master and for the same
// file met again as a candidate: black pixels are neutral, cells without pixels hold zeros, and
// precision 0 leaves every maximum open. A file the library cannot read is never a match (as a
// master it is an error: see MasterProblemsAndRunErrorsEndWithAFailure).
TEST_F(BatchMode, UnmeasurableCasesAreTheSameForMasterAndCandidate) {
  MakeSolids(images, "('black.png', 40, 30, (0, 0, 0)), ('black.bmp', 40, 30, (0, 0, 0)), "
                     "('wide.png', 300, 20, (10, 200, 30))");
  testsupport::WriteFile(images + "bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not really");
  auto grid = [](const char* v) {
    std::string s;
    for (int i = 0; i < 48; ++i) s += std::string("-") + v;
    return s;
  };
  const std::string black = apptest::Localised("40 - 30 - 1.330 - L - 1200 - .PNG");
  const struct {
    const char* what;
    const char* master;
    const char* tests;  // the nine option flags
    const char* pix;
    const char* prec;
    std::string masterLine;  // empty: not checked
    const char* matches;
  } cases[] = {
      // Black pixels: 3, 3, 3 each, every cell 33, black-and-white. All tests but the type.
      {"black", "black.png", "XXXXX-XX-", "4", "100", black + grid("33") + " - BW", "black.bmp black.png "},
      // Two pixels square: cells of no pixels hold 0, 0, 0.
      {"empty cells", "black.png", "XXXXX-XX-", "2", "100", black + grid("0") + " - BW", "black.bmp black.png "},
      // Precision 0: every range passes and the colour share needs nothing.
      {"precision 0", "black.png", "XXX-X-X--", "4", "0", "", "black.bmp black.png wide.png "},
      // The unreadable file as a candidate: never a match, even with nothing selected.
      {"unreadable candidate", "black.png", "---------", "4", "75", "", "black.bmp black.png wide.png "},
  };
  int run = 0;
  for (const auto& c : cases) {
    Config({images + c.master, images, dir.File("out" + std::to_string(++run) + "/"), "-", c.tests, c.pix, c.prec, "-"});
    const Result r = RunBatch();
    ASSERT_EQ(r.status, 0) << c.what << ": " << r.err;
    if (!c.masterLine.empty()) {
      EXPECT_EQ(Lines(r.out)[1], c.masterLine) << c.what;
    }
    std::string names;
    for (const auto& [file, props] : Matches(r.out)) names += file.substr(images.size()) + " ";
    EXPECT_EQ(names, c.matches) << c.what;
    EXPECT_NE(r.out.find(" matching imagefiles out of 4 files"), std::string::npos) << r.out;
  }
}

TEST_F(BatchMode, ExistingFilesAreNeverOverwritten) {
  MakeCells();
  const std::string target = dir.File("out/");
  ::mkdir(target.c_str(), 0755);
  testsupport::WriteFile(target + "big.bmp", "someone's file");
  testsupport::WriteFile(target + "cells.png", "");
  Config({images + "cells.png", images, target, "-", "---------", "4", "75", "-"});  // no test: all match
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testsupport::ReadFile(target + "big.bmp"), "someone's file");
  EXPECT_EQ(testsupport::ReadFile(target + "cells.png"), "");
  EXPECT_EQ(testsupport::ReadFile(target + "small.jpg"), testsupport::ReadFile(images + "small.jpg"));
  // No test selected: every file the library reads matches.
  EXPECT_NE(r.out.find("9 matching imagefiles out of 9 files"), std::string::npos) << r.out;
  std::string names;
  for (const auto& [file, props] : Matches(r.out)) names += file.substr(images.size()) + "\n";
  EXPECT_EQ(Listing(target), names);  // the two files that were there are among the matches
  // Nothing half-written is left beside them.
  EXPECT_EQ(Listing(target).find(".velmora"), std::string::npos);
}

// Blanks around the target's text (a pasted path, a hand-edited Velmora.cfg) are not part of its
// name: the folder made is the one the matches are copied to and the one the summary names, and
// no folder with the blank in its name is left behind.
TEST_F(BatchMode, BlanksAroundTheTargetAreNotPartOfItsName) {
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30)), ('b.jpg', 30, 20, (20, 30, 220))");
  const struct {
    std::string typed;   // the target line
    std::string folder;  // the folder the matches must land in
  } cases[] = {
      {dir.File("tgt3 "), dir.File("tgt3/")},
      {dir.File("tgt4/ "), dir.File("tgt4/")},
      {" " + dir.File("tgt5") + "\t", dir.File("tgt5/")},
      {dir.File("made") + " ", dir.File("made/")},  // already there: used as it is
  };
  ::mkdir(dir.File("made").c_str(), 0755);
  for (const auto& c : cases) {
    Config({images + "a.png", images, c.typed, "-", "---------", "4", "75", "-"});  // no test: both match
    const Result r = RunBatch();
    ASSERT_EQ(r.status, 0) << c.typed << "\n" << r.err;
    EXPECT_NE(r.out.find("2 matching imagefiles out of 2 files were copied to " + c.folder + "\r\n"), std::string::npos)
        << c.typed << "\n" << r.out;
    EXPECT_EQ(Listing(c.folder), "a.png\nb.jpg\n") << c.typed;
    EXPECT_EQ(testsupport::ReadFile(c.folder + "b.jpg"), testsupport::ReadFile(images + "b.jpg")) << c.typed;
  }
  // Nothing else was made beside them.
  EXPECT_EQ(Listing(dir.path()), "images\nmade\nprog\nsolids.py\nstderr.txt\nstdout.txt\ntgt3\ntgt4\ntgt5\n");
}

// The width range of a master is its width times and divided by the precision, rounded half to
// even on the exact value: 110 at 55 percent gives 60.5, so 60; 21 at 56 percent gives 37.5,
// so 38 (in doubles these are 60.50000000000001 and 37.49999999999999).
TEST_F(BatchMode, WidthRangesAreExact) {
  const struct {
    const char* folder;
    const char* solids;  // the master first
    const char* precision;
    const char* matches;
  } cases[] = {
      {"p55/", "('m.png', 110, 20, (9, 9, 9)), ('w59.png', 59, 20, (9, 9, 9)), ('w60.png', 60, 20, (9, 9, 9))",
       "55", "m.png w60.png "},
      {"p56/", "('m.png', 21, 20, (9, 9, 9)), ('w38.png', 38, 20, (9, 9, 9)), ('w39.png', 39, 20, (9, 9, 9))",
       "56", "m.png w38.png "},
  };
  for (const auto& c : cases) {
    const std::string folder = dir.File(c.folder);
    ::mkdir(folder.c_str(), 0755);
    MakeSolids(folder, c.solids);
    Config({folder + "m.png", folder, dir.File("out/"), "-", "X--------", "4", c.precision, "X"});  // only "Width"
    const Result r = RunBatch();
    ASSERT_EQ(r.status, 0) << r.err;
    std::string names;
    for (const auto& [file, props] : Matches(r.out)) names += file.substr(folder.size()) + " ";
    EXPECT_EQ(names, c.matches) << c.precision << "\n" << r.out;
  }
}

// A target on a file system without hard links (a FAT or exFAT card, many network mounts): the
// matches are really there, the summary is true, and an existing file still stays as it was.
TEST_F(BatchMode, MatchesAreCopiedWhereTheTargetHasNoHardLinks) {
  const std::string shim = testsupport::BinaryDir() + "/test-fixtures/libvelmora-refuse-hard-links.so";
  ASSERT_EQ(::access(shim.c_str(), R_OK), 0) << shim;
  MakeCells();
  const std::string target = dir.File("out/");
  ::mkdir(target.c_str(), 0755);
  testsupport::WriteFile(target + "big.bmp", "someone's file");
  const char* asan = std::getenv("ASAN_OPTIONS");
  program.SetEnvironment({"LD_PRELOAD=" + shim, "VELMORA_REFUSE_LINK=" + std::to_string(EPERM),
                          std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0"});
  Config({images + "cells.png", images, target, "-", "---------", "4", "75", "-"});  // no test: all match
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("9 matching imagefiles out of 9 files: 8 were copied to " + target +
                       ", 1 were not copied: a file of that name was already there\r\n"),
            std::string::npos)
      << r.out;
  std::string names;
  for (const auto& [file, props] : Matches(r.out)) {
    const std::string name = file.substr(images.size());
    names += name + "\n";
    if (name != "big.bmp") {
      EXPECT_EQ(testsupport::ReadFile(target + name), testsupport::ReadFile(file)) << name;
    }
  }
  EXPECT_EQ(Listing(target), names);  // every match, and nothing half-written beside them
  EXPECT_EQ(testsupport::ReadFile(target + "big.bmp"), "someone's file");
}

// File names are bytes: a master, a folder and a target whose names are Latin-1 (not UTF-8)
// are found, read and copied under their own names, and Velmora.cfg keeps them byte for byte.
TEST_F(BatchMode, NamesThatAreNotUtf8KeepTheirBytes) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(dir.path().c_str(), nullptr), &std::free);
  ASSERT_NE(real, nullptr);
  const std::string base = std::string(real.get()) + "/";
  const std::string folder = base + "d\xE9j\xE0 vu/", target = base + "tri\xE9s/";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  // Latin-1 names (Python spells a byte that is not UTF-8 as a lone surrogate, as we do), and
  // one in UTF-8 beside them.
  MakeSolids(folder, "('caf\\udce9.jpg', 40, 30, (200, 30, 30)), ('na\\udcefve.png', 40, 30, (20, 30, 220)), "
                     "('cr\xC3\xA8me.png', 40, 30, (20, 200, 20))");
  const std::string master = folder + "caf\xE9.jpg";
  const std::string others[] = {folder + "na\xEFve.png", folder + "cr\xC3\xA8me.png"};
  const std::vector<std::string> lines = {master, folder, target, "-", "---------", "4", "75", "-"};
  Config(lines);  // no test selected: all three match
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out)[2], master);
  const auto m = Matches(r.out);
  EXPECT_EQ(m.size(), 3u) << r.out;
  EXPECT_NE(r.out.find("3 matching imagefiles out of 3 files were copied to " + target), std::string::npos) << r.out;
  for (const std::string& file : {master, others[0], others[1]}) {
    EXPECT_EQ(m.count(file), 1u) << file;
    const std::string copy = target + file.substr(folder.size());
    EXPECT_EQ(testsupport::ReadFile(copy), testsupport::ReadFile(file)) << copy;
  }
  std::string saved;
  for (const auto& l : lines) saved += l + "\r\n";
  EXPECT_EQ(testsupport::ReadFile(prog + "Velmora.cfg"), saved);
}

// Files that cannot be read never match and never stop the run, even with no test selected;
// a cut file that the library reads in part is measured by what it shows.
TEST_F(BatchMode, BrokenFilesNeverMatchAndNeverStopTheRun) {
  MakeCells();
  testsupport::WriteFile(images + "text.jpg", "this is not a JPEG");
  testsupport::WriteFile(images + "empty.gif", "");
  testsupport::WriteFile(images + "noise.tif", std::string("II*\0\x08\0\0\0\xff\xff", 10) + std::string(300, '\x7f'));
  testsupport::WriteFile(images + "noise.ico", std::string("\0\0\1\0\xff\xff", 6) + std::string(100, '\x01'));
  testsupport::WriteFile(images + "noise.emf", std::string("\1\0\0\0\x58\0\0\0", 8) + std::string(100, '\x02'));
  testsupport::WriteFile(images + "noise.wmf", std::string("\xd7\xcd\xc6\x9a", 4) + std::string(60, '\x03'));
  testsupport::WriteFile(images + "noise.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(200, '\x04'));
  ::mkdir((images + "folder.png").c_str(), 0755);
  ASSERT_EQ(::mkfifo((images + "pipe.bmp").c_str(), 0600), 0);
  Config({images + "cells.png", images, dir.File("out/"), "-", "---------", "4", "75", "-"});  // no test selected
  Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  auto m = Matches(r.out);
  for (const char* bad : {"text.jpg", "empty.gif", "noise.tif", "noise.ico", "noise.emf", "noise.wmf", "noise.png"})
    EXPECT_EQ(m.count(images + bad), 0u) << bad;
  EXPECT_EQ(m.count(images + "cells.png"), 1u);
  // The pipe and the folder are not image files; the broken ones count as files found.
  EXPECT_NE(r.out.find(" matching imagefiles out of 16 files were copied to "), std::string::npos) << r.out;

  // Cut files: with the colour test they never pass for the whole picture.
  for (const char* name : {"cells.png", "small.jpg", "cells.gif", "cells.tif"}) {
    const std::string whole = testsupport::ReadFile(images + name);
    testsupport::WriteFile(images + "cut-" + name, whole.substr(0, whole.size() / 2));
  }
  Config({images + "cells.png", images, dir.File("out2/"), "-", "------X--", "4", "100", "-"});
  r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  m = Matches(r.out);
  for (const char* name : {"cut-cells.png", "cut-small.jpg", "cut-cells.gif", "cut-cells.tif"})
    EXPECT_EQ(m.count(images + name), 0u) << name;
  EXPECT_EQ(m.count(images + "cells.png"), 1u);
}

// The metafile fixtures (EMF and placeable WMF written by libUEMF, Inkscape and LibreOffice)
// in a folder of their own: each one is footprinted as a picture of its size in points, and a
// copy of one matches it exactly while the others, drawn differently, do not.
TEST_F(BatchMode, FootprintsEveryMetafileFixture) {
  const std::string fixtures = testsupport::DataPath("metafile");
  std::string listing;
  ASSERT_EQ(testsupport::Run("cd '" + fixtures + "' && ls *.emf *.wmf", &listing), 0);
  std::vector<std::string> names;
  for (size_t p = 0, e; (e = listing.find('\n', p)) != std::string::npos; p = e + 1)
    names.push_back(listing.substr(p, e - p));
  ASSERT_GE(names.size(), 20u);
  for (const std::string& name : names)
    testsupport::WriteFile(images + name, testsupport::ReadFile(fixtures + "/" + name));
  testsupport::WriteFile(dir.File("master.emf"), testsupport::ReadFile(fixtures + "/emf_shapes.emf"));
  Config({dir.File("master.emf"), images, dir.File("out/"), "-", "---------", "4", "75", "-"});  // no test selected
  Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  auto m = Matches(r.out);
  EXPECT_EQ(m.size(), names.size()) << r.out;
  for (const std::string& name : names) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    const std::string type = name.substr(name.size() - 3) == "emf" ? ".EMF" : ".WMF";
    EXPECT_NE(m.at(images + name).find(" - L - "), std::string::npos) << name;
    EXPECT_NE(m.at(images + name).find(" - " + type + "-"), std::string::npos) << name;
    // The scenes written by libUEMF are all 300 x 228 points.
    const std::string head = apptest::Localised("300 - 228 - 1.320 - L - 68400 - ") + type + "-";
    if (name.starts_with("emf_") || name.starts_with("wmf_")) {
      EXPECT_EQ(m.at(images + name).substr(0, head.size()), head) << name;
    }
  }
  // With the colour test at full precision only the same picture matches.
  Config({dir.File("master.emf"), images, dir.File("out2/"), "-", "------X--", "4", "100", "-"});
  r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  m = Matches(r.out);
  EXPECT_EQ(m.count(images + "emf_shapes.emf"), 1u) << r.out;
  EXPECT_EQ(m.size(), 1u) << r.out;
}

// Pictures that are mostly coloured text (three words in red, green and blue), written by
// libUEMF as an EMF and as a placeable WMF: each matches, under the colour test, the picture of
// the same EMF that emf2svg and rsvg-convert draw; the same words in other colours do not.
TEST_F(BatchMode, MetafilesOfColouredTextMatchAnotherRenderersPicture) {
  const std::string uemf = testsupport::BinaryDir() + "/test-fixtures/uemf_text";
  if (!testsupport::HaveTool(uemf)) GTEST_SKIP() << "needs libuemf (uemf_text)";
  REQUIRE_TOOL("emf2svg-conv");
  REQUIRE_TOOL("rsvg-convert");
  for (const char* scene : {"emf_banner", "wmf_banner"})
    // libUEMF's own leak is not ours to report when the generator is built with the sanitizers.
    ASSERT_EQ(testsupport::Run("ASAN_OPTIONS=detect_leaks=0 " + uemf + " " + scene + " " + images + "banner." +
                               (scene[0] == 'e' ? "emf" : "wmf")),
              0);
  // The master: 288 x 216 points, the metafiles' size, drawn by the other renderer.
  const std::string svg = dir.File("banner.svg");
  ASSERT_EQ(testsupport::Run("emf2svg-conv -i " + images + "banner.emf -o " + svg), 0);
  ASSERT_EQ(testsupport::Run("rsvg-convert -b white -w 288 -h 216 " + svg + " -o " + dir.File("master.png")), 0);
  // The same words with their colours turned round.
  std::string text = testsupport::ReadFile(svg);
  auto replaceAll = [&text](const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
  };
  replaceAll("#DC0000", "@1");
  replaceAll("#00AA00", "@2");
  replaceAll("#0000E6", "@3");
  replaceAll("@1", "#00AA00");
  replaceAll("@2", "#0000E6");
  replaceAll("@3", "#DC0000");
  testsupport::WriteFile(dir.File("other.svg"), text);
  ASSERT_EQ(testsupport::Run("rsvg-convert -b white -w 288 -h 216 " + dir.File("other.svg") + " -o " + images + "other.png"), 0);
  Config({dir.File("master.png"), images, dir.File("out/"), "-", "------X--", "100", "85", "-"});
  const Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  const auto m = Matches(r.out);
  for (const char* name : {"banner.emf", "banner.wmf"}) {
    ASSERT_EQ(m.count(images + name), 1u) << name << "\n" << r.out;
    EXPECT_EQ(m.at(images + name).substr(0, 30), apptest::Localised("288 - 216 - 1.330 - L - 62208 ")) << name;
  }
  EXPECT_EQ(m.count(images + "other.png"), 0u) << r.out;
}

TEST_F(BatchMode, MasterProblemsAndRunErrorsEndWithAFailure) {
  MakeCells();
  // The master's folder does not exist: its message on standard error, no run.
  Config({dir.File("nowhere/m.png"), images, dir.File("out/")});
  Result r = RunBatch();
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Unknown path for imagefile.\nIt does not exist or is faulty.\nProcess was stopped!\n");
  EXPECT_EQ(r.out, "");
  EXPECT_NE(testsupport::Run("test -e '" + dir.File("out") + "'"), 0);
  // A type the program does not take.
  testsupport::WriteFile(images + "m.webp", "x");
  Config({images + "m.webp", images, dir.File("out/")});
  r = RunBatch();
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.substr(0, 32), "This imagetype is not allowed.\nt");
  // Masters the library cannot read, or whose page no raster at 72 dpi can hold: the error on
  // standard error, status 2, and no comparison against bounds the master never had.
  testsupport::WriteFile(dir.File("bad.ico"), "an icon this is not");
  testsupport::WriteFile(dir.File("bad.png"), std::string("\x89PNG\r\n\x1a\n", 8) + "not really");
  testsupport::WriteFile(dir.File("large.wmf"), apptest::QuadrantsWmf(20000));
  for (const char* name : {"bad.ico", "bad.png", "large.wmf"}) {
    Config({dir.File(name), images, dir.File("out/"), "-", "---------", "4", "75", "-"});
    r = RunBatch();
    EXPECT_EQ(r.status, 2) << name;
    EXPECT_EQ(r.err.find("Imagefile could not be "), 0u) << r.err;
    EXPECT_NE(r.err.find(dir.File(name)), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << name;
    EXPECT_NE(testsupport::Run("test -e '" + dir.File("out") + "'"), 0) << name;
  }
  // The target cannot be made: the error, and a failure status.
  Config({images + "cells.png", images, dir.File("no/such/out/")});
  r = RunBatch();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error while creating directory " + dir.File("no/such/out/") + ": " + std::strerror(ENOENT) + "\n");
  // A precision that is not a number.
  Config({images + "cells.png", images, dir.File("out/"), "-", "---------", "4", "lots", "-"});
  r = RunBatch();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The setting \"precision of result\" in " + prog +
                       "Velmora.cfg cannot be read: 'lots' is not a valid integer value\n");
}

// In clipboard mode batch mode puts its list on the desktop's clipboard and hands it to the
// clipboard manager, so that it outlives the program; without a display or a manager the
// summary does not claim it, and standard error says where the list is.
TEST_F(BatchMode, TheClipboardListOutlivesTheProgramOnlyWithAManager) {
  REQUIRE_TOOL("xclip");
  MakeCells();
  const std::string target = dir.File("out/");
  Config({images + "cells.png", images, target, "-", "------X--", "4", "100", "X"});
  const std::string list = "Masterimage: \r\n" + images + "cells.png \r\nMatching images: \r\n";
  const std::string claim = " matching imagefiles out of 9 files were written into the clipboard ...\r\n";
  displaytest::PrivateXServer server;
  if (!server.available()) GTEST_SKIP() << "needs Xvfb";
  {
    apptest::TestClipboardManager manager;
    ASSERT_TRUE(manager.running());
    const Result r = program.RunWithDisplay();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto matches = Matches(r.out);
    for (const std::string& file : {images + "cells.png", images + "big.bmp", images + "cells.gif",
                                    images + "cells.tif", images + "cells.wmf", images + "cells.emf"}) {
      EXPECT_EQ(matches.count(file), 1u) << file << "\n" << r.out;
    }
    ASSERT_NE(r.out.find(std::to_string(matches.size()) + claim), std::string::npos) << r.out;
    const auto kept = manager.Kept();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->substr(0, list.size()), list);
    for (const auto& [file, props] : matches) EXPECT_NE(kept->find(file + " \r\n"), std::string::npos) << file;
    // The program is gone; the manager serves the list.
    std::string pasted;
    ASSERT_EQ(testsupport::Run("timeout 10 xclip -o -selection clipboard", &pasted), 0);
    EXPECT_EQ(pasted, *kept);
  }
  EXPECT_EQ(Listing(target), "");  // clipboard mode copies nothing
  // A display without a clipboard manager, and no display at all: the list stays on standard
  // output, and the summary says no more than the counts.
  for (bool withDisplay : {true, false}) {
    const Result r = withDisplay ? program.RunWithDisplay() : RunBatch();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("written into the clipboard"), std::string::npos) << r.out;
    const std::string count = std::to_string(Matches(r.out).size()) + " matching imagefiles out of 9 files\r\n";
    EXPECT_NE(r.out.find(count + "Process ended ...\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("the matching images are listed on standard output"), std::string::npos) << r.err;
  }
}

// Every way out saves the settings; where they cannot be saved the program still ends, saying
// so on standard error, with status 3. Here no file may grow past 1 KiB and the folder to
// compare (an empty one, deep down) is a longer text than that: the run itself goes well.
TEST_F(BatchMode, SettingsThatCannotBeSavedAreAFailureOnStandardError) {
  MakeCells();
  std::string longFolder = dir.File("deep/");
  for (int level = 0; level < 5; ++level) longFolder += std::string(220, 'x') + "/";
  ASSERT_EQ(testsupport::Run("mkdir -p '" + longFolder + "'"), 0);
  Config({images + "cells.png", longFolder, dir.File("out/"), "-", "---------", "4", "75", "-"});
  ASSERT_EQ(testsupport::Run("cp '" + prog + "Velmora.cfg' '" + dir.File("settings.cfg") + "'"), 0);
  Result r = program.Run("X", {.seconds = 300, .file_size = 1024});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.err, "The settings could not be saved to " + prog + "Velmora.cfg: " + std::strerror(EFBIG) + "\n");
  EXPECT_NE(r.out.find("0 matching imagefiles out of 0 files were copied to " + dir.File("out/") + "\r\n"),
            std::string::npos)
      << r.out;
  // The settings that were there stay whole.
  EXPECT_EQ(testsupport::ReadFile(prog + "Velmora.cfg"), testsupport::ReadFile(dir.File("settings.cfg")));
  // A folder stands where the file goes, so there were none to read either: the status is that
  // of the first failure (the empty master path), and both messages are there.
  ::unlink((prog + "Velmora.cfg").c_str());
  ASSERT_EQ(::mkdir((prog + "Velmora.cfg").c_str(), 0755), 0);
  r = RunBatch();
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.err.find("Unknown path for imagefile."), 0u) << r.err;
  EXPECT_NE(r.err.find("Velmora.cfg"), std::string::npos) << r.err;
}

// A Velmora.cfg that is there but cannot be read (a broken disk, a file the user may not read)
// is an error with its status, and the program ends without writing the window's empty
// settings over the ones the file holds: it stays byte for byte.
TEST_F(BatchMode, AVelmoraCfgThatCannotBeReadIsNeverWrittenOver) {
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30))");
  const std::string cfg = prog + "Velmora.cfg";
  Config({images + "a.png", images, dir.File("out/"), "X", "X-X-X-X-X", "8", "90", "-"});
  const std::string old = testsupport::ReadFile(cfg);
  FailingDisk({"VELMORA_FAULT_FILE=Velmora.cfg", "VELMORA_FAULT_READ=" + std::to_string(EIO)});
  Result r = RunBatch();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "Cannot read file \"" + cfg + "\". " + std::strerror(EIO) + "\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(testsupport::ReadFile(cfg), old);
  EXPECT_NE(testsupport::Run("test -e '" + dir.File("out") + "'"), 0);  // no run without the settings

  ASSERT_TRUE(AsOrdinaryUser()) << "no ordinary user to run as";
  ASSERT_EQ(::chown(prog.c_str(), user, group), 0);  // the settings may be replaced, but not read
  ASSERT_EQ(::chmod(cfg.c_str(), 0), 0);
  struct stat before {}, after {};
  ASSERT_EQ(::stat(cfg.c_str(), &before), 0);
  r = RunBatch();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "Cannot open file \"" + cfg + "\". " + std::strerror(EACCES) + "\n");
  ASSERT_EQ(::stat(cfg.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0u);
  EXPECT_EQ(testsupport::ReadFile(cfg), old);
}

// A write-protected Velmora.cfg refuses the settings as it refuses any writer: the failure on
// standard error with status 3, the file untouched (the same file, its mode, its bytes). The
// run itself goes well.
TEST_F(BatchMode, AWriteProtectedVelmoraCfgIsLeftAsItIs) {
  ASSERT_TRUE(AsOrdinaryUser()) << "no ordinary user to run as";
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30))");
  const std::string cfg = prog + "Velmora.cfg";
  ASSERT_EQ(::chown(prog.c_str(), user, group), 0);  // a folder the settings could be moved into
  Config({images + "a.png", images, dir.File("out/")});
  ASSERT_EQ(::chmod(cfg.c_str(), 0444), 0);
  struct stat before {}, after {};
  ASSERT_EQ(::stat(cfg.c_str(), &before), 0);
  const std::string old = testsupport::ReadFile(cfg);
  const Result r = RunBatch();
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.err, "The settings could not be saved to " + cfg + ": " + std::strerror(EACCES) + "\n");
  EXPECT_NE(r.out.find("1 matching imagefiles out of 1 files were copied to " + dir.File("out/")), std::string::npos)
      << r.out;
  ASSERT_EQ(::stat(cfg.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0444u);
  EXPECT_EQ(testsupport::ReadFile(cfg), old);
  EXPECT_EQ(Listing(prog).find(".Velmora"), std::string::npos);  // nothing left beside it
}

// A Velmora.cfg that is a symbolic link (into a dotfiles repository, a shared configuration)
// stays a link, and the file it names gets the settings: through a relative link, a chain of
// two, and a link to a file that does not exist yet.
TEST_F(BatchMode, ALinkedVelmoraCfgStaysALinkAndItsFileGetsTheSettings) {
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30))");
  const std::string dotfiles = dir.File("dotfiles/"), cfg = prog + "Velmora.cfg";
  ASSERT_EQ(::mkdir(dotfiles.c_str(), 0755), 0);
  const std::vector<std::string> lines = {images + "a.png", images, dir.File("out/")};
  const std::string full = Saved({images + "a.png", images, dir.File("out/"), "-", "---------", "4", "75", "-"});
  const struct {
    std::string link;    // what Velmora.cfg points at
    std::string hop;     // a second link in dotfiles/ ("" for none) and where it points
    std::string hopTo;
    std::string file;    // the file at the end
    bool exists;
    std::string saved;
  } cases[] = {
      {"../dotfiles/velmora.cfg", "", "", dotfiles + "velmora.cfg", true, full},
      {dotfiles + "hop", dotfiles + "hop", "deep.cfg", dotfiles + "deep.cfg", true, full},
      {"../dotfiles/new.cfg", "", "", dotfiles + "new.cfg", false, Saved({"", "", "", "-", "---------", "4", "75", "-"})},
  };
  for (const auto& c : cases) {
    ::unlink(cfg.c_str());
    ASSERT_EQ(::symlink(c.link.c_str(), cfg.c_str()), 0);
    if (!c.hop.empty()) { ASSERT_EQ(::symlink(c.hopTo.c_str(), c.hop.c_str()), 0); }
    if (c.exists) Config(lines);  // written through the links
    const Result r = RunBatch();
    EXPECT_EQ(r.status, c.exists ? 0 : 2) << c.link << "\n" << r.err;  // no settings: no master
    struct stat st {};
    ASSERT_EQ(::lstat(cfg.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.link;
    char target[4096] = {};
    EXPECT_EQ(std::string(target, size_t(std::max<ssize_t>(0, ::readlink(cfg.c_str(), target, sizeof target)))), c.link);
    EXPECT_EQ(testsupport::ReadFile(c.file), c.saved) << c.link;
    if (!c.hop.empty()) {
      ASSERT_EQ(::lstat(c.hop.c_str(), &st), 0);
      EXPECT_TRUE(S_ISLNK(st.st_mode));
    }
  }
}

// The saved Velmora.cfg is the same file as before with new content: it keeps its mode, its
// owner and group, and its other names (a hard link elsewhere gets the settings too).
TEST_F(BatchMode, TheSavedVelmoraCfgKeepsItsModeOwnerAndOtherNames) {
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30))");
  const std::string cfg = prog + "Velmora.cfg";
  const std::string saved = Saved({images + "a.png", images, dir.File("out/"), "-", "---------", "4", "75", "-"});
  Config({images + "a.png", images, dir.File("out/")});
  ASSERT_EQ(::chmod(cfg.c_str(), 0604), 0);
  const bool root = ::geteuid() == 0;  // only root may give a file away
  if (root) { ASSERT_EQ(::chown(cfg.c_str(), 1234, 1235), 0); }
  Result r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat(cfg.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  if (root) {
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 1235u);
  }
  EXPECT_EQ(testsupport::ReadFile(cfg), saved);

  Config({images + "a.png", images, dir.File("out/")});
  const std::string shared = dir.File("shared.cfg");
  ASSERT_EQ(::link(cfg.c_str(), shared.c_str()), 0);
  r = RunBatch();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testsupport::ReadFile(cfg), saved);
  EXPECT_EQ(testsupport::ReadFile(shared), saved);
}

// Where no new file may be made beside Velmora.cfg (its folder is closed, the file itself is
// the user's), the settings are rewritten in place; a disk that fills after 20 bytes then
// leaves the old settings whole, with the failure on standard error and status 3. With room on
// the disk the same file gets the settings.
TEST_F(BatchMode, SettingsRewrittenInPlaceKeepTheOldOnesUntilTheNewAreWhole) {
  ASSERT_TRUE(AsOrdinaryUser()) << "no ordinary user to run as";
  MakeSolids(images, "('a.png', 30, 20, (200, 30, 30))");
  // The program's folder is not the user's: the settings live in the user's folder.
  const std::string xdg = dir.File("xdg/"), folder = xdg + "velmora/", cfg = folder + "Velmora.cfg";
  ASSERT_EQ(::mkdir(xdg.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::vector<std::string> lines = {images + "a.png", images, dir.File("out/"), "-", "X--------"};
  const std::string old = Saved(lines);
  testsupport::WriteFile(cfg, old);
  ASSERT_EQ(::chown(cfg.c_str(), user, group), 0);
  ASSERT_EQ(::chmod(cfg.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  ASSERT_EQ(::chmod(prog.c_str(), 0555), 0);  // for a test run by an ordinary user: not beside the program
  environment.push_back("XDG_CONFIG_HOME=" + xdg);
  struct stat before {}, after {};
  ASSERT_EQ(::stat(cfg.c_str(), &before), 0);
  FailingDisk({"VELMORA_FAULT_FILE=Velmora.cfg", "VELMORA_FAULT_WRITE_AFTER=20"});
  Result r = RunBatch();
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.err, "The settings could not be saved to " + cfg + ": " + std::strerror(ENOSPC) + "\n");
  EXPECT_NE(r.out.find("1 matching imagefiles out of 1 files were copied"), std::string::npos) << r.out;
  EXPECT_EQ(testsupport::ReadFile(cfg), old);

  program.SetEnvironment(environment);
  r = RunBatch();
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(::stat(cfg.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, user);
  EXPECT_EQ(testsupport::ReadFile(cfg), Saved({images + "a.png", images, dir.File("out/"), "-", "X--------", "4", "75", "-"}));
  ::chmod(folder.c_str(), 0755);
  ::chmod(prog.c_str(), 0755);
}

// Without a configuration file the defaults hold: nothing to compare, nothing copied, and the
// run still ends in good order; the file is written on the way out.
TEST_F(BatchMode, NoConfigurationFile) {
  const Result r = RunBatch();
  EXPECT_EQ(r.status, 2);  // an empty master path fails the first check
  EXPECT_EQ(testsupport::ReadFile(prog + "Velmora.cfg"), "\r\n\r\n\r\n-\r\n---------\r\n4\r\n75\r\n-\r\n");
}

// Only an upper-case X is batch mode; anything else is a file for the window, which needs a
// display.
TEST_F(BatchMode, OtherArgumentsWantTheWindow) {
  const Result r = RunBatch("x");
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("needs an X display"), std::string::npos) << r.err;
  Config({"/m.png"});
  EXPECT_EQ(RunBatch(" X ").status, 2);  // blanks around X are batch mode (and /m.png fails)
}

// The real program on a real X server: the window comes up, "E n d" saves and ends it.
TEST(ProgramWindow, EndSavesAndEndsTheProgram) {
  REQUIRE_TOOL("xdotool");
  displaytest::PrivateXServer server;
  if (!server.available()) GTEST_SKIP() << "needs Xvfb";
  testsupport::TempDir dir;
  const std::string prog = dir.File("prog/");
  ::mkdir(prog.c_str(), 0755);
  ASSERT_EQ(testsupport::Run("ln '" + testsupport::BinaryDir() + "/velmora' '" + prog + "velmora' 2>/dev/null || cp '" +
                             testsupport::BinaryDir() + "/velmora' '" + prog + "velmora'"),
            0);
  testsupport::WriteFile(prog + "Velmora.cfg", "/pictures/m.png\r\n\r\n\r\nX\r\n");
  // Start it, find its window, press "E n d" (at 576 + 36, 383 + 12 in the client area; the
  // client area starts below the caption), and wait for it to end.
  const std::string script =
      "'" + prog + "velmora' >/dev/null 2>&1 & pid=$!; "
      "w=$(xdotool search --sync --onlyvisible --name '^Velmora 1.0$' | head -1); sleep 0.5; "
      "eval $(xdotool getwindowgeometry --shell $w); "
      "xdotool mousemove $((X + WIDTH - 676 - 4 + 612)) $((Y + HEIGHT - 429 - 4 + 395)) click 1; "
      "for i in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done; "
      "if kill -0 $pid 2>/dev/null; then kill $pid; echo running; fi; wait $pid; echo status=$?";
  testsupport::WriteFile(dir.File("end.sh"), script);
  std::string out;
  testsupport::Run("timeout 60 sh '" + dir.File("end.sh") + "'", &out);
  EXPECT_NE(out.find("status=0"), std::string::npos) << out;
  EXPECT_EQ(out.find("running"), std::string::npos) << out;
  EXPECT_EQ(testsupport::ReadFile(prog + "Velmora.cfg"), "/pictures/m.png\r\n\r\n\r\nX\r\n---------\r\n4\r\n75\r\n-\r\n");
}
