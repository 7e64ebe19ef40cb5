// What the commands ask of the program's units (tool bars and attribute box). The
// shell fills the table when the program loads (shell/app/unitcalls_win.cpp); while a slot
// is empty the call does nothing and answers as if there were no such unit.
#pragma once

struct UnitCalls {
  void (*gridbtn)(); // the tool bars' grid buttons follow the current drawing's grid
  // Reads (set 0) or writes (set 1) the pen, line type and line ends of the current
  // input kind's attribute word: see shell/units/abox.h (abox_curattr).
  int (*curattr)(int set, int *pen, int *ltype, int *sends, int *eends);
  int (*settext)(int field, const char *text); // an attribute-box field's text
};
extern UnitCalls CmdUnits;

inline void unit_gridbtn() {
  if (CmdUnits.gridbtn)
    CmdUnits.gridbtn();
}
// Without the attribute box a read gives 0s and the answer is 1, as for a kind without attributes.
inline int unit_curattr(int set, int *pen, int *ltype, int *sends, int *eends) {
  if (CmdUnits.curattr)
    return CmdUnits.curattr(set, pen, ltype, sends, eends);
  int *const parts[4] = {pen, ltype, sends, eends};
  for (int *p : parts)
    if (!set && p)
      *p = 0;
  return 1;
}
inline int unit_settext(int field, const char *text) { return CmdUnits.settext ? CmdUnits.settext(field, text) : 0; }
