/* link() and linkat() as a file system without hard links answers them. Preloaded into the
 * program (LD_PRELOAD) or linked into a test program, it refuses every hard link with the errno
 * number held by VELMORA_REFUSE_LINK; without that variable links are made as usual. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

static int Refusal(void) {
  const char* value = getenv("VELMORA_REFUSE_LINK");
  return value && *value ? atoi(value) : 0;
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
  const int refusal = Refusal();
  if (refusal) {
    errno = refusal;
    return -1;
  }
  return (int)syscall(SYS_linkat, fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to) { return linkat(AT_FDCWD, from, AT_FDCWD, to, 0); }
