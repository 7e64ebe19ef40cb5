// Area copy to the clipboard: the area of a view as a bitmap, a metafile and the older
// object layer's data, in the formats of ClipFormatMask.
#pragma once

#include "display/view/areacopy.h"

// Picks an area and copies it: the last input code (500 or 13) when copied, -1 when
// the pick ended otherwise or nothing was copied.
int clp_copycmd();
// Puts the area (null: the whole current view) on the clipboard in the formats of
// ClipFormatMask: 1 when the clipboard was filled, 0 otherwise.
int clp_copy(const AreaPick *corners);
