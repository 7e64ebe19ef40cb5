// Area copy on Windows: picking the area, and the metafile and bitmap renderers that
// the object renderers use as well.
#pragma once

#include <windows.h>

#include "display/areacopy.h"

// Picks an area and copies it: the last input code (500 or 13) when copied, -1 when
// the pick ended otherwise or nothing was copied.
int clp_copycmd();
// Asks for two corners (the first in the drawings of firstmask, the second in the
// current drawing): 500 or 13 both taken, 27 cancelled, 800 the command was ended.
int clp_pickrect(uint32_t firstmask, AreaPick corners[2]);
// Puts the area (null: the whole current view) on the clipboard in the formats of
// ClipFormatMask: 1 when the clipboard was filled, 0 otherwise.
int clp_copy(const AreaPick *corners);
// A METAFILEPICT (global memory) of the area, null when it cannot be made.
HGLOBAL clp_metafile(const AreaPick corners[2]);
// A bitmap of the area at the view's pixel scale, null when it cannot be made.
HBITMAP clp_bitmap(const AreaPick corners[2]);
