#include "shell/app/apploop.h"

#include "commands/cmdl/cmdtable.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"

HWND app_mdiclient() {
  HWND frame = app_hmain();
  if (!frame)
    return nullptr;
  HMENU bar = GetMenu(frame);
  CLIENTCREATESTRUCT ccs = {bar ? GetSubMenu(bar, 5) : nullptr, 16000};
  HWND client = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0,
                                0, frame, reinterpret_cast<HMENU>(3244), app_hinst(), &ccs);
  if (client)
    app_setwindows(frame, client);
  return client;
}

int app_run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    cmd_pump();
    // A request left waiting behind the command that just ended must not wait for
    // the next message.
    if (cmd_pending() && CmdWake)
      CmdWake();
    HWND mdi = app_hmdi();
    if (mdi && TranslateMDISysAccel(mdi, &msg))
      continue;
    if (key_xlate(&msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
