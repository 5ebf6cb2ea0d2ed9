// A CUPS scheduler of the test's own: cupsd started from Debian's package with its whole state
// in a temporary folder, listening only on a socket there, with one printer whose device
// writes each job's document to a file. libcups in this thread is pointed at it for the
// object's life. Where cupsd is missing or cannot start, Running() is false and Why() says why.
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

class PrivateCupsd {
 public:
  // The one printer, the default: ISO A5 with margins of 18 points left, right and top and 36
  // points at the bottom, at 144 dots per inch.
  static constexpr const char* kQueue = "VelmoraTest";
  static constexpr int kDpi = 144;

  PrivateCupsd();
  ~PrivateCupsd();
  PrivateCupsd(const PrivateCupsd&) = delete;
  PrivateCupsd& operator=(const PrivateCupsd&) = delete;

  bool Running() const { return pid_ > 0; }
  const std::string& Why() const { return why_; }
  // The document the printer received for a job; empty when none came within a bounded wait.
  std::string WaitForDocument(int job) const;

 private:
  bool WriteConfiguration();
  bool Start();
  void Stop();
  std::string dir_;
  pid_t pid_ = -1;
  std::string why_;
};

// Points libcups in this thread at a socket where no server listens, for the object's life.
class NoCupsServer {
 public:
  NoCupsServer();
  ~NoCupsServer();
  NoCupsServer(const NoCupsServer&) = delete;
  NoCupsServer& operator=(const NoCupsServer&) = delete;

 private:
  std::string dir_;
};

}  // namespace testsupport

// Skips the test, saying why, when the private scheduler is not running.
#define REQUIRE_CUPSD(cupsd)                                                      \
  do {                                                                            \
    if (!(cupsd).Running()) GTEST_SKIP() << "no private cupsd: " << (cupsd).Why(); \
  } while (0)
