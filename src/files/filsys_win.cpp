#include <windows.h>

#include <io.h>

#include "files/filsys.h"
#include "settings/msgout.h"

namespace {
void error(int n, const char *arg) { msg_err(n, arg ? arg : ""); }
long fdwrite(int fd, const void *buf, uint32_t size) { return _write(fd, buf, size); }
long hwrite(void *h, const void *buf, uint32_t size) {
  DWORD done = 0;
  return WriteFile(static_cast<HANDLE>(h), buf, size, &done, nullptr) ? long(done) : -1;
}
} // namespace

FilSysHooks fil_sysplatform() { return FilSysHooks{error, fdwrite, hwrite, nullptr}; }
