#include "commands/cmdl/cmdtable.h"

#include "settings/appstate.h"

CmdHandler CommandTable[CMD_COUNT];
CommandLevel CmdLevels[CMD_LEVELS];
int32_t CmdInterrupted[CMD_LEVELS];
int32_t CmdLastLevel = -1;
int32_t CmdRunList[CMD_LEVELS];
uint32_t CmdShortcutMask[CMD_LEVELS];

namespace {

int32_t view_only = 0;
CmdSysHooks hooks = {};

// Saved and restored around a nested command: message line 0, the input request and
// the input guide; on saving the rubber band goes off.
constexpr int LV_SAVE = 0x0001, LV_GUIDEOFF = 0x4000, LV_MASK = 0x01 | 0x10 | 0x20;

void clear_requested(CommandLevel &c) { c.reqnum = -1, c.reqfn = nullptr, c.reqnote = nullptr; }
void clear_running(CommandLevel &c) { c.runnum = -1, c.runfn = nullptr, c.runnote = nullptr; }

} // namespace

// The table starts empty whatever order the program's statics are built in.
[[maybe_unused]] static const bool levels_ready = (cmd_reset(), true);

CmdSysHooks &cmd_hooks() { return hooks; }

void cmd_reset() {
  for (int i = 0; i < CMD_LEVELS; i++) {
    clear_requested(CmdLevels[i]);
    clear_running(CmdLevels[i]);
    CmdInterrupted[i] = -1;
    CmdRunList[i] = -1;
    CmdShortcutMask[i] = 0;
  }
  CmdLevel = -1;
  CmdLastLevel = -1;
}

void (*CmdReplaced)(CmdHandler handler) = nullptr;
void (*CmdWake)() = nullptr;

int cmd_request(int level, CmdHandler handler, int number, CmdNotifier notifier) {
  if (level < 0 || level >= CMD_LEVELS)
    return 0;
  CommandLevel &c = CmdLevels[level];
  const CmdHandler old = c.reqfn;
  c.reqnum = number, c.reqfn = handler, c.reqnote = notifier;
  if (old && old != handler && CmdReplaced)
    CmdReplaced(old);
  if (CmdWake)
    CmdWake();
  return 0;
}

bool cmd_pending() {
  for (const CommandLevel &c : CmdLevels)
    if (c.reqfn && !c.runfn)
      return true;
  return false;
}

void cmd_clrrun(int level) {
  for (int i = level < 0 ? 0 : level; i < CMD_LEVELS; i++)
    CmdRunList[i] = -1;
}

void cmd_setrun(int level, int command) {
  if (level >= 0 && level < CMD_LEVELS)
    CmdRunList[level] = command;
}

bool cmd_isrun(int command) {
  for (int32_t r : CmdRunList)
    if (r == command)
      return true;
  return false;
}

int cmd_cancel(int n) {
  if (n < 0)
    n = 0;
  if (CmdLevel < n) {
    cmd_clrrun(n);
    return 0;
  }
  int running = 0;
  for (int i = n; i < CMD_LEVELS; i++)
    if (CmdLevels[i].runfn)
      running = 1;
  CmdLevel = n - 1;
  while (CmdLevel >= 0 && !CmdLevels[CmdLevel].runfn)
    CmdLevel--;
  cmd_clrrun(n);
  return running;
}

int cmd_pump() {
  int level = -1;
  for (int i = 0; i < CMD_LEVELS && level < 0; i++)
    if (CmdLevels[i].reqfn && !CmdLevels[i].runfn)
      level = i;
  int result = 0;
  if (level >= 0) {
    CommandLevel &c = CmdLevels[level];
    c.runnum = c.reqnum, c.runfn = c.reqfn, c.runnote = c.reqnote;
    clear_requested(c);
    const int32_t number = c.runnum;
    const CmdHandler handler = c.runfn;
    const CmdNotifier note = c.runnote;
    if (note) {
      if (level == 0 && hooks.status) {
        const bool panel = hooks.panel && hooks.panel();
        hooks.status(panel ? 0 : 1, panel ? number - 2 : number);
      }
      note(number, 1);
    }
    if (level > 0 && hooks.lvstate)
      hooks.lvstate(LV_SAVE | LV_GUIDEOFF, LV_MASK);
    if (hooks.focus)
      hooks.focus();
    CmdInterrupted[level] = CmdLevel;
    CmdLevel = level;
    result = handler();
    CmdLastLevel = level;
    if (level > 0 && hooks.lvstate)
      hooks.lvstate(0, LV_MASK);
    if (note)
      note(number, 0);
    clear_running(c);
    cmd_cancel(level);
    if (level == 0 && hooks.status)
      hooks.status(-1, -1);
  }
  if (hooks.upd330)
    hooks.upd330();
  return result;
}

bool cmd_nodwg(int c) {
  return c == 300 || c == 301 || c == 380 || c == 520 || c == 860 || c == 862 || (c >= 900 && c <= 907) ||
         (c >= 920 && c <= 931) || (c >= 940 && c <= 943) || (c >= 960 && c <= 966) || (c >= 980 && c <= 995) ||
         c == 1000 || (c >= 1017 && c <= 1064);
}

int cmd_smclear() {
  if (CmdLevel >= 0 && CmdLevel < CMD_LEVELS)
    CmdShortcutMask[CmdLevel] = 0;
  else
    for (uint32_t &m : CmdShortcutMask)
      m = 0;
  return 1;
}

int cmd_smset(uint32_t bits) {
  if (CmdLevel >= 0 && CmdLevel < CMD_LEVELS)
    CmdShortcutMask[CmdLevel] = bits;
  return 1;
}

void cmd_setvwonly(int flag) { view_only = flag ? 1 : 0; }
int cmd_viewonly() { return view_only; }
