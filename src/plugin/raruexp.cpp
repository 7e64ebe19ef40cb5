#include "plugin/raruexp.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "hoststub/klhost.h"
#include "plugin/rarucfg.h"
#include "plugin/rarudlg.h"
#include "plugin/raruput.h"
#include "plugin/plugsys.h"
#include "plugin/rarustr.h"

namespace {

const char EDITOR[] = "INKFORGE.exe";
const char HELPFILE[] = "stampix.chm";
const char WEB[] = "https://www.orvik.example/stampix/";
const char MAIL[] = "stampix-support@orvik.example";

// Runs the gate unless it was passed; 1 to go on, else the gate's result.
int gate() {
  if (Raru_GateFlag == 0) {
    const int r = Raru_PasswordGate();
    if (r != 1)
      return r;
    Raru_GateFlag = 1;
  }
  return 1;
}

int tellcolour() {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  return KlhRaruColor(raru_colourindex(s.sealColor) + 1);
}

void versionvalue(const void *block, const char *name, char *dst, const char *prefix = "") {
  char query[80] = "\\StringFileInfo\\041104b0\\";
  std::strcat(query, name);
  void *value = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(block, query, &value, &len) || !value)
    return;
  char text[300];
  const std::size_t p = std::strlen(prefix);
  std::memcpy(text, prefix, p);
  raru_copycut(text + p, sizeof text - p, static_cast<const char *>(value), len);
  raru_copycut(dst, 260, text);
}

} // namespace

int Raru_PasswordGate() {
  Raru_ReadConfig();
  RaruSettings s;
  Raru_SysSettings('R', &s);
  char file[20] = {}, reg[20] = {};
  KlhAnalyzePasswd(s.cryptPassword, file);
  KlhAnalyzePasswd(s.regCryptPassword, reg);
  const int id = file[0] || reg[0] ? IDD_RARU_PASSWORD : IDD_RARU_FIRSTUSER;
  const int r = int(Raru_Dialog(id, KlhWinMainFrameGet()));
  tellcolour();
  return r;
}

int Raru_RunProgram(const char *app, const char *cmdline, int wait) {
  char cmd[2 * RARU_PATH] = {};
  if (cmdline)
    raru_copycut(cmd, sizeof cmd, cmdline);
  char desktop[1] = {};
  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  si.lpDesktop = desktop;
  si.dwFlags = STARTF_USEPOSITION;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);
  if (!CreateProcessA(app, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &si, &pi))
    return 0;
  if (wait != 1) {
    DWORD code = 0;
    WaitForSingleObject(pi.hThread, INFINITE);
    GetExitCodeThread(pi.hThread, &code);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1;
}

extern "C" {

int __stdcall Raru_Put() {
  const int g = gate();
  return g != 1 ? g : Raru_PutRaru();
}

int __stdcall Raru_Del() {
  const int g = gate();
  return g != 1 ? g : Raru_DeleteRaru();
}

int __stdcall Raru_Move() {
  const int g = gate();
  return g != 1 ? g : Raru_MoveRaru();
}

int __stdcall Raru_Ratio() {
  const int g = gate();
  return g != 1 ? g : Raru_ScaleRaru();
}

int __stdcall Raru_Config() {
  if (gate() == 1)
    Raru_Dialog(IDD_RARU_CONFIG, KlhWinMainFrameGet());
  return tellcolour();
}

int __stdcall Raru_Help() {
  char path[RARU_PATH];
  const char *folder = Raru_PluginFolder();
  const std::size_t n = std::strlen(folder);
  if (n + sizeof HELPFILE > sizeof path)
    return 0;
  std::memcpy(path, folder, n);
  std::memcpy(path + n, HELPFILE, sizeof HELPFILE);
  return int(reinterpret_cast<intptr_t>(plg_sys.htmlhelp(GetDesktopWindow(), path, 0, 0)));
}

int __stdcall Raru_INKFORGE() {
  const int g = gate();
  if (g != 1)
    return g;
  char exe[RARU_PATH], folder[RARU_PATH], path[RARU_PATH], cmd[RARU_PATH + 2];
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  bool ok = n > 0 && n < sizeof exe;
  if (ok) {
    raru_dirof(exe, folder);
    const std::size_t f = std::strlen(folder);
    ok = f + sizeof EDITOR <= sizeof path;
    if (ok) {
      std::memcpy(path, folder, f);
      std::memcpy(path + f, EDITOR, sizeof EDITOR);
      cmd[0] = '"';
      std::strcpy(cmd + 1, path);
      std::strcat(cmd, "\"");
    }
  }
  if (ok && Raru_RunProgram(path, cmd, 1))
    return 1;
  return plg_msgbox(nullptr, "インクフォージを起動できません。", "押印", MB_ICONWARNING);
}

int __stdcall RaruVersion(RaruVersionInfo *info) {
  if (!info)
    return 1;
  char path[RARU_PATH];
  if (!plg_sys.modulepath(path, sizeof path))
    return 1;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0)
    return 1;
  void *block = std::malloc(size);
  if (!block)
    return 1;
  if (!GetFileVersionInfoA(path, 0, size, block)) {
    std::free(block);
    return 1;
  }
  std::memset(info, 0, sizeof *info);
  versionvalue(block, "ProductName", info->productName);
  versionvalue(block, "ProductVersion", info->version, "Version ");
  versionvalue(block, "LegalCopyright", info->copyright);
  versionvalue(block, "CompanyName", info->company);
  raru_copycut(info->web, sizeof info->web, WEB);
  raru_copycut(info->mail, sizeof info->mail, MAIL);
  std::free(block);
  return 0;
}

} // extern "C"
