#include "ole/olestate.h"

EmbeddedDrawingRecord EmbeddedDrawing = {-1, "", ""};
uint32_t OffscreenOutput = 0;
uint32_t OffscreenMono = 0;
uint32_t ObjectMode = 0;
