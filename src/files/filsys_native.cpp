// Native builds: no screen, so messages are quiet; writes through POSIX.
#include <unistd.h>

#include "files/filsys.h"

namespace {
void quiet(int, const char *) {}
long fdwrite(int fd, const void *buf, uint32_t size) { return long(::write(fd, buf, size)); }
long nohandle(void *, const void *, uint32_t) { return -1; }
} // namespace

FilSysHooks fil_sysplatform() { return FilSysHooks{quiet, fdwrite, nohandle, nullptr}; }
