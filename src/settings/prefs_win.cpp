#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "settings/appstate.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/syspath.h"
#include "settings/strutil.h"
#include "settings/appwin.h"

namespace {

enum Sec { SYSTEMU = 1, ELMINFO = 2, CHAINFO = 3, SYSCOLOR = 5, FILES = 6, LINEWIDTH = 11, CMDETC = 20, SEALINFO = 25 };

// Raru palette entries 12..19 by BACKCOLOR (0, not 0).
const COLORREF seal_palette[2][8] = {{RGB(128, 0, 128), RGB(255, 0, 255), RGB(255, 215, 0), RGB(0, 0, 0),
                                      RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 248, 220), RGB(0, 0, 0)},
                                     {RGB(255, 0, 255), RGB(255, 165, 0), RGB(255, 255, 0), RGB(255, 255, 255),
                                      RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 255, 255), RGB(0, 0, 128)}};

bool get(int sec, const char *key, int type) { return prf_getval(sec, key, type) == 0; }

int16_t *short_or(int sec, const char *key, int16_t *dflt) {
  if (get(sec, key, PRF_SHORT))
    *dflt = prf_valslot.s;
  return dflt;
}

void put_long(int sec, const char *key, int32_t v) {
  prf_valslot.l = v;
  prf_putval(sec, key, PRF_LONG);
}
void put_short(int sec, const char *key, int16_t v) {
  prf_valslot.s = v;
  prf_putval(sec, key, PRF_SHORT);
}
void put_double(int sec, const char *key, double v) {
  prf_valslot.d = v;
  prf_putval(sec, key, PRF_DOUBLE);
}
void put_float(int sec, const char *key, float v) {
  prf_valslot.f = v;
  prf_putval(sec, key, PRF_FLOAT);
}
void put_string(int sec, const char *key, const char *v) {
  std::strncpy(prf_valslot.str, v, sizeof prf_valslot.str - 1);
  prf_valslot.str[sizeof prf_valslot.str - 1] = '\0';
  prf_putval(sec, key, PRF_STRING);
}

uint16_t set_bits(uint16_t word, int shift, int width, int value) {
  const uint16_t mask = static_cast<uint16_t>(((1 << width) - 1) << shift);
  return static_cast<uint16_t>((word & ~mask) | ((value << shift) & mask));
}

void read_systemu() {
  char key[32];
  std::snprintf(key, sizeof key, "ELMMAX%d", 0);
  ElmMax[0] = get(SYSTEMU, key, PRF_LONG) ? static_cast<uint32_t>(prf_valslot.l) : 10000;
  std::snprintf(key, sizeof key, "WRKMAX%d", 0);
  WrkMax[0] = get(SYSTEMU, key, PRF_LONG) ? static_cast<uint32_t>(prf_valslot.l) : 500;

  SystemBlock sb;
  sys_sysprm('R', &sb);
  if (get(SYSTEMU, "UNDOSIZE", PRF_LONG))
    sb.undosize = static_cast<uint32_t>(prf_valslot.l);
  if (get(SYSTEMU, "UNDO", PRF_SHORT))
    sb.undo = static_cast<uint16_t>(prf_valslot.s);
  int16_t aperture, dot, third;
  sys_rcogprm('R', &aperture, &dot, &third);
  sys_rcogprm('W', short_or(SYSTEMU, "RCOGAREA", &aperture), nullptr, short_or(SYSTEMU, "MSRUNDER", &third));
  if (get(SYSTEMU, "DATADRV", PRF_STRING))
    sys_pathset(1, prf_valslot.str);
  if (get(SYSTEMU, "WORKDRV", PRF_STRING))
    sys_pathset(4, prf_valslot.str);
  if (get(SYSTEMU, "CURSORTYPE", PRF_SHORT)) {
    uint16_t cur[3];
    sys_cursor('R', cur);
    cur[1] = cur[2] = static_cast<uint16_t>(prf_valslot.s);
    sys_cursor('W', cur);
  }
  double steps[3];
  sys_dspstep('R', steps);
  const char *step_keys[3] = {"DSPMOVE", "DSPZOOMIN", "DSPZOOMOUT"};
  for (int i = 0; i < 3; i++)
    if (get(SYSTEMU, step_keys[i], PRF_DOUBLE))
      steps[i] = prf_valslot.d;
  sys_dspstep('W', steps);
  if (get(SYSTEMU, "POINTMODE", PRF_LONG)) {
    uint32_t m = static_cast<uint32_t>(prf_valslot.l);
    sys_pickmode('W', &m, nullptr); // the snap-off switch is not a setting
  }
  if (get(SYSTEMU, "EXCLUSIVE", PRF_LONG))
    sb.exclusive = static_cast<uint16_t>(prf_valslot.l);
  sys_sysprm('W', &sb);
}

// Per-drawing keys go to every drawing the mask names.
void read_perdrawing(int sec, uint32_t mask) {
  auto env = std::make_unique<DrawingEnvRecord>();
  for (int dwg = 0; dwg < DWG_COUNT; dwg++) {
    if (!(mask & (1u << dwg)))
      continue;
    sys_dwgenv('R', dwg, env.get());
    if (sec == ELMINFO) {
      if (get(sec, "PNTTYPE", PRF_SHORT))
        env->pntatr = set_bits(env->pntatr, 4, 8, prf_valslot.s & 0xFF);
      if (get(sec, "LINPEN", PRF_SHORT)) {
        env->linatr = set_bits(env->linatr, 0, 4, prf_valslot.s & 15);
        env->pntatr = set_bits(env->pntatr, 0, 4, prf_valslot.s & 15);
      }
      if (get(sec, "LINLKIND", PRF_SHORT))
        env->linatr = set_bits(env->linatr, 4, 4, prf_valslot.s & 15);
      if (get(sec, "LINLTIPS", PRF_SHORT))
        env->linatr = set_bits(env->linatr, 8, 3, prf_valslot.s & 7);
      if (get(sec, "LINLTIPE", PRF_SHORT))
        env->linatr = set_bits(env->linatr, 11, 3, prf_valslot.s & 7);
    } else {
      CharAttrs c = env->chr;
      if (get(sec, "CHARHIGH", PRF_FLOAT))
        c.height = prf_valslot.f;
      if (get(sec, "CHARWIDE", PRF_FLOAT))
        c.width = prf_valslot.f;
      if (get(sec, "CHARDIST", PRF_FLOAT))
        c.spacing = prf_valslot.f;
      if (get(sec, "CHARSLANT", PRF_FLOAT))
        c.slant = prf_valslot.f;
      if (get(sec, "CHARPEN", PRF_SHORT))
        c.attr = set_bits(c.attr, 0, 4, prf_valslot.s & 15);
      if (get(sec, "CHARVBASE", PRF_SHORT))
        c.attr = set_bits(c.attr, 5, 2, prf_valslot.s & 3);
      if (get(sec, "CHARHBASE", PRF_SHORT))
        c.attr = set_bits(c.attr, 7, 2, prf_valslot.s & 3);
      if (get(sec, "CHARFONTNO", PRF_SHORT))
        c.attr = set_bits(c.attr, 9, 3, prf_valslot.s & 7);
      env->chr = c;
    }
    sys_dwgenv('W', dwg, env.get());
  }
}

void read_sealinfo() {
  RaruInfo ri;
  sys_sealinf('R', &ri);
  if (get(SEALINFO, "BACKCOLOR", PRF_SHORT))
    ri.backcolor = static_cast<uint16_t>(prf_valslot.s);
  if (get(SEALINFO, "SEALCOLOR", PRF_SHORT))
    ri.sealcolor = static_cast<uint16_t>(prf_valslot.s);
  double *d[4] = {&ri.areax, &ri.areay, &ri.gridx, &ri.gridy};
  const char *keys[4] = {"AREALENGTHX", "AREALENGTHY", "GRIDX", "GRIDY"};
  for (int i = 0; i < 4; i++)
    if (get(SEALINFO, keys[i], PRF_DOUBLE))
      *d[i] = prf_valslot.d;

  // The seal folder comes from the host plug-in's file beside the program.
  char progdir[PATH_WORK];
  pth_progdir(progdir);
  char config[PATH_WORK + 16];
  std::snprintf(config, sizeof config, "%sSEALCONFIG.SYS", progdir);
  char folder[262] = "";
  GetPrivateProfileStringA("SYSTEM", "SEALFOLDER", "", folder, sizeof folder, config);
  std::strncpy(ri.folder, folder[0] ? folder : progdir, sizeof ri.folder - 1);
  ri.folder[sizeof ri.folder - 1] = '\0';
  sys_sealinf('W', &ri);

  if (ri.sealcolor == 0)
    Palette[2] = RGB(255, 0, 0);
  else
    Palette[2] = ri.backcolor == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255);
  std::memcpy(Palette + 12, seal_palette[ri.backcolor != 0], sizeof seal_palette[0]);
}

} // namespace

int prf_getval(int section, const char *key, int type) {
  char buf[262] = "";
  if (!GetPrivateProfileStringA(prf_section(section), key, "", buf, sizeof buf, prf_path()))
    return -1;
  PrfValue v = prf_valslot;
  if (prf_parse(type, buf, v) != 0)
    return -1;
  prf_valslot = v;
  return 0;
}

int prf_putval(int section, const char *key, int type) {
  char buf[262];
  prf_format(type, prf_valslot, buf, sizeof buf);
  return WritePrivateProfileStringA(prf_section(section), key, buf, prf_path());
}

int prf_read(int part, uint32_t mask) {
  if (mask & 0x80000000u)
    mask = (mask & 0x7FFFFFFFu) | (1u << dwg_cur());
  if (part == 0 || part == SYSTEMU)
    read_systemu();
  if (part == 0 || part == ELMINFO)
    read_perdrawing(ELMINFO, mask);
  if (part == 0 || part == CHAINFO) {
    if (part == 0) {
      int16_t dot;
      sys_rcogprm('R', nullptr, &dot, nullptr);
      sys_rcogprm('W', nullptr, short_or(CHAINFO, "DISPDOT", &dot), nullptr);
    }
    read_perdrawing(CHAINFO, mask);
  }
  if (part == 0 || part == SYSCOLOR) {
    for (int i = 0; i < PALETTE_COUNT; i++) {
      char key[16];
      std::snprintf(key, sizeof key, "PALETTE%d", i);
      if (get(SYSCOLOR, key, PRF_ULONG))
        Palette[i] = prf_valslot.ul;
    }
  }
  if (part == 0 || part == FILES) {
    for (int i = 0; i < RECENT_COUNT; i++) {
      char key[16];
      std::snprintf(key, sizeof key, "FILE%d", i + 1);
      if (get(FILES, key, PRF_STRING))
        std::memcpy(RecentFiles[i], prf_valslot.str, sizeof RecentFiles[i]);
    }
  }
  if (part == 0 || part == LINEWIDTH) {
    DisplayBlock db;
    sys_dspprm('R', &db);
    for (int i = 0; i < 12; i++) {
      char key[16];
      std::snprintf(key, sizeof key, "DSPWIDTH%d", i);
      if (get(LINEWIDTH, key, PRF_SHORT))
        db.width[i] = static_cast<uint32_t>(static_cast<int32_t>(prf_valslot.s));
    }
    sys_dspprm('W', &db);
  }
  if (part == 0 || part == CMDETC) {
    uint32_t drag[6];
    sys_drag('R', drag);
    if (get(CMDETC, "DRAGMODE", PRF_LONG))
      drag[1] = static_cast<uint32_t>(prf_valslot.l);
    if (get(CMDETC, "DRAGTOTAL", PRF_LONG))
      drag[2] = static_cast<uint32_t>(prf_valslot.l);
    sys_drag('W', drag);
    if (get(CMDETC, "CPNTDELDSP", PRF_LONG))
      CpntDelDsp = prf_valslot.l;
    if (get(CMDETC, "OKYNDELAY", PRF_ULONG))
      OkynDelay = prf_valslot.ul;
    if (get(CMDETC, "OKYNNOTFLAT", PRF_LONG))
      OkynNotFlat = prf_valslot.l;
  }
  if (part == 0 || part == SEALINFO)
    read_sealinfo();
  return 0;
}

int prf_writ(int part) {
  if (part == 0 || part == SYSTEMU) {
    int16_t aperture, dot, third;
    sys_rcogprm('R', &aperture, &dot, &third);
    put_short(SYSTEMU, "RCOGAREA", aperture);
    put_short(SYSTEMU, "MSRUNDER", third);
    put_string(SYSTEMU, "DATADRV", sys_pathraw(1));
    put_string(SYSTEMU, "WORKDRV", sys_pathraw(4));
    uint16_t cur[3];
    sys_cursor('R', cur);
    put_short(SYSTEMU, "CURSORTYPE", static_cast<int16_t>(cur[2]));
    double steps[3];
    sys_dspstep('R', steps);
    put_double(SYSTEMU, "DSPMOVE", steps[0]);
    put_double(SYSTEMU, "DSPZOOMIN", steps[1]);
    put_double(SYSTEMU, "DSPZOOMOUT", steps[2]);
    uint32_t mode;
    sys_pickmode('R', &mode, nullptr);
    put_long(SYSTEMU, "POINTMODE", static_cast<int32_t>(mode));
    SystemBlock sb;
    sys_sysprm('R', &sb);
    put_long(SYSTEMU, "EXCLUSIVE", sb.exclusive);
  }
  if (part == 0 || part == ELMINFO) {
    uint16_t pnt, lin;
    sys_pntatr('R', &pnt);
    sys_linatr('R', &lin);
    put_short(ELMINFO, "PNTTYPE", static_cast<int16_t>(pnt >> 4 & 0xFF));
    put_short(ELMINFO, "LINPEN", static_cast<int16_t>(lin & 15));
    put_short(ELMINFO, "LINLKIND", static_cast<int16_t>(lin >> 4 & 15));
    put_short(ELMINFO, "LINLTIPS", static_cast<int16_t>(lin >> 8 & 7));
    put_short(ELMINFO, "LINLTIPE", static_cast<int16_t>(lin >> 11 & 7));
  }
  if (part == 0 || part == CHAINFO) {
    // Sizes are kept per drawing unit; the file holds them at paper scale. A copy is
    // scaled so the values in memory never drift.
    CharAttrs c;
    sys_chratr('R', &c);
    SheetRecord sheet;
    sys_sheet('R', dwg_cur(), &sheet);
    const double scale = std::isfinite(sheet.scale) && sheet.scale != 0.0 ? sheet.scale : 1.0;
    int16_t dot;
    sys_rcogprm('R', nullptr, &dot, nullptr);
    put_short(CHAINFO, "DISPDOT", dot);
    put_float(CHAINFO, "CHARHIGH", static_cast<float>(c.height * scale));
    put_float(CHAINFO, "CHARWIDE", static_cast<float>(c.width * scale));
    put_float(CHAINFO, "CHARDIST", static_cast<float>(c.spacing * scale));
    put_float(CHAINFO, "CHARSLANT", c.slant);
    put_short(CHAINFO, "CHARPEN", static_cast<int16_t>(c.attr & 15));
    put_short(CHAINFO, "CHARVBASE", static_cast<int16_t>(c.attr >> 5 & 3));
    put_short(CHAINFO, "CHARHBASE", static_cast<int16_t>(c.attr >> 7 & 3));
    put_short(CHAINFO, "CHARFONTNO", static_cast<int16_t>(c.attr >> 9 & 7));
  }
  if (part == 0 || part == SYSCOLOR) {
    for (int i = 0; i < PALETTE_COUNT; i++) {
      char key[16];
      std::snprintf(key, sizeof key, "PALETTE%d", i);
      prf_valslot.ul = Palette[i];
      prf_putval(SYSCOLOR, key, PRF_ULONG);
    }
  }
  if (part == 0 || part == FILES) {
    for (int i = 0; i < RECENT_COUNT; i++) {
      char key[16];
      std::snprintf(key, sizeof key, "FILE%d", i + 1);
      put_string(FILES, key, RecentFiles[i]);
    }
  }
  if (part == 0 || part == SEALINFO) {
    RaruInfo ri;
    sys_sealinf('R', &ri);
    put_short(SEALINFO, "BACKCOLOR", static_cast<int16_t>(ri.backcolor));
    put_short(SEALINFO, "SEALCOLOR", static_cast<int16_t>(ri.sealcolor));
    put_double(SEALINFO, "AREALENGTHX", ri.areax);
    put_double(SEALINFO, "AREALENGTHY", ri.areay);
    put_double(SEALINFO, "GRIDX", ri.gridx);
    put_double(SEALINFO, "GRIDY", ri.gridy);
  }
  return 0;
}
