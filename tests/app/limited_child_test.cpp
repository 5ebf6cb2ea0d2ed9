// The child-process runner the hostile-file tests rely on: each way a child can end is told apart.
#include <gtest/gtest.h>

#include <signal.h>

#include <new>
#include <vector>

#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ChildEnd;

TEST(LimitedChild, TellsEachEndingApart) {
  struct Case {
    const char* name;
    std::function<int()> body;
    ChildEnd::How how;
    int code;
  };
  const std::vector<Case> cases = {
      {"normal", [] { return 0; }, ChildEnd::How::kExited, 0},
      {"status", [] { return 7; }, ChildEnd::How::kExited, 7},
      {"exception", []() -> int { throw 1; }, ChildEnd::How::kExited, 125},
      {"killed", [] { return raise(SIGKILL); }, ChildEnd::How::kSignalled, SIGKILL},
      {"abort", [] { return raise(SIGABRT); }, ChildEnd::How::kSignalled, SIGABRT},
      {"endless", [] {
         volatile unsigned i = 0;
         for (;;) i = i + 1;
         return 0;
       },
       ChildEnd::How::kTimedOut, SIGALRM},
  };
  for (const auto& c : cases) {
    const ChildEnd end = testsupport::RunLimited(c.body, {.seconds = 1});
    EXPECT_EQ(end.how, c.how) << c.name << ": " << testsupport::Describe(end);
    EXPECT_EQ(end.code, c.code) << c.name;
  }
}

// A plain build refuses the allocation; a sanitizer build's child is stopped once it holds more.
TEST(LimitedChild, MemoryPastTheCeilingIsRefusedOrStopped) {
  const ChildEnd end = testsupport::RunLimited([] {
    try {
      std::vector<char> big(size_t{5} << 29, 1);  // 2.5 GiB, every page touched
      return big.back() == 1 ? 0 : 1;
    } catch (const std::bad_alloc&) {
      return 9;
    }
  });
  EXPECT_EQ(testsupport::Describe(end), testsupport::LimitsAddressSpace() ? "exit 9" : "past the memory ceiling");
}

TEST(LimitedChild, ExecutesWithItsOwnFolderOutputAndEnvironment) {
  testsupport::TempDir dir;
  setenv("VELMORA_LIMITED_CHILD_PROBE", "1", 1);
  const ChildEnd end = testsupport::ExecLimited(
      {"/bin/sh", "-c", "pwd; echo ${VELMORA_LIMITED_CHILD_PROBE:-unset}; echo oops >&2; exit 3"},
      {.cwd = dir.path(), .stdout_path = dir.File("out"), .stderr_path = dir.File("err"),
       .unset_env = {"VELMORA_LIMITED_CHILD_PROBE"}});
  unsetenv("VELMORA_LIMITED_CHILD_PROBE");
  EXPECT_EQ(testsupport::Describe(end), "exit 3");
  EXPECT_EQ(testsupport::ReadFile(dir.File("out")), dir.path() + "\nunset\n");
  EXPECT_EQ(testsupport::ReadFile(dir.File("err")), "oops\n");
  EXPECT_EQ(testsupport::Describe(testsupport::ExecLimited({"/nonexistent/program"})), "exit 127");
  EXPECT_EQ(testsupport::Describe(testsupport::ExecLimited({"/bin/sleep", "5"}, {}, {.seconds = 1})), "timed out");
}

}  // namespace
