#include "display/scrsave.h"

SavedBitmap SavedBitmaps[SAVED_BITMAPS];
