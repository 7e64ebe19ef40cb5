// Platform edges of the plug-in that tests replace: the clock, the profile writer, the
// registry writer and the plug-in's own file name. Message boxes go through the answers
// layer. The platform's entries call their imports each time, so a host that patches
// the plug-in's imports reaches them too.
#pragma once

#include <windows.h>

#include <ctime>

struct PlgSys {
  std::time_t (*now)(std::time_t *);
  BOOL(WINAPI *writeprofile)(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
  // Writes of the registry mirror (RegSetValueExA's contract).
  LONG(WINAPI *regset)(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size);
  // Full path of the plug-in's own file into buf; its length, 0 on failure.
  DWORD (*modulepath)(char *buf, DWORD size);
  // Rewrites of seal headers go through here (WriteFile's contract).
  BOOL(WINAPI *writefile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
  // HtmlHelpA of the help viewer (loaded when first used); null when there is none.
  HWND(WINAPI *htmlhelp)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);
};
// The functions in force; plg_rtsys() gives the platform's.
extern PlgSys plg_sys;
PlgSys plg_rtsys();

// Module handle of the plug-in (set at process attach; null in a program that links
// the plug-in's library, which then stands for the plug-in).
extern HMODULE plg_module;

// A message box through the answers layer; its result.
int plg_msgbox(HWND owner, const char *text, const char *caption, UINT flags);
