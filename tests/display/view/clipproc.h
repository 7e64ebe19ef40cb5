// Starts the clipboard reader (tests/display/view/clipreader.cpp) as a second process.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace clipproc {

inline std::string exe() {
  std::string p = INK_CLIPREADER;
  return p[0] == '/' ? "Z:" + p : p;
}

inline HANDLE start(const std::string &args) {
  std::string cmd = "\"" + exe() + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

inline DWORD finish(HANDLE proc) {
  DWORD code = 99;
  if (WaitForSingleObject(proc, 30000) == WAIT_OBJECT_0)
    GetExitCodeProcess(proc, &code);
  CloseHandle(proc);
  return code;
}

// Another process holding the clipboard open for the life of this object.
struct Holder {
  std::string tag;
  HANDLE proc = nullptr, held = nullptr, release = nullptr;
  Holder() {
    tag = "inkforge-clip-" + std::to_string(GetCurrentProcessId());
    held = CreateEventA(nullptr, TRUE, FALSE, (tag + ".held").c_str());
    release = CreateEventA(nullptr, TRUE, FALSE, (tag + ".release").c_str());
    proc = start("hold " + tag);
  }
  bool holding() const { return proc && WaitForSingleObject(held, 15000) == WAIT_OBJECT_0; }
  ~Holder() {
    SetEvent(release);
    if (proc)
      finish(proc);
    CloseHandle(held);
    CloseHandle(release);
  }
};

// What the reader found on the clipboard, one fact a line.
inline std::string read() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  const std::string out = std::string(tmp) + "inkforge-clipread.txt";
  DeleteFileA(out.c_str());
  HANDLE p = start("read \"" + out + "\"");
  if (!p)
    return "no reader";
  DWORD code = finish(p);
  std::ifstream f(out);
  std::stringstream s;
  s << f.rdbuf();
  return "rc " + std::to_string(code) + "\n" + s.str();
}

} // namespace clipproc
