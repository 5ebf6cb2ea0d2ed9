// Pages that the poppler oracle and the output oracle both draw, written once so that both
// readers judge the same drawing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rendertest {

struct OraclePage {
  const char* name;
  std::string content{};
  std::string resources = "<< >>";
  std::vector<std::string> objects{};  // objects 5, 6, ...: "stream:<dict>|<data>" for streams
};

// The shared page of that name; an unknown name fails the test program at once.
const OraclePage& SharedPage(std::string_view name);

// A test case drawing the shared page: its content, resources and objects.
template <class Case>
Case OnSharedPage(std::string_view name, Case c) {
  const OraclePage& page = SharedPage(name);
  c.content = page.content;
  c.resources = page.resources;
  c.objects = page.objects;
  return c;
}

}  // namespace rendertest
