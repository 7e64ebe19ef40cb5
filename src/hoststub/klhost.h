// The host CAD's interface library KLHOST as Stampix calls it. Both sides are
// ours: the real host ships the library, src/hoststub builds a stand-in with the
// same exports for tests.
//
// Drawings are host drawing numbers; a seal is the host's element number of a placed
// seal's node. Texts are Shift-JIS and zero-terminated.
#pragma once

#include <windows.h>

#include <cstdint>

#ifdef KLHOST_BUILD
#define KLHAPI extern "C" __declspec(dllexport)
#else
#define KLHAPI extern "C" __declspec(dllimport)
#endif
#define KLHCALL __stdcall

struct KlhPoint {
  double x, y;
};
struct KlhSize {
  double width, height; // a circle outline's width is its radius
};

// Text sizes of KlhWriteText and KlhWriteRaruDate: height, width and spacing in drawing
// units, then the seal file's text angle and slant words handed on as they were stored.
struct KlhTextSize {
  double height, width, spacing;
  float angle, slant;
};

// One item of an outline that follows the cursor (KlhStartRub form 98). Lines give
// v = x1, y1, x2, y2; arcs centre x, y, radius, start and end angle in degrees.
enum : int32_t { KLH_RUBEND = -1, KLH_RUBLINE = 2, KLH_RUBARC = 4 };
struct RubberShape {
  int32_t kind;
  double v[5];
};

// Input codes of KlhInpPikpnt and KlhInpRaru.
enum : int { KLH_ACCEPT = 500, KLH_ENTER = 13, KLH_END = 27, KLH_BACK = 501, KLH_ABORT = 800 };

// Forms of KlhStartRub:
//   KlhStartRub(98, int sub, const KlhPoint *offset, const RubberShape *list)   outline at the cursor
//   KlhStartRub(14, int sub, double cx, double cy, double angle, double ratio, int n)  box scaled about c
//   KlhStartRub(4, double cx, double cy)                                          circle about c
//   KlhStartRub(0)                                                                stop
enum : int { KLH_RUBSTOP = 0, KLH_RUBCIRCLE = 4, KLH_RUBBOX = 14, KLH_RUBSHAPE = 98 };

KLHAPI HWND KLHCALL KlhWinMainFrameGet();
// Encrypts a password of at most 12 bytes into exactly 18 characters ("" stays "");
// 1, or 0 with out "" when it cannot. out holds 20 bytes.
KLHAPI int KLHCALL KlhEncryptPasswd(const char *password, char *out);
// The reverse: 1 and the password, or 0 with out "" for "" or a text that no
// encryption gives. out holds 20 bytes.
KLHAPI int KLHCALL KlhAnalyzePasswd(const char *encrypted, char *out);
KLHAPI int KLHCALL KlhRaruColor(int colour);
KLHAPI int KLHCALL KlhSetDefautRaru(int level, int word34, const char *group, const char *name,
                                    const char *password, const char *owner);
KLHAPI int KLHCALL KlhGetBackColorRGB(COLORREF *colour);
KLHAPI int KLHCALL KlhAtrOpen(int mode);
KLHAPI int KLHCALL KlhAtrCfig(int mode, int *drawing);
KLHAPI int KLHCALL KlhGetDtbCount(int *count);
KLHAPI int KLHCALL KlhAtrLayer(int mode, int drawing, int *info, int16_t *state);
KLHAPI int KLHCALL KlhAtrLayScal(int view, int drawing, int16_t *a /*[64]*/, int16_t *b /*[64]*/);
KLHAPI int KLHCALL KlhMsgPrint(int mode, const char *text);
KLHAPI int KLHCALL KlhMsgWarn(const char *text);
// 0 when input is over; else *code is the input code.
KLHAPI int KLHCALL KlhInpPikpnt(int mode, int *view, int *drawing, double *x, double *y, int *code);
// 0 when no seal was picked (or input is over, then *code is 800).
KLHAPI int KLHCALL KlhInpRaru(int mode, int filter, int *drawing, int *seal, KlhPoint *point, int *code,
                              const char *prompt);
KLHAPI int KLHCALL KlhStartRub(int form, ...);
KLHAPI int KLHCALL KlhPermitStampix(int drawing, int level, const char *name, const char *owner,
                                    const char *password);
KLHAPI int KLHCALL KlhNumSeals(int drawing, int *count);
KLHAPI int KLHCALL KlhFigPowerLevel(int drawing, int *level);
KLHAPI int KLHCALL KlhRaruNodeOpen(int drawing, int mode, int level, const char *name);
KLHAPI int KLHCALL KlhWriteRaruArea(int drawing, int kind, const KlhPoint *position, const KlhSize *size,
                                    double angle);
KLHAPI int KLHCALL KlhWriteLine(int drawing, int layer, int pen, int linekind, int startstyle, int endstyle,
                                const KlhPoint *p1, const KlhPoint *p2);
KLHAPI int KLHCALL KlhWriteArc(int drawing, int layer, int pen, int linekind, int startstyle, int endstyle,
                               const KlhPoint *centre, double radius, const double *angles /*[2]*/);
KLHAPI int KLHCALL KlhWriteText(int drawing, int layer, const KlhPoint *position, int pen, int vbase, int hbase,
                                int font, const KlhTextSize *sizes, const char *text);
KLHAPI int KLHCALL KlhWriteRaruDate(int drawing, const KlhPoint *position, int pen, int vbase, int hbase,
                                    const KlhTextSize *sizes, const char *date);
KLHAPI int KLHCALL KlhWriteAtr(int drawing, int layer, const char *text);
KLHAPI int KLHCALL KlhAtrDisp();
KLHAPI int KLHCALL KlhRaruNodeClose(int drawing, int node);
KLHAPI int KLHCALL KlhSchLink(int drawing, int seal, int *a, int *b, int *attr, int *d);
// text: 44 bytes.
KLHAPI int KLHCALL KlhReadAtr(int drawing, int attr, int *mode, int *out, char *text);
KLHAPI int KLHCALL KlhReadRaruArea(int drawing, int seal, int16_t *kind, KlhPoint *origin, KlhSize *size,
                                   double *extra);
KLHAPI int KLHCALL KlhDelRaru(int drawing, int seal);
KLHAPI int KLHCALL KlhRaruMove(int drawing, int seal, const KlhPoint *offset);
KLHAPI int KLHCALL KlhRaruScale(int drawing, int seal, double factor);
