#include "plugin/rarucfg.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "files/sealfmt.h"
#include "hoststub/klhost.h"
#include "plugin/plugsys.h"
#include "plugin/rarustr.h"

int32_t Raru_GateFlag = 0;

namespace {

RaruSettings Settings;
char PreviewFile[RARU_PATH];
char ListFolder[RARU_PATH];
char PluginFolder[RARU_PATH];

const char SECTION[] = "SYSTEM";
const char FILENAME[] = "SEALCONFIG.SYS";
const char REGKEY[] = "Software\\Orvik\\KLStampix";

int copyrec(int op, void *store, void *caller, std::size_t size) {
  if (op == 'R' || op == 'r') {
    std::memcpy(caller, store, size);
    return 0;
  }
  if (op == 'W' || op == 'w') {
    std::memcpy(store, caller, size);
    return 0;
  }
  return 1;
}

// The settings file's path; false when the plug-in's folder cannot be had or is too long.
bool configpath(char *path) {
  char module[RARU_PATH];
  PluginFolder[0] = '\0';
  path[0] = '\0';
  if (plg_sys.modulepath(module, sizeof module) == 0)
    return false;
  raru_dirof(module, PluginFolder);
  const std::size_t a = std::strlen(PluginFolder);
  if (a + sizeof FILENAME > RARU_PATH)
    return false;
  std::memcpy(path, PluginFolder, a);
  std::memcpy(path + a, FILENAME, sizeof FILENAME);
  return true;
}

// Folder of the host program, without a trailing backslash.
void hostfolder(char *dst) {
  char exe[MAX_PATH + 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (n == 0 || n >= sizeof exe) {
    dst[0] = '\0';
    return;
  }
  raru_dirof(exe, dst);
  std::size_t len = std::strlen(dst);
  if (len > 0)
    dst[len - 1] = '\0';
}

// A key's value; its length (0: missing or empty).
std::size_t readkey(const char *file, const char *key, char *buf /*264*/) {
  buf[0] = '\0';
  if (!file[0])
    return 0;
  return GetPrivateProfileStringA(SECTION, key, "", buf, 264, file);
}

HKEY openkey(bool *created) {
  HKEY key = nullptr;
  DWORD disp = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, REGKEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disp) != ERROR_SUCCESS)
    return nullptr;
  *created = disp == REG_CREATED_NEW_KEY;
  return key;
}

// Reads a mirror value into field (width bytes) of the stored settings.
int regread(const char *value, std::size_t offset, std::size_t width) {
  bool created = false;
  HKEY key = openkey(&created);
  if (!key)
    return -1;
  if (created) {
    RegCloseKey(key);
    return 0;
  }
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    RegCloseKey(key);
    return -1;
  }
  if (size == 0) {
    RegCloseKey(key);
    return 0;
  }
  char *buf = new char[size + 1]();
  DWORD got = size;
  LONG rc = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE *>(buf), &got);
  RegCloseKey(key);
  int result = -1;
  if (rc == ERROR_SUCCESS) {
    RaruSettings s;
    Raru_SysSettings('R', &s);
    raru_copycut(reinterpret_cast<char *>(&s) + offset, width, buf, got);
    Raru_SysSettings('W', &s);
    result = 1;
  }
  delete[] buf;
  return result;
}

int regwrite(const char *value, std::size_t offset, std::size_t width) {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  BYTE bytes[24] = {};
  const char *field = reinterpret_cast<const char *>(&s) + offset;
  std::memcpy(bytes, field, strnlen(field, width));
  bool created = false;
  HKEY key = openkey(&created);
  if (!key)
    return 1;
  LONG rc = plg_sys.regset(key, value, 0, REG_BINARY, bytes, static_cast<DWORD>(width));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

// Copies a terminated field of the header for the host.
template <std::size_t N> void fieldstr(const uint8_t *hdr, int off, char (&dst)[N]) {
  std::memcpy(dst, hdr + off, N - 1);
  dst[N - 1] = '\0';
}

} // namespace

int Raru_SysSettings(int op, RaruSettings *record) { return copyrec(op, &Settings, record, sizeof Settings); }
int Raru_SysPreviewFile(int op, char *name) { return copyrec(op, PreviewFile, name, sizeof PreviewFile); }
int Raru_SysListFolder(int op, char *name) { return copyrec(op, ListFolder, name, sizeof ListFolder); }
const char *Raru_PluginFolder() { return PluginFolder; }

int Raru_CheckDefault(const RaruSettings &s, int32_t *level) {
  char path[RARU_PATH];
  if (!s.defaultFile[0] || !raru_join(path, s.sealFolder, s.defaultFile))
    return -1;
  std::FILE *f = std::fopen(path, "rb");
  if (!f)
    return -1;
  uint8_t hdr[SLF_HEADSIZE];
  const bool full = std::fread(hdr, 1, sizeof hdr, f) == sizeof hdr;
  std::fclose(f);
  if (!full)
    return 0;
  const bool mine = raru_fieldeq(hdr + SLF_OFF_OWNER, 24, s.userName, sizeof s.userName) ||
                    raru_fieldeq(hdr + SLF_OFF_PASSWORD, 20, s.cryptPassword, sizeof s.cryptPassword);
  if (!mine)
    return 0;
  const int16_t lv = slf_get<int16_t>(hdr, SLF_OFF_PERMIT), aux = slf_get<int16_t>(hdr, SLF_OFF_AUX);
  char group[21], name[25], password[21], owner[25];
  fieldstr(hdr, SLF_OFF_GROUP, group);
  fieldstr(hdr, SLF_OFF_NAME, name);
  fieldstr(hdr, SLF_OFF_PASSWORD, password);
  fieldstr(hdr, SLF_OFF_OWNER, owner);
  if (level)
    *level = lv;
  KlhSetDefautRaru(lv, aux, group, name, password, owner);
  return 1;
}

int Raru_ReadConfig() {
  Raru_GateFlag = 0;
  RaruSettings s;
  std::memset(&s, 0, sizeof s);
  char file[RARU_PATH];
  configpath(file);
  char buf[264];
  if (readkey(file, "USERNAME", buf) >= 1)
    raru_copycut(s.userName, sizeof s.userName, buf);
  if (readkey(file, "SEALFOLDER", buf) >= 1)
    raru_copycut(s.sealFolder, sizeof s.sealFolder, buf);
  else
    hostfolder(s.sealFolder);
  if (readkey(file, "CRYPTWD", buf) >= 1)
    raru_copycut(s.cryptPassword, sizeof s.cryptPassword, buf);
  if (readkey(file, "DEFAULTFILE", buf) >= 1) {
    raru_copycut(s.defaultFile, sizeof s.defaultFile, buf);
    int32_t level = 0;
    const int rc = Raru_CheckDefault(s, &level);
    if (rc < 0)
      s.defaultFile[0] = '\0';
    else if (rc == 1)
      s.level = level;
  }
  // The colour goes to the host as index + 1: an index out of range is taken as black,
  // as the preview draws it, so it can never overflow.
  if (readkey(file, "SEALCOLOR", buf) >= 1)
    s.sealColor = raru_colourindex(raru_atoi(buf));
  // Placing confirms on any non-zero value; the dialog shows only 0 or 1.
  if (readkey(file, "SEALCHECK", buf) >= 1)
    s.sealCheck = raru_atoi(buf) != 0 ? 1 : 0;
  s.sealDate = readkey(file, "SEALDATE", buf) == 1 ? raru_atoi(buf) : 1;
  Raru_SysSettings('W', &s);
  Raru_RegReadUser();
  Raru_RegReadPassword();
  Raru_RegReadGroup();
  return 0;
}

int Raru_WriteConfig(int code) {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  char file[RARU_PATH];
  const bool havefile = configpath(file);
  auto put = [&](const char *key, const char *value) {
    return havefile && plg_sys.writeprofile(SECTION, key, value, file) ? 0 : 1;
  };
  char num[16];
  switch (code) {
  case CFG_USERNAME:
    if (put("USERNAME", s.userName))
      return 1;
    return Raru_RegWriteUser() ? 2 : 0;
  case CFG_SEALFOLDER:
    return put("SEALFOLDER", s.sealFolder);
  case CFG_DEFAULTFILE:
    if (put("DEFAULTFILE", s.defaultFile))
      return 1;
    Raru_CheckDefault(s, nullptr);
    return 0;
  case CFG_SEALCOLOR:
  case CFG_SEALCHECK:
  case CFG_SEALDATE: {
    const int32_t v = code == CFG_SEALCOLOR ? s.sealColor : code == CFG_SEALCHECK ? s.sealCheck : s.sealDate;
    std::snprintf(num, sizeof num, "%d", static_cast<int>(v));
    return put(code == CFG_SEALCOLOR ? "SEALCOLOR" : code == CFG_SEALCHECK ? "SEALCHECK" : "SEALDATE", num);
  }
  case CFG_CRYPTWD:
    if (put("CRYPTWD", s.cryptPassword))
      return 1;
    return Raru_RegWritePassword() ? 2 : 0;
  default:
    return 0;
  }
}

int Raru_RegReadUser() { return regread("data0", offsetof(RaruSettings, regUserName), 24); }
int Raru_RegReadPassword() { return regread("data1", offsetof(RaruSettings, regCryptPassword), 20); }
int Raru_RegReadGroup() { return regread("data2", offsetof(RaruSettings, groupCode), 20); }
int Raru_RegWriteUser() { return regwrite("data0", offsetof(RaruSettings, regUserName), 24); }
int Raru_RegWritePassword() { return regwrite("data1", offsetof(RaruSettings, regCryptPassword), 20); }
int Raru_RegWriteGroup() { return regwrite("data2", offsetof(RaruSettings, groupCode), 20); }
