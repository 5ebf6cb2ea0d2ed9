#include "tests/pdf/render/support/differential_pages.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

#include "tests/support/test_support.h"

namespace difftest {

bool GeneratePages(int first, int count, const std::vector<std::string>& exclude, const std::string& folder,
                   const std::vector<std::string>& neutral) {
  auto joined = [](const std::vector<std::string>& tags) {
    std::string text;
    for (const std::string& tag : tags) text += (text.empty() ? "" : ",") + tag;
    return text;
  };
  const std::string command = "/usr/bin/python3 '" + testsupport::SourceDir() + "/tools/difftest/make_pages.py' --first " +
                              std::to_string(first) + " --count " + std::to_string(count) + " --out '" + folder +
                              "' --exclude '" + joined(exclude) + "' --neutral '" + joined(neutral) + "'";
  return testsupport::Run(command) == 0;
}

namespace {

// Reads "<head>\n" at pos; false at the end.
bool ReadLine(const std::string& text, size_t& pos, std::string& line) {
  if (pos >= text.size()) return false;
  const size_t end = text.find('\n', pos);
  if (end == std::string::npos) return false;
  line = text.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

// Reads count bytes and the line feed after them.
bool ReadPayload(const std::string& text, size_t& pos, size_t count, std::string& out) {
  if (pos + count + 1 > text.size() || text[pos + count] != '\n') return false;
  out = text.substr(pos, count);
  pos += count + 1;
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator))
    if (!part.empty() && part != "-") parts.push_back(part);
  return parts;
}

}  // namespace

bool ReadPage(const std::string& path, GeneratedPage& page) {
  const std::string text = testsupport::ReadFile(path);
  size_t pos = 0;
  std::string line;
  if (!ReadLine(text, pos, line) || line != "velmora-difftest-page 1") return false;
  while (ReadLine(text, pos, line)) {
    std::istringstream in(line);
    std::string key;
    in >> key;
    if (key == "seed") {
      in >> page.Seed;
    } else if (key == "mediabox") {
      page.MediaBox = line.substr(9);
    } else if (key == "extra" || key == "resources" || key == "object") {
      size_t count = 0;
      in >> count;
      std::string data;
      if (!ReadPayload(text, pos, count, data)) return false;
      if (key == "extra") page.Extra = data;
      if (key == "resources") page.Resources = data;
      if (key == "object") page.Objects.push_back(data);
    } else if (key == "op") {
      size_t count = 0;
      std::string tags;
      in >> count >> tags;
      PageOp op{Split(tags, ','), {}};
      if (!ReadPayload(text, pos, count, op.Content)) return false;
      page.Ops.push_back(std::move(op));
    } else if (key == "stream") {
      size_t dictionary = 0, data = 0;
      in >> dictionary >> data;
      std::string both;
      if (!ReadPayload(text, pos, dictionary + data, both)) return false;
      page.Objects.push_back("stream:" + both.substr(0, dictionary) + "|" + both.substr(dictionary));
    } else {
      return false;
    }
  }
  return !page.Ops.empty();
}

int BuildPdf(const GeneratedPage& page, rendertest::TestPdf& pdf, const std::vector<bool>& keep) {
  std::string content;
  for (size_t i = 0; i < page.Ops.size(); ++i)
    if (keep.empty() || keep[i]) content += page.Ops[i].Content + "\n";
  const int number = pdf.AddPage(content, page.Resources, page.MediaBox, page.Extra);
  pdf.AddObjects(page.Objects);
  return number;
}

std::vector<std::string> PageTags(const GeneratedPage& page, const std::vector<bool>& keep) {
  std::set<std::string> tags;
  for (size_t i = 0; i < page.Ops.size(); ++i)
    if (keep.empty() || keep[i]) tags.insert(page.Ops[i].Tags.begin(), page.Ops[i].Tags.end());
  return {tags.begin(), tags.end()};
}

namespace {

int Disagreeing(const testraster::Raster& ours, const testraster::Raster& theirs) {
  if (ours.Width != theirs.Width || ours.Height != theirs.Height || theirs.Width == 0)
    return std::max(theirs.Width * theirs.Height, 1);
  return std::max(rendertest::CountOutsideNeighbourhood(ours, theirs, kChannelTolerance),
                  rendertest::CountOutsideNeighbourhood(theirs, ours, kChannelTolerance));
}

}  // namespace

std::vector<Comparison> ComparePage(const GeneratedPage& page, const std::vector<bool>& keep) {
  rendertest::TestPdf pdf;
  const int number = BuildPdf(page, pdf, keep);
  const testraster::Raster theirs = rendertest::RenderPoppler(pdf);
  testraster::Raster cairo;  // poppler's cairo output, made when first needed
  std::vector<Comparison> result;
  for (const char* back : {"gdiplus", "cairo"}) {
    Comparison c;
    c.Back = back;
    c.Ours = c.Back == "cairo" ? rendertest::RenderOursCairo(pdf, number, &c.Error)
                               : rendertest::RenderOurs(pdf, number, &c.Error, 72, true, true);
    c.Theirs = theirs;
    c.Outside = Disagreeing(c.Ours, theirs);
    c.Allowed = std::max(kPixelAllowance, int(kPageShare * theirs.Width * theirs.Height));
    // pdftoppm stretches every image by a pixel and smooths it; poppler's cairo output copies
    // images at whole pixels. Agreeing with either of poppler's back ends is agreeing.
    if (c.Outside > c.Allowed) {
      if (cairo.Width == 0) cairo = rendertest::RenderPopplerCairo(pdf);
      if (cairo.Width > 0) {
        const int outside = Disagreeing(c.Ours, cairo);
        if (outside < c.Outside) {
          c.Outside = outside;
          c.Theirs = cairo;
        }
      }
    }
    result.push_back(std::move(c));
  }
  return result;
}

std::string Ppm(const testraster::Raster& r) {
  std::string ppm = "P6 " + std::to_string(r.Width) + " " + std::to_string(r.Height) + " 255\n";
  ppm.append(r.RGB.begin(), r.RGB.end());
  return ppm;
}

}  // namespace difftest
