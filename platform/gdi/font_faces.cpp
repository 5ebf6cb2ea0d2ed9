#include "platform/gdi/font_faces.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/rtl/strings.h"

namespace {

std::mutex& Lock() {
  static std::mutex m;
  return m;
}

// Resolutions are remembered: fontconfig matching is slow compared with drawing text.
std::map<std::tuple<std::string, int, bool, bool>, ResolvedFace>& Cache() {
  static std::map<std::tuple<std::string, int, bool, bool>, ResolvedFace> c;
  return c;
}

std::vector<std::string>& PrivateFiles() {
  static std::vector<std::string> files;
  return files;
}

// Our own configuration, released when the program ends (fontconfig's global one never is).
FcConfig* Config() {
  struct Holder {
    FcConfig* config = FcInitLoadConfigAndFonts();
    ~Holder() {
      if (config) FcConfigDestroy(config);
    }
  };
  static Holder holder;
  return holder.config;
}

std::string GetString(FcPattern* p, const char* object) {
  FcChar8* v = nullptr;
  return FcPatternGetString(p, object, 0, &v) == FcResultMatch && v ? reinterpret_cast<const char*>(v) : "";
}

}  // namespace

std::string SubstituteFamily(const std::string& faceName) {
  static const std::map<std::string, std::string> table = {
      {"ms sans serif", "Liberation Sans"},     {"microsoft sans serif", "Liberation Sans"},
      {"arial", "Liberation Sans"},             {"helvetica", "Liberation Sans"},
      {"tahoma", "DejaVu Sans"},                {"verdana", "DejaVu Sans"},
      {"segoe ui", "DejaVu Sans"},              {"system", "Liberation Sans"},
      {"ms shell dlg", "Liberation Sans"},      {"ms shell dlg 2", "Liberation Sans"},
      {"times new roman", "Liberation Serif"},  {"times", "Liberation Serif"},
      {"ms serif", "Liberation Serif"},         {"courier new", "Liberation Mono"},
      {"courier", "Liberation Mono"},           {"fixedsys", "Liberation Mono"},
      {"terminal", "Liberation Mono"},          {"lucida console", "DejaVu Sans Mono"},
      {"symbol", "Standard Symbols PS"},        {"arial black", "DejaVu Sans"},
  };
  auto it = table.find(LowerCaseAscii(Trim(faceName)));
  return it == table.end() ? Trim(faceName) : it->second;
}

ResolvedFace ResolveFace(const std::string& faceName, int weight, bool italic, bool fixedPitch) {
  const auto key = std::make_tuple(LowerCaseAscii(faceName), weight >= 600 ? 700 : 400, italic, fixedPitch);
  std::lock_guard guard(Lock());
  if (auto it = Cache().find(key); it != Cache().end()) return it->second;
  ResolvedFace out;
  FcPattern* pat = FcPatternCreate();
  std::string family = SubstituteFamily(faceName);
  if (family.empty()) family = fixedPitch ? "Liberation Mono" : "Liberation Sans";
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  // Behind the asked family, the platform's own default face (as it falls back to Arial).
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(fixedPitch ? "Liberation Mono" : "Liberation Sans"));
  FcPatternAddInteger(pat, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  if (fixedPitch) FcPatternAddInteger(pat, FC_SPACING, FC_MONO);
  FcConfigSubstitute(Config(), pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(Config(), pat, &result);
  if (match) {
    out.file = GetString(match, FC_FILE);
    out.family = GetString(match, FC_FAMILY);
    int idx = 0, w = 0, slant = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &idx) == FcResultMatch) out.index = idx;
    if (FcPatternGetInteger(match, FC_WEIGHT, 0, &w) == FcResultMatch) out.bold = w >= FC_WEIGHT_DEMIBOLD;
    if (FcPatternGetInteger(match, FC_SLANT, 0, &slant) == FcResultMatch) out.italic = slant != FC_SLANT_ROMAN;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  const std::string lower = LowerCaseAscii(out.family);
  out.symbol = lower.find("symbol") != std::string::npos || lower.find("dingbat") != std::string::npos;
  Cache()[key] = out;
  return out;
}

std::vector<InstalledFamily> InstalledFamilies(const std::string& language) {
  std::lock_guard guard(Lock());
  std::vector<InstalledFamily> out;
  FcPattern* pat = FcPatternCreate();
  if (!language.empty()) {
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>(language.c_str()));
    FcPatternAddLangSet(pat, FC_LANG, langs);
    FcLangSetDestroy(langs);
  }
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_SCALABLE, nullptr);
  FcFontSet* set = FcFontList(Config(), pat, os);
  std::map<std::string, InstalledFamily> unique;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* f = set->fonts[i];
    const std::string family = GetString(f, FC_FAMILY);
    if (family.empty()) continue;
    InstalledFamily& e = unique[LowerCaseAscii(family)];
    if (e.family.empty()) e.family = family;
    int spacing = 0;
    FcBool scalable = FcTrue;
    if (FcPatternGetInteger(f, FC_SPACING, 0, &spacing) == FcResultMatch && spacing == FC_MONO) e.fixedPitch = true;
    if (FcPatternGetBool(f, FC_SCALABLE, 0, &scalable) == FcResultMatch) e.scalable = scalable;
    const std::string lower = LowerCaseAscii(family);
    e.symbol = lower.find("symbol") != std::string::npos || lower.find("dingbat") != std::string::npos;
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  for (auto& [k, v] : unique) out.push_back(v);
  return out;
}

bool AddPrivateFontFile(const std::string& file) {
  std::lock_guard guard(Lock());
  if (!FcConfigAppFontAddFile(Config(), reinterpret_cast<const FcChar8*>(file.c_str()))) return false;
  PrivateFiles().push_back(file);
  Cache().clear();
  return true;
}

bool RemovePrivateFontFile(const std::string& file) {
  std::lock_guard guard(Lock());
  auto& files = PrivateFiles();
  auto it = std::find(files.begin(), files.end(), file);
  if (it == files.end()) return false;
  files.erase(it);
  // fontconfig removes application fonts only all at once: put the others back.
  FcConfigAppFontClear(Config());
  for (const std::string& f : files) FcConfigAppFontAddFile(Config(), reinterpret_cast<const FcChar8*>(f.c_str()));
  Cache().clear();
  return true;
}
