// The snap search of the input loop, as the snap mark uses it.
#pragma once

#include <cstdint>

// Searches near (x, y) in the view the characteristic point of an element of the
// snap kind (1..8); on success replaces the point, gives the point kind found and
// returns 0. 9 bad snap kind, -1 bad drawing or view, 1 nothing found.
int gcr_snappnt(int32_t dwg, int32_t view, int32_t kind, uint32_t *ptkind, double *x, double *y);
