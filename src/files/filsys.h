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
  // Told the points where a save may be cut short (null: nobody listens): 1 the new
  // file stands beside the old one, 2 it has replaced it.
  void (*step)(int step);
};

FilSysHooks &fil_sys();
void fil_sysreset();
// The platform's own calls (quiet natively).
FilSysHooks fil_sysplatform();
