// End points of line and arc geometry, and the point of an arc nearest to a point.
#pragma once

#include <cstdint>

// Start and end of a line-like (2, 17, 18, 19) or arc-like (4, 20, 24, 25)
// geometry block (the record body: doubles, an arc's attribute word after its five
// doubles, bit 14 = stored in reverse). Either output may be null. 0, or 1 for
// another kind.
int entendt(int32_t kind, const double *geom, double *start, double *end);

// The point of the arc (centre, radius, angles[0] start, angles[1] end, degrees)
// nearest to point. flag 0: on the sweep, and the result is radius minus the
// distance to the centre; 1: an end point, and the result is the distance to it;
// 2: the radius is not positive, result 0.
double entnear(const double *point, const double *centre, double radius, const double *angles, double *out,
               int32_t *flag);
