#include "pdf/render/interpreter/content_tokenizer.h"

#include "pdf/render/renderer/renderer.h"

namespace {

bool IsWhite(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

bool EndsRegular(char c) {
  return IsWhite(c) || c == '/' || c == '<' || c == '[' || c == ']' || c == '(' || c == '%';
}

bool EndsLine(char c) { return c == 10 || c == 13; }

}  // namespace

std::string_view NextContentToken(std::string_view text, size_t& position) {
  const size_t n = text.size();
  size_t pos = position;
  // White space and comments: a comment runs from "%" to the end of its line.
  while (pos < n) {
    if (IsWhite(text[pos])) {
      ++pos;
    } else if (text[pos] == '%') {
      while (pos < n && !EndsLine(text[pos])) ++pos;
    } else {
      break;
    }
  }
  if (pos >= n) {
    position = n;
    return {};
  }
  const size_t start = pos;
  const char c = text[pos++];
  if (c == '(') {
    int depth = 1;
    while (pos < n && depth > 0) {
      const char d = text[pos++];
      if (d == '\\') {
        if (pos < n) ++pos;
      } else if (d == '(') {
        ++depth;
      } else if (d == ')') {
        --depth;
      }
    }
  } else if (c == '<') {
    while (pos < n && text[pos] != '>') ++pos;
    if (pos < n) ++pos;
  } else if (c != '[' && c != ']' && c != '\'') {
    while (pos < n && !EndsRegular(text[pos])) ++pos;
  }
  position = pos;
  return text.substr(start, pos - start);
}

std::string_view TPDFRenderer::NextToken(TPDFContentRun& run) { return NextContentToken(run.Text, run.Position); }
