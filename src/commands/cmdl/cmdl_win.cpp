// Window calls of the CMDL interpreter: picking, point and line input, message line
// 1, ending the running commands and redrawing.
#include "commands/cmdl/cmdl_win.h"

#include <cstring>

#include "commands/cmdl/cmdl.h"
#include "commands/cmdl/cmdtable.h"
#include "display/view/viewtbl.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "select/filter.h"
#include "select/pick.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"

namespace {
int pick(const char *prompt, uint32_t kinds, int32_t *dwg, int32_t *elem, double *x, double *y) {
  pck_filter(kinds, 0, 0, 0);
  // The client's text is a value, never a format.
  return pck_elem(PCK_LITERAL, 0, dwg, x, y, elem, "%s", prompt);
}

int point(double *x, double *y) {
  int32_t dwg = -1, kb = 0;
  return gcr_point(0, 0, 0, x, y, &dwg, &kb);
}

int line(char *buf, int size) {
  buf[0] = '\0';
  return keyin_line(0xC1, size, buf);
}

void message(const char *text) {
  if (text && *text)
    msg_disp(1, 0, 0, 0, MSG_LITERAL, "%s", text);
  else
    msg_disp(1, 128, 0, 0, MSG_LITERAL, "");
}

void endall() {
  cmd_cancel(0);
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

void redraw(int dwg) { vew_redraw(dwg, -1); }

bool opened(int dwg) { return vew_mask(dwg) != 0; }
} // namespace

void dde_cmdlwin() {
  static const CmdlEdges edges = {pick, point, line, message, endall, inp_updall, redraw, opened};
  dde_setedges(&edges);
}

HDDEDATA dde_reply(DWORD inst, UINT format, HSZ item) {
  if (format != CF_TEXT)
    return nullptr;
  const char *text = dde_replytext();
  return DdeCreateDataHandle(inst, reinterpret_cast<LPBYTE>(const_cast<char *>(text)),
                             static_cast<DWORD>(std::strlen(text) + 1), 0, item, CF_TEXT, 0);
}
