// String drawing: a text laid out in character slots and drawn glyph by glyph
// from the open stroke font, or slot by slot in a Windows typeface; the strokes
// may instead become line and arc elements.
#pragma once

#include <windows.h>

#include <cstdint>

struct TextParamsRecord {
  int32_t mode; // 0 draw; 1 convert the strokes into LIN/ARC records
  uint16_t attr;
  double height, width, spacing; // absolute values
  double angle, slant;           // degrees; slant within -45 .. 45
  double xpitch, ypitch, tanslant, sina, cosa;
};
extern TextParamsRecord TextParams;

// On while a text command turns one string into elements (high-quality strokes
// are added to the current drawing instead of being drawn).
extern uint32_t ChrExpand;

constexpr int CHR_DRAWMAX = 80; // characters one call draws; the rest of a longer string is cut
constexpr int CHR_ADDFAIL = 1010;

int chr_param(int mode, uint16_t attr, double height, double width, double spacing, double angle, double slant);
// Draws text at (x, y) with the current parameters; face is the typeface index
// (0..3, others 0). width and colour as for the world primitives. 0; while
// ChrExpand is on, 2 when a stroke could not be added (the rest is left out).
int chr_draw(HDC dc, int face, double x, double y, const char *text, int32_t width, int32_t colour);
// 1 when the character box may be visible, 0 when it certainly is not.
int chr_boxvis(double x, double y, double width, double height, double angle);
