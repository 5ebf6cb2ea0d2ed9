// Which installed font file answers a face name, through fontconfig. The platform's usual
// faces map to metric-compatible ones ("MS Sans Serif" and "Arial" to Liberation Sans, "Times
// New Roman" to Liberation Serif, "Courier New" to Liberation Mono...), and any name, even one
// that exists nowhere, gets the closest installed face, as the platform always gives a font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ResolvedFace {
  std::string file;    // font file path
  int index = 0;       // face index inside a collection
  std::string family;  // the family fontconfig chose
  bool bold = false, italic = false;  // what the file itself provides
  bool symbol = false;
};

// `weight` is LOGFONT's (400 normal, 700 bold); `fixedPitch` prefers monospaced faces; a
// character set other than ANSI, DEFAULT and SYMBOL prefers faces that cover its language.
ResolvedFace ResolveFace(const std::string& faceName, int weight, bool italic, bool fixedPitch,
                         uint8_t charSet = 1);

// A face behind another for the characters that one lacks, with the characters it covers.
struct CoveringFace {
  ResolvedFace face;
  std::shared_ptr<const void> charset;  // fontconfig's character set of the face
  bool Has(char32_t ch) const;
};
// The faces fontconfig puts behind `base` (as the platform links faces to its interface faces),
// best first for the family, weight and slant, each covering something the ones before it do
// not; `base` itself is left out. One fontconfig call: the caller keeps the list.
std::vector<CoveringFace> FallbackFaces(const ResolvedFace& base, int weight, bool italic);

// The substitute family searched for a platform face name (the name itself when it has none):
// the alias table of the platform's usual Western, symbol and CJK faces, matched without regard
// to case, blanks or the native spellings of the CJK names.
std::string SubstituteFamily(const std::string& faceName);

// The platform face names answered by an installed family of another name.
struct FaceAlias {
  std::string face;    // as the platform spells it
  std::string family;  // the installed family that answers it
};
const std::vector<FaceAlias>& FaceAliases();

// fontconfig's language code for a LOGFONT character set ("ja" for SHIFTJIS_CHARSET ...);
// empty for sets that name no language (ANSI, DEFAULT, SYMBOL, OEM).
std::string CharSetLanguage(uint8_t charSet);

struct InstalledFamily {
  std::string family;
  bool fixedPitch = false;
  bool scalable = true;
  bool symbol = false;
};
// Installed families, each once, sorted case-insensitively, each under the first name its face
// gives; with a language (fontconfig's codes: "ja", "zh-cn", "ru"...) only those that cover it;
// with a name only the faces that carry it among their names (a CJK face's native name too).
std::vector<InstalledFamily> InstalledFamilies(const std::string& language = "", const std::string& named = "");

// Makes a font file available to ResolveFace and the enumeration (AddFontResource), or takes
// it away again.
bool AddPrivateFontFile(const std::string& file);
bool RemovePrivateFontFile(const std::string& file);
