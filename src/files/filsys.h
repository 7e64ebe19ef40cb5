// What the seal-file code needs of the platform: the message board and, at the
// Windows edge, its writes. One table of calls, so tests can record the messages and
// stand in for a failing disk; fil_sysreset puts the platform's own calls back.
#pragma once

#include <cstdint>

struct FilSysHooks {
  // Message n on the board under the error heading; arg fills its "%s" (may be null).
  void (*error)(int n, const char *arg);
  // Writes through a C runtime descriptor or a Windows handle; the bytes written, or -1.
  long (*write)(int fd, const void *buf, uint32_t size);
  long (*writeh)(void *handle, const void *buf, uint32_t size);
};

FilSysHooks &fil_sys();
void fil_sysreset();
// The platform's own calls (quiet natively).
FilSysHooks fil_sysplatform();
