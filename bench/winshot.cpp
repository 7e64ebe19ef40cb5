// Waits for the editor's main window, lets it settle, and writes the screen under
// it to a PNG file; with --close it then closes the editor through its menu.
//   winshot <picture.png> [--close]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "../tests/common/pngwrite.h"
#include "../tests/common/screencap.h"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: winshot <picture.png> [--close]\n");
    return 2;
  }
  HWND main = nullptr;
  for (int i = 0; i < 3000 && !main; i++) {
    main = FindWindowA("DazuVerur", nullptr);
    if (main && !IsWindowVisible(main))
      main = nullptr;
    if (!main)
      Sleep(10);
  }
  if (!main) {
    std::fprintf(stderr, "the editor's window did not appear\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
  Sleep(1000);
  RECT r;
  const std::vector<uint32_t> px = screen_capture(main, r);
  const bool ok = !px.empty() && write_png(argv[1], r.right - r.left, r.bottom - r.top, px);
  if (argc > 2 && std::strcmp(argv[2], "--close") == 0)
    PostMessageA(main, WM_COMMAND, 10105, 0);
  return ok ? 0 : 1;
}
