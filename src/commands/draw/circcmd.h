// Circles and arcs: concentric circles from keyed radii, arcs from a centre and keyed
// angles, arcs through three points, and their construction twins (pen 3, layer 0).
#pragma once

#include <cstdint>

int32_t cm_circrad();  // 40: centre, then up to ten radii in one line
int32_t cm_circpt();   // 41: centre and a point on the circle, or tangent to a picked line or circle
int32_t cm_circrad2(); // 55: as 40, construction twin
int32_t cm_arccr();    // 60: centre, radii, start and end angle
int32_t cm_arc3p();    // 63: arc through three points
int32_t cm_arccr2();   // 75: as 60, construction twin
int32_t cm_arc3p2();   // 76: as 63, construction twin

// Enters the circle and arc commands into the command table.
void cm_circtable();
