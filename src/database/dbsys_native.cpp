// Native builds: files through POSIX with an advisory lock for the sharing, and
// no screen: messages, the wait cursor and the keyboard are quiet.
#include "database/dbsys.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "settings/syspath.h"

namespace {

FILE *hold(int fd, const char *mode) {
  if (fd < 0)
    return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    errno = EACCES;
    return nullptr;
  }
  FILE *fp = fdopen(fd, mode);
  if (!fp)
    close(fd);
  return fp;
}

FILE *openheld(const char *path, bool *inuse) {
  FILE *fp = hold(open(path, O_RDWR), "r+b");
  *inuse = !fp && errno != ENOENT;
  return fp;
}

FILE *createheld(const char *path) { return hold(open(path, O_RDWR | O_CREAT | O_TRUNC, 0600), "w+b"); }

std::size_t fwrite_(const void *b, std::size_t s, std::size_t n, FILE *fp) { return std::fwrite(b, s, n, fp); }
std::size_t fread_(void *b, std::size_t s, std::size_t n, FILE *fp) { return std::fread(b, s, n, fp); }
uint32_t freespace(const char *) { return 0x7fffffff; }
void workfolder(char *out) {
  const char *p = sys_pathraw(4);
  std::snprintf(out, 262, "%s", p[0] ? p : sys_pathraw(6));
}
void quiet(int) {}
void quiet0() {}
void quietboard(int, const char *) {}
void quietline(int, int, int, int, int) {}
int noescape() { return 0; }

} // namespace

DbSysHooks dbs_platform() {
  DbSysHooks h{};
  h.openheld = openheld;
  h.createheld = createheld;
  h.write = fwrite_;
  h.read = fread_;
  h.freespace = freespace;
  h.workfolder = workfolder;
  h.warn = h.error = quiet;
  h.board = quietboard;
  h.startfail = h.waitcur = h.attrbox = quiet0;
  h.line = quietline;
  h.escape = noescape;
  return h;
}
