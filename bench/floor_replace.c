/* The floor's one job, apart from its command line, so that the profile
 * benchmark can time it in-process beside WriteProfileStringA. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "floor_replace.h"

static int fail(const char *what) {
  perror(what);
  return 1;
}

/* The start of the first line that begins with `prefix`, or NULL. */
static const char *line_starting(const char *text, size_t size,
                                 const char *prefix) {
  const size_t length = strlen(prefix);
  for (const char *line = text; line < text + size;) {
    const size_t left = (size_t)(text + size - line);
    if (left >= length && memcmp(line, prefix, length) == 0) return line;
    const char *lf = memchr(line, '\n', left);
    if (lf == NULL) return NULL;
    line = lf + 1;
  }
  return NULL;
}

int floor_replace(const char *profile, const char *value) {
  char lock_path[PATH_MAX];
  if (snprintf(lock_path, sizeof lock_path, "%s.lock", profile) >= PATH_MAX)
    return fail("profile path too long");
  const int lock = open(lock_path, O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) return fail("lock");

  const int in = open(profile, O_RDONLY | O_CLOEXEC);
  struct stat status;
  if (in < 0 || fstat(in, &status) != 0) return fail("open");
  const size_t size = (size_t)status.st_size;
  char *text = malloc(size + 1);
  if (text == NULL) return fail("malloc");
  size_t got = 0;
  for (ssize_t n; got < size && (n = read(in, text + got, size - got)) > 0;)
    got += (size_t)n;
  close(in);

  const char *line = line_starting(text, got, "Device=");
  if (line == NULL) return fail("no Device= line");
  const char *value_begin = line + strlen("Device=");
  const char *value_end = value_begin;
  while (value_end < text + got && *value_end != '\n' && *value_end != '\r')
    ++value_end;

  char folder[PATH_MAX];
  if (snprintf(folder, sizeof folder, "%s", profile) >= PATH_MAX)
    return fail("profile path too long");
  char *slash = strrchr(folder, '/');
  if (slash == NULL) return fail("profile path without a folder");
  *slash = '\0';
  char temporary[PATH_MAX];
  if (snprintf(temporary, sizeof temporary, "%s/.%s.XXXXXX", folder,
               slash + 1) >= PATH_MAX)
    return fail("profile path too long");
  const int out = mkostemp(temporary, O_CLOEXEC);
  if (out < 0) return fail("mkostemp");

  struct iovec pieces[3] = {
      {text, (size_t)(value_begin - text)},
      {(void *)value, strlen(value)},
      {(void *)value_end, (size_t)(text + got - value_end)},
  };
  const size_t total = pieces[0].iov_len + pieces[1].iov_len + pieces[2].iov_len;
  if (writev(out, pieces, 3) != (ssize_t)total) return fail("writev");
  if (fchmod(out, status.st_mode & 07777) != 0) return fail("fchmod");
  if (fsync(out) != 0 || close(out) != 0) return fail("fsync");
  if (rename(temporary, profile) != 0) return fail("rename");

  const int directory = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory < 0 || fsync(directory) != 0) return fail("fsync folder");
  close(directory);
  free(text);
  close(lock);
  return 0;
}
