#include "commands/view/quickset.h"

int qs_stylenext(int v) {
  v = v >= 6 || v < 0 ? 0 : v + 1;
  return v == 3 ? 4 : v;
}
int qs_styleprev(int v) {
  v = v <= 0 || v > 6 ? 6 : v - 1;
  return v == 3 ? 2 : v;
}
int qs_kindnext(int v, bool points) {
  if (points)
    return v == 1 ? 5 : v == 5 ? 2 : 1;
  return v >= 1 && v < 6 ? v + 1 : 1;
}
int qs_kindprev(int v, bool points) {
  if (points)
    return v == 1 ? 2 : v == 2 ? 5 : 1;
  return v > 1 && v <= 6 ? v - 1 : 6;
}
int qs_picknext(int v, bool grid) {
  const int last = grid ? 4 : 3;
  return v >= 0 && v < last ? v + 1 : 0;
}
int qs_pickprev(int v, bool grid) {
  const int last = grid ? 4 : 3;
  return v > 0 && v <= last ? v - 1 : last;
}
