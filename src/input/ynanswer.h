// How a yes/no question's answer key counts: y, Enter or a left click is yes; n or a
// right click is no; Esc, or a question that could not be asked at all, is a cancel
// (asking again would only fail again); the end of the command (800, the program is
// quitting) or a closed question (700) ends the question and is handed on, never asked
// again; anything else asks again.
#pragma once

enum YnAnswer { YN_YES, YN_NO, YN_CANCEL, YN_END, YN_OTHER };

inline YnAnswer yn_answer(int code) {
  switch (code) {
  case 'y':
  case 'Y':
  case 13:
  case 500:
    return YN_YES;
  case 'n':
  case 'N':
  case 501:
    return YN_NO;
  case 27:
    return YN_CANCEL;
  case 700:
  case 800:
    return YN_END;
  default:
    return code < 0 ? YN_CANCEL : YN_OTHER;
  }
}
