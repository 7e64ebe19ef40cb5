// The seal-name dialog (template 1461).
#include <windows.h>

#include <cstring>

#include "files/sealfmt.h"
#include "files/sealname.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "settings/appwin.h"

namespace {

const UiQuestion *Asked;

INT_PTR CALLBACK dlg_sealname(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (HBRUSH b = win_ctlcolor(d, m, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
    return reinterpret_cast<INT_PTR>(b);
  switch (m) {
  case WM_INITDIALOG: {
    Asked = reinterpret_cast<const UiQuestion *>(lp);
    SendDlgItemMessageA(d, 1462, EM_LIMITTEXT, 20, 0);
    uint8_t hdr[SLF_HEADSIZE];
    sys_sealhdr('R', hdr);
    char name[25] = {};
    std::memcpy(name, hdr + SLF_OFF_NAME, 24);
    SetDlgItemTextA(d, 1462, name);
    EnableWindow(GetDlgItem(d, IDOK), name[0] != '\0');
    win_center(d, 0);
    return TRUE;
  }
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case 1462:
      if (HIWORD(wp) == EN_CHANGE)
        EnableWindow(GetDlgItem(d, IDOK), GetWindowTextLengthA(GetDlgItem(d, 1462)) > 0);
      return TRUE;
    case IDOK: {
      char text[64] = "";
      GetDlgItemTextA(d, 1462, text, sizeof text);
      int pos = -1;
      if (!slf_namechk(text, &pos)) {
        SetFocus(GetDlgItem(d, 1462));
        if (pos >= 0)
          SendDlgItemMessageA(d, 1462, EM_SETSEL, WPARAM(pos), LPARAM(pos + 1));
        else
          SendDlgItemMessageA(d, 1462, EM_SETSEL, 0, -1);
        return TRUE;
      }
      if (Asked && Asked->reply && Asked->replysize) {
        std::strncpy(Asked->reply, text, Asked->replysize - 1);
        Asked->reply[Asked->replysize - 1] = '\0';
      }
      EndDialog(d, 1);
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

int run(const UiQuestion &q) {
  HWND owner = q.owner ? static_cast<HWND>(q.owner) : app_hmain();
  const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(SLF_NAMEDLG), owner, dlg_sealname,
                                    reinterpret_cast<LPARAM>(&q));
  return r == 1 ? 1 : -1;
}

} // namespace

void slf_namewin() { SlfNameDialog = run; }
