// Input loop services that the display calls.
#pragma once

// Erases the XOR input feedback drawn at the last cursor position; -1 when nothing is shown.
int gcr_clrfb();
