// A text laid out in its Windows typeface, measured on the current view's window: the
// display does that and fills this table when the program loads (display/fonts/text_win.cpp).
// While the slot is empty there is no such layout.
#pragma once

#include <cstdint>

#include "geometry/text.h"

struct TextCalls {
  // 1 when laid out into lay, 0 when there is no such layout (the stroke layout stands).
  int (*viewlayout)(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay);
};
extern TextCalls TextHooks;

inline int chr_viewlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay) {
  return TextHooks.viewlayout ? TextHooks.viewlayout(attr, height, width, spacing, str, lay) : 0;
}
