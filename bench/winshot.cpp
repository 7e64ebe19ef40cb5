// Waits for the editor's main window and, as asked:
//   --new      starts a new drawing (ファイル > 新規作成) and waits for its window;
//   <picture>  lets the editor settle and writes the screen under it to a PNG file;
//   --close    closes the editor through its menu.
//   winshot [<picture.png>] [--new] [--close]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "../tests/common/pngwrite.h"
#include "../tests/common/screencap.h"

namespace {

bool round_trip(HWND w) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
}

// The first drawing window: a child of the MDI client.
HWND drawing(HWND main) {
  HWND mdi = FindWindowExA(main, nullptr, "MDIClient", nullptr);
  return mdi ? GetWindow(mdi, GW_CHILD) : nullptr;
}

} // namespace

int main(int argc, char **argv) {
  const char *picture = nullptr;
  bool make_new = false, close = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--new") == 0)
      make_new = true;
    else if (std::strcmp(argv[i], "--close") == 0)
      close = true;
    else
      picture = argv[i];
  }
  if (!picture && !make_new && !close) {
    std::fprintf(stderr, "usage: winshot [<picture.png>] [--new] [--close]\n");
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
  round_trip(main);
  bool ok = true;
  if (make_new && !drawing(main)) {
    PostMessageA(main, WM_COMMAND, 10100, 0);
    for (int i = 0; i < 1000 && !drawing(main); i++)
      Sleep(10);
    ok = drawing(main) != nullptr;
    round_trip(main);
  }
  if (picture) {
    Sleep(1000);
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    round_trip(main);
    RECT r;
    const std::vector<uint32_t> px = screen_capture(main, r);
    ok = !px.empty() && write_png(picture, r.right - r.left, r.bottom - r.top, px) && ok;
  }
  if (close)
    PostMessageA(main, WM_COMMAND, 10105, 0);
  return ok ? 0 : 1;
}
