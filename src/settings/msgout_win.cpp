#include "settings/msgout.h"

#include <windows.h>

#include <cstring>

#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/msgreg.h"
#include "settings/prefs.h"
#include "settings/winutil.h"
#include "settings/shellcalls.h"
#include "settings/uicalls.h"

namespace {

constexpr char NOT_REGISTERED[] = "メッセージが登録されていません (No.=%05d)";

struct SavedLine {
  int colour = 0;
  char text[128] = {};
} saved;

// Text of n formatted printf-style into dst (for MSG_LITERAL the first value is the
// format); without a format, fallback formatted with n, or an empty text.
void format_text(char *dst, std::size_t size, int n, va_list ap, const char *fallback = nullptr) {
  const char *format = nullptr;
  const char *registered = nullptr; // a literal format's own conversions
  if (n >= 1) {
    format = msg_text(n);
    registered = msg_regconv(n);
  } else if (n == MSG_LITERAL) {
    format = va_arg(ap, const char *);
  }
  if (format)
    msg_vformatreg(dst, size, format, registered, ap);
  else if (fallback)
    msg_format(dst, size, fallback, n);
  else
    dst[0] = '\0';
}

const char *unmarked(const char *text) { return text[0] == '!' && text[1] == '!' ? text + 2 : text; }

int show_box(const UiQuestion &q) {
  MessageBoxA(static_cast<HWND>(q.owner), q.text, q.heading, q.flags);
  return 0;
}

int board(int kind, const char *text) {
  static const char *const headings[3] = {"エラー", "ワーニング", "メッセージ"};
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  static const COLORREF colours[3][5] = {
      {red, black, white, red, red}, {blue, black, white, red, black}, {blue, black, white, black, black}};
  if (kind < 0 || kind > 2)
    return 0;
  ui_board(headings[kind], text, colours[kind]);
  return 0;
}

int vbox(void *owner, int kind, const char *format, va_list ap) {
  static const char *const headings[3] = {"エラー\n\n", "ワーニング\n\n", "メッセージ\n\n"};
  char body[520];
  msg_vformat(body, sizeof body, format, ap);
  char text[1040];
  msg_format(text, sizeof text, "%s%s", kind >= 0 && kind <= 2 ? headings[kind] : "", body);
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.owner = owner;
  q.heading = "インク工房";
  q.text = text;
  q.flags = MB_OK | MB_ICONEXCLAMATION;
  ui_ask(q, show_box);
  return 0;
}

} // namespace

int msg_vdisp(int place, int colour, int reserved1, int reserved2, int n, va_list ap) {
  int header[4] = {colour, reserved1, reserved2, n};
  // Clearing formats nothing: the caller passes no values then.
  if (colour == 128) {
    header[0] = 0;
    ui_mesgline('W', 0, header, nullptr);
    return 0;
  }
  char text[520];
  format_text(text, sizeof text, n, ap);
  if (header[0] < 0 || header[0] > 7)
    header[0] = -1;
  if (header[2] < 0)
    header[2] = 0;
  const char *shown = unmarked(text);
  if (place == 0 || place == 1 || place == 2 || place == 3 || place == 5)
    ui_mesgline('W', 0, header, const_cast<char *>(shown));
  else if (place == 4)
    board(1, shown);
  return 0;
}

int msg_disp(int place, int colour, int reserved1, int reserved2, int n, ...) {
  va_list ap;
  va_start(ap, n);
  msg_vdisp(place, colour, reserved1, reserved2, n, ap);
  va_end(ap);
  return 0;
}

int msg_verr(int n, va_list ap) {
  char text[128];
  format_text(text, sizeof text, n, ap, NOT_REGISTERED);
  board(0, unmarked(text));
  return 0;
}

int msg_err(int n, ...) {
  va_list ap;
  va_start(ap, n);
  msg_verr(n, ap);
  va_end(ap);
  return 0;
}

int msg_board(int kind, const char *format, ...) {
  if (kind < 0 || kind > 2)
    return 0;
  char text[1040];
  va_list ap;
  va_start(ap, format);
  msg_vformat(text, sizeof text, format, ap);
  va_end(ap);
  return board(kind, text);
}

int msg_line(int place, int flags) {
  if (place < 0 || place > 5)
    return 0;
  if (flags & 1)
    ui_mesgline('W', 0, &saved.colour, saved.text);
  else
    ui_mesgline('R', 0, &saved.colour, saved.text);
  return 0;
}

int msg_box(void *owner, int kind, const char *format, ...) {
  va_list ap;
  va_start(ap, format);
  vbox(owner, kind, format, ap);
  va_end(ap);
  return 0;
}

namespace {
int errbox_text(void *owner, int n, va_list ap) {
  char text[520];
  text[0] = '\0';
  if (n > 0 || n == MSG_LITERAL)
    msg_vfmtbuf(text, sizeof text, n, ap);
  return msg_box(owner, 0, "%s", unmarked(text));
}
} // namespace

int msg_errbox(void *owner, int n, ...) {
  va_list ap;
  va_start(ap, n);
  errbox_text(owner, n, ap);
  va_end(ap);
  return 0;
}

int msg_warnbox(void *owner, int n, ...) {
  va_list ap;
  va_start(ap, n);
  char text[520];
  va_list again;
  va_copy(again, ap);
  msg_vfmtbuf(text, sizeof text, n, ap);
  if (text[0] == '!' && text[1] == '!')
    errbox_text(owner, n, again);
  else
    msg_box(owner, 1, "%s", text);
  va_end(again);
  va_end(ap);
  return 0;
}

int msg_olddisp(int place, int colour, int reserved1, int reserved2, int n, ...) {
  static const int places[5] = {0, 1, 1, 4, 2};
  static const int colours[5] = {128, 0, 0, 3, 2};
  if (place >= 0 && place <= 4)
    place = places[place];
  if (colour >= 0 && colour <= 4)
    colour = colours[colour];
  if (n > 0)
    n += 20000;
  va_list ap;
  va_start(ap, n);
  int r = msg_vdisp(place, colour, reserved1, reserved2, n, ap);
  va_end(ap);
  return r;
}

int msg_prompt(int word, int n, const char *keys, ...) {
  if (OkynDelay >= 1 && OkynDelay <= 300)
    sys_delay(OkynDelay);
  if (n == 0)
    n = 56;
  char text[256];
  va_list ap;
  va_start(ap, keys);
  format_text(text, sizeof text, n, ap, "(Message No=%05d)");
  va_end(ap);
  return ui_popup(word, unmarked(text), keys);
}
