// The editor's application object: start-up in its order, the message loop, and
// the start-up of the engine.
#pragma once

#include "framework/olesrv.h"

#include "framework/winapp.h"

class VODOreVer : public CWinApp {
public:
  VODOreVer();
  ~VODOreVer() override;
  BOOL InitInstance() override;
  int Run() override;
  bool m_embedded = false;
  // The OLE server's link to the drawing template: each object a container makes is
  // a new drawing document.
  COleTemplateServer m_server;
};

// Registers the main frame's class "DazuVerur"; the registration's result.
BOOL app_regframe(CWinApp *app);
// The engine start-up; the MDI client's handle into *mdi. 1, or 0 after its error.
int app_enginit(HWND *mdi);
// Message file, menu file and stroke fonts: 0 or the error code 1, 2 or 4.
int app_loadfiles();
// Key table and shortcut menu from "inkforge.key" in the program folder; a file that
// does not load shows error 3 and start-up goes on. 0.
int app_keyfile();
// Shows start-up error 1..10 on the message board as an error.
void app_initerr(int code);
const char *app_initerrtext(int code);
// Opens the undo journal in the work folder (a drive letter alone is completed). 0.
int app_undoinit();
// Opens the files named on the command line as seal files. 0.
int app_openargs();
// The start-up's memory device context and face brush, null before and after.
HDC app_memdc();
HBRUSH app_facebrush();
void app_freegdi();
