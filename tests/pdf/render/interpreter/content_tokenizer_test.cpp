// The content tokenizer on the cases that decide where one token ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/render/interpreter/content_tokenizer.h"

namespace {

std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    const std::string_view t = NextContentToken(text, pos);
    if (t.empty()) break;
    out.emplace_back(t);
  }
  return out;
}

using V = std::vector<std::string>;

TEST(ContentTokenizer, SplitsAsTheContentSyntaxSays) {
  struct Case {
    std::string text;
    V tokens;
  } cases[] = {
      {"/F1 12 Tf", {"/F1", "12", "Tf"}},
      {"0 0 m/GS0 gs", {"0", "0", "m", "/GS0", "gs"}},
      {"(a(b)c)Tj", {"(a(b)c)", "Tj"}},
      {"(a\\)b)Tj", {"(a\\)b)", "Tj"}},
      {"(x)'", {"(x)", "'"}},
      {"<414243>Tj", {"<414243>", "Tj"}},
      {"[(a)-120(b)]TJ", {"[", "(a)", "-120", "(b)", "]", "TJ"}},
      {"<< /MCID 0 >> BDC", {"<< /MCID 0 >", ">", "BDC"}},
      {"1 2 re\r\nf\x0c S\t", {"1", "2", "re", "f", "S"}},
      // A comment runs to the end of its line, wherever it starts outside a string.
      {"%comment", {}},
      {"1 0 0 rg 0 0 50 50 re f %draw later: 0 0 1 rg 50 50 50 50 re f",
       {"1", "0", "0", "rg", "0", "0", "50", "50", "re", "f"}},
      {"0 g%grey\rf%\nS", {"0", "g", "f", "S"}},
      {"%a\r\n%b\n\nq", {"q"}},
      {"[(a)%1]\n(b)]TJ", {"[", "(a)", "(b)", "]", "TJ"}},
      {"(50%)Tj <25>Tj", {"(50%)", "Tj", "<25>", "Tj"}},
      {"/N%x\n1", {"/N", "1"}},
      {std::string("0 0 1 rg\0 f", 11), {"0", "0", "1", "rg", "f"}},
      {"(unterminated", {"(unterminated"}},
      {"<unterminated", {"<unterminated"}},
      {"a]b", {"a", "]", "b"}},
      {"   ", {}},
      {"S", {"S"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(ContentTokenizer, ATrailingBackslashDoesNotReadPastTheText) {
  const std::string text = "(abc\\";
  size_t pos = 0;
  EXPECT_EQ(NextContentToken(text, pos), text);
  EXPECT_EQ(pos, text.size());
  EXPECT_TRUE(NextContentToken(text, pos).empty());
}

}  // namespace
