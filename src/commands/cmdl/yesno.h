// How the commands count the answer to a yes/no question. Unlike the reading shared by
// picking and object snap, a closed or failed pop-up is a no here (never a yes, never
// a reason to ask again), and 800 ends the command.
#pragma once

enum CmdYesNo { CYN_YES, CYN_NO, CYN_CANCEL, CYN_END, CYN_OTHER };

inline CmdYesNo cmd_yesno(int code) {
  switch (code) {
  case 'y':
  case 'Y':
  case 13:
  case 500:
    return CYN_YES;
  case 'n':
  case 'N':
  case 501:
  case 700: // the pop-up was closed
    return CYN_NO;
  case 27:
    return CYN_CANCEL;
  case 800:
    return CYN_END;
  default:
    return code < 0 ? CYN_NO : CYN_OTHER; // negative: the pop-up could not be shown
  }
}
