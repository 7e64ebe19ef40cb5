// Area copy on Windows: the metafile and bitmap renderers of an area, which the
// clipboard copy (ole/areaclip_win.h) and the object renderers use.
#pragma once

#include <windows.h>

#include "display/view/areacopy.h"

// A corner's -1 drawing and view made the current ones (the view 0 of another drawing).
void clp_resolve(AreaPick &c);
// A METAFILEPICT (global memory) of the area, null when it cannot be made.
HGLOBAL clp_metafile(const AreaPick corners[2]);
// A bitmap of the area at the view's pixel scale, null when it cannot be made.
HBITMAP clp_bitmap(const AreaPick corners[2]);
