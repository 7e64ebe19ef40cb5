#include "shell/app/cmdroute.h"

#include <windows.h>

#include <cstring>

#include "commands/cmdl/menurec.h"
#include "display/marks/grid.h"
#include "display/view/view.h"
#include "files/dialogs.h"
#include "files/filecmd.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"
#include "shell/units/menufile.h"
#include "shell/units/panel.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "settings/appstate.h"
#include "settings/shellcalls.h"

uint8_t LevelSave[CMD_LEVELS][LV_REC_SIZE];
int32_t CmdStatusShown = 0;

namespace {

CmdInputCalls input_calls = {};

void tool_note(int32_t slot, int32_t on) { tool_press(slot, on); }

// Whether one of the 20 page buttons of entry n's group shows it.
bool page_shows(int n) {
  int32_t slots[MNU_SLOTS];
  mnu_chain(mnu_index(MenuArray[n].parent), slots);
  for (int32_t r : slots)
    if (r == n)
      return true;
  return false;
}

constexpr int OFF_LINES = 0, OFF_REQ = 4 * (4 + 128), OFF_KIND = OFF_REQ + 12, OFF_FILTER = OFF_KIND + 28,
              OFF_GUIDE = OFF_FILTER + 13;
static_assert(OFF_GUIDE + 232 == LV_REC_SIZE);

void put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; i++)
    p[i] = uint8_t(v >> (8 * i));
}
uint32_t get32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

int grid_mode() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 ? int(g.mode) : 0;
}

bool view_only_passes(int c, bool wide) {
  if (c == 500 || c == 502 || c == 504 || c == 505 || c == 506 || c == 508)
    return true;
  return wide && (c == 547 || c == 548);
}

} // namespace

CmdInputCalls &cmd_inputcalls() { return input_calls; }

int cmd_lvstate(int options, int mask) {
  if (CmdLevel < 0)
    return 0;
  if (options & 1) {
    uint8_t *r = LevelSave[CmdLevel];
    for (int i = 0; i < 4; i++) {
      if (!(mask & (1 << i)))
        continue;
      uint8_t *slot = r + OFF_LINES + i * 132;
      int colour = 0;
      char text[128] = "";
      ui_mesgline('R', i, &colour, text);
      put32(slot, uint32_t(colour));
      std::memcpy(slot + 4, text, 128);
      if (options & 0x1000)
        ui_mesgline('W', i, nullptr, nullptr);
    }
    if (mask & 0x10) {
      uint32_t req[3] = {0, 1, 0};
      if (input_calls.reqget)
        input_calls.reqget(req);
      uint32_t kind[7] = {};
      inp_kind('r', int(req[2]), kind);
      for (int i = 0; i < 3; i++)
        put32(r + OFF_REQ + 4 * i, req[i]);
      for (int i = 0; i < 7; i++)
        put32(r + OFF_KIND + 4 * i, kind[i]);
      if ((options & 0x2000) && input_calls.reqset) {
        const uint32_t fresh[3] = {0x1ffff, 1, 0};
        input_calls.reqset(fresh);
      }
    }
    if (mask & 0x20) {
      gcr_clrfb();
      if (input_calls.guideget)
        input_calls.guideget(r + OFF_GUIDE);
      if ((options & 0x4000) && input_calls.guideoff)
        input_calls.guideoff();
    }
    if ((mask & 0x40) && input_calls.filterget)
      input_calls.filterget(r + OFF_FILTER);
    return 0;
  }
  if (CmdLastLevel < 0 || CmdLastLevel >= CMD_LEVELS)
    return 0;
  const int32_t back = CmdInterrupted[CmdLastLevel];
  if (back < 0 || back >= CMD_LEVELS)
    return 0;
  const uint8_t *r = LevelSave[back];
  for (int i = 0; i < 4; i++) {
    if (!(mask & (1 << i)))
      continue;
    const uint8_t *slot = r + OFF_LINES + i * 132;
    int colour = int(get32(slot));
    char text[129];
    std::memcpy(text, slot + 4, 128);
    text[128] = '\0';
    ui_mesgline('W', i, &colour, text);
  }
  if (mask & 0x10) {
    uint32_t req[3], kind[7];
    for (int i = 0; i < 3; i++)
      req[i] = get32(r + OFF_REQ + 4 * i);
    for (int i = 0; i < 7; i++)
      kind[i] = get32(r + OFF_KIND + 4 * i);
    if (input_calls.reqset)
      input_calls.reqset(req);
    inp_kind('w', int(req[2]), kind);
  }
  if (mask & 0x20) {
    if (input_calls.guideset)
      input_calls.guideset(r + OFF_GUIDE);
    if (input_calls.forgetcur)
      input_calls.forgetcur();
  }
  if ((mask & 0x40) && input_calls.filterset)
    input_calls.filterset(r + OFF_FILTER);
  CmdInterrupted[back] = -1;
  return 0;
}

void cmd_status(int kind, int number) {
  if (number < 0) {
    char blank[] = " ";
    ui_mesgline('W', 2, nullptr, blank);
    CmdStatusShown = 0;
    return;
  }
  int entry = -1, group = -1;
  if (!kind) {
    // The command-panel layout: the entry the pressed page button shows, in the group
    // the panel shows (number counts from 1; second-bank buttons come 23 higher).
    const int slot = (pnl_twobanks() && number >= 24 ? number - 23 : number) - 1;
    if (slot < 0 || slot >= MNU_SLOTS || MenuPage < 0)
      return;
    entry = MenuSlots[slot];
    group = MenuPage;
  } else {
    entry = mnu_findcmd(number);
    if (entry >= 0)
      group = MenuArray[entry].parent;
  }
  if (!MenuArray || entry < 0 || entry >= MenuCount)
    return;
  if (group < 0 || group >= MenuCount)
    return;
  char text[32];
  cmd_statustext(MenuArray[group].shortlabel, MenuArray[entry].shortlabel, text);
  int colour = 0;
  ui_mesgline('W', 2, &colour, text);
  CmdStatusShown = 1;
}

bool cmd_enabled(int command) {
  if (!ui_active())
    return cmd_nodwg(command);
  if (command < 0 || command >= CMD_COUNT || !CommandTable[command])
    return false;
  return command != 710 || grid_mode() != 0;
}

int cmd_exec(int b, int command) {
  if (!ui_active() && !cmd_nodwg(command))
    return 0;
  if (cmd_viewonly() && !view_only_passes(command, false))
    return 0;
  if (command < 0 || command >= CMD_COUNT || !CommandTable[command]) {
    char format[262] = "";
    LoadStringA(app_hinst(), 123, format, sizeof format);
    if (!format[0])
      std::strcpy(format, "コマンド番号 = %d は使用できません。");
    msg_err(MSG_LITERAL, format, command);
    return 0;
  }
  const int level = tbar_btnlevel(b, command);
  cmd_cancel(level);
  cmd_setrun(level, command);
  cmd_request(level, CommandTable[command], command, tbar_check);
  return 1;
}

int cmd_menurun(int n) {
  if (!MenuArray || n < 0 || n >= MenuCount || !ui_active() || pnl_layout() != 0)
    return 0;
  const int b = tbar_find(MenuArray[n].command);
  if (b < 0)
    return 0;
  return cmd_exec(b, MenuArray[n].command);
}

int cmd_button(int level, int command) {
  tbar_precmd(level, command);
  if (cmd_viewonly() && !view_only_passes(command, true))
    return 0;
  if (!ui_active() && !cmd_nodwg(command))
    return 1;
  cmd_cancel(level);
  cmd_setrun(level, command);
  if (command < 0 || command >= CMD_COUNT)
    return 1;
  const CmdHandler h = CommandTable[command];
  if (!h)
    return 1;
  if (pnl_layout() == 0) {
    if (tbar_find(command) < 0) {
      cmd_request(level, h, command, nullptr);
    } else if (command == 710 && grid_mode() == 0) {
    } else if (command == 330 && !dwg_cansave()) {
    } else {
      cmd_request(level, h, command, tbar_check);
    }
  } else {
    // The command-panel layout: the panel button that shows the command's entry is
    // pressed; a command no page shows goes to its tool-window button or runs plainly.
    for (int n = 0; MenuArray && n < MenuCount; n++)
      if (MenuArray[n].command == command) {
        if (page_shows(n) && mnu_run(n))
          return 1;
        break;
      }
    if (command >= 500 && command <= 508)
      cmd_request(level, h, cmd_toolslot(command), tool_note);
    else
      cmd_request(level, h, command, nullptr);
  }
  return 1;
}

int cmd_keyview(int command, int level) {
  if (command < 0)
    return 2;
  const bool immediate = (command >= 509 && command <= 514) || (command >= 541 && command <= 546);
  if (!immediate)
    return 1;
  if (cmd_viewonly() && (command == 509 || command == 510 || command == 541 || command == 542))
    return 0;
  cmd_cancel(level);
  if (CommandTable[command])
    CommandTable[command]();
  return 0;
}

int cmd_keyrun(int key, int mods) {
  for (int i = 0; i < KeyTab.count; i++) {
    const KeyItem &k = KeyTab.items[i];
    if ((k.key & 0xff) != uint32_t(key & 0xff) || k.mods != uint32_t(mods & 0xff))
      continue;
    if ((i == 103 || i == 104) && ui_aboxlstopen())
      dlg_lstscrl(i);
    const int level = k.kind >= 0 && k.kind < CMD_LEVELS ? k.kind : 0;
    const int r = cmd_keyview(k.command, level);
    if (r == 2)
      return 0;
    if (r == 0)
      return 1;
    if (cmd_enabled(k.command)) {
      cmd_button(level, k.command);
      return 1;
    }
  }
  return 0;
}

int cmd_toolslot(int command) {
  for (int i = 0; i < 3; i++)
    if (ToolCommands[i] >= 0 && ToolCommands[i] == command)
      return i;
  return -1;
}

namespace {
void focus_drawing() {
  if (HWND w = ui_active())
    SetFocus(w);
}
bool panel_layout() { return pnl_layout() != 0; }

void req_get(uint32_t req[3]) {
  int32_t target = 0, kind = 0;
  inp_req('R', &req[0], &target, &kind);
  req[1] = uint32_t(target), req[2] = uint32_t(kind);
}
void req_set(const uint32_t req[3]) {
  uint32_t flags = req[0];
  int32_t target = int32_t(req[1]), kind = int32_t(req[2]);
  inp_req('W', &flags, &target, &kind);
}
void filter_get(uint8_t f[13]) {
  const uint32_t w[3] = {ElmFilter.kind, ElmFilter.pen, ElmFilter.ltype};
  for (int i = 0; i < 3; i++)
    put32(f + 4 * i, w[i]);
  f[12] = ElmFilter.subkind;
}
void guide_get(uint8_t state[232]) {
  InputGuide g;
  rub_state('r', &g);
  std::memcpy(state, &g, sizeof g);
}
void guide_set(const uint8_t state[232]) {
  InputGuide g;
  std::memcpy(&g, state, sizeof g);
  rub_state('w', &g);
}
void guide_off() { rub_start(0); }
void forget_cursor() { gcr_clrlast(); }
void filter_set(const uint8_t f[13]) {
  ElmFilter.kind = get32(f), ElmFilter.pen = get32(f + 4), ElmFilter.ltype = get32(f + 8);
  ElmFilter.subkind = f[12];
}
} // namespace

void cmd_shellhooks() {
  CmdSysHooks &h = cmd_hooks();
  h.status = cmd_status;
  h.panel = panel_layout;
  h.lvstate = cmd_lvstate;
  h.focus = focus_drawing;
  h.upd330 = tbar_upd330;
  // The input request, the input guide and the pick filter are the point input's
  // and picking's own.
  CmdInputCalls &in = cmd_inputcalls();
  if (!in.guideget) {
    in.guideget = guide_get;
    in.guideset = guide_set;
    in.guideoff = guide_off;
    in.forgetcur = forget_cursor;
  }
  if (!in.reqget) {
    in.reqget = req_get;
    in.reqset = req_set;
  }
  if (!in.filterget) {
    in.filterget = filter_get;
    in.filterset = filter_set;
  }
}
