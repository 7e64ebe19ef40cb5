// Test control of the stand-in host library: scripted drawings and input, the call
// log and failure injection. The plug-in never calls these (prefix "hst_").
#pragma once

#include "hoststub/klhost.h"

constexpr int HST_DRAWINGS = 8;
constexpr int HST_SEALS = 32;

struct HstSeal {
  int32_t level;
  char name[24];
  int16_t kind; // outline: 1 rectangle, 2 circle
  KlhPoint origin;
  KlhSize size;
  char attr[44]; // attribute text: encrypted password then owner name
  int16_t layerState;
  int32_t layer;
};

struct HstDrawing {
  int32_t powerLevel;
  int32_t permit;      // KlhPermitStampix: 0 refuses, else allows
  int32_t figFails;    // KlhFigPowerLevel fails
  int16_t scaleA[64];  // KlhAtrLayScal
  int16_t scaleB[64];
};

// One scripted answer of KlhInpPikpnt or KlhInpRaru, taken in order by either.
// KlhAtrLayer, KlhSchLink and KlhReadAtr answer for the seal last picked by KlhInpRaru
// (attribute element number 1000 + seal number).
struct HstInput {
  int32_t rc;   // the function's result
  int32_t code; // input code
  int32_t view, drawing, seal;
  double x, y;
};

// Back to nothing: no drawings, empty queue and log, no failures, current drawing 0,
// background white, no main window.
KLHAPI void KLHCALL hst_reset();
// Drawing d (0..7) exists with these settings; the drawing count grows to cover it.
KLHAPI int KLHCALL hst_setdrawing(int d, const HstDrawing *dr);
KLHAPI void KLHCALL hst_setcurrent(int d);
KLHAPI void KLHCALL hst_setbackcolor(COLORREF colour);
KLHAPI void KLHCALL hst_setmainwnd(HWND wnd);
// Adds a seal to drawing d; its seal number (1..), or 0.
KLHAPI int KLHCALL hst_addseal(int d, const HstSeal *seal);
// Seal number n of drawing d as it stands; 0 when there is none.
KLHAPI int KLHCALL hst_getseal(int d, int n, HstSeal *out);
KLHAPI int KLHCALL hst_sealcount(int d);
KLHAPI void KLHCALL hst_queue(const HstInput *in);
KLHAPI int KLHCALL hst_queued();
// The next n-th call (1 the next one; 0 every call) of the named function returns rc
// and does nothing else.
KLHAPI void KLHCALL hst_fail(const char *function, int nth, int rc);
// Log: one line a call, "Name(arg, arg, ...) = result".
KLHAPI int KLHCALL hst_logcount();
// Line i into buf (size bytes, cut); its full length, -1 for no such line.
KLHAPI int KLHCALL hst_logline(int i, char *buf, int size);
KLHAPI void KLHCALL hst_logclear();
// What the plug-in last told: colour of KlhRaruColor, the usual seal of KlhSetDefautRaru
// (its name and level), the rubber-band form in force (-1 none).
KLHAPI int KLHCALL hst_lastcolor();
KLHAPI int KLHCALL hst_defaultseal(char *name /*24*/, int *level);
KLHAPI int KLHCALL hst_rubform();
