// What the journal and the pack need of the platform: the file sharing of the
// journal, free disk space, the message output, the wait cursor and the Esc key.
// One table of calls, so tests can stand in for a full disk, a failing read or a
// key press; dbs_reset puts the platform's own calls back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct DbSysHooks {
  // Opens an existing file for update and keeps other writers out while it is open.
  // Null when it cannot; *inuse then tells a file that exists but is held (or
  // refused) from a missing one.
  FILE *(*openheld)(const char *path, bool *inuse);
  // Creates (truncates) a file for update, read and write for the owner only, and
  // keeps other writers out; null when it cannot.
  FILE *(*createheld)(const char *path);
  std::size_t (*write)(const void *buf, std::size_t size, std::size_t count, FILE *fp);
  std::size_t (*read)(void *buf, std::size_t size, std::size_t count, FILE *fp);
  uint32_t (*freespace)(const char *path); // free bytes on the path's drive, capped at 0x7fffffff
  // The work folder: system path 4, else 6 (262 bytes).
  void (*workfolder)(char *out);
  void (*warn)(int n);                       // message n on the board, warning heading
  void (*error)(int n);                      // message n on the board, error heading
  void (*board)(int kind, const char *text); // a fixed text on the board (kind as msg_board)
  void (*startfail)();                       // the journal could not be had at start-up
  // Message n on the message line in colour kind colour with up to three integer
  // values; n 0 clears the line.
  void (*line)(int n, int colour, int a, int b, int c);
  void (*waitcur)(); // toggles the wait cursor
  void (*attrbox)(); // refreshes the attribute box
  int (*escape)();   // 27 while Esc is down, else 0
};

DbSysHooks &dbs_hooks();
void dbs_reset();
// The platform's own calls (dbsys_win.cpp, or the quiet native ones).
DbSysHooks dbs_platform();
