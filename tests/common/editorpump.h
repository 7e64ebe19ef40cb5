// What the tests that start the editor in their own process share: the program
// folder they run from and a message pump that keeps a posted quit from ending them.
#pragma once

#include <windows.h>

#include <string>

// The folder of the test program, with its trailing backslash.
inline std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

// Dispatches what is waiting; with more than one round it sleeps 20 ms between them.
inline void pump(int rounds = 1) {
  for (int i = 0; i < rounds; i++) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT)
        continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (rounds > 1)
      Sleep(20);
  }
}
