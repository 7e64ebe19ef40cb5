#include "shell/msgwin.h"

#include <cstring>

#include "settings/msgfile.h"
#include "settings/strutil.h"

namespace {

struct Line {
  int colour = 0;
  char text[128] = {};
};

HWND msgwin = nullptr;
Line lines[3];

char fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal without regard to the case of single-byte letters.
bool same_text(const char *a, const char *b) {
  while (*a && *b) {
    bool pair = sjis_islead(static_cast<unsigned char>(*a));
    if (pair) {
      if (a[0] != b[0] || a[1] != b[1])
        return false;
      if (!a[1])
        return true;
      a += 2;
      b += 2;
      continue;
    }
    if (fold(*a) != fold(*b))
      return false;
    a++;
    b++;
  }
  return *a == *b;
}

} // namespace

void msgwin_attach(HWND window) { msgwin = window; }

COLORREF msgwin_colour(int kind) {
  static const COLORREF table[8] = {RGB(0, 0, 0),   RGB(0, 0, 255),   RGB(255, 0, 0),   RGB(255, 0, 255),
                                    RGB(0, 255, 0), RGB(0, 255, 255), RGB(255, 255, 0), RGB(255, 255, 255)};
  return table[kind >= 0 && kind < 8 ? kind : 7];
}

int mesg_line(int op, int line, int *colour, char *text) {
  if (!msgwin || !IsWindow(msgwin) || line < 0 || line > 2)
    return -1;
  Line &l = lines[line];
  if (op == 'R' || op == 'r') {
    if (text)
      std::memcpy(text, l.text, sizeof l.text);
    if (colour)
      *colour = l.colour;
  } else if (op == 'W' || op == 'w') {
    if (!text) {
      l.text[0] = '\0';
    } else {
      if (same_text(text, l.text))
        return 0;
      int c = colour ? *colour : 7;
      l.colour = c < 0 || c > 7 ? 7 : c;
      msg_copy(l.text, sizeof l.text, text);
    }
    InvalidateRect(msgwin, nullptr, TRUE);
  }
  return 0;
}
