// Autopilot for the plug-in's modal dialogs: steps played by a thread timer inside
// whatever modal loop runs (a dialog's or a message box's). A step finds a dialog or a
// message box of this thread by its title, types into fields, presses buttons, reads
// a message box's text and answers it. A step that returns false is tried again at the
// next tick (the window it needs is not up yet). A watchdog ends a hanging test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "../common/watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace pilot {

using Step = std::function<bool()>;

inline std::string classof(HWND w) {
  char c[64] = {};
  GetClassNameA(w, c, sizeof c);
  return c;
}
inline std::string textof(HWND w) {
  char t[1024] = {};
  GetWindowTextA(w, t, sizeof t);
  return t;
}

struct Found {
  const char *title;
  bool box;
  HWND hit;
};

// A message box: a dialog with a text but no field, list or preview.
inline bool isbox(HWND w) {
  bool text = false, other = false;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string k = classof(c);
    if (_stricmp(k.c_str(), "Static") == 0 && GetWindowTextLengthA(c) > 0)
      text = true;
    if (_stricmp(k.c_str(), "Edit") == 0 || k == "SysListView32" || k == "RaruDispClass")
      other = true;
  }
  return text && !other;
}

inline BOOL CALLBACK findproc(HWND w, LPARAM lp) {
  auto *f = reinterpret_cast<Found *>(lp);
  if (IsWindowVisible(w) && IsWindowEnabled(w) && textof(w) == f->title && isbox(w) == f->box) {
    f->hit = w;
    return FALSE;
  }
  return TRUE;
}

// The enabled dialog (or message box) of this thread with this title; null when none.
inline HWND find(const char *title, bool box = false) {
  Found f{title, box, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), findproc, reinterpret_cast<LPARAM>(&f));
  return f.hit;
}

// The text of a message box, read through its static control.
inline std::string boxtext(HWND box) {
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (_stricmp(classof(c).c_str(), "Static") == 0 && GetWindowTextLengthA(c) > 0)
      return textof(c);
  return "";
}

// --- steps ---------------------------------------------------------------------

// Runs f with the dialog once it is up.
inline Step with(const char *title, std::function<void(HWND)> f) {
  return [title, f] {
    HWND d = find(title);
    if (!d)
      return false;
    f(d);
    return true;
  };
}

// Types text into a field as keystrokes, one character each, so the field's limits
// apply.
inline void typeinto(HWND field, const std::string &text) {
  wchar_t wide[256] = {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide, 255);
  for (int i = 0; i < n; i++)
    SendMessageW(field, WM_CHAR, WPARAM(wide[i]), 0);
}
inline Step type(const char *title, int id, std::string text) {
  return with(title, [id, text](HWND d) { typeinto(GetDlgItem(d, id), text); });
}
// Replaces a field's text (select all, then type).
inline Step retype(const char *title, int id, std::string text) {
  return with(title, [id, text](HWND d) {
    HWND f = GetDlgItem(d, id);
    SetWindowTextA(f, "");
    typeinto(f, text);
  });
}
// Presses a button; pressing a disabled one fails the test.
inline Step press(const char *title, int id) {
  return with(title, [title, id](HWND d) {
    HWND b = GetDlgItem(d, id);
    EXPECT_TRUE(b && IsWindowEnabled(b)) << title << ": button " << id << " cannot be pressed";
    if (b && IsWindowEnabled(b))
      PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
  });
}
// Escape in a dialog (its Cancel, with or without such a button).
inline Step escape(const char *title) {
  return with(title, [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
}
// Answers the message box with this caption by button (IDOK, IDCANCEL ...); its text
// goes to *text when given.
inline Step answer(const char *caption, int button, std::string *text = nullptr) {
  return [caption, button, text] {
    HWND b = find(caption, true);
    if (!b)
      return false;
    if (text)
      *text = boxtext(b);
    PostMessageA(b, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
  };
}
// Any check or action; always done.
inline Step run(std::function<void()> f) {
  return [f] {
    f();
    return true;
  };
}

using Watchdog = ::testing_watchdog::Watchdog;

// The steps of one test, played one per tick; real message boxes are shown while it
// lives (the test runner's unattended answers are off).
class Pilot {
public:
  explicit Pilot(std::vector<Step> steps, UINT period = 40) : steps_(std::move(steps)) {
    const char *v = std::getenv("INK_NO_MODAL");
    hadNoModal_ = v != nullptr && *v;
    _putenv("INK_NO_MODAL=");
    self() = this;
    timer_ = SetTimer(nullptr, 0, period, tick);
  }
  ~Pilot() {
    KillTimer(nullptr, timer_);
    self() = nullptr;
    if (hadNoModal_)
      _putenv("INK_NO_MODAL=1");
  }
  Pilot(const Pilot &) = delete;
  Pilot &operator=(const Pilot &) = delete;
  bool done() const { return next_ >= steps_.size(); }
  std::size_t at() const { return next_; }

private:
  static Pilot *&self() {
    static Pilot *p = nullptr;
    return p;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    Pilot *p = self();
    if (!p || p->busy_ || p->done())
      return;
    p->busy_ = true;
    if (p->steps_[p->next_]())
      p->next_++;
    p->busy_ = false;
  }
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  UINT_PTR timer_ = 0;
  bool busy_ = false, hadNoModal_ = false;
  Watchdog watchdog_{30000};
};

} // namespace pilot
