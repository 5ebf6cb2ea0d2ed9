// The skin INI reader: the whole text kept in memory as trimmed lines, looked up by section
// and key without regard to case. It only reads.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/streams.h"
#include "platform/rtl/string_list.h"

class TQuickIni {
 public:
  TQuickIni() = default;

  // Reads from the stream's position to its end and rebuilds both lists (nothing for null).
  void LoadFromStream(TStream* stream);
  // The section names: headers without their brackets, trimmed.
  void ReadSections(TStrings& strings) const;
  // value := def, then the value of the first line of that key in the section, when it is
  // not empty.
  void ReadString(const std::string& section, const std::string& key, std::string& value,
                  const std::string& def) const;
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Decimal, "$" or "0x" hexadecimal; def when missing or not a number.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;

  TStringList Lines;     // trimmed, without empty lines and comments
  TStringList Sections;  // header lines, each with its index in Lines as its object
  bool Flag = false;

 private:
  // Where each section's keys are: for every header line, its keys (lower-cased) with the
  // index of the first line that gives each.
  struct SectionKeys {
    std::unordered_map<std::string, int> first;
  };
  const SectionKeys* FindSection(const std::string& section) const;

  std::unordered_map<std::string, int> sectionIndex_;  // lower-cased header -> first in Sections
  std::vector<SectionKeys> keys_;                       // by index in Sections
};
