// Temporary point marks: plus-shaped XOR markers at the points a command has
// taken, kept in a list of 100 so that repaints can draw them again.
#pragma once

#include <cstdint>

constexpr uint32_t MARK_MAX = 100;

struct TempMark {
  int32_t dwg;
  uint32_t views; // the drawing's open views when the mark was added
  double x, y;
};
static_assert(sizeof(TempMark) == 24);

struct TempMarkListRecord {
  uint32_t capacity; // 100, 0 while disabled
  uint32_t count;
  TempMark mark[MARK_MAX];
};
extern TempMarkListRecord TempMarkList;

// ops: 0 reset; 1 draw all again; 2 (i32 drawing, f64 x, f64 y) add; 3 remove the
// last; 4 (drawing, x, y) remove that mark; 5 remove all; 6 (i32 drawing, i32 view)
// draw the drawing's marks in that view; 7 nothing; 8 (drawing, x, y) index or -1;
// 9 disable until op 0. Results as each op tells; 5 for an op above 9.
int mrk_list(uint32_t op, ...);

// Drawing one mark (XOR, so twice erases it) into the views of mask of drawing
// dwg, and the open views of a drawing; replaceable for tests.
typedef void (*MarkDrawFn)(int32_t dwg, uint32_t views, double x, double y);
typedef uint32_t (*MarkViewsFn)(int32_t dwg);
extern MarkDrawFn MarkDraw;
extern MarkViewsFn MarkViews;
void mrk_draw(int32_t dwg, uint32_t views, double x, double y);
uint32_t mrk_views(int32_t dwg);
