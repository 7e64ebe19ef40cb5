// What picking needs of the point input, the message output and the display: one
// table of calls, so tests script the clicks and answers and see what was
// highlighted; pck_reset puts the platform's own calls back.
#pragma once

#include <cstdarg>
#include <cstdint>

struct PickSysHooks {
  // The get-point loop: waits for a point in the allowed views (masks[0], masks[1]:
  // bit n view n of drawing 0 / 1) and gives the input code, the world point and
  // the event's drawing and view.
  int (*getpnt)(uint32_t flags, const uint32_t *masks, double *x, double *y, int32_t *dwg, int32_t *view);
  int32_t (*pickdrw)(); // drawing of the last accepted pick, -1 none
  // Pick aperture of a view in world units; non-zero when the view is not open.
  int (*aperture)(int32_t dwg, int32_t view, double *tol);
  uint32_t (*views)(int32_t dwg); // open-view mask of a drawing
  int (*inmode)();                // the input mode word
  // Draws element n of drawing dwg in every open view of it, in ColorMap colour
  // number colour, or in its own colours for -1.
  void (*show)(int32_t dwg, int32_t n, int32_t colour);
  void (*prompt)(int n, va_list ap); // message n (or -999 and a literal) on the prompt line
  void (*clear)();                   // clears the prompt line
  // The yes/no question (message n, 0 for the default): the key typed or the input
  // code that answered it.
  int (*ask)(int n, const char *keys);
  void (*error)(int n); // message n on the board; the pick goes on
  void (*delay)(uint32_t ms);
  void (*waitcur)(); // toggles the wait cursor
  void (*focus)(int32_t dwg, int32_t view); // keyboard focus to a view window
  // The name of the input step that the help key shows when there is no help: the
  // current one is copied to keep (64 bytes) when keep is not null, then name (when
  // not null) becomes it.
  void (*step)(const char *name, char *keep);
  // The shortcut-menu item mask of the running command level; -1 clears it.
  void (*menumask)(int32_t bits);
  void (*clearline2)(); // clears message line kind 2 (what the keyboard entry showed)
};

PickSysHooks &pck_hooks();
void pck_reset();
PickSysHooks pck_platform(); // picksys_win.cpp, or the quiet native one
