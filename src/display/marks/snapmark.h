// The snap mark shown where the cursor would snap, and the point-pick mode.
#pragma once

#include <cstdint>

constexpr int SNAP_PAIRS = 10;
constexpr int SNAP_LEVELS = 5;
constexpr int SNAP_SHAPES = 11;

struct SnapMarkRecord {
  uint32_t off;   // 1 no snap marks
  uint32_t shape; // of the last snap, 0 none
  double x, y;    // mark point
  struct {
    uint32_t kind, shape;
  } map[SNAP_PAIRS]; // ended by a kind of 0
  struct {
    uint32_t saved, off;
  } level[SNAP_LEVELS];
  int32_t lastlevel; // -1 none
};
extern SnapMarkRecord SnapMark;

extern uint32_t PickMode; // 0 free, 1 automatic, 2 reference, 3 on an element, 4 grid
extern const char *const PickModeNames[5];

// The snap search: the input loop's, filled when the program loads (input/dspcalls.cpp);
// replaceable for tests. While null nothing is found.
typedef int (*SnapSearchFn)(int32_t dwg, int32_t view, int32_t kind, uint32_t *ptkind, double *x, double *y);
extern SnapSearchFn SnapSearch;

void snp_init();
int snp_point(int32_t dwg, int32_t view, int32_t devx, int32_t devy, double x, double y);
int snp_last(double *x, double *y);
int snp_level(int32_t off);
int snp_shape(int32_t shape, double x, double y);
// Draws the snap mark (XOR: a second call removes it) in one view of the mask. 0
// drawn, 1 marks off, 2 no mark, 3 negative view, 4 view not in the mask, 5 (x, y)
// is the mark point itself.
int snp_showmrk(uint32_t mask, int32_t view, double x, double y);
