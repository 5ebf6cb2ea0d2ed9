#include "platform/rtl/end_signals.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <string>

#include "tests/support/limited_child.h"

namespace {

struct ChildCase {
  const char* what;
  std::function<int()> body;  // its status: 0 when all went as it should
  const char* end;
};

const std::string kScratch = "/tmp/velmora-end-signals-file-" + std::to_string(::getpid());

}  // namespace

// In a child of its own: the first signal is the one kept, a signal the process was started
// ignoring stays ignored, and a second signal of a kind takes its default action; SIGXFSZ only
// fails the write past the limit.
TEST(EndSignals, IgnoredSignalsStayIgnoredAndASecondOneEndsTheProcess) {
  const ChildCase cases[] = {
      {"ignored at the start (nohup, a background job)",
       [] {
         signal(SIGHUP, SIG_IGN);
         signal(SIGINT, SIG_IGN);
         signal(SIGPIPE, SIG_IGN);
         CatchEndSignals();
         raise(SIGHUP);
         raise(SIGINT);
         raise(SIGPIPE);
         if (CaughtEndSignal() != 0) return 1;
         raise(SIGTERM);
         return CaughtEndSignal() == SIGTERM ? 0 : 2;
       },
       "exit 0"},
      {"a second SIGTERM",
       [] {
         CatchEndSignals();
         raise(SIGTERM);
         if (CaughtEndSignal() != SIGTERM) return 1;
         raise(SIGTERM);
         return 2;
       },
       "signal 15 (Terminated)"},
      {"a write past the file size limit",
       [] {
         CatchEndSignals();
         const rlimit limit{10, 10};
         setrlimit(RLIMIT_FSIZE, &limit);
         const int fd = open(kScratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
         const bool partial = write(fd, "0123456789abcdef", 16) == 10;
         const bool refused = write(fd, "x", 1) == -1 && errno == EFBIG;
         close(fd);
         unlink(kScratch.c_str());
         return partial && refused && CaughtEndSignal() == 0 ? 0 : 1;
       },
       "exit 0"},
      {"SIGINT after SIGTERM",
       [] {
         CatchEndSignals();
         raise(SIGTERM);
         raise(SIGINT);
         return CaughtEndSignal() == SIGTERM && EndSignalName(SIGTERM) == "SIGTERM" ? 0 : 1;
       },
       "exit 0"},
      {"writes into a pipe whose reader is gone",
       [] {
         CatchEndSignals();
         int fds[2];
         if (pipe(fds) != 0) return 3;
         close(fds[0]);
         // Each write fails with EPIPE; the second one does not end the process either.
         for (int i = 0; i < 2; ++i)
           if (write(fds[1], "x", 1) != -1 || errno != EPIPE) return 1;
         return CaughtEndSignal() == SIGPIPE && EndSignalName(SIGPIPE) == "SIGPIPE" ? 0 : 2;
       },
       "exit 0"},
  };
  for (const ChildCase& c : cases)
    EXPECT_EQ(testsupport::Describe(testsupport::RunLimited(c.body, {.seconds = 10})), c.end) << c.what;
}
