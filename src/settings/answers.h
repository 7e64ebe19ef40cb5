// Every modal question of the engine (message boxes, the message board, the
// choice pop-up) is asked through here. With a responder installed (tests, scripted
// runs) the responder answers and no window is shown; otherwise the real modal runs,
// except under the test runner (INK_NO_MODAL set), where an unscripted question is
// logged and answered cautiously (OK or No or Cancel, Esc, board closed).
#pragma once

#include <cstdint>
#include <functional>

enum UiKind : int {
  UI_MSGBOX = 1, // answer: the MessageBox result (IDOK ...)
  UI_BOARD = 2,  // answer: the board's result (0 closed)
  UI_POPUP = 3,  // answer: the key typed or the input code that closed the pop-up
  UI_DIALOG = 4, // answer: the dialog's end code (1 OK, -1 cancelled); its text goes to reply
  UI_BAR = 5,    // answer: as UI_POPUP, or 1501 + i for a click on item i
  UI_MENU = 6,   // answer: the id of the chosen item (0 none, -1 not shown); owner: the window
};

struct UiQuestion {
  int kind;
  const char *heading; // caption or board heading
  const char *text;
  const char *keys;    // allowed keys of a pop-up, else null
  uint32_t flags;      // MessageBox flags
  void *owner;         // owner window of a message box
  uint32_t colours[5]; // board colours: outer, inner, field, heading text, body text
  int dialog;          // dialog number of a UI_DIALOG question
  char *reply;         // a dialog's text in and out (replysize bytes), else null
  unsigned replysize;
  const char *const *items; // a choice bar's item texts (text is its title)
  int count;
};

using UiResponder = std::function<int(const UiQuestion &)>;

// Installs a responder (an empty one removes it); gives nothing back.
void ui_setresponder(UiResponder responder);
// Asks the question: the responder's answer when one is installed, else real(q).
int ui_ask(const UiQuestion &q, int (*real)(const UiQuestion &));
