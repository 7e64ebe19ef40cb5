// The engine's input wait and get-point loop. A running command takes its input only
// here: window messages become input codes (500 accept, 501 end of chain, 13 Enter,
// 27 cancel, 800 end of command, ...) and device points of a drawing window.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

// Private messages the shell and the attribute box post to ask the waiting command
// for something (WM_USER + 100 ...).
enum : uint32_t {
  GCR_MSG_CANCEL = 1124, // 27 while a command level above 0 runs, else 800
  GCR_MSG_ESCAPE = 1125, // 27 while the escape switch is 1, else 800
  GCR_MSG_REQ820 = 1126,
  GCR_MSG_REQ821 = 1127,
  GCR_MSG_ATTR = 1128, // point-pick mode or an attribute changed: 823
  GCR_MSG_CTRL = 1129, // a shell control: 527 (wParam not 0) or 528
  GCR_MSG_WAKE = 1130, // -2, wake-up without input
};

// The last converted message; -1 fields mean none.
struct InputEvent {
  int32_t code;
  int32_t dwg;
  int32_t view;
  int32_t x; // device pixels, client coordinates of the drawing window
  int32_t y;
  int32_t keys; // modifier bits as gcr_keys
};
static_assert(sizeof(InputEvent) == 24);
extern InputEvent InputEvt;

extern uint32_t GcrEscSwitch; // 1 turns the private escape message into a cancel; 0 at start
extern uint32_t GcrEnterDone; // 1 makes Enter in a view complete the get-point with 527; 0 at start

// Scripted input: while a source is set, gcr_wait takes its events from it instead of
// the message queue (replays, tests). The source fills the next event and returns 1,
// or 0 when it has none left; the wait then gives 800 so no command waits forever.
typedef int (*GcrSourceFn)(InputEvent *next);
void gcr_setsource(GcrSourceFn source); // null returns to the message queue

// Takes one message (block 0: only when one is waiting) and returns its input code; each
// output is optional. 0 when polling found nothing or the message was consumed; 800 when
// no drawing window is active, or when the quit message came (it is posted again).
int gcr_wait(int32_t *dwg, int32_t *view, int32_t *x, int32_t *y, int block);
// The current event without taking a message; returns its code.
int gcr_event(int32_t *dwg, int32_t *view, int32_t *x, int32_t *y, int32_t *keys);
int gcr_evreset();
// Modifier keys held down: 1 Shift, 2 Caps Lock, 8 Alt, 16 Ctrl.
int gcr_keys();
// The event's keys when its code is 1 or more, else 0.
int gcr_evkeys();

// The get-point loop: waits for a point in an allowed view (masks: one word per drawing,
// bit n = view n; null allows every open view) with the XOR feedback at the cursor.
// x, y get the world point of an accepted pick; dwg, view the event's (-1 before any).
// flags is not used. Returns the input code; 800 when no view is open or allowed.
int gcr_getpnt(int flags, const uint32_t *masks, double *x, double *y, int32_t *dwg, int32_t *view);
// Erases the feedback: -1 when nothing was shown, else the code the preview received.
int gcr_clrfb();
int gcr_clrlast(); // forgets the feedback position without drawing; 0
int gcr_pickdrw(); // drawing and view of the last accepted pick
int gcr_pickvw();
// Puts the mouse cursor on a world point of a view (negative: the current one). 0.
int gcr_setcur(int dwg, int view, double x, double y);
// Get-point in every open view of the drawings whose bit is set; accepted clicks go
// through the input guide.
int gcr_getpntm(uint32_t drawings, int spare, int32_t *dwg, int32_t *view, double *x, double *y);

#ifdef _WIN32
// Called for every message before the accelerators; its 0 is what a consumed message gives.
int gcr_msgfilt(MSG *msg, int arg);
// Key filter of the one-line keyboard input: the code ending the line, or 0 to leave the
// message to the edit control. The mask is set by the keyboard input (bits below).
int keyin_filter(HWND window, UINT message, WPARAM wparam);
#endif
// Mask of the keys that end the one-line keyboard input: 0x1 Esc, 0x2 Up, 0x4 Down,
// 0x8 space, 0x10 Left, 0x20 Right, 0x40 left button, 0x80 right button, 0x100 '=',
// 0x200 Tab, 0x1000 F1 (the help code 257).
extern uint32_t KeyinMask;
