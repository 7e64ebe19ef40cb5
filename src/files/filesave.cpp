// Registering a drawing under a seal name and file the user chooses, saving it over
// its own file, the temporary and document saves, and the save chooser.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "database/pack.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/viewtbl.h"
#include "files/filecalls.h"
#include "files/filecmd.h"
#include "files/lockwin.h"
#include "files/oleblock.h"
#include "files/outline.h"
#include "files/sealfmt.h"
#include "files/sealname.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "input/inpkind.h"
#include "settings/answers.h"
#include "settings/freespace.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"

namespace {

char SavePath[260]; // the last path the save chooser gave

// Message 501 on the message line and the wait cursor while packing and writing.
struct Busy {
  Busy() {
    msg_disp(0, 0, 0, 0, 501);
    win_waitcur();
  }
  ~Busy() {
    win_waitcur();
    msg_disp(0, 128, 0, 0, 0);
  }
};

bool dwgok(int dwg) { return dwg == 0 || dwg == 1; }

// The seal name, asked in the real dialog unless a script answers.
int ask_name() {
  slf_namewin();
  return slf_askname();
}

// Packs the drawing and takes its element count for the save.
void pack_for_save(int dwg) {
  Busy busy;
  if (dtb_pack(dwg) != 0)
    msg_err(30205);
  else
    und_rset(dwg);
  SlfSaveCount = int32_t(DbCtl[dwg].count1);
}

void say(int n, const char *path) {
  char shortpath[262] = "";
  pth_short(path, shortpath);
  msg_err(n, shortpath);
}

bool enough_space(const char *path, uint32_t block) {
  const uint64_t need = uint64_t(SlfSaveCount) * 80 + 256 + block;
  return fil_freespc(path) >= need;
}

// The drawing's objects written ahead into the block the save appends: false, with
// the write-failure message, when they cannot be -- saving on would drop them.
bool prepare_block(int dwg, const char *path, uint32_t *size) {
  if (PrepareOleBlockSize(dwg, size))
    return true;
  say(30154, path);
  return false;
}

// The seal-file write; a preparation it did not use is dropped in every case.
int save_with_block(int dwg, const char *path, int mode, DrawingEnvRecord *env) {
  const int r = slf_save(dwg, path, mode, env);
  DeleteOleTempFile();
  return r;
}

// Copies src into dst (size bytes); false when it does not fit.
bool fits(char *dst, std::size_t size, const char *a, const char *b = "", const char *c = "") {
  const int n = std::snprintf(dst, size, "%s%s%s", a, b, c);
  return n >= 0 && std::size_t(n) < size;
}

// A drawing opened for reading only is never written back over the file it came
// from: its holder may have saved it since.
bool readonly_target(int dwg, const char *path) {
  return DwgReadOnly[dwg] && DwgPath[dwg].path[0] && lstrcmpiA(DwgPath[dwg].path, path) == 0;
}

// After a successful write: the lock moves to the new file, the drawing takes its
// folder and name (named), its views their titles, the recent files the path.
void after_save(int dwg, const char *path, DrawingEnvRecord &env, bool named) {
  SystemBlock sys{};
  sys_sysprm('R', &sys);
  if (named) {
    if (DwgPath[dwg].lock)
      lck_release(dwg);
    fits(DwgPath[dwg].path, sizeof DwgPath[dwg].path, path);
    DwgReadOnly[dwg] = false; // its own file now
    if (sys.exclusive == 1) {
      HANDLE h = nullptr;
      const int state = lck_askopen(path, &h);
      lck_keep(dwg, path, state, h);
    }
    char dir[262] = "", name[262] = "";
    pth_dir(path, dir, sizeof dir);
    pth_fname(path, name, sizeof name);
    fil_dwgdir('W', dwg, dir);
    sys_dwgenv('W', dwg, &env);
    sys_dwgname('W', dwg, 0, name);
  }
  const uint32_t mask = vew_mask(dwg);
  for (int v = 0; v < 32; v++)
    if (mask & (1u << v))
      vew_title('W', dwg, v, nullptr, 0);
  if (named)
    fcl_recent(path);
}

// The register loop: 0 saved, 4 backup declined, -1 cancelled, empty or protected,
// 1 the target exists and is no seal file.
int register_core(int dwg, int outline) {
  if (!dwgok(dwg))
    return -1;
  fil_headuse(dwg); // the name dialog proposes this drawing's seal name
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  for (;;) {
    SheetRecord sheet{};
    sys_sheet('R', dwg, &sheet);
    sheet.originx = sheet.originy = 0.0;
    pack_for_save(dwg);
    if (SlfSaveCount < 1) {
      msg_err(30162);
      return -1;
    }
    char path[260] = "";
    if (ask_name() != 1 || !fil_savedlg(path))
      return -1;
    inp_updall();
    if (readonly_target(dwg, path)) {
      say(30158, path);
      continue;
    }
    env.sheet = sheet;
    if (outline)
      slf_envout(dwg, &env);
    const uint32_t space = fil_freespc(path);
    const int kind = slf_probe(path); // upper-cases the path
    if (kind == -3) {
      msg_err(30163);
      return -1;
    }
    if (kind != -1 && kind != 1) {
      say(30150, path); // another kind of file: never overwritten, but not silently
      return 1;
    }
    uint32_t block = 0;
    if (!prepare_block(dwg, path, &block))
      return -1;
    if (space < uint64_t(SlfSaveCount) * 80 + 256 + block) {
      DeleteOleTempFile();
      msg_err(30225);
      continue;
    }
    int r;
    {
      Busy busy;
      r = save_with_block(dwg, path, kind == 1 ? 1 : 0, &env);
    }
    if (r == SLF_SAVED) {
      fil_headkeep(dwg);
      after_save(dwg, path, env, true);
      dwg_setstate(dwg, 0);
      return 0;
    }
    if (r == SLF_NOBACKUP)
      return 4;
    say(r == SLF_REFUSED ? 30158 : 30154, path);
  }
}

// Drops the characters a file name cannot hold, double-byte characters kept whole;
// a lead byte without its trail byte is no character and goes too.
void strip_bad(char *s) {
  char *out = s;
  for (const char *p = s; *p;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (sjis_ispair(p)) {
      *out++ = *p++;
      *out++ = *p++;
      continue;
    }
    if (sjis_islead(c)) {
      p++;
      continue;
    }
    if (!std::strchr("\\/:*?\"<>|", c) && c >= 0x20)
      *out++ = *p;
    p++;
  }
  *out = '\0';
}

} // namespace

int fil_savedlg(char *path) {
  uint8_t hdr[SLF_HEADSIZE];
  sys_sealhdr('R', hdr);
  char proposed[260] = {};
  std::memcpy(proposed, hdr + SLF_OFF_NAME, 24); // the field may lack its NUL
  strip_bad(proposed);
  char out[260];
  // A name too long once ".KSL" is put on is said and asked again (a script that
  // keeps giving one ends after a few).
  for (int tries = 0;; tries++) {
    char buf[260];
    std::memcpy(buf, proposed, sizeof buf);
    if (tries == 20 || !fil_choose(true, "印影ファイルを保存します。", buf, sizeof buf))
      return 0;
    char ext[262] = "";
    pth_ext(buf, ext, sizeof ext);
    bool ok;
    if (std::strcmp(ext, ".KSL") != 0) {
      char dir[262] = "", title[262] = "";
      pth_dir(buf, dir, sizeof dir);
      pth_title(buf, title, sizeof title);
      ok = fits(out, sizeof out, dir, title, ".KSL");
    } else {
      ok = fits(out, sizeof out, buf);
    }
    if (ok)
      break;
    msg_board(1, "%s", "ファイル名が長すぎるため登録できません。");
  }
  std::memcpy(SavePath, out, sizeof SavePath);
  std::memcpy(path, out, sizeof out);
  return 1;
}

int fil_register(int dwg, int outline) {
  const int r = register_core(dwg, outline);
  return r == 4 ? 0 : r;
}

int fil_closesave(int dwg) { return register_core(dwg, 0); }

int (*FilContainerSave)(int dwg);
int fil_regcmd() { return FilContainerSave && FilContainerSave(dwg_cur()) ? 0 : (fil_register(dwg_cur(), 0), 0); }
int fil_savecmd() { return FilContainerSave && FilContainerSave(dwg_cur()) ? 0 : (fil_save(dwg_cur(), 0), 0); }

int fil_save(int dwg, int mode) {
  const bool closing = (dwg & 0x8000) != 0;
  dwg &= 0x7FFF;
  if (mode != 0 && mode != -1)
    return -100;
  if (!dwgok(dwg))
    return -1;
  // The header written is this drawing's own: its owner fields as its file gave them.
  fil_headuse(dwg);
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  if (mode == 0)
    pack_for_save(dwg);
  else
    SlfSaveCount = int32_t(DbCtl[dwg].count1);
  inp_updall();
  if (SlfSaveCount < 1) {
    msg_err(30162);
    return -1;
  }
  char path[260] = "";
  if (mode == 0) {
    char name[262] = "";
    sys_dwgname('R', dwg, 0, name);
    if (!name[0]) {
      if (ask_name() != 1 || !fil_savedlg(path))
        return -1;
    } else {
      char dir[262] = "";
      fil_dwgdir('R', dwg, dir);
      if (!fits(path, sizeof path, dir, name))
        return 1001;
      if (readonly_target(dwg, path)) {
        say(30158, path);
        return SLF_REFUSED;
      }
      if (!(dwg_state(dwg) & 0x8001))
        return 0;
    }
  } else {
    char work[262] = "";
    sys_path('R', 4, work);
    if (!fits(path, sizeof path, work, "KLOLETMP.$$$"))
      return 1001;
  }
  if (!fil_chkdrive(path))
    return 1001;
  const uint32_t space = fil_freespc(path);
  const int kind = slf_probe(path);
  if (kind == -3) {
    msg_err(30163);
    return -1;
  }
  if (kind != -1 && kind != 1) {
    say(30150, path);
    return 1;
  }
  uint32_t block = 0;
  if (!prepare_block(dwg, path, &block))
    return SLF_WRITEFAIL;
  if (space < uint64_t(SlfSaveCount) * 80 + 256 + block) {
    DeleteOleTempFile();
    msg_err(30225);
    return -20;
  }
  int r;
  {
    Busy busy;
    r = save_with_block(dwg, path, kind == 1 && mode == 0 ? 1 : 0, &env);
  }
  if (r == SLF_NOBACKUP)
    return 0;
  if (r != SLF_SAVED) {
    say(r == SLF_REFUSED ? 30158 : 30154, path);
    return r;
  }
  fil_headkeep(dwg);
  // The temporary copy leaves the drawing's own file, lock and name alone.
  after_save(dwg, path, env, mode == 0);
  if (!(mode == -1 && closing))
    dwg_setstate(dwg, 0);
  return 0;
}

int fil_regquick(int dwg, int outline, const char *chosen) {
  if (!dwgok(dwg))
    return -1;
  fil_headuse(dwg);
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  for (int tries = 0; tries < 100; tries++) {
    SheetRecord sheet{};
    sys_sheet('R', dwg, &sheet);
    char path[262] = "";
    if (!chosen || !chosen[0] || !fits(path, sizeof path, chosen))
      return -1;
    SlfSaveCount = int32_t(DbCtl[dwg].count1);
    env.sheet = sheet;
    if (outline)
      slf_envout(dwg, &env);
    const int kind = slf_probe(path);
    if (kind != -1 && kind != 1)
      return 1;
    uint32_t block = 0;
    if (!prepare_block(dwg, path, &block))
      return -1;
    if (!enough_space(path, block)) {
      DeleteOleTempFile();
      msg_err(30225);
      return -1; // the same path would fail again
    }
    const int r = save_with_block(dwg, path, kind == 1 ? 1 : 0, &env);
    if (r == SLF_NOBACKUP)
      return 0;
    if (r == SLF_SAVED) {
      sys_dwgenv('W', dwg, &env);
      char name[262] = "";
      pth_fname(path, name, sizeof name);
      sys_dwgname('W', dwg, 1, name);
      fcl_recent(path);
      dwg_setstate(dwg, 0);
      return 0;
    }
    say(r == SLF_REFUSED ? 30158 : 30154, path);
    return -1; // the same path would fail again
  }
  return -1;
}

int fil_docsave(int dwg, const char *path) {
  if (!dwgok(dwg) || !path)
    return SLF_NORENAME;
  fil_headuse(dwg);
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  pack_for_save(dwg);
  MemBlockRecord mem{};
  sys_dwgmem('R', dwg, &mem);
  // The native layout keeps the document's objects itself: the file gets no block
  // (nothing would read it), and no earlier preparation may slip in.
  DeleteOleTempFile();
  const uint64_t need = uint64_t(SlfSaveCount) * 80 + (uint64_t(mem.u2) + 160) + 256;
  if (fil_freespc(path) < need) {
    msg_err(30225);
    return -20;
  }
  int r;
  {
    Busy busy;
    r = slf_save(dwg, path, 3, &env);
  }
  if (r != SLF_SAVED && r != SLF_NOBACKUP) {
    say(30154, path);
    return r;
  }
  return 0;
}
