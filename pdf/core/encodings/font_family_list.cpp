#include "pdf/core/encodings/font_family_list.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "pdf/core/byte_strings.h"

namespace {

int AddFamily(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD, intptr_t param) {
  auto* list = reinterpret_cast<TTalvoPDFStringList*>(param);
  // The face name of the full LOGFONT, at most 32 characters.
  const std::string face(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE));
  if (!face.empty() && face[0] == '@') return 1;
  if (list->Count() > 0 && CompareTextA(list->Get(list->Count() - 1), face) == 0) return 1;
  list->Add(face);
  return 1;
}

std::unique_ptr<TTalvoPDFStringList> EnumerateFamilies(int charSet) {
  auto list = std::make_unique<TTalvoPDFStringList>();
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (dc != nullptr) {
    LOGFONTA lf{};
    lf.lfCharSet = static_cast<BYTE>(charSet);
    EnumFontFamiliesExA(dc, &lf, AddFamily, reinterpret_cast<intptr_t>(list.get()), 0);
    DeleteDC(dc);
  }
  list->SetSorted(true);
  return list;
}

int CountFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, intptr_t param) {
  ++*reinterpret_cast<int*>(param);
  return 0;
}

}  // namespace

bool FontFamilyInstalled(int charSet, std::string_view face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  int found = 0;
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (dc != nullptr) {
    LOGFONTA lf{};
    lf.lfCharSet = static_cast<BYTE>(charSet);
    std::memcpy(lf.lfFaceName, face.data(), face.size());
    EnumFontFamiliesExA(dc, &lf, CountFamily, reinterpret_cast<intptr_t>(&found), 0);
    DeleteDC(dc);
  }
  return found > 0;
}

TTalvoPDFStringList* GetFontFamilyList(int charSet) {
  static std::mutex lock;
  static std::map<int, std::unique_ptr<TTalvoPDFStringList>> cache;
  std::lock_guard<std::mutex> hold(lock);
  auto& list = cache[charSet];
  if (!list) list = EnumerateFamilies(charSet);
  return list.get();
}
