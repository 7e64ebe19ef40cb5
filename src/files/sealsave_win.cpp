#include "files/sealsavewin.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "display/grid.h"
#include "files/filsys.h"
#include "files/lockwin.h"
#include "files/sealfmt.h"
#include "files/sealsave.h"
#include "ole/oleblock.h"
#include "settings/answers.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "shell/appsvc.h"

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

// A fresh file of a unique name in the folder of path; false when none can be made.
bool safety_name(const char *path, char *out /*[MAX_PATH]*/) {
  char folder[PATH_BUF];
  if (pth_dir(path, folder, sizeof folder) != 0)
    return false;
  if (!folder[0])
    std::strcpy(folder, ".\\");
  if (std::strlen(folder) + 14 >= 260)
    return false;
  return GetTempFileNameA(folder, "ikf", 0, out) != 0;
}

// Copies what the held handle's file holds into a new file.
bool copy_from_handle(HANDLE h, const char *to) {
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN))
    return false;
  HANDLE out = CreateFileA(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE)
    return false;
  std::vector<char> buf(65536);
  bool ok = true;
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(h, buf.data(), DWORD(buf.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (!got)
      break;
    if (!WriteFile(out, buf.data(), got, &put, nullptr) || put != got) {
      ok = false;
      break;
    }
  }
  CloseHandle(out);
  return ok && SetFilePointerEx(h, zero, nullptr, FILE_BEGIN);
}

// Puts the safety copy's bytes back through the held handle.
bool copy_to_handle(const char *from, HANDLE h) {
  if (lck_trunc(h) != 0)
    return false;
  HANDLE in = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE)
    return false;
  std::vector<char> buf(65536);
  bool ok = true;
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(in, buf.data(), DWORD(buf.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (!got)
      break;
    if (!WriteFile(h, buf.data(), got, &put, nullptr) || put != got) {
      ok = false;
      break;
    }
  }
  CloseHandle(in);
  return ok;
}

struct Safety {
  char name[MAX_PATH] = "";
  bool viahandle = false; // a copy of the bytes of a file this drawing holds locked
  bool exists() const { return name[0] != '\0'; }
};

// Brings the old file back after a failed write; code unless that fails (then 1).
int restore(int db, const char *path, int mode, Safety &s, int code) {
  if (mode == 0 || !s.exists())
    return code;
  if (s.viahandle) {
    if (!copy_to_handle(s.name, DwgPath[db].lock))
      return SLF_NORENAME; // the safety copy stays beside the file
    DeleteFileA(s.name);
    return code;
  }
  DeleteFileA(path);
  if (!MoveFileA(s.name, path))
    return SLF_NORENAME;
  return code;
}

} // namespace

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

  Safety safety;
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
    if (holds_lock(db)) {
      // The only copy is the file behind the handle: keep its bytes before cutting it.
      if (safety_name(path, safety.name)) {
        if (copy_from_handle(DwgPath[db].lock, safety.name)) {
          safety.viahandle = true;
        } else {
          DeleteFileA(safety.name);
          return SLF_NORENAME;
        }
      }
      SlfLockMode = 1;
      if (lck_trunc(DwgPath[db].lock) != 0) {
        const int rc = restore(db, path, mode, safety, SLF_WRITEFAIL);
        SlfLockMode = 0;
        return rc;
      }
    } else if (_access(path, 0) == 0 && safety_name(path, safety.name)) {
      if (!MoveFileExA(path, safety.name, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(safety.name);
        return SLF_NORENAME;
      }
    } else {
      safety.name[0] = '\0';
    }
  }

  uint8_t header[SLF_HEADSIZE];
  slf_mkhead(db, env, header);
  int fd = -1;
  int rc = slf_wrhead(db, header, &fd, path);
  if (rc == 0 && slf_wrelem(db, 0, fd) != 0)
    rc = SLF_WRITEFAIL;
  if (rc != 0) {
    rc = restore(db, path, mode, safety, rc);
    SlfLockMode = 0;
    return rc;
  }
  const bool relock = mode != 3 && SlfLockMode == 1;
  if (relock)
    lck_release(db);
  SlfLockMode = 0;
  if (!WriteOleBlock(db, path)) {
    // The lock is gone by now: the old bytes go back by name, and the drawing takes
    // its file's lock again -- it stays open on that file.
    if (safety.viahandle)
      safety.viahandle = false;
    const int rc = restore(db, path, mode, safety, SLF_WRITEFAIL);
    if (relock) {
      HANDLE h = nullptr;
      const int state = lck_askopen(path, &h);
      lck_keep(db, path, state, h);
    }
    return rc;
  }
  DeleteOleTempFile();
  if (safety.exists())
    DeleteFileA(safety.name);
  return SLF_SAVED;
}
