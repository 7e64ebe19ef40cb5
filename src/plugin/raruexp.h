// The commands the host calls (exported undecorated through stampix.def), the
// once-per-process password gate and the start of the seal editor.
#pragma once

#include <cstdint>

// The version record RaruVersion fills: seven texts of 260 bytes, then 4 zero bytes.
struct RaruVersionInfo {
  char productName[260];
  char version[260]; // "Version " + ProductVersion
  char copyright[260];
  char unused[260];
  char company[260];
  char web[260];
  char mail[260];
  uint32_t zero;
};
static_assert(sizeof(RaruVersionInfo) == 1824);

extern "C" {
int __stdcall Raru_Put();
int __stdcall Raru_Del();
int __stdcall Raru_Move();
int __stdcall Raru_Ratio();
int __stdcall Raru_Config();
int __stdcall Raru_Help();
int __stdcall Raru_INKFORGE();
int __stdcall RaruVersion(RaruVersionInfo *info);
}

// Reads the settings anew and asks for the password (or the first user when none is
// stored anywhere); tells the host the seal colour. 1 after OK, -1 after Cancel.
int Raru_PasswordGate();
// Starts a program (no inherited handles, no window); waits for it unless wait is 1.
// 1 when it was started, 0 when it could not be.
int Raru_RunProgram(const char *app, const char *cmdline, int wait);
