// sys_inmode lives apart from the other utilities of winutil.h: winutil_win.cpp
// includes <shlobj.h>, whose Shell is not the window services' table.
#include "settings/winutil.h"

#include "settings/params.h"
#include "settings/shellcalls.h"

namespace {
int32_t input_mode = 0;
} // namespace

int sys_inmode(int mode) {
  if (mode == -1)
    return input_mode;
  if (mode < 0 || mode > 2)
    return -1;
  if (mode == 2) {
    uint16_t lin;
    sys_linatr('R', &lin);
    if ((lin >> 4 & 15) >= 6)
      lin = static_cast<uint16_t>((lin & ~0xF0) | 1 << 4);
    sys_linatr('W', &lin);
    DimAttrs dim;
    sys_dimatr('R', &dim);
    if ((dim.linattr >> 4 & 15) >= 6)
      dim.linattr = static_cast<uint16_t>((dim.linattr & ~0xF0) | 1 << 4);
    sys_dimatr('W', &dim);
    ui_aboxrefresh();
  }
  input_mode = mode;
  return input_mode;
}
