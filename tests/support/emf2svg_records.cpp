#include "tests/support/emf2svg_records.h"

#include "tests/support/test_support.h"

namespace testsupport {
namespace {

std::string WithoutEscapes(const std::string& line) {
  std::string plain;
  for (size_t k = 0; k < line.size(); ++k) {
    if (line[k] == '\x1b') {
      while (k < line.size() && line[k] != 'm') ++k;
      continue;
    }
    plain += line[k];
  }
  return plain;
}

// A record's head line keeps its name; a field line loses emf2svg's status remark.
std::string Field(std::string plain) {
  const size_t start = plain.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  plain = plain.substr(start);
  if (plain.rfind("U_PMR_", 0) == 0) return plain.substr(0, plain.find(' '));
  if (plain.rfind("+", 0) != 0) return {};
  if (const size_t at = plain.find("Status:"); at != std::string::npos) plain.resize(at);
  plain.resize(plain.find_last_not_of(' ') + 1);
  return plain == "+" || plain.find("PxFmtEnum") != std::string::npos ? std::string() : plain;
}

}  // namespace

std::vector<std::string> Emf2svgPlusRecords(const std::string& emf) {
  TempDir dir;
  WriteFile(dir.File("in.emf"), emf);
  std::string out;
  if (Run("emf2svg-conv -p -v -i '" + dir.File("in.emf") + "' -o '" + dir.File("out.svg") + "' 2>&1", &out) != 0)
    return {};
  std::vector<std::string> records;
  size_t from = 0;
  while (from < out.size()) {
    size_t to = out.find('\n', from);
    if (to == std::string::npos) to = out.size();
    const std::string field = Field(WithoutEscapes(out.substr(from, to - from)));
    if (!field.empty()) records.push_back(field);
    from = to + 1;
  }
  return records;
}

}  // namespace testsupport
