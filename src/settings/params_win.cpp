#include <windows.h>

#include "settings/params.h"

MemBlockRecord &prm_dwgmem(int dwg);

void sys_dwgmemclr(int dwg) {
  if (dwg != 0 && dwg != 1)
    return;
  MemBlockRecord &m = prm_dwgmem(dwg);
  if (m.mem1)
    GlobalFree(static_cast<HGLOBAL>(m.mem1));
  if (m.mem2)
    GlobalFree(static_cast<HGLOBAL>(m.mem2));
  m = MemBlockRecord{};
  m.sx = m.sy = 1.0;
}
