#include "pdf/fonts/formats/charstrings/glyph_commands.h"

#include "pdf/core/object_parser.h"
#include "pdf/core/pdf_helpers.h"

std::string GlyphNumber(double value) { return FormatPDFNumber(value, 6); }

std::string GlyphCommand(std::string_view name, const std::vector<std::string>& args, std::string_view tag) {
  std::string out(name);
  out += '(';
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) out += ',';
    out += args[i];
  }
  out += ')';
  if (!tag.empty()) {
    out += ' ';
    out += tag;
  }
  return out;
}

std::string_view GlyphCommandName(std::string_view entry) {
  const size_t open = entry.find('(');
  return open == std::string_view::npos ? entry : entry.substr(0, open);
}

std::vector<double> GlyphCommandArgs(std::string_view entry) {
  std::vector<double> args;
  size_t p = entry.find('(');
  if (p == std::string_view::npos) return args;
  ++p;
  while (p < entry.size()) {
    size_t end = entry.find_first_of(",)", p);
    if (end == std::string_view::npos) end = entry.size();
    std::string_view text = entry.substr(p, end - p);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    args.push_back(ParsePDFNumber(text));
    if (end >= entry.size() || entry[end] == ')') break;
    p = end + 1;
  }
  return args;
}
