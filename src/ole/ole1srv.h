// The older OLE server of drawings (class "KIVO-LANT") over OLESVR32: it opens a new
// drawing for a client, hands out the drawing as native data, metafile or bitmap and
// takes native data back. Nothing starts it yet; it stays an entry point.
#pragma once

#include <windows.h>

#include <cstdint>

struct Ole1Server {
  intptr_t server;   // the library's server handle
  intptr_t doc;      // the open server document, 0 none
  int dwg;           // its drawing slot, -1 none
  double rect[4];    // last world rectangle
  RECT device;       // last device rectangle
  char client[262];  // host names for the title
  char document[262];
  int embedding;     // 1 "Embedding", 2 "Embedded"
  int busy;          // the object's release is pending
};
extern Ole1Server Ole1Srv;

// Starts the server for the command line: 1, or 0 when it cannot be registered
// (also when the older OLE layer is off).
int ole1_srvstart(const char *cmdline);
// The server document is told that its drawing was saved, closed or renamed.
void ole1_srvsaved();
void ole1_srvclosed();
void ole1_srvrenamed(const char *path);
// Serves queued requests while the object's release is pending.
void ole1_srvwait();
