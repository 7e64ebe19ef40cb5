#include "files/lockwin.h"

#include <cstdio>
#include <cstring>

#include "settings/answers.h"
#include "settings/syspath.h"
#include "settings/appwin.h"

static_assert(sizeof(LockTime) == sizeof(SYSTEMTIME));

DrawingPathRecord DwgPath[2];
bool DwgReadOnly[2];

namespace {

bool bad(const char *s) { return !s || !*s; }
bool badh(HANDLE h) { return !h || h == INVALID_HANDLE_VALUE; }

} // namespace

DWORD lck_createf(const char *name, DWORD access, DWORD share, DWORD disposition, DWORD flags, bool inheritable,
                  HANDLE *out) {
  SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE h = CreateFileA(name, access, share, inheritable ? &sa : nullptr, disposition, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError();
  *out = h;
  return 0;
}

DWORD lck_fopenrw(const char *name, HANDLE *out) {
  return lck_createf(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false,
                     out);
}
DWORD lck_fopenalw(const char *name, HANDLE *out) {
  return lck_createf(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, true,
                     out);
}
DWORD lck_fcreate(const char *name, bool hidden, HANDLE *out) {
  return lck_createf(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS,
                     hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, false, out);
}
DWORD lck_fcreate2(const char *name, bool hidden, HANDLE *out) {
  return lck_createf(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                     hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, false, out);
}
DWORD lck_fopenro(const char *name, HANDLE *out) {
  return lck_createf(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     false, out);
}

DWORD lck_closeh(HANDLE h) { return CloseHandle(h) ? 0 : GetLastError(); }

DWORD lck_settrunc(HANDLE h) {
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN))
    return GetLastError();
  return SetEndOfFile(h) ? 0 : GetLastError();
}

DWORD lck_write(HANDLE h, const void *buf, DWORD size) {
  DWORD done = 0;
  if (!WriteFile(h, buf, size, &done, nullptr))
    return GetLastError();
  return done == size ? 0 : ERROR_WRITE_FAULT;
}

DWORD lck_openrw(const char *path, HANDLE *out) { return bad(path) || !out ? ERROR_INVALID_PARAMETER : lck_fopenrw(path, out); }
DWORD lck_openro(const char *path, HANDLE *out) { return bad(path) || !out ? ERROR_INVALID_PARAMETER : lck_fopenro(path, out); }

DWORD lck_openalw(const char *path, HANDLE *out, bool truncate) {
  if (bad(path) || !out)
    return ERROR_INVALID_PARAMETER;
  HANDLE h;
  DWORD rc = lck_fopenalw(path, &h);
  if (rc)
    return rc;
  if (truncate && (rc = lck_settrunc(h)) != 0) {
    CloseHandle(h);
    return rc;
  }
  *out = h;
  return 0;
}

DWORD lck_trunc(HANDLE h) { return badh(h) ? ERROR_INVALID_HANDLE : lck_settrunc(h); }
DWORD lck_close(HANDLE h) { return badh(h) ? ERROR_INVALID_HANDLE : lck_closeh(h); }

DWORD lck_fillholder(LockHolder *h) {
  DWORD size = LCK_FIELD;
  if (!GetComputerNameA(h->host, &size))
    return GetLastError();
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return GetLastError();
  DWORD rc = 0, need = 0;
  TOKEN_USER *tu = nullptr;
  GetTokenInformation(token, TokenUser, nullptr, 0, &need);
  if (!need) {
    rc = GetLastError();
  } else if (!(tu = static_cast<TOKEN_USER *>(HeapAlloc(GetProcessHeap(), 0, need)))) {
    rc = ERROR_NOT_ENOUGH_MEMORY;
  } else if (!GetTokenInformation(token, TokenUser, tu, need, &need)) {
    rc = GetLastError();
  } else {
    char name[LCK_FIELD], domain[LCK_FIELD];
    DWORD nlen = sizeof name, dlen = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, tu->User.Sid, name, &nlen, domain, &dlen, &use))
      rc = GetLastError();
    else if (domain[0])
      std::snprintf(h->user, LCK_FIELD, "%s\\%s", domain, name);
    else
      std::snprintf(h->user, LCK_FIELD, "%s", name);
  }
  if (tu)
    HeapFree(GetProcessHeap(), 0, tu);
  CloseHandle(token);
  if (rc == 0) {
    SYSTEMTIME st;
    GetSystemTime(&st);
    std::memcpy(&h->time, &st, sizeof st);
  }
  return rc;
}

namespace {
LckSysHooks lck_hooks{lck_fillholder, lck_settrunc, lck_write};
} // namespace

LckSysHooks &lck_sys() { return lck_hooks; }
void lck_sysreset() { lck_hooks = LckSysHooks{lck_fillholder, lck_settrunc, lck_write}; }

namespace {

DWORD create(const char *path, bool always) {
  if (bad(path))
    return ERROR_INVALID_PARAMETER;
  char name[LCK_PATHMAX];
  if (lck_path(path, name))
    return ERROR_FILENAME_EXCED_RANGE;
  HANDLE h;
  DWORD rc = always ? lck_fcreate(name, true, &h) : lck_fcreate2(name, true, &h);
  if (rc)
    return rc;
  LockHolder holder{};
  rc = lck_hooks.fill(&holder);
  if (!rc)
    rc = lck_hooks.trunc(h);
  if (!rc) {
    char text[3 * LCK_LINEMAX];
    lck_format(holder, text, sizeof text);
    // One write per line.
    for (const char *p = text; *p && !rc;) {
      const char *e = std::strstr(p, "\r\n");
      const DWORD len = DWORD(e ? e + 2 - p : std::strlen(p));
      rc = lck_hooks.write(h, p, len);
      p += len;
    }
  }
  CloseHandle(h);
  if (rc)
    DeleteFileA(name);
  return rc;
}

struct HandleReader {
  HANDLE h;
  char buf[512];
  DWORD len = 0, pos = 0;
};

int handlebyte(void *ctx) {
  HandleReader *r = static_cast<HandleReader *>(ctx);
  if (r->pos == r->len) {
    r->pos = r->len = 0;
    if (!ReadFile(r->h, r->buf, sizeof r->buf, &r->len, nullptr))
      return -2 - int(GetLastError());
    if (!r->len)
      return -1;
  }
  return static_cast<unsigned char>(r->buf[r->pos++]);
}

} // namespace

DWORD lck_create(const char *path) { return create(path, true); }
DWORD lck_create2(const char *path) { return create(path, false); }

DWORD lck_holder(const char *path, LockHolder *out) {
  if (bad(path) || !out)
    return ERROR_INVALID_PARAMETER;
  std::memset(out, 0, sizeof *out);
  char name[LCK_PATHMAX];
  if (lck_path(path, name))
    return ERROR_FILENAME_EXCED_RANGE;
  HandleReader r{};
  DWORD rc = lck_fopenrw(name, &r.h);
  if (rc)
    return rc;
  rc = DWORD(lck_readholder(handlebyte, &r, out));
  CloseHandle(r.h);
  return rc;
}

DWORD lck_remove(const char *path, HANDLE handle) {
  if (bad(path))
    return ERROR_INVALID_PARAMETER;
  char name[LCK_PATHMAX];
  DWORD rc = 0;
  if (lck_path(path, name))
    rc = ERROR_FILENAME_EXCED_RANGE;
  else if (!DeleteFileA(name)) {
    rc = GetLastError();
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
      rc = 0;
  }
  if (!badh(handle))
    CloseHandle(handle);
  return rc;
}

int lck_sethandle(int dwg, HANDLE h) {
  if (dwg == 0 || dwg == 1)
    DwgPath[dwg].lock = h;
  return 0;
}

namespace {

bool missing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// The question before a file that another holds, or that is read-only, is opened
// for reading. readonly_text differs by one word between the two callers.
bool ask_readonly(const char *path, const char *readonly_text) {
  LockHolder holder;
  if (lck_holder(path, &holder) != 0)
    std::memset(&holder, 0, sizeof holder);
  char shortp[262], text[1024];
  if (pth_short(path, shortp) != 0)
    std::snprintf(shortp, sizeof shortp, "%s", path);
  if (holder.user[0])
    std::snprintf(text, sizeof text,
                  "ファイル名[%s]\nこのファイルは、他のユーザー[%s]\nが編集中です。\n上書き登録ができませんが、開いても"
                  "よろしいですか？",
                  shortp, holder.user);
  else
    std::snprintf(text, sizeof text, readonly_text, shortp);
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = "読み込み確認";
  q.text = text;
  q.flags = MB_YESNO | MB_ICONINFORMATION;
  q.owner = app_hmain();
  const int answer = ui_ask(q, [](const UiQuestion &u) {
    return MessageBoxA(static_cast<HWND>(u.owner), u.text, u.heading, u.flags);
  });
  return answer == IDYES;
}

} // namespace

int lck_askopen(const char *path, HANDLE *out) {
  *out = nullptr;
  HANDLE h;
  const DWORD rc = lck_openrw(path, &h);
  if (rc == 0) {
    if (lck_create(path) == 0) {
      *out = h;
      return LCK_LOCKED;
    }
    CloseHandle(h);
    return LCK_REFUSED;
  }
  if (missing(rc) || rc == ERROR_INVALID_PARAMETER)
    return LCK_REFUSED;
  if (!ask_readonly(path, "ファイル名[%s]\nこのファイルは、読み取り専用です。\n上書き登録が出来ませんが、開いてもよろし"
                          "いですか？"))
    return LCK_REFUSED;
  if (lck_openro(path, &h) != 0)
    return LCK_REFUSED;
  *out = h;
  return LCK_READONLY;
}

int lck_keep(int dwg, const char *path, int state, HANDLE h) {
  if (dwg == 0 || dwg == 1)
    DwgReadOnly[dwg] = state == LCK_READONLY;
  if (state == LCK_READONLY) {
    lck_close(h);
  } else if (state == LCK_LOCKED) {
    lck_sethandle(dwg, h);
    if (path && (dwg == 0 || dwg == 1))
      std::snprintf(DwgPath[dwg].path, sizeof DwgPath[dwg].path, "%s", path);
  }
  return 0;
}

int lck_release(int dwg) {
  if (dwg != 0 && dwg != 1)
    return 0;
  if (!badh(DwgPath[dwg].lock))
    lck_remove(DwgPath[dwg].path, DwgPath[dwg].lock);
  DwgPath[dwg].lock = nullptr;
  return 0;
}

DWORD lck_tryopen(const char *path) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError();
  CloseHandle(h);
  return 0;
}

int lck_inuse(const char *path, int *inuse) {
  if (inuse)
    *inuse = 0;
  if (bad(path) || !inuse)
    return -1;
  switch (lck_tryopen(path)) {
  case 0:
    return 0;
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    *inuse = 1;
    return 0;
  default:
    return -1;
  }
}

int lck_openpol(const char *path, int exclusive, int *state, HANDLE *handle) {
  *state = LCK_NONE;
  *handle = nullptr;
  int inuse = 0;
  if (lck_inuse(path, &inuse) != 0)
    return 0; // missing or unreadable: no question, the load says what went wrong
  if (inuse) {
    if (!ask_readonly(path, "ファイル名[%s]\nこのファイルは、読み取り専用です。\n上書き登録ができませんが、開いてもよろし"
                            "いですか？"))
      return 7;
    HANDLE h;
    if (lck_openro(path, &h) == 0) {
      *handle = h;
      *state = LCK_READONLY;
    }
    return 0;
  }
  if (exclusive == 1)
    *state = lck_askopen(path, handle);
  return 0;
}

int lck_abandon(const char *path, int state, HANDLE h) {
  if (state == LCK_LOCKED)
    lck_remove(path, h);
  else
    lck_close(h);
  return 0;
}
