// Types lines into the real one-line editor while a command waits for them.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/units/ledit.h"

namespace cmdtest {

// Types the lines, one into each one-line editor that opens, Esc for a null line,
// and keeps what each editor proposed before it was typed over.
class Typist {
public:
  explicit Typist(std::vector<const char *> lines) : lines_(std::move(lines)) {
    self() = this;
    timer_ = SetTimer(nullptr, 0, 40, tick);
  }
  ~Typist() {
    KillTimer(nullptr, timer_);
    self() = nullptr;
  }
  Typist(const Typist &) = delete;
  Typist &operator=(const Typist &) = delete;
  bool done() const { return next_ >= lines_.size(); }
  std::vector<std::string> shown;

private:
  static Typist *&self() {
    static Typist *t = nullptr;
    return t;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    Typist *t = self();
    if (!t)
      return;
    // An editor is typed into once; the next one may open before a tick sees none.
    HWND f = ledit_window();
    if (!f || GetPropA(f, "typed") || t->done())
      return;
    SetPropA(f, "typed", reinterpret_cast<HANDLE>(1));
    HWND e = GetWindow(f, GW_CHILD);
    char was[64] = "";
    GetWindowTextA(e, was, sizeof was);
    t->shown.push_back(was);
    const char *s = t->lines_[t->next_++];
    SetWindowTextA(e, "");
    for (const char *c = s ? s : ""; *c; ++c)
      PostMessageA(e, WM_CHAR, static_cast<unsigned char>(*c), 1);
    PostMessageA(e, WM_KEYDOWN, s ? VK_RETURN : VK_ESCAPE, 1);
  }
  std::vector<const char *> lines_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

} // namespace cmdtest
