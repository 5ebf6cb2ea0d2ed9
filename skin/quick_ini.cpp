#include "skin/quick_ini.h"

#include <string_view>

#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

bool IsHeader(std::string_view line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

// The key of a line: the text before its first "=", trimmed and lower-cased; empty without one.
std::string LineKey(std::string_view line) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return LowerCaseAscii(Trim(line.substr(0, eq)));
}

}  // namespace

void TQuickIni::LoadFromStream(TStream* stream) {
  if (!stream) return;
  std::string text = stream->ReadToEnd();
  Lines.BeginUpdate();
  Sections.BeginUpdate();
  Lines.Clear();
  Sections.Clear();
  sectionIndex_.clear();
  keys_.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    const std::string line = Trim(std::string_view(text).substr(start, i - start));
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    if (line.empty() || line.front() == ';') continue;
    int index = Lines.Add(line);
    if (IsHeader(line)) {
      int s = Sections.AddObject(line, reinterpret_cast<void*>(static_cast<intptr_t>(index)));
      sectionIndex_.emplace(LowerCaseAscii(line), s);  // the first section of a name wins
      keys_.emplace_back();
    } else if (!keys_.empty()) {
      keys_.back().first.emplace(LineKey(line), index);  // the first line of a key wins
    }
  }
  Sections.EndUpdate();
  Lines.EndUpdate();
}

void TQuickIni::ReadSections(TStrings& strings) const {
  strings.BeginUpdate();
  strings.Clear();
  for (int i = 0; i < Sections.Count(); ++i) {
    const std::string header = Trim(Sections.Get(i));
    strings.Add(Trim(header.size() >= 2 ? std::string_view(header).substr(1, header.size() - 2) : std::string_view()));
  }
  strings.EndUpdate();
}

const TQuickIni::SectionKeys* TQuickIni::FindSection(const std::string& section) const {
  if (Lines.Count() == 0) return nullptr;
  auto it = sectionIndex_.find(LowerCaseAscii("[" + section + "]"));
  return it == sectionIndex_.end() ? nullptr : &keys_[static_cast<size_t>(it->second)];
}

void TQuickIni::ReadString(const std::string& section, const std::string& key, std::string& value,
                           const std::string& def) const {
  value = def;
  const SectionKeys* keys = FindSection(section);
  if (!keys) return;
  auto it = keys->first.find(LowerCaseAscii(key));
  if (it == keys->first.end()) return;
  std::string line = Lines.Get(it->second);
  const std::string found = Trim(std::string_view(line).substr(line.find('=') + 1));
  if (!found.empty()) value = found;
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::string value;
  ReadString(section, key, value, def);
  return value;
}

int32_t TQuickIni::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  std::string s = ReadString(section, key, std::string());
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, "$");
  if (s.empty()) return def;
  return StrToIntDef(s, def);
}
