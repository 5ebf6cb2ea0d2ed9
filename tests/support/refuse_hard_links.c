/* link() and linkat() as a file system without hard links answers them, and renameat2() as one
 * that cannot rename without replacing. Preloaded into the program (LD_PRELOAD) or linked into a
 * test program, it refuses every hard link with the errno number held by VELMORA_REFUSE_LINK,
 * and every renameat2() with the one held by VELMORA_REFUSE_RENAME2; without those variables
 * links are made and files renamed as usual. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

static int Refusal(const char* name) {
  const char* value = getenv(name);
  return value && *value ? atoi(value) : 0;
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
  const int refusal = Refusal("VELMORA_REFUSE_LINK");
  if (refusal) {
    errno = refusal;
    return -1;
  }
  return (int)syscall(SYS_linkat, fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to) { return linkat(AT_FDCWD, from, AT_FDCWD, to, 0); }

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
  const int refusal = Refusal("VELMORA_REFUSE_RENAME2");
  if (refusal) {
    errno = refusal;
    return -1;
  }
  return (int)syscall(SYS_renameat2, fromDir, from, toDir, to, flags);
}
