// The routes by which the menus, tool bars and keys start commands, the status
// line that names the running command, and the per-level save of the input state
// that a nested command interrupts.
#pragma once

#include <cstdint>

#include "commands/cmdl/cmdtable.h"

// Input state of the point input that a nested command saves and restores. The
// point input fills these in when it starts; an empty entry is left out.
struct CmdInputCalls {
  void (*reqget)(uint32_t req[3]);       // flags, kind, code of the running command
  void (*reqset)(const uint32_t req[3]); // declares an input request
  void (*guideget)(uint8_t state[232]);  // the input-guide state
  void (*guideset)(const uint8_t state[232]);
  void (*guideoff)();                    // input guide and rubber band off
  void (*forgetcur)();                   // the feedback is drawn afresh at the next move
  void (*filterget)(uint8_t filter[13]); // the pick element filter (three words and a flag)
  void (*filterset)(const uint8_t filter[13]);
};
CmdInputCalls &cmd_inputcalls();

constexpr int LV_REC_SIZE = 4 * (4 + 128) + 12 + 28 + 13 + 232;
// One level's save, packed in the order: four message lines (i32 kind, 128 bytes),
// the input request (3 words), its kind record (7 words), the pick filter (13 bytes),
// the input-guide state (232 bytes).
extern uint8_t LevelSave[CMD_LEVELS][LV_REC_SIZE];

// Option bit 0 saves into the current level's record, else restores the level the
// last finished command interrupted. Mask bits 0..3 message lines, 4 the input
// request, 5 the input guide, 6 the pick filter. Save options: 0x1000 clears the
// lines, 0x2000 declares a fresh request, 0x4000 switches the input guide off.
// Nothing while no level is current. 0.
int cmd_lvstate(int options, int mask);
// The status line (message line 2): number below 0 blanks it; kind non-zero names
// the first menu entry of command number with its group; kind 0 the panel entry.
void cmd_status(int kind, int number);
extern int32_t CmdStatusShown; // 1 while the status line names a command

// Whether the command may start now (with no drawing window: only cmd_nodwg).
bool cmd_enabled(int command);
// Starts a command from tool bar b on the level of its button. 1 requested, 0 refused.
int cmd_exec(int b, int command);
// Runs menu entry n (menu id 15000 + n) through the tool bar that holds its command. 0 when nothing ran.
int cmd_menurun(int n);
// Starts a command from a button, key or the shortcut menu on level. 0 when refused.
int cmd_button(int level, int command);
// Immediate view commands 509..514 and 541..546 run at once: 0; other commands 1; negative 2.
int cmd_keyview(int command, int level);
// Runs the first key assignment matching the key's low byte and the modifiers (on the
// level in the assignment's kind field). 1 when the key was taken, else 0.
int cmd_keyrun(int key, int mods);
// The tool-window slot (0..2) preset with command, -1 when none.
int cmd_toolslot(int command);
// The shell's calls of the pump (status line, focus, save buttons, level state).
void cmd_shellhooks();
