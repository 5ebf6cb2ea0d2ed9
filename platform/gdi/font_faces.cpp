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

const std::vector<FaceAlias>& FaceAliases() {
  static const std::vector<FaceAlias> aliases = {
      {"MS Sans Serif", "Liberation Sans"},     {"Microsoft Sans Serif", "Liberation Sans"},
      {"Arial", "Liberation Sans"},             {"Helvetica", "Liberation Sans"},
      {"Tahoma", "DejaVu Sans"},                {"Verdana", "DejaVu Sans"},
      {"Segoe UI", "DejaVu Sans"},              {"System", "Liberation Sans"},
      {"MS Shell Dlg", "Liberation Sans"},      {"MS Shell Dlg 2", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},  {"Times", "Liberation Serif"},
      {"MS Serif", "Liberation Serif"},         {"Courier New", "Liberation Mono"},
      {"Courier", "Liberation Mono"},           {"Fixedsys", "Liberation Mono"},
      {"Terminal", "Liberation Mono"},          {"Lucida Console", "DejaVu Sans Mono"},
      {"Symbol", "Standard Symbols PS"},        {"Arial Black", "DejaVu Sans"},
      {"MS Mincho", "IPAMincho"},               {"MS PMincho", "IPAPMincho"},
      {"MS Gothic", "IPAGothic"},               {"MS PGothic", "IPAPGothic"},
      {"SimSun", "AR PL UMing CN"},             {"NSimSun", "AR PL UMing CN"},
      {"MingLiU", "AR PL UMing TW"},            {"PMingLiU", "AR PL UMing TW"},
      {"DFKai-SB", "AR PL UKai TW"},            {"Dotum", "NanumGothic"},
      {"DotumChe", "NanumGothicCoding"},        {"Batang", "NanumMyeongjo"},
      {"Gulim", "NanumGothic"},                 {"Meiryo", "IPAPGothic"},
      // The native names of the CJK faces (UTF-8).
      {"\xef\xbc\xad\xef\xbc\xb3 \xe6\x98\x8e\xe6\x9c\x9d", "IPAMincho"},
      {"\xef\xbc\xad\xef\xbc\xb3 \xef\xbc\xb0\xe6\x98\x8e\xe6\x9c\x9d", "IPAPMincho"},
      {"\xef\xbc\xad\xef\xbc\xb3 \xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf", "IPAGothic"},
      {"\xef\xbc\xad\xef\xbc\xb3 \xef\xbc\xb0\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf", "IPAPGothic"},
      {"\xe7\xb4\xb0\xe6\x98\x8e\xe9\xab\x94", "AR PL UMing TW"},
      {"\xe6\x96\xb0\xe7\xb4\xb0\xe6\x98\x8e\xe9\xab\x94", "AR PL UMing TW"},
      {"\xe6\xa8\x99\xe6\xa5\xb7\xe9\xab\x94", "AR PL UKai TW"},
      {"\xe5\xae\x8b\xe9\xab\x94", "AR PL UMing CN"},
      {"\xe6\x96\xb0\xe5\xae\x8b\xe9\xab\x94", "AR PL UMing CN"},
  };
  return aliases;
}

namespace {

// Lower case without blanks, so "MS PGothic", "ms pgothic" and "MSPGothic" agree.
std::string AliasKey(const std::string& name) {
  std::string key;
  for (char c : LowerCaseAscii(Trim(name)))
    if (c != ' ') key.push_back(c);
  return key;
}

}  // namespace

std::string SubstituteFamily(const std::string& faceName) {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    for (const FaceAlias& a : FaceAliases()) t.emplace(AliasKey(a.face), a.family);
    return t;
  }();
  auto it = table.find(AliasKey(faceName));
  return it == table.end() ? Trim(faceName) : it->second;
}

std::string CharSetLanguage(uint8_t charSet) {
  switch (charSet) {
    case 128: return "ja";
    case 129:
    case 130: return "ko";
    case 134: return "zh-cn";
    case 136: return "zh-tw";
    case 238: return "pl";
    case 204: return "ru";
    case 161: return "el";
    case 162: return "tr";
    case 177: return "he";
    case 178: return "ar";
    case 186: return "lt";
    case 163: return "vi";
    case 222: return "th";
    default: return "";
  }
}

ResolvedFace ResolveFace(const std::string& faceName, int weight, bool italic, bool fixedPitch, uint8_t charSet) {
  const std::string language = CharSetLanguage(charSet);
  const auto key = std::make_tuple(LowerCaseAscii(faceName) + "\n" + language, weight >= 600 ? 700 : 400, italic,
                                   fixedPitch);
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
  if (!language.empty()) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
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

bool CoveringFace::Has(char32_t ch) const {
  return charset && FcCharSetHasChar(static_cast<const FcCharSet*>(charset.get()), FcChar32(ch));
}

std::vector<CoveringFace> FallbackFaces(const ResolvedFace& base, int weight, bool italic) {
  std::lock_guard guard(Lock());
  std::vector<CoveringFace> out;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(base.family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(Config(), pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  // Trimmed: a face that adds nothing to the ones before it is left out.
  FcFontSet* set = FcFontSort(Config(), pat, FcTrue, nullptr, &result);
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* f = set->fonts[i];
    FcCharSet* charset = nullptr;
    FcBool scalable = FcTrue;
    if (FcPatternGetBool(f, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) continue;
    if (FcPatternGetCharSet(f, FC_CHARSET, 0, &charset) != FcResultMatch || !charset) continue;
    CoveringFace c;
    c.face.file = GetString(f, FC_FILE);
    c.face.family = GetString(f, FC_FAMILY);
    int idx = 0;
    if (FcPatternGetInteger(f, FC_INDEX, 0, &idx) == FcResultMatch) c.face.index = idx;
    if (c.face.file.empty() || (c.face.file == base.file && c.face.index == base.index)) continue;
    c.charset = std::shared_ptr<const void>(FcCharSetCopy(charset), [](const void* p) {
      FcCharSetDestroy(static_cast<FcCharSet*>(const_cast<void*>(p)));
    });
    out.push_back(std::move(c));
  }
  if (set) FcFontSetDestroy(set);
  FcPatternDestroy(pat);
  return out;
}

std::vector<InstalledFamily> InstalledFamilies(const std::string& language, const std::string& named) {
  std::lock_guard guard(Lock());
  std::vector<InstalledFamily> out;
  FcPattern* pat = FcPatternCreate();
  if (!named.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(named.c_str()));
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
