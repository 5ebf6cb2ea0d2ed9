/* A disk that fails: preloaded into the program (LD_PRELOAD), it makes reads and writes of
 * chosen files fail as a broken or full disk does. Without VELMORA_FAULT_FILE nothing changes.
 *   VELMORA_FAULT_FILE         the files meant: every file whose path contains this text
 *   VELMORA_FAULT_READ         errno number every read of such a file fails with (EIO is 5)
 *   VELMORA_FAULT_WRITE_AFTER  bytes such files may take in all; the write that would pass
 *                              them writes up to the limit, and the next fails with ENOSPC
 *   VELMORA_FAULT_SIGNAL       a signal number, raised once, as the program first reads ("read"),
 *                              writes ("write") or opens as a folder ("opendir") such a file,
 *                              which VELMORA_FAULT_SIGNAL_ON names: a signal that comes from
 *                              outside at that moment (the analysis, the copy, the search, the
 *                              save); VELMORA_FAULT_SIGNALS times in a row (1 unless set) */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

static long long written;

static int Meant(int fd) {
  const char* pattern = getenv("VELMORA_FAULT_FILE");
  if (!pattern || !*pattern) return 0;
  char link[64], path[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = syscall(SYS_readlink, link, path, sizeof path - 1);
  if (n <= 0) return 0;
  path[n] = 0;
  return strstr(path, pattern) != NULL;
}

static int signalled;

/* Raises the signal, the first time the program does `what` to a file meant. */
static void SignalAt(const char* what, int meant) {
  const char* number = getenv("VELMORA_FAULT_SIGNAL");
  const char* on = getenv("VELMORA_FAULT_SIGNAL_ON");
  if (signalled || !number || !*number || !on || strcmp(on, what) != 0 || !meant) return;
  signalled = 1;
  const char* times = getenv("VELMORA_FAULT_SIGNALS");
  for (int i = 0, n = times && *times ? atoi(times) : 1; i < n; ++i) raise(atoi(number));
}

static int SignalWanted(const char* what) {
  const char* on = getenv("VELMORA_FAULT_SIGNAL_ON");
  return !signalled && on && strcmp(on, what) == 0;
}

static int ReadFault(int fd) {
  const char* value = getenv("VELMORA_FAULT_READ");
  return value && *value && Meant(fd) ? atoi(value) : 0;
}

/* How many of count bytes may be written; -1 (errno ENOSPC) when none may. */
static ssize_t Allowance(int fd, size_t count) {
  const char* value = getenv("VELMORA_FAULT_WRITE_AFTER");
  if (!value || !*value || !Meant(fd)) return (ssize_t)count;
  const long long left = atoll(value) - written;
  if (left <= 0) {
    errno = ENOSPC;
    return -1;
  }
  return (ssize_t)((long long)count < left ? (long long)count : left);
}

ssize_t read(int fd, void* buffer, size_t count) {
  if (SignalWanted("read")) SignalAt("read", Meant(fd));
  const int fault = ReadFault(fd);
  if (fault) {
    errno = fault;
    return -1;
  }
  return syscall(SYS_read, fd, buffer, count);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
  if (SignalWanted("read")) SignalAt("read", Meant(fd));
  const int fault = ReadFault(fd);
  if (fault) {
    errno = fault;
    return -1;
  }
  return syscall(SYS_pread64, fd, buffer, count, offset);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) { return pread64(fd, buffer, count, offset); }

ssize_t write(int fd, const void* buffer, size_t count) {
  if (SignalWanted("write")) SignalAt("write", Meant(fd));
  const ssize_t allowed = Allowance(fd, count);
  if (allowed < 0) return -1;
  const ssize_t n = syscall(SYS_write, fd, buffer, (size_t)allowed);
  if (n > 0 && Meant(fd)) written += n;
  return n;
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset) {
  if (SignalWanted("write")) SignalAt("write", Meant(fd));
  const ssize_t allowed = Allowance(fd, count);
  if (allowed < 0) return -1;
  const ssize_t n = syscall(SYS_pwrite64, fd, buffer, (size_t)allowed, offset);
  if (n > 0 && Meant(fd)) written += n;
  return n;
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  return pwrite64(fd, buffer, count, offset);
}

DIR* opendir(const char* name) {
  if (SignalWanted("opendir")) {
    const char* pattern = getenv("VELMORA_FAULT_FILE");
    SignalAt("opendir", pattern && *pattern && strstr(name, pattern) != NULL);
  }
  DIR* (*real)(const char*) = (DIR * (*)(const char*)) dlsym(RTLD_NEXT, "opendir");
  return real(name);
}
