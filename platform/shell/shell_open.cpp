#include "platform/shell/shell_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

int ShellOpen(const std::string& file) {
  struct stat st{};
  if (file.empty() || ::stat(file.c_str(), &st) != 0) return SE_ERR_FNF;
  // A short-lived middle process starts the opener and ends at once, so the opener is adopted
  // by init instead of waiting to be reaped here. The pipe closes on a successful exec; a
  // failed one writes its error number into it.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return SE_ERR_NOASSOC;
  const char* argv[] = {"xdg-open", file.c_str(), nullptr};
  pid_t middle = ::fork();
  if (middle < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return SE_ERR_NOASSOC;
  }
  if (middle == 0) {
    ::close(pipeFds[0]);
    ::setsid();
    pid_t opener = ::fork();
    if (opener == 0) {
      int null = ::open("/dev/null", O_RDONLY);
      if (null >= 0) ::dup2(null, 0);
      ::execvp("xdg-open", const_cast<char* const*>(argv));
      int e = errno;
      [[maybe_unused]] ssize_t w = ::write(pipeFds[1], &e, sizeof e);
      ::_exit(127);
    }
    if (opener < 0) {
      int e = errno;
      [[maybe_unused]] ssize_t w = ::write(pipeFds[1], &e, sizeof e);
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  int error = 0;
  ssize_t n;
  do {
    n = ::read(pipeFds[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(pipeFds[0]);
  int ws = 0;
  while (::waitpid(middle, &ws, 0) < 0 && errno == EINTR) {
  }
  return n == 0 ? SE_ERR_SUCCESS : SE_ERR_NOASSOC;
}
