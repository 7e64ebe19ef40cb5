#include "input/board.h"

#include "settings/answers.h"
#include "shell/appsvc.h"

namespace {

const COLORREF defaults[5] = {RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 0, 0)};
COLORREF colours[5] = {RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 0, 0)};

// Until the board window exists, a modal box with the same heading and text.
int show_board(const UiQuestion &q) {
  MessageBoxA(app_hmain(), q.text, q.heading, MB_OK);
  return 0;
}

} // namespace

int brd_color(unsigned mask, COLORREF outer, COLORREF inner, COLORREF field, COLORREF heading, COLORREF body) {
  const COLORREF given[5] = {outer, inner, field, heading, body};
  for (int i = 0; i < 5; i++)
    colours[i] = mask & (1u << i) ? given[i] : defaults[i];
  return 0;
}

int brd_show(const POINT *, const char *heading, const char *text) {
  if (!heading || !text)
    return -1;
  UiQuestion q{};
  q.kind = UI_BOARD;
  q.heading = heading;
  q.text = text;
  for (int i = 0; i < 5; i++)
    q.colours[i] = colours[i];
  int r = ui_ask(q, show_board);
  for (int i = 0; i < 5; i++)
    colours[i] = defaults[i];
  return r;
}
