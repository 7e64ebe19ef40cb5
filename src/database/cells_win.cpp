#include "database/cells.h"
#include "display/text_win.h"

int cel_wlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay) {
  HDC dc = chr_viewdc();
  if (!dc)
    return 0;
  static char codes[CHR_CODEMAX];
  static ChrLayout typeface;
  chr_layoutw(dc, (attr >> 9) & 7, attr, height, width, spacing, str, &typeface, codes);
  chr_releasedc(dc);
  // A typeface that could not be made measures nothing: the stroke layout stands
  // rather than every slot collapsing onto the base point.
  if (!(typeface.width > 0))
    return 0;
  *lay = typeface;
  return 1;
}
