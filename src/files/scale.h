// Text and dimension sizes between paper units and drawing units, by the drawing scale.
#pragma once

#include "settings/params.h"

constexpr double SCL_UNSET = -999.0; // a size that is not set; dividing leaves it alone

double scl_get(); // the current drawing's scale
// A scale of exactly 0 stands for scl_get(). Each returns 1, or 0 with the sizes
// untouched when that scale is 0, infinite or not a number (nothing to divide by).
int scl_div3(float *v /*[3]*/, double scale);
int scl_mul3(float *v /*[3]*/, double scale);
int scl_divrec(DimAttrs *d, double scale); // the first three sizes as scl_div3, then ten more
int scl_mulrec(DimAttrs *d, double scale);
