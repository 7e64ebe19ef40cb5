#include "files/sealsavewin.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "display/marks/grid.h"
#include "files/filsys.h"
#include "files/lockwin.h"
#include "files/oleblock.h"
#include "files/sealfmt.h"
#include "files/sealsave.h"
#include "settings/answers.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "settings/appwin.h"

int SlfLockMode;

namespace {

constexpr int DATE_OFF = 232; // save date text in the drawing environment

bool dbok(int db) { return db == 0 || db == 1; }

bool holds_lock(int db) { return DwgPath[db].lock && DwgPath[db].lock != INVALID_HANDLE_VALUE; }

bool put_fd(void *ctx, const void *buf, uint32_t size) {
  return fil_sys().write(*static_cast<int *>(ctx), buf, size) == long(size);
}

bool put_handle(void *ctx, const void *buf, uint32_t size) {
  return fil_sys().writeh(ctx, buf, size) == long(size);
}

bool refused_attrs(const char *path) {
  if (_access(path, 0) != 0)
    return false;
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                               FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                               FILE_ATTRIBUTE_TEMPORARY));
}

// Copies the old file to the backup folder; false when the user declines to go on
// without one.
bool backup(const char *path) {
  char folder[PATH_BUF];
  if (sys_path('R', 11, folder) != 0 || !folder[0])
    sys_path('R', 6, folder);
  char title[PATH_BUF], ext[PATH_BUF], name[600];
  pth_title(path, title, sizeof title);
  pth_ext(path, ext, sizeof ext);
  std::snprintf(name, sizeof name, "%s%s%s", folder, title, lstrcmpiA(ext, ".KL") == 0 ? ".$KL" : "");
  if (std::strlen(name) >= 260)
    return true;
  if (CopyFileA(path, name, FALSE))
    return true;
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = "インク工房";
  q.text = "バックアップファイルの作成に失敗しました。\n\nバックアップをとらずに、登録を続行しますか？";
  q.flags = MB_YESNO | MB_ICONEXCLAMATION;
  q.owner = app_hmain();
  return ui_ask(q, [](const UiQuestion &u) {
           return MessageBoxA(static_cast<HWND>(u.owner), u.text, u.heading, u.flags);
         }) == IDYES;
}

// The folder of path with its backslash; ".\\" for a bare name. False when too long.
bool folder_of(const char *path, char *folder /*[PATH_BUF]*/) {
  if (pth_dir(path, folder, PATH_BUF) != 0)
    return false;
  if (!folder[0])
    std::strcpy(folder, ".\\");
  return std::strlen(folder) + 14 < 260;
}

// The new bytes go to a fresh file of a unique name beside path; false when none
// can be made.
bool beside_name(const char *path, char *out /*[MAX_PATH]*/) {
  char folder[PATH_BUF];
  return folder_of(path, folder) && GetTempFileNameA(folder, SLF_BESIDE, 0, out) != 0;
}

uint64_t filetime(const FILETIME &t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

} // namespace

int slf_sweep(const char *path, int (*report)(const char *name)) {
  char folder[PATH_BUF];
  if (!path || !folder_of(path, folder))
    return 0;
  FILETIME nowft;
  GetSystemTimeAsFileTime(&nowft);
  const uint64_t now = filetime(nowft);
  int removed = 0;
  for (const char *prefix : {SLF_BESIDE, SLF_OLDSAFETY}) {
    char pattern[PATH_BUF + 16];
    std::snprintf(pattern, sizeof pattern, "%s%s*.tmp", folder, prefix);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(pattern, &fd);
    if (find == INVALID_HANDLE_VALUE)
      continue;
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      char name[PATH_BUF + MAX_PATH];
      std::snprintf(name, sizeof name, "%s%s", folder, fd.cFileName);
      if (std::strcmp(prefix, SLF_OLDSAFETY) == 0) {
        // An older save's safety copy may hold the only whole drawing: the user decides.
        if (report)
          report(name);
        continue;
      }
      // A new file of a save still running is fresh or held open by its writer.
      if (now < filetime(fd.ftLastWriteTime) + SLF_STALE * 10000000ull)
        continue;
      HANDLE h = CreateFileA(name, GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      if (h == INVALID_HANDLE_VALUE)
        continue;
      CloseHandle(h);
      removed++;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  return removed;
}

int slf_wrhead(int db, uint8_t *header, int *fd, const char *path) {
  slf_put<int32_t>(header, SLF_OFF_COUNT, SlfSaveCount);
  (void)db;
  if (SlfLockMode == 0) {
    // Truncated: nothing of a longer older file may stay behind the new end.
    *fd = _open(path, _O_BINARY | _O_CREAT | _O_RDWR | _O_TRUNC, _S_IREAD | _S_IWRITE);
    if (*fd < 0)
      return 1;
    if (fil_sys().write(*fd, header, SLF_HEADSIZE) != SLF_HEADSIZE) {
      _close(*fd);
      *fd = -1;
      return 2;
    }
    return 0;
  }
  return fil_sys().writeh(DwgPath[db].lock, header, SLF_HEADSIZE) == SLF_HEADSIZE ? 0 : 2;
}

int slf_wrelem(int db, int selector, int fd) {
  if (selector != 0 && selector != 2) {
    if (SlfLockMode == 0 && fd >= 0)
      _close(fd);
    return 0;
  }
  int rc;
  if (SlfLockMode == 0) {
    rc = slf_wrbody(db, SlfSaveCount, put_fd, &fd);
    _close(fd);
  } else {
    rc = slf_wrbody(db, SlfSaveCount, put_handle, DwgPath[db].lock);
  }
  return rc == 0 ? 0 : 2;
}

int slf_save(int db, const char *path, int mode, DrawingEnvRecord *env) {
  SlfLockMode = 0;
  if (!dbok(db) || !path || !*path)
    return SLF_NORENAME;
  if (refused_attrs(path))
    return SLF_REFUSED;

  GridRecord g;
  if (grd_rec('R', uint32_t(db), &g) == 0)
    std::memcpy(env->grid, &g, sizeof env->grid);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char date[16];
  std::snprintf(date, sizeof date, "%02d/%02d/%02d", now.wYear % 100, now.wMonth % 100, now.wDay % 100);
  std::memcpy(reinterpret_cast<uint8_t *>(env) + DATE_OFF, date, 9);

  if (mode != 3 && holds_lock(db) && lstrcmpiA(DwgPath[db].path, path) != 0)
    lck_release(db);

  if (mode == 1) {
    char ext[PATH_BUF];
    pth_ext(path, ext, sizeof ext);
    str_upper(ext);
    if (std::strstr(ext, ".$SL"))
      return SLF_REFUSED;
    SystemBlock sb;
    sys_sysprm('R', &sb);
    if (sb.w2 == 1 && !backup(path))
      return SLF_NOBACKUP;
  }
  // The file keeps its old bytes until the whole new file stands beside it, and is
  // then replaced in one step: a save cut short at any point leaves the whole old or
  // the whole new drawing under its name. The held handle keeps other writers out
  // meanwhile.
  slf_sweep(path, nullptr);
  const bool held = mode != 3 && holds_lock(db);
  char beside[MAX_PATH];
  if (!beside_name(path, beside))
    return SLF_NORENAME;
  uint8_t header[SLF_HEADSIZE];
  slf_mkhead(db, env, header);
  int fd = -1;
  int rc = slf_wrhead(db, header, &fd, beside);
  if (rc == 0 && slf_wrelem(db, 0, fd) != 0)
    rc = SLF_WRITEFAIL;
  if (rc == 0 && !WriteOleBlock(db, beside))
    rc = SLF_WRITEFAIL;
  if (rc != 0) {
    DeleteFileA(beside);
    return rc;
  }
  if (fil_sys().step)
    fil_sys().step(1);
  if (held) {
    // A file open without delete sharing cannot be replaced: the handle goes for the
    // moment, the lock file stays until the new bytes are in place.
    lck_close(DwgPath[db].lock);
    DwgPath[db].lock = nullptr;
  }
  if (!MoveFileExA(beside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(beside);
    if (held) {
      HANDLE h = nullptr;
      if (lck_openrw(path, &h) == 0)
        DwgPath[db].lock = h;
      else
        lck_remove(path, nullptr); // no handle, no lock
    }
    return SLF_NORENAME;
  }
  if (fil_sys().step)
    fil_sys().step(2);
  if (held)
    lck_remove(path, nullptr);
  DeleteOleTempFile();
  return SLF_SAVED;
}
