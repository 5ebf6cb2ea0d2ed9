#include "tests/pdf/fonts/formats/font_oracle.h"

#include <sstream>

#include <filesystem>
#include "tests/support/test_support.h"

namespace glyphtest {

std::string FontToolsPython() {
  static const std::string found = [] {
    for (const char* py : {"/usr/bin/python3", "python3"}) {
      if (testsupport::Run(std::string(py) + " -c 'import fontTools.cffLib, fontTools.t1Lib' >/dev/null 2>&1") == 0) {
        return std::string(py);
      }
    }
    return std::string();
  }();
  return found;
}

bool RunFontOracle(const std::string& mode, const std::string& path, TOracleFont& out) {
  const std::string python = FontToolsPython();
  if (python.empty()) return false;
  std::string text;
  const std::string script = testsupport::DataPath("pdf/fonts/font_oracle.py");
  if (testsupport::Run(python + " '" + script + "' " + mode + " '" + path + "'", &text) != 0) return false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    std::string tag;
    in >> tag;
    if (tag == "lenIV") {
      in >> out.LenIV;
    } else if (tag == "subrs") {
      in >> out.Subrs;
    } else if (tag == "gsubrs") {
      in >> out.GlobalSubrs;
    } else if (tag == "fdsubrs") {
      int fd = 0, count = 0;
      in >> fd >> count;
      out.FDSubrs[fd] = count;
    } else if (tag == "bbox") {
      double v;
      while (in >> v) out.BBox.push_back(v);
    } else if (tag == "enc") {
      int code = 0;
      std::string name;
      in >> code >> name;
      out.Encoding[code] = name;
    } else if (tag == "scale") {
      in >> out.Scale;
    } else if (tag == "cid") {
      int cid = 0;
      in >> cid;
      out.CID = cid != 0;
    } else if (tag == "glyph") {
      TOracleGlyph g;
      if (mode == "t1") {
        in >> g.Name >> g.Length >> g.MD5;
      } else {
        in >> g.Index >> g.Name >> g.FD;
      }
      std::string first;
      in >> first;
      if (first != "none") {
        TBounds b;
        b.XMin = std::stod(first);
        in >> b.YMin >> b.XMax >> b.YMax;
        g.Bounds = b;
      }
      out.Glyphs.push_back(g);
    }
  }
  return !out.Glyphs.empty();
}

std::string URWType1Path(const std::string& name) {
  const std::string path = "/usr/share/fonts/X11/Type1/" + name + ".pfb";
  return std::filesystem::exists(path) ? path : std::string();
}

std::string URWOpenTypePath(const std::string& name) {
  const std::string path = "/usr/share/fonts/opentype/urw-base35/" + name + ".otf";
  return std::filesystem::exists(path) ? path : std::string();
}

}  // namespace glyphtest
