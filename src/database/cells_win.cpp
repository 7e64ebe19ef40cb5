#include "database/cells.h"
#include "geometry/text_win.h"

int cel_wlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay) {
  HDC dc = chr_viewdc();
  if (!dc)
    return 0;
  static char codes[CHR_CODEMAX];
  chr_layoutw(dc, (attr >> 9) & 7, attr, height, width, spacing, str, lay, codes);
  chr_releasedc(dc);
  return 1;
}
