// The command table and the five nested command levels. A request never runs its
// handler at once: it is recorded in its level's slot and the next cmd_pump starts
// it. The pump is called for every message by the main loop and by the input wait,
// so a command of a higher level can start on top of one that waits for input.
#pragma once

#include <cstdint>

using CmdHandler = int32_t (*)();
// Shows the command as active (on 1) or inactive (on 0) in the control that started it.
using CmdNotifier = void (*)(int32_t number, int32_t on);

constexpr int CMD_COUNT = 1100;
constexpr int CMD_LEVELS = 5;
constexpr int32_t CMD_DONE = 700;  // the handler finished by itself
constexpr int32_t CMD_ENDED = 800; // a request at or below its level ended it

// Handlers by command number; empty slots are null.
extern CmdHandler CommandTable[CMD_COUNT];

struct CommandLevel {
  int32_t reqnum; // requested: -1 and null when nothing is requested
  CmdHandler reqfn;
  CmdNotifier reqnote;
  int32_t runnum; // running: -1 and null when nothing runs
  CmdHandler runfn;
  CmdNotifier runnote;
};

extern CommandLevel CmdLevels[CMD_LEVELS];
extern int32_t CmdInterrupted[CMD_LEVELS]; // level current when this level's command started, -1 once restored
extern int32_t CmdLastLevel;               // level of the command that returned last
extern int32_t CmdRunList[CMD_LEVELS];     // command numbers shown as running, -1 for none
extern uint32_t CmdShortcutMask[CMD_LEVELS];

// All levels empty, nothing current (start-up).
void cmd_reset();
// Records a request on level 0..4 (a newer one replaces a pending one); another level is ignored. 0.
int cmd_request(int level, CmdHandler handler, int number, CmdNotifier notifier);
// Called with the handler of a pending request that a newer one replaces (null: none).
extern void (*CmdReplaced)(CmdHandler handler);
// Called after every request, so that a loop waiting for messages comes round to
// the pump at once and nothing waits for the next mouse move (null: none).
extern void (*CmdWake)();
// Whether a request waits whose level is free: the next cmd_pump starts it.
bool cmd_pending();
// Ends levels n..4: 1 when a handler was running on one of them, else 0. A handler
// above the new current level ends through its input wait (800).
int cmd_cancel(int n);
// Starts the lowest pending request whose level is free; the handler's result, 0 when none.
int cmd_pump();
// Whether the command is in the running list on any level; cmd_clrrun empties the list from level up.
bool cmd_isrun(int command);
void cmd_clrrun(int level);
// Enters a command in the running list (the routes do, after ending its level).
void cmd_setrun(int level, int command);
// The commands that may run with no drawing open.
bool cmd_nodwg(int command);
// Shortcut-menu mask of the current level (all levels when none is current). 1.
int cmd_smclear();
int cmd_smset(uint32_t bits);
void cmd_setvwonly(int flag);
int cmd_viewonly();

// What the pump needs of the shell and the point input, which fill this table in
// when they start; until then an entry is null and its step is left out.
struct CmdSysHooks {
  void (*status)(int kind, int number); // the status line: kind 1 by command, 0 by panel button, -1 blank
  bool (*panel)();                      // the command-panel layout is shown
  // Saves (options bit 0) the current level's input state, or restores the state of
  // the level the last finished command interrupted; called at levels 1..4 even when
  // there is nothing to save or restore.
  int (*lvstate)(int options, int mask);
  void (*focus)();  // keyboard focus to the active drawing window
  void (*upd330)(); // refreshes the save buttons of the tool bars
};
CmdSysHooks &cmd_hooks();
