// Angle reductions shared inside the geometry kernel.
#pragma once

double ang_wrap360(double v); // into [0, 360], 360 stays (as repeated +-360 would)
double ang_reduce(double v);  // into [0, 360): -360 still gives 360
double ang_reduce0(double v); // as ang_reduce, but 0 gives 360 and 360 gives 0
