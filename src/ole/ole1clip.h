// The object formats of the older object layer on the clipboard ("Native" and
// "OwnerLink"): the area of a drawing as object data.
#pragma once

#include <windows.h>

constexpr int OLE1_NATIVE = 0;    // the object data in native form
constexpr int OLE1_OWNERLINK = 1; // the same in link form

// The registered clipboard format of form, 0 while the object layer has not registered it.
UINT Ole1ClipFormat(int form);
// The object data of drawing dwg for the world rectangle (x1, y1, x2, y2) in form, as
// global memory for the clipboard; null when it cannot be made.
HGLOBAL RenderOle1Data(int dwg, const double rect[4], int form);
