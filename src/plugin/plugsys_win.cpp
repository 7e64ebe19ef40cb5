#include "plugin/plugsys.h"

#include "settings/answers.h"

HMODULE plg_module = nullptr;

namespace {

DWORD modulepath(char *buf, DWORD size) {
  DWORD n = GetModuleFileNameA(plg_module, buf, size);
  return n >= size ? 0 : n;
}

int realbox(const UiQuestion &q) {
  return MessageBoxA(static_cast<HWND>(q.owner), q.text, q.heading, q.flags);
}

HWND WINAPI htmlhelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  using Fn = HWND(WINAPI *)(HWND, LPCSTR, UINT, DWORD_PTR);
  static Fn fn = [] {
    HMODULE viewer = LoadLibraryA("hhctrl.ocx");
    return viewer ? reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(viewer, "HtmlHelpA"))) : nullptr;
  }();
  return fn ? fn(owner, file, command, data) : nullptr;
}

BOOL WINAPI writeprofile(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  return WritePrivateProfileStringA(section, key, value, file);
}
LONG WINAPI regset(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size) {
  return RegSetValueExA(key, name, reserved, type, data, size);
}

} // namespace

PlgSys plg_rtsys() { return PlgSys{std::time, writeprofile, regset, modulepath, WriteFile, htmlhelp}; }
PlgSys plg_sys = plg_rtsys();

int plg_msgbox(HWND owner, const char *text, const char *caption, UINT flags) {
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = caption;
  q.text = text;
  q.flags = flags;
  q.owner = owner;
  return ui_ask(q, realbox);
}
