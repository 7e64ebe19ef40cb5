#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "settings/appwin.h"
#include "settings/uicalls.h"

int sys_pathwrite(int entry, const char *buf);

namespace {

bool env_longpath(const char *name, char *out, std::size_t size) {
  char value[262];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value)
    return false;
  DWORD m = GetLongPathNameA(value, out, static_cast<DWORD>(size));
  return m != 0 && m < size;
}

char removable_drive(int n) {
  for (char c = 'a'; c <= 'y'; c++) {
    char root[4] = {c, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_REMOVABLE && --n == 0)
      return static_cast<char>(c - 'a' + 'A');
  }
  return 0;
}

const PathLookup system_lookup = {env_longpath, removable_drive};

// Drive names of the checked entries, as the messages give them.
struct DriveCheck {
  int entry;
  const char *name;
};
const DriveCheck drive_checks[4] = {
    {1, "データドライブ"}, {2, "マクロドライブ"}, {4, "ワークドライブ"}, {0, "シンボルドライブ"}};

int32_t count_word = 4;  // kept within 2..5
int32_t switch_word = 0; // kept within 0..1

void paper_defaults() {
  PaperBlock p{};
  p.w0 = 7;
  p.w1 = 4;
  const uint16_t w[12] = {1189, 841, 594, 420, 297, 297, 1456, 1030, 728, 515, 364, 0};
  const uint16_t h[12] = {841, 594, 420, 297, 210, 210, 1030, 728, 515, 364, 257, 0};
  std::memcpy(p.width, w, sizeof w);
  std::memcpy(p.height, h, sizeof h);
  p.w26 = 3;
  p.w27 = 2;
  p.w28 = 0;
  p.w29[0] = 500;
  p.w29[1] = 1000;
  p.w29[2] = 1000;
  p.w29[3] = 250;
  p.w33 = 4;
  sys_paper('W', &p);
}

} // namespace

int sys_path(int op, int entry, char *buf) {
  if (entry == 31) {
    if (op != 'R' && op != 'r')
      return 0;
    char win[PATH_WORK];
    UINT n = GetWindowsDirectoryA(win, sizeof win);
    if (n == 0 || n + 2 > PATH_BUF) {
      buf[0] = '\0';
      return 1;
    }
    std::snprintf(buf, PATH_BUF, "%s\\", win);
    return 0;
  }
  if (entry < 0 || entry >= SYSPATH_COUNT)
    return 1;
  if (op == 'W' || op == 'w')
    return sys_pathwrite(entry, buf);
  if (op != 'R' && op != 'r')
    return 1;
  const char *stored = sys_pathraw(entry);
  if (entry == 3 && stored[0] == '\0')
    stored = sys_pathraw(1);
  return pth_expand(stored, buf, PATH_BUF, system_lookup);
}

const char *sys_getenv(const char *name) {
  static char value[PATH_BUF];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? nullptr : value;
}

void sys_drvtypes(uint32_t *table) {
  for (int i = 0; i < 25; i++) {
    if (table[i] == 0xFFFFFFFFu)
      continue;
    char root[4] = {static_cast<char>('a' + i), ':', '\\', '\0'};
    switch (GetDriveTypeA(root)) {
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR:
      table[i] = 0;
      break;
    case DRIVE_REMOVABLE:
      table[i] = 2;
      break;
    case DRIVE_FIXED:
      table[i] = 4;
      break;
    case DRIVE_REMOTE:
      table[i] = 7;
      break;
    default: // CD-ROM and RAM drives keep their entry
      break;
    }
  }
}

char *pth_longdir(const char *path, char *buf) {
  buf[0] = '\0';
  const char *p = path;
  const char *bs = p;
  while (*bs && *bs != '\\')
    bs += sjis_charlen(bs) ? sjis_charlen(bs) : 1;
  std::string found(path, static_cast<std::size_t>(bs - path));
  found += '\\';
  while (*bs == '\\') {
    const char *part = bs + 1;
    const char *end = part;
    while (*end && *end != '\\')
      end += sjis_charlen(end);
    std::string probe = found + std::string(part, static_cast<std::size_t>(end - part));
    WIN32_FIND_DATAA fd;
    HANDLE h = end > part ? FindFirstFileA(probe.c_str(), &fd) : INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE) {
      FindClose(h);
      const char *name = fd.cFileName[0] ? fd.cFileName : fd.cAlternateFileName;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name[0] != '.')
        found += std::string(name) + "\\";
    }
    bs = end;
  }
  msg_copy(buf, PATH_WORK, found.size() < PATH_WORK ? found.c_str() : "");
  return buf;
}

int pth_progdir(char *buf) {
  char module[PATH_WORK];
  DWORD n = GetModuleFileNameA(app_hinst(), module, sizeof module);
  if (n == 0 || n >= sizeof module) {
    buf[0] = '\0';
    return 0;
  }
  pth_dir(module, buf, PATH_WORK);
  return 0;
}

int pth_find(const char *pattern, char *buf) {
  buf[0] = '\0';
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE)
    return 0;
  FindClose(h);
  char dir[PATH_BUF];
  if (pth_dir(pattern, dir, sizeof dir) != 0 || std::strlen(dir) + std::strlen(fd.cFileName) >= PATH_BUF)
    return 0;
  std::snprintf(buf, PATH_BUF, "%s%s", dir, fd.cFileName);
  return 1;
}

int pth_chkdir(const char *path) {
  if (!path || !path[0])
    return 0;
  if (path[0] == '\\' && path[1] == '\\') {
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 2;
  }
  char letter = path[0];
  if (letter >= 'A' && letter <= 'Z')
    letter = static_cast<char>(letter - 'A' + 'a');
  if (letter < 'a' || letter > 'z')
    return 1;
  char root[4] = {letter, ':', '\\', '\0'};
  switch (GetDriveTypeA(root)) {
  case DRIVE_REMOVABLE:
  case DRIVE_FIXED:
  case DRIVE_REMOTE:
  case DRIVE_CDROM:
  case DRIVE_RAMDISK:
    break;
  default:
    return 1;
  }
  const char *rest = path[1] == ':' ? path + 2 : path + 1;
  if (!rest[0] || std::strcmp(rest, "\\") == 0)
    return 0;
  char folder[PATH_WORK];
  msg_copy(folder, sizeof folder - 4, rest);
  str_trim(TRIM_LEAD | TRIM_TRAIL, folder);
  if (folder[0] != '\\') {
    std::memmove(folder + 1, folder, std::strlen(folder) + 1);
    folder[0] = '\\';
  }
  if (!pth_endsbs(folder))
    return 0; // only a folder that ends with a backslash is checked
  char full[PATH_WORK + 4];
  std::snprintf(full, sizeof full, "%c:%s", letter, folder);
  DWORD a = GetFileAttributesA(full);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 2;
}

int sys_stup() {
  // Every block's start values; the path table and the settings follow.
  prm_init();
  prf_defaults();
  std::memset(RecentFiles, 0, sizeof RecentFiles);

  char module[PATH_WORK] = "";
  char progdir[PATH_WORK] = "";
  DWORD n = GetModuleFileNameA(app_hinst(), module, 261);
  if (n > 0 && n < 261 && std::strchr(module, '\\')) {
    pth_longdir(module, progdir);
    pth_bslash(0, progdir);
  }
  for (int i = 0; i < SYSPATH_COUNT; i++)
    sys_pathset(i, "");
  sys_pathset(6, progdir);
  sys_pathset(8, progdir);
  sys_pathset(3, "%TMP%");
  sys_pathset(4, "%TMP%");
  sys_pathset(5, "PLT\\");
  sys_pathset(9, "\\");
  sys_pathset(12, "CL\\");
  sys_pathset(13, "PTP\\");
  sys_pathset(14, "DPR\\");
  sys_pathset(16, "MCN\\");
  sys_pathset(17, "MCN\\");

  char sysdir[PATH_BUF];
  sys_path('R', 6, sysdir);
  char settings[PATH_WORK];
  std::snprintf(settings, sizeof settings, "%sinkforge.sys", sysdir);
  prf_setpath(settings);

  paper_defaults();

  prf_read(0, 1023);

  if (count_word < 2 || count_word > 5)
    count_word = 2;
  if (switch_word < 0 || switch_word > 1)
    switch_word = 0;

  DimAttrs dim;
  DrawingEnvRecord *env = new DrawingEnvRecord;
  sys_dwgenv('R', 0, env);
  dim = env->dim;
  delete env;
  ui_numdecimals(dim.decimals);

  for (const DriveCheck &c : drive_checks) {
    char path[PATH_BUF];
    // An entry too long to expand comes back empty: that is a bad entry, not an empty one.
    const bool overlong = sys_path('R', c.entry, path) != 0;
    if (c.entry == 4 && !path[0] && !overlong) {
      sys_path('R', 6, path);
      sys_pathset(4, path);
    }
    int r = overlong ? 2 : pth_chkdir(path);
    if (r == 0)
      continue;
    const char *what = r == 1 ? "ドライブ名が不正です。" : "ディレクトリ名が不正です";
    msg_board(0, "%sの%s\nシステム設定で設定してください。", c.name, what);
  }
  return 0;
}
