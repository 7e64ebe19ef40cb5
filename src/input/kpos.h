// Keyboard coordinate entry: a typed line moves the point being entered ("10,5",
// "@10,5", "R3,4", "30D,10", "5" with an arrow key, a trailing ';' to keep typing).
#pragma once

#include <cstdint>

struct KposLine {
  int absolute; // '@': from the origin, unscaled
  int fromref;  // 'R': from the sheet reference point
  int count;    // components read, 0..2
  double a, b;  // their values (an empty component is 0)
  int angle;    // component carrying the 'D' marker: 0 none, 1 first, 2 second
  int error;    // a component could not be evaluated: the line is void
  int more;     // the line ends in ';': move without accepting
};

// Parses one line; markers: the 'D' angle marker is read (lines ended by Enter or a click).
void kpos_parse(const char *line, int markers, KposLine *out);

enum : int { KPOS_VOID = 0, KPOS_STAY = 1, KPOS_MOVED = 2 };
// The point a parsed line gives from (*x, *y) with entry scale s, the line ending with
// code (13 Enter, 500 left click, 501 right click, 28..31 Right Left Up Down); ref is the
// sheet reference point. KPOS_VOID: read the next line, nothing moved; KPOS_STAY: the
// point stays; KPOS_MOVED: (*x, *y) moved.
int kpos_apply(const KposLine &line, int code, double scale, double refx, double refy, double *x, double *y);

// The keyboard coordinate entry of point input from (x, y) in drawing dwg; the ending code
// (13 accepted, 500 empty line clicked, 27 cancelled, 9 back to the mouse, 501 right click;
// 800 or 700 when the command ended at the confirmation; -1, 1000 or 1002 when no line
// editor could be made).
int gcr_kpos(int reserved, int dwg, double x, double y, double *outx, double *outy);
