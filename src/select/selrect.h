// Where one element lies against an axis-parallel rectangle. Rectangles are given by
// two corners in any order; the sides are bottom, right, top, left.
#pragma once

#include <cstdint>

#include "database/record.h"

// Against the selection window of SelWindow with its relation's tolerance:
// 0 wholly inside; 1 line or arc with one end out; 2 point, text or circle not wholly
// inside, line or arc with both ends out or away from the window; 3 arc with both ends
// in that leaves the window; -1 other kinds or bad geometry. Under relation 2 lines and
// arcs answer as sel_rectcode.
int sel_winelm(uint32_t kind, const ElementRecord *rec, const char *str);
int sel_winpt(double x, double y); // 0 inside the selection window, 1 outside
// 0 inside, 1 arc with both ends in leaving it, 2 one end in, 3 both ends out cutting
// a side (text: some corners in), 4 outside; -1 other kinds or bad geometry.
int sel_rectcode(double x1, double y1, double x2, double y2, uint32_t kind, const ElementRecord *rec, const char *str);
// 0 inside, 1 arc leaving, 2 start in end out, 3 start out end in, 4 cutting
// (text: partly in), 5 outside; -1 other kinds or bad geometry.
int sel_rectelm(double x1, double y1, double x2, double y2, uint32_t kind, const ElementRecord *rec, const char *str);
int sel_ptout(double x1, double y1, double x2, double y2, double px, double py); // 0 in or on, 1 out
int sel_segsides(double x1, double y1, double x2, double y2, double ax, double ay, double bx, double by);
int sel_arcsides(double x1, double y1, double x2, double y2, double cx, double cy, double r, double start,
                 double end);
int sel_sidecut(double x1, double y1, double x2, double y2, const ElementRecord *rec);
