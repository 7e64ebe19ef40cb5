// The laid-out program and the test peers as other processes: starting them, waiting
// for them, finding their windows, and closing a server a failed test left behind.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace inkproc {

inline std::string tempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

// A full Windows path: COM starts the server from another folder.
inline std::string full(const std::string &path) {
  char out[MAX_PATH] = "";
  GetFullPathNameA(path.c_str(), sizeof out, out, nullptr);
  return out;
}

struct Child {
  HANDLE process = nullptr;
  std::string outPath;
  bool start(const std::string &cmdline, const char *outName) {
    outPath = tempFile(outName);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    // Wine's process start fails now and then on a loaded machine: try a few times.
    bool ok = false;
    for (int tries = 0; tries < 4 && !ok; tries++) {
      if (tries)
        Sleep(500);
      std::string cmd = cmdline;
      ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi) != 0;
      if (!ok)
        std::printf("starting %s failed: %lu\n", cmdline.c_str(), static_cast<unsigned long>(GetLastError()));
    }
    CloseHandle(out);
    if (!ok)
      return false;
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    return true;
  }
  std::string output() const {
    std::string r;
    if (FILE *f = std::fopen(outPath.c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        r.append(buf, n);
      std::fclose(f);
    }
    return r;
  }
  bool has(const std::string &line) const {
    const std::string out = output();
    return out.find(line + "\n") != std::string::npos || out.find(line + "\r\n") != std::string::npos;
  }
  // The exit code; 998 when it had to be ended.
  DWORD finish(DWORD ms) {
    if (!process)
      return 999;
    if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0) {
      TerminateProcess(process, 998);
      WaitForSingleObject(process, 5000);
    }
    DWORD code = 999;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    process = nullptr;
    return code;
  }
  ~Child() {
    finish(30000);
    if (!outPath.empty())
      DeleteFileA(outPath.c_str());
  }
};

inline std::vector<DWORD> processes(const char *exe) {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, exe) == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

inline bool waitForProcesses(const char *exe, size_t n, DWORD ms) {
  const DWORD t0 = GetTickCount();
  while (processes(exe).size() != n) {
    if (GetTickCount() - t0 > ms)
      return false;
    Sleep(50);
  }
  return true;
}

// A visible window (top level or child) of the processes of exe whose title holds text.
inline HWND findWindow(const char *exe, const std::string &text, const char *cls = nullptr) {
  struct Search {
    std::vector<DWORD> pids;
    std::string text;
    const char *cls;
    HWND found = nullptr;
  } s{processes(exe), text, cls};
  EnumWindows(
      [](HWND top, LPARAM lp) -> BOOL {
        auto *s = reinterpret_cast<Search *>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        bool ours = false;
        for (DWORD p : s->pids)
          ours = ours || p == pid;
        if (!ours)
          return TRUE;
        auto check = [](HWND w, LPARAM lp) -> BOOL {
          auto *s = reinterpret_cast<Search *>(lp);
          char t[262] = "", c[64] = "";
          GetWindowTextA(w, t, sizeof t);
          GetClassNameA(w, c, sizeof c);
          if (std::strstr(t, s->text.c_str()) && (!s->cls || std::strcmp(c, s->cls) == 0) && IsWindowVisible(w)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        };
        if (!check(top, lp))
          return FALSE;
        EnumChildWindows(top, check, lp);
        return s->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Closes the main windows of class cls of exe's processes (a killed server would stay
// registered with COM) and waits for them to go.
inline void closeServers(const char *exe, const char *cls) {
  for (DWORD pid : processes(exe)) {
    struct Target {
      DWORD pid;
      const char *cls;
    } t{pid, cls};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto *t = reinterpret_cast<Target *>(lp);
          DWORD p = 0;
          GetWindowThreadProcessId(w, &p);
          char c[64] = "";
          GetClassNameA(w, c, sizeof c);
          if (p == t->pid && std::strcmp(c, t->cls) == 0)
            PostMessageA(w, WM_CLOSE, 0, 0);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&t));
  }
  waitForProcesses(exe, 0, 10000);
}

} // namespace inkproc
