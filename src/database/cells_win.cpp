#include "database/cells.h"
#include "geometry/textcalls.h"

int cel_wlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay) {
  return chr_viewlayout(attr, height, width, spacing, str, lay);
}
