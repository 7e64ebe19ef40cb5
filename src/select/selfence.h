// Drawing a selection fence edge by edge.
#pragma once

// 0 when a lies within 0.0099 of b, else -1 (b larger) or 1.
int sel_fuzcmp(double a, double b);
// 1 when the edge p-q crosses one of the edges drawn so far (vertices[0 .. n-1]; the
// closing edge is not tested), meeting it elsewhere than at one of its vertices; 0 not.
int sel_fencex(int n, const double p[2], const double q[2], const double *vertices);
// A work-area line showing one edge in the selection colour: the new element number,
// -1 for a drawing below 0, or the element store's failure code.
int sel_fenceln(int d, double x1, double y1, double x2, double y2);
