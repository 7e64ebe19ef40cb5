// Window and fence selection: walks one drawing's elements and lists those that pass
// the element filter and stand in the asked relation to a rectangle or a fence.
#pragma once

#include <cstdint>

#include "database/record.h"

struct SelWindowRec {
  int32_t given;    // 1 the rectangle below; 0 the whole sheet
  int32_t relation; // 1 inside, 2 outside, 0 none
  int32_t partial;  // also take elements partly in the relation
  int32_t toggle;   // 0 add; 1 toggle, list searched as sorted; 2+ toggle, whole list searched
  double xmin, ymin, xmax, ymax;
  int32_t cells; // area cells of the window or of the fence's box
  int32_t drawing;
};
extern SelWindowRec SelWindow;
// 1: the walks test every record instead of the elements near the window (the
// reference the element index is checked against).
extern uint32_t SelWalkAll;

// mode: 0x1 window given, 0x2 / 0x4 relation inside / outside, 0x8 partial,
// bits 12 and up the toggle. 0.
int sel_winmode(int32_t d, uint32_t mode, double x1, double y1, double x2, double y2);
int32_t sel_window(int32_t d);  // SelectionList count
int32_t sel_window2(int32_t d); // as sel_window, taking elements that cut the window's sides while partial
int32_t sel_fence(int32_t n, const double *points, int32_t d);
// One element against filter and window: 0 take, 1 reject; *mark the partial bit.
int sel_wintest(uint32_t e, const ElementRecord *rec, uint32_t *mark);
int sel_wingrp(const ElementRecord *group);
int sel_fencetest(int n, const double *points, uint32_t e, const ElementRecord *rec, uint32_t *mark);
int sel_fencegrp(int n, const double *points, const ElementRecord *group);
int sel_grpok(const ElementRecord *rec);
