// The data dump's dialogs driven as a user would, and the command around them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../database/dbstart.h"
#include "../../display/drawfix.h"
#include "commands/view/dumpcmd.h"
#include "database/elements.h"
#include "input/gcr.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/syspath.h"

namespace {

std::string bin_path(const char *name) { return "Z:" + std::string(INK_BIN_DIR) + "/" + name; }

// Timer steps played inside the dialog's own modal loop.
struct Steps {
  static std::vector<std::function<void()>> &list() {
    static std::vector<std::function<void()>> v;
    return v;
  }
  static size_t &next() {
    static size_t n = 0;
    return n;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (next() < list().size())
      list()[next()++]();
  }
};

HWND shown = nullptr;
DLGPROC inner = nullptr;

INT_PTR CALLBACK watch(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG)
    shown = dlg;
  return inner(dlg, msg, wp, lp);
}

// Runs dialog id with proc, playing steps one per tick (the last must close it).
void run(int id, DLGPROC proc, LPARAM lp, std::vector<std::function<void()>> steps) {
  Steps::list() = std::move(steps);
  Steps::next() = 0;
  inner = proc;
  shown = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, Steps::tick);
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, watch, lp);
  KillTimer(nullptr, timer);
  EXPECT_EQ(Steps::next(), Steps::list().size());
}

std::string text(int id) {
  char buf[128] = "";
  GetDlgItemTextA(shown, id, buf, sizeof buf);
  return buf;
}

void click(int id) { SendMessageA(shown, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(shown, id))); }

void type_enter(int id, const char *s) {
  HWND edit = GetDlgItem(shown, id);
  SetWindowTextA(edit, s);
  SetFocus(edit);
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
}

void picture(const char *name) {
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r;
  auto px = screen_capture(shown, r);
  EXPECT_TRUE(write_png((std::string(INK_PICTURE_DIR) + "/" + name).c_str(), r.right - r.left, r.bottom - r.top, px));
}

class DumpDialogs : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(2000, 500);
    ASSERT_EQ(dmp_msgload(0, bin_path("RERUVEVA.MSG").c_str()), 0);
    for (int i = 1; i <= 25; i++) {
      ElementRecord r;
      std::memset(&r, 0, sizeof r);
      r.layer = 1;
      if (i % 5 == 0) {
        r.kind = PNT;
        r.pnt = {double(i), 10, 0x2, {}};
      } else {
        r.kind = LIN;
        r.lin = {double(i), 5, double(i), 45, 0x3, {}};
      }
      ASSERT_EQ(elm_add(0, 0, ELM_NODRAW, &r, nullptr), i);
    }
  }
  void TearDown() override {
    dmp_msgload(2, nullptr);
    ui_setresponder(nullptr);
    gcr_setsource(nullptr);
    dtb_term();
    DrawView::TearDown();
  }
};

} // namespace

TEST_F(DumpDialogs, ElementDialogSteps) {
  uint32_t start[2] = {0, 1};
  run(DMP_ELEMDLG, dmp_elemdlg, LPARAM(start),
      {
          [] {
            EXPECT_EQ(text(1901), "1");
            EXPECT_EQ(text(1912), dmp_msgtext(31963));
            EXPECT_EQ(text(1913), "始点  X=1.000  Y=5.000");
            click(1903); // 前要素 on element 1
          },
          [] {
            EXPECT_EQ(text(1901), "1");
            type_enter(1901, "2*10");
          },
          [] {
            EXPECT_EQ(text(1901), "20");
            EXPECT_EQ(DumpState.elem, 20);
            EXPECT_EQ(text(1912), dmp_msgtext(31962));
            EXPECT_EQ(text(1913), "位置  X=20.000  Y=10.000");
            type_enter(1901, "26"); // beyond the last element
          },
          [] {
            EXPECT_EQ(text(1901), "20");
            type_enter(1901, "25");
          },
          [] {
            click(1904); // 次要素 on the last element
          },
          [] {
            EXPECT_EQ(text(1901), "25");
            click(1903);
          },
          [] {
            EXPECT_EQ(text(1901), "24");
            EXPECT_EQ(text(1913), "始点  X=24.000  Y=5.000");
            picture("dump_element.png");
            click(2);
          },
      });
}

TEST_F(DumpDialogs, ListDialogFiltersAndJumps) {
  run(DMP_LISTDLG, dmp_listdlg, 0,
      {
          [] {
            EXPECT_EQ(SendDlgItemMessageA(shown, 1021, LB_GETCOUNT, 0, 0), 25);
            EXPECT_EQ(text(1004), "1");
            EXPECT_EQ(IsDlgButtonChecked(shown, 1016), BST_CHECKED);
            picture("dump_list.png");
            CheckDlgButton(shown, 1016, BST_UNCHECKED); // LIN off
            click(1016);
          },
          [] {
            EXPECT_EQ(DumpState.listmask, DMP_ALLKINDS & ~DMP_LIN);
            EXPECT_EQ(SendDlgItemMessageA(shown, 1021, LB_GETCOUNT, 0, 0), 5);
            SetDlgItemTextA(shown, 1004, "3*4");
            click(1005);
          },
          [] {
            EXPECT_EQ(text(1004), "12");
            EXPECT_EQ(SendDlgItemMessageA(shown, 1021, LB_GETCOUNT, 0, 0), 3); // 15, 20, 25
            char line[DMP_LINESIZE] = "";
            SendDlgItemMessageA(shown, 1021, LB_GETTEXT, 0, LPARAM(line));
            EXPECT_EQ(std::string(line).substr(0, 7), "   15  ");
            SetDlgItemTextA(shown, 1004, "nan");
            click(1005);
          },
          [] {
            EXPECT_EQ(text(1004), "12");
            click(2);
          },
      });
}

TEST_F(DumpDialogs, FlashDrawsInTheHighlightColourThenItsOwn) {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  ElementRecord r;
  rec_start();
  dmp_show(nullptr, 0, 3, &r);
  rec_stop();
  ASSERT_EQ(rec.lines.size(), 2u);
  EXPECT_EQ(rec.lines[0].size(), rec.lines[1].size());
  std::vector<COLORREF> pens;
  for (HGDIOBJ h : rec.selected) {
    LOGPEN lp;
    if (GetObjectType(h) == OBJ_PEN && GetObjectA(h, sizeof lp, &lp))
      pens.push_back(lp.lopnColor);
  }
  ASSERT_GE(pens.size(), 2u);
  EXPECT_EQ(pens.front(), gdi_colour(cm[13]));
  EXPECT_NE(pens.back(), gdi_colour(cm[13]));
  // A continuation of nothing: the board warning, no drawing.
  rec_start();
  dmp_show(nullptr, 0, 900, &r);
  rec_stop();
  EXPECT_TRUE(rec.lines.empty());
}

TEST_F(DumpDialogs, CommandWithoutLabelFileEndsSilently) {
  const std::string saved = sys_pathraw(6) ? sys_pathraw(6) : "";
  sys_pathset(6, "Z:\\nonexistent-inkforge-folder\\");
  int questions = 0;
  ui_setresponder([&](const UiQuestion &) { return ++questions, 27; });
  EXPECT_EQ(dmp_cmd(), 700);
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(dmp_msgtext(31912), nullptr);
  sys_pathset(6, saved.c_str());
}

TEST_F(DumpDialogs, CommandEndedInThePickLoopFreesTheTable) {
  const std::string saved = sys_pathraw(6) ? sys_pathraw(6) : "";
  sys_pathset(6, ("Z:" + std::string(INK_BIN_DIR) + "\\").c_str());
  std::vector<int> bars;
  ui_setresponder([&](const UiQuestion &q) {
    bars.push_back(q.kind);
    return q.kind == UI_BAR ? int('2') : 27;
  });
  gcr_setsource([](InputEvent *) { return 0; }); // no input left: the wait gives 800
  EXPECT_EQ(dmp_cmd(), 800);
  EXPECT_EQ(dmp_msgtext(31912), nullptr);
  EXPECT_EQ(bars, std::vector<int>{UI_BAR});
  sys_pathset(6, saved.c_str());
}
