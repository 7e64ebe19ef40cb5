#include "display/view/viewstate.h"

uint16_t OutputKind;
uint32_t PenMode;
uint32_t OffscreenOutput = 0;
uint32_t OffscreenMono = 0;
ViewColours DspColours = {15, 13, 12, 14, 16, 16, 18};
uint32_t DrawSuppress;
WorldPos MouseWorldPos;
ViewUnderMouse MouseView = {-1, -1};
