/* Fault injection for the runner's file writing, preloaded into the program under test. On the
 * N-th call of a chosen function on a regular file it raises a signal (a kill at that step) or
 * fails with an error number (a full disk, a failing disk) instead of doing the call:
 *   TOVALINDER_FAULT="write:3:ENOSPC", "fsync:1:SIGTERM", "rename:2:SIGINT", "fsync:1:EIO"
 * or, for a write, lets it through with its first byte changed ("write:1:FLIP": a disk that
 * silently corrupts what it is given).
 * Every file created exclusively is logged with its open flags and permission bits to the file
 * TOVALINDER_OPEN_LOG names, one line each: "<path> excl=<0|1> nofollow=<0|1> mode=<octal>".
 * TOVALINDER_READ_HOLD="<name>:<release file>" holds the first read of the file opened under a
 * path ending in <name> until <release file> exists: a read from a slow disk or network share. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int faultCount(const char* function) {
  static int counts[3];
  const char* names[3] = {"write", "fsync", "rename"};
  for (int i = 0; i < 3; ++i)
    if (strcmp(function, names[i]) == 0)
      return ++counts[i];
  return 0;
}

/* Answers -1 with errno set when the fault is an error, 1 when the call is to go through with its
 * data changed, raises the signal when it is one, and answers 0 when this call is not the chosen
 * one. */
static int injected(const char* function) {
  const char* plan = getenv("TOVALINDER_FAULT");
  char name[16];
  int at = 0;
  char action[16];
  if (!plan || sscanf(plan, "%15[^:]:%d:%15s", name, &at, action) != 3 ||
      strcmp(name, function) != 0 || faultCount(function) != at)
    return 0;
  if (strcmp(action, "SIGINT") == 0 || strcmp(action, "SIGTERM") == 0) {
    raise(strcmp(action, "SIGINT") == 0 ? SIGINT : SIGTERM);
    return 0;
  }
  if (strcmp(action, "FLIP") == 0)
    return 1;
  errno = strcmp(action, "ENOSPC") == 0 ? ENOSPC : EIO;
  return -1;
}

static int regularFile(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

static int heldFile = -1;

static void holdIfAsked(int fd) {
  const char* hold = getenv("TOVALINDER_READ_HOLD");
  const char* release = hold ? strchr(hold, ':') : NULL;
  if (fd != heldFile || !release)
    return;
  heldFile = -1;
  while (access(release + 1, F_OK) != 0)
    usleep(5000);
}

static void rememberHeld(const char* path, int fd) {
  const char* hold = getenv("TOVALINDER_READ_HOLD");
  const char* colon = hold ? strchr(hold, ':') : NULL;
  const size_t name = colon ? (size_t)(colon - hold) : 0, length = strlen(path);
  if (fd >= 0 && name > 0 && length >= name && strncmp(path + length - name, hold, name) == 0)
    heldFile = fd;
}

ssize_t read(int fd, void* data, size_t size) {
  static ssize_t (*real)(int, void*, size_t);
  if (!real)
    real = (ssize_t(*)(int, void*, size_t))dlsym(RTLD_NEXT, "read");
  holdIfAsked(fd);
  return real(fd, data, size);
}

ssize_t write(int fd, const void* data, size_t size) {
  static ssize_t (*real)(int, const void*, size_t);
  if (!real)
    real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
  const int fault = regularFile(fd) ? injected("write") : 0;
  if (fault < 0)
    return -1;
  if (fault > 0 && size > 0) {
    unsigned char* changed = malloc(size);
    if (!changed)
      return -1;
    memcpy(changed, data, size);
    changed[0] ^= 0xFF;
    const ssize_t written = real(fd, changed, size);
    free(changed);
    return written;
  }
  return real(fd, data, size);
}

int fsync(int fd) {
  static int (*real)(int);
  if (!real)
    real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
  if (regularFile(fd) && injected("fsync") < 0)
    return -1;
  return real(fd);
}

int rename(const char* from, const char* to) {
  static int (*real)(const char*, const char*);
  if (!real)
    real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
  if (injected("rename") < 0)
    return -1;
  return real(from, to);
}

static void logCreation(const char* path, int flags, int fd) {
  const char* log = getenv("TOVALINDER_OPEN_LOG");
  struct stat info;
  if (!log || !(flags & O_CREAT) || fd < 0 || fstat(fd, &info) != 0)
    return;
  FILE* out = fopen(log, "a");
  if (!out)
    return;
  fprintf(out, "%s excl=%d nofollow=%d mode=%o\n", path, (flags & O_EXCL) != 0,
          (flags & O_NOFOLLOW) != 0, (unsigned)(info.st_mode & 07777));
  fclose(out);
}

static int openWith(const char* symbol, const char* path, int flags, mode_t mode) {
  int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, symbol);
  const int fd = real(path, flags, mode);
  logCreation(path, flags, fd);
  rememberHeld(path, fd);
  return fd;
}

/* open and open64 alike: the mode is passed only with O_CREAT. */
#define OPEN_WRAPPER(symbol)                                                                       \
  int symbol(const char* path, int flags, ...) {                                                   \
    mode_t mode = 0;                                                                               \
    if (flags & O_CREAT) {                                                                         \
      va_list args;                                                                                \
      va_start(args, flags);                                                                       \
      mode = (mode_t)va_arg(args, int);                                                            \
      va_end(args);                                                                                \
    }                                                                                              \
    return openWith(#symbol, path, flags, mode);                                                   \
  }

OPEN_WRAPPER(open)
OPEN_WRAPPER(open64)
