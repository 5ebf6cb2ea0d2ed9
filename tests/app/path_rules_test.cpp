// The path rules of the main window: the trailing separator of the folder edits and the folder
// part of a path.
#include <gtest/gtest.h>

#include "app/tarnwick1.h"

using namespace Tarnwick1;

TEST(PathRules, TrailingSeparator) {
  const struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"", ""},                    // fewer than 3 characters: left alone
      {"ab", "ab"},
      {"c:", "c:"},
      {"/a", "/a"},
      {"abc", "abc/"},
      {"/pics", "/pics/"},
      {"/pics/", "/pics/"},
      {"/pics/ ", "/pics/ "},      // ends in the separator once trimmed
      {" /pics ", " /pics /"},     // the untrimmed text gets it
      {"   ", "   /"},            // three blanks: nothing trimmed ends in "/"
      {"/pics/x\t", "/pics/x\t/"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithTrailingSeparator(c.text), c.result) << "'" << c.text << "'";
}

TEST(PathRules, FolderPart) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"/pics/a.png", "/pics/"}, {"/pics/", "/pics/"}, {"a.png", ""}, {"", ""}, {"/a.png", "/"},
      {"/p/q/r", "/p/q/"},       {"c:a.png", ""},  // a colon is no separator here
  };
  for (const auto& c : cases) EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
}
