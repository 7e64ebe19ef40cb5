// The text commands run through the pump with scripted input, their dialogs for real
// (driven by a timer procedure inside each modal loop).
#include "../cmdharness.h"

#include <cmath>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../files/dlgpilot.h"
#include "commands/cmdl/cmddlg.h"
#include "commands/draw/drawcmd.h"
#include "commands/text/textcmd.h"
#include "commands/text/textrule.h"
#include "database/undo.h"
#include "display/fonts/fontfile.h"
#include "files/dialogs.h"
#include "settings/prefs.h"

using namespace cmdtest;
using dlgpilot::Pilot;

namespace {

void march5(int *y, int *m, int *d) { *y = 2026, *m = 3, *d = 5; }

// Pen 5, bit 4, vertical base 1, horizontal base 2, font 0.
constexpr uint16_t CHR_ATTR = 5 | 0x10 | 1 << 5 | 2 << 7;
constexpr uint16_t PLACED_ATTR = 3 | 0x10 | 1 << 5 | 2 << 7;

class Text : public CommandTest {
protected:
  void SetUp() override {
    CommandTest::SetUp();
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
    date_setclock(march5);
    CharAttrs ca{};
    sys_chratr('r', &ca);
    ca.height = 4, ca.width = 3, ca.spacing = 1, ca.slant = 0, ca.attr = CHR_ATTR;
    sys_chratr('w', &ca);
    uint16_t states[64], cur = 0;
    sys_layer('r', 0, &cur, states);
    cur = 7;
    sys_layer('w', 0, &cur, states);
  }
  void TearDown() override {
    date_setclock(nullptr);
    CommandTest::TearDown();
  }

  // Runs command n with the script while pilot plays the dialogs it opens.
  int drive(Pilot &p, int n, std::vector<Ev> script) {
    int r = 0;
    p.run([&] {
      r = run(n, std::move(script));
      return INT_PTR(0);
    });
    return r;
  }

  static std::string text_of(int32_t n) {
    ElementRecord r;
    char t[256] = "";
    elm_read(0, n, &r, t, sizeof t);
    return t;
  }
  static int32_t add_text(double x, double y, const char *text, uint16_t attr = 3) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = CHR;
    r.layer = 7;
    r.chr.x = float(x), r.chr.y = float(y);
    r.chr.height = 4, r.chr.width = 3, r.chr.spacing = 1;
    r.chr.attr = attr;
    r.chr.count = int16_t(std::strlen(text));
    return elm_add(0, 0, -1, &r, text);
  }
  // Leaves room for free more records in drawing 0.
  static void fill(int free) {
    DbControl c[2];
    dtb_ctrl('r', c);
    ElementRecord filler = pnt_rec(40, 20, 1, 1);
    while (c[0].count1 + c[0].count2 + free < c[0].max12) {
      ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &filler, nullptr), 0);
      dtb_ctrl('r', c);
    }
  }
  static size_t count_kind(int db, uint16_t kind) {
    size_t n = 0;
    for (const ElementRecord &r : records(db))
      n += (r.kind & 0x7FFF) == kind;
    return n;
  }
};

using dlgpilot::focused;
using dlgpilot::press;
using dlgpilot::set;
using dlgpilot::text;

void type_ok(HWND d, const char *t, bool expand = false) {
  CheckDlgButton(d, 1457, expand ? BST_CHECKED : BST_UNCHECKED);
  set(d, 1456, t);
  press(d, IDOK);
}

std::string title(HWND d) {
  char t[64] = "";
  GetWindowTextA(d, t, sizeof t);
  return t;
}

TEST_F(Text, ATypedTextIsPlacedAsOneText) {
  Pilot p;
  std::string caption;
  p.steps = {[&](HWND d) { caption = title(d), type_ok(d, "AB"); }, [](HWND d) { press(d, IDCANCEL); }};
  EXPECT_EQ(drive(p, 195, {move(5, 5), click(10, 20)}), 500);
  EXPECT_EQ(caption, "記入");
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  const ChrBody &b = r[0].chr;
  EXPECT_EQ(r[0].kind, CHR);
  EXPECT_EQ(r[0].layer, 7);
  EXPECT_FLOAT_EQ(b.x, 10);
  EXPECT_FLOAT_EQ(b.y, 20);
  EXPECT_FLOAT_EQ(b.height, 4);
  EXPECT_FLOAT_EQ(b.width, 3);
  EXPECT_FLOAT_EQ(b.spacing, 1);
  EXPECT_FLOAT_EQ(b.angle, 0);
  EXPECT_EQ(b.attr, PLACED_ATTR); // pen 3; bases and font kept
  EXPECT_EQ(b.count, 2);
  EXPECT_EQ(std::string(b.text, 2), "AB");
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[1], 2u);
  EXPECT_EQ(rec[2], 0u);
  EXPECT_EQ(Guide.mode, 0);
  EXPECT_EQ(TempMarkList.count, 0u);
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Text, TheFontAndHorizontalBaseComeFromInputKindSix) {
  // Changed while the command waits, as the quick settings do.
  Pilot p;
  p.steps = {[](HWND d) { type_ok(d, "AB"); }, [](HWND d) { press(d, IDCANCEL); }};
  auto retune = during([] {
    uint32_t rec[INP_KINDWORDS] = {};
    inp_kind('r', 6, rec);
    rec[1] = 1, rec[2] = 3;
    inp_kind('w', 6, rec);
  });
  EXPECT_EQ(drive(p, 195, {retune, click(0, 0)}), 500);
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].chr.attr, 3 | 0x10 | 1 << 5 | 1 << 7 | 3 << 9);
}

TEST_F(Text, ExpandedTextsAreStrokesInOneUndoStep) {
  CharAttrs ca{};
  sys_chratr('r', &ca);
  ca.attr = 3; // font 0, the stroke font
  sys_chratr('w', &ca);
  Pilot p;
  p.steps = {[](HWND d) { type_ok(d, "AB", true); }, [](HWND d) { press(d, IDCANCEL); }};
  EXPECT_EQ(drive(p, 195, {click(-10, 0)}), 500);
  EXPECT_EQ(txt_expandflag(), 1);
  auto r = records(0);
  ASSERT_GT(r.size(), 2u);
  for (const ElementRecord &e : r) {
    const uint16_t k = e.kind & 0x7FFF;
    EXPECT_TRUE(k == LIN || k == ARC) << k;
    // Every stroke lies in the text's cells: 2 characters of 3 wide with 1 between.
    const double x = k == LIN ? e.lin.x1 : e.arc.cx, y = k == LIN ? e.lin.y1 : e.arc.cy;
    EXPECT_TRUE(x > -10.5 && x < -2.5 && y > -0.5 && y < 4.5) << x << "," << y;
  }
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
  // The box is checked again for the next text.
  Pilot q;
  bool checked = false;
  q.steps = {[&](HWND d) { checked = IsDlgButtonChecked(d, 1457) == BST_CHECKED, press(d, IDCANCEL); }};
  EXPECT_EQ(drive(q, 195, {}), 0);
  EXPECT_TRUE(checked);
}

TEST_F(Text, ARightClickOffersTheLastTextAgain) {
  Pilot p;
  std::string again;
  p.steps = {[](HWND d) { type_ok(d, "AB"); }, [&](HWND d) { again = text(d, 1456), press(d, IDCANCEL); }};
  EXPECT_EQ(drive(p, 195, {rclick()}), 501);
  EXPECT_EQ(again, "AB");
  EXPECT_TRUE(records(0).empty());
  EXPECT_EQ(Guide.mode, 0);
}

TEST_F(Text, EscAndTheEndOfTheCommandEndIt) {
  for (int code : {27, 800}) {
    Pilot p;
    p.steps = {[](HWND d) { type_ok(d, "AB"); }};
    EXPECT_EQ(drive(p, 195, {key(code)}), code);
    EXPECT_TRUE(records(0).empty());
    EXPECT_EQ(Guide.mode, 0);
  }
}

TEST_F(Text, AFullStoreEndsTheCommand) {
  stop();
  start(40);
  ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  fill(1);
  const size_t before = records(0).size();
  Pilot p; // the first text takes the last room, the second finds none
  p.steps = {[](HWND d) { type_ok(d, "AB"); }, [](HWND d) { press(d, IDOK); }};
  EXPECT_EQ(drive(p, 195, {click(0, 0), click(0, 10)}), CMD_DBFAIL);
  EXPECT_EQ(records(0).size(), before + 1);
  EXPECT_EQ(Guide.mode, 0);
}

// The dialog on its own: what OK accepts, with texts set past the edit's limit.
TEST_F(Text, TheEntryDialogRefusesBadTextsAndKeepsThemSelected) {
  std::string s64(64, 'A'), s65(65, 'A'), dbcs32, dbcs33;
  for (int i = 0; i < 32; i++)
    dbcs32 += "あ";
  dbcs33 = dbcs32 + "あ";
  struct Case {
    std::string text;
    bool passes;
  } cases[] = {{s64, true},    {s65, false}, {"_", false},  {"@", false}, {"|", false},
               {"ー", true},   {"ソ", true}, {"表", true},  {dbcs32, true}, {dbcs33, false}};
  for (const Case &c : cases) {
    Pilot p;
    bool up = false, focus = false;
    DWORD sel = 0;
    int waits = 0;
    p.steps = {
        [&](HWND d) {
          SendDlgItemMessageA(d, 1456, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
          press(d, IDOK);
        },
        [&](HWND d) {
          // The refusal gives the field the focus back; on a loaded machine the
          // activation that carries it may come a few ticks later.
          if (!focused(d, 1456) && ++waits < 40) {
            p.next--;
            return;
          }
          up = true, focus = focused(d, 1456);
          sel = DWORD(SendDlgItemMessageA(d, 1456, EM_GETSEL, 0, 0));
          press(d, IDCANCEL);
        }};
    const INT_PTR r = p.run([] { return dlg_run(DLG_TXTENTRY, nullptr, 0); });
    SCOPED_TRACE(c.text.size());
    EXPECT_EQ(r, c.passes ? 0 : -1);
    EXPECT_EQ(up, !c.passes);
    if (!c.passes) {
      EXPECT_TRUE(focus);
      EXPECT_EQ(LOWORD(sel), 0);
      EXPECT_GE(HIWORD(sel), 1);
    } else {
      char got[80];
      txt_gettext(got, sizeof got);
      EXPECT_EQ(got, c.text);
    }
  }
  // An empty text disables OK; typing enables it again.
  Pilot p;
  bool empty_ok = true, typed_ok = false;
  p.steps = {[](HWND d) { set(d, 1456, ""); },
             [&](HWND d) { empty_ok = IsWindowEnabled(GetDlgItem(d, IDOK)), set(d, 1456, "x"); },
             [&](HWND d) { typed_ok = IsWindowEnabled(GetDlgItem(d, IDOK)), press(d, IDCANCEL); }};
  p.run([] { return dlg_run(DLG_TXTENTRY, nullptr, 0); });
  EXPECT_FALSE(empty_ok);
  EXPECT_TRUE(typed_ok);
}

TEST_F(Text, DatesAreChosenFromSixFormats) {
  Pilot p;
  std::string first, sample4, sample3, label3;
  int start = -1;
  p.steps = {
      [&](HWND d) {
        start = int(SendDlgItemMessageA(d, 1460, LB_GETCURSEL, 0, 0));
        SendDlgItemMessageA(d, 1460, LB_SETCURSEL, 0, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(1460, LBN_SELCHANGE), 0);
        first = text(d, 1459);
        SendDlgItemMessageA(d, 1460, LB_SETCURSEL, 3, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(1460, LBN_SELCHANGE), 0);
        sample3 = text(d, 1459);
        char l[32] = "";
        SendDlgItemMessageA(d, 1460, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(l));
        label3 = l;
        SendDlgItemMessageA(d, 1460, LB_SETCURSEL, 4, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(1460, LBN_SELCHANGE), 0);
        sample4 = text(d, 1459);
        press(d, IDOK);
      }};
  EXPECT_EQ(p.run([] { return dlg_run(DLG_DATE, nullptr, 0); }), 0);
  EXPECT_EQ(first, "2026年03月05日");
  EXPECT_EQ(sample4, "03/05/2026");
  EXPECT_EQ(sample3, "2026\xA5" "03\xA5" "05");
  EXPECT_EQ(label3, "YYYY・MM・DD");
  EXPECT_EQ(date_chosen(), 4);
  char t[20];
  date_gettext(t, sizeof t);
  EXPECT_STREQ(t, "MM/DD/YYYY");

  // The next open starts there; no selection at OK keeps the choice.
  Pilot q;
  int again = -1;
  std::string shown;
  q.steps = {[&](HWND d) {
    again = int(SendDlgItemMessageA(d, 1460, LB_GETCURSEL, 0, 0));
    shown = text(d, 1459);
    SendDlgItemMessageA(d, 1460, LB_SETCURSEL, WPARAM(-1), 0);
    press(d, IDOK);
  }};
  EXPECT_EQ(q.run([] { return dlg_run(DLG_DATE, nullptr, 0); }), 0);
  EXPECT_EQ(again, 4);
  EXPECT_EQ(shown, "03/05/2026");
  EXPECT_EQ(date_chosen(), 4);
  date_gettext(t, sizeof t);
  EXPECT_STREQ(t, "MM/DD/YYYY");
}

TEST_F(Text, ADateStampIsPlacedOnceAsItsLabel) {
  Pilot p;
  p.steps = {[](HWND d) {
    SendDlgItemMessageA(d, 1460, LB_SETCURSEL, 1, 0);
    press(d, IDOK);
  }};
  EXPECT_EQ(drive(p, 196, {click(10, 20)}), 500);
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].kind, CHR);
  EXPECT_EQ(r[0].chr.attr, PLACED_ATTR);
  EXPECT_FLOAT_EQ(r[0].chr.x, 10);
  EXPECT_EQ(r[0].chr.count, 10);
  EXPECT_EQ(text_of(int32_t(1)), "YYYY/MM/DD");
  EXPECT_EQ(date_chosen(), 1);

  // Cancel ends at once, without asking for a position.
  Pilot c;
  c.steps = {[](HWND d) { press(d, IDCANCEL); }};
  EXPECT_EQ(drive(c, 196, {}), 0);
  EXPECT_EQ(records(0).size(), 1u);
  EXPECT_TRUE(asked().texts.empty());
}

TEST_F(Text, TheDefaultSizeDialogChecksAndMayWriteTheSettings) {
  const std::string ini = wd_.folder() + "inkforge.sys";
  prf_setpath(ini.c_str());
  auto written = [&] {
    char v[32] = "";
    GetPrivateProfileStringA("CHAINFO", "CHARWIDE", "", v, sizeof v, ini.c_str());
    return std::string(v);
  };
  Pilot p;
  std::string shown;
  bool stays = false, focus = false;
  p.steps = {[&](HWND d) {
               shown = text(d, 1473) + "," + text(d, 1474) + "," + text(d, 1475);
               set(d, 1473, "0"), press(d, IDOK);
             },
             [&](HWND d) { stays = true, focus = focused(d, 1473); },
             [](HWND d) { set(d, 1473, "2"), set(d, 1474, "2.5*2"), set(d, 1475, "0"), press(d, IDOK); }};
  asked().answers = {IDCANCEL};
  EXPECT_EQ(drive(p, 197, {}), 0);
  EXPECT_EQ(shown, "4.000,3.000,1.000");
  EXPECT_TRUE(stays && focus);
  CharAttrs ca{};
  sys_chratr('r', &ca);
  EXPECT_FLOAT_EQ(ca.height, 2);
  EXPECT_FLOAT_EQ(ca.width, 5);
  EXPECT_FLOAT_EQ(ca.spacing, 0);
  ASSERT_EQ(asked().texts.size(), 1u);
  EXPECT_EQ(asked().texts[0], "システムファイルに書き込みますか？");
  EXPECT_EQ(written(), ""); // Cancel writes nothing

  // Not a number is refused like a value out of range; OK to the question writes.
  Pilot q;
  bool nan_stays = false;
  q.steps = {[](HWND d) { set(d, 1474, "nan"), press(d, IDOK); },
             [&](HWND d) { nan_stays = focused(d, 1474), set(d, 1474, "0/0"), press(d, IDOK); },
             [&](HWND d) { nan_stays = nan_stays && focused(d, 1474), set(d, 1474, "6"), press(d, IDOK); }};
  asked().answers = {IDOK};
  EXPECT_EQ(drive(q, 197, {}), 0);
  EXPECT_TRUE(nan_stays);
  sys_chratr('r', &ca);
  EXPECT_FLOAT_EQ(ca.width, 6);
  EXPECT_NE(written(), "");
  EXPECT_DOUBLE_EQ(std::atof(written().c_str()), 6);
}

TEST_F(Text, ResizingAPickedText) {
  const int32_t n = add_text(0, 0, "AB");
  ASSERT_GT(n, 0);
  const ElementRecord before = records(0)[0];
  // Unchanged values write nothing and the pick repeats.
  Pilot p;
  std::string shown;
  p.steps = {[&](HWND d) { shown = text(d, 1451) + "," + text(d, 1452) + "," + text(d, 1453), press(d, IDOK); },
             [](HWND d) { set(d, 1451, "8"), press(d, IDOK); }};
  EXPECT_EQ(drive(p, 187, {click(1, 1), click(1, 1), esc()}), 27);
  EXPECT_EQ(shown, "4.000,3.000,1.000");
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FLOAT_EQ(r[0].chr.height, 8);
  EXPECT_FLOAT_EQ(r[0].chr.width, 3);
  EXPECT_EQ(text_of(n), "AB");
  und_exec(0);
  EXPECT_TRUE(same_record(records(0)[0], before));
  und_exec(0); // the unchanged OK left no step of its own: this undoes the add
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Text, TheSizeDialogShowsSizesAtTheSheetScale) {
  SheetRecord sheet;
  sys_sheet('R', 0, &sheet);
  sheet.scale = 2;
  sys_sheet('W', 0, &sheet);
  add_text(0, 0, "AB");
  Pilot p;
  std::string shown;
  p.steps = {[&](HWND d) { shown = text(d, 1451) + "," + text(d, 1452), set(d, 1452, "10"), press(d, IDOK); }};
  EXPECT_EQ(drive(p, 187, {click(1, 1), esc()}), 27);
  EXPECT_EQ(shown, "8.000,6.000");
  EXPECT_FLOAT_EQ(records(0)[0].chr.width, 5);
  EXPECT_FLOAT_EQ(records(0)[0].chr.height, 4);
}

TEST_F(Text, ASizeTheStoreWouldEraseIsRefusedAndTheTextStays) {
  // At a sheet scale of 2000 the smallest height the dialog shows, 0.001, is 5e-7
  // in the drawing: the store would keep that text as an erased record.
  SheetRecord sheet;
  sys_sheet('R', 0, &sheet);
  sheet.scale = 2000;
  sys_sheet('W', 0, &sheet);
  add_text(0, 0, "AB");
  const ElementRecord before = records(0)[0];
  Pilot p;
  p.steps = {[](HWND d) { set(d, 1451, "0.001"), set(d, 1452, "0.001"), set(d, 1453, "0"), press(d, IDOK); }};
  EXPECT_EQ(drive(p, 187, {click(1, 1), esc()}), 27);
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(same_record(r[0], before));
  ASSERT_EQ(asked().texts.size(), 1u);
  EXPECT_NE(asked().texts[0].find(msgtext(30202).substr(2)), std::string::npos) << asked().texts[0];
}

TEST_F(Text, ResizeCancelEndsAndAFailedRewriteIsReported) {
  const int32_t n = add_text(0, 0, "AB");
  Pilot c;
  c.steps = {[](HWND d) { set(d, 1451, "8"), press(d, 1401); }};
  EXPECT_EQ(drive(c, 187, {click(1, 1)}), 700);
  EXPECT_FLOAT_EQ(records(0)[0].chr.height, 4);

  // The element changes kind under the dialog: the rewrite fails and says so.
  Pilot p;
  p.steps = {[&](HWND d) {
    dtb_ptr(0, n)->kind = PNT;
    set(d, 1451, "8"), press(d, IDOK);
  }};
  EXPECT_EQ(drive(p, 187, {click(1, 1), esc()}), 27);
  ASSERT_EQ(asked().texts.size(), 1u);
  EXPECT_NE(asked().texts[0].find(msgtext(30202).substr(2)), std::string::npos) << asked().texts[0];
}

TEST_F(Text, EditingAPickedText) {
  const int32_t date = add_text(20, 0, "YYYY/MM/DD");
  const int32_t n = add_text(0, 0, "AB");
  Pilot p;
  std::string caption, shown;
  int dialogs = 0;
  p.steps = {[&](HWND d) { ++dialogs, caption = title(d), shown = text(d, 1456), type_ok(d, "CDE"); }};
  // The date text is left alone without a dialog; the other gets the new text.
  EXPECT_EQ(drive(p, 198, {click(21, 1), click(1, 1), esc()}), 27);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(caption, "修正");
  EXPECT_EQ(shown, "AB");
  EXPECT_EQ(text_of(date), "YYYY/MM/DD");
  EXPECT_EQ(text_of(n), "CDE");
  EXPECT_EQ(records(0)[1].chr.count, 3);
  und_exec(0);
  EXPECT_EQ(text_of(n), "AB");

  // The next entry dialog is titled for entry again.
  Pilot q;
  std::string entry;
  q.steps = {[&](HWND d) { entry = title(d), press(d, IDCANCEL); }};
  drive(q, 195, {});
  EXPECT_EQ(entry, "記入");
}

TEST_F(Text, ALongTextShownCutStaysWholeWhenLeftAlone) {
  const std::string whole = std::string(60, 'A') + "BCDEFGHIJK"; // 70 bytes
  const int32_t n = add_text(0, 0, whole.c_str());
  Pilot p;
  std::string shown;
  p.steps = {[&](HWND d) { shown = text(d, 1456), press(d, IDOK); }};
  EXPECT_EQ(drive(p, 198, {click(1, 1), esc()}), 27);
  EXPECT_EQ(shown, whole.substr(0, 64));
  char t[128] = "";
  ElementRecord r;
  elm_read(0, n, &r, t, sizeof t);
  EXPECT_EQ(std::string(t), whole);
}

TEST_F(Text, EditingWithTheBoxCheckedTurnsTheSameTextIntoStrokes) {
  CharAttrs ca{};
  const int32_t n = add_text(-10, 0, "AB", 3);
  (void)ca;
  Pilot p;
  p.steps = {[](HWND d) { type_ok(d, "AB", true); }};
  EXPECT_EQ(drive(p, 198, {click(-9, 1), esc()}), 27);
  EXPECT_EQ(count_kind(0, CHR), 0u);
  EXPECT_GT(count_kind(0, LIN) + count_kind(0, ARC), 2u);
  und_exec(0);
  EXPECT_EQ(count_kind(0, CHR), 1u);
  EXPECT_EQ(count_kind(0, LIN) + count_kind(0, ARC), 0u);
  EXPECT_EQ(text_of(n), "AB");
}

TEST_F(Text, AFailedExpansionKeepsTheText) {
  stop();
  start(40);
  ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  const int32_t n = add_text(-10, 0, "AB", 3);
  fill(3); // fewer than the strokes of "AB"
  Pilot p;
  p.steps = {[](HWND d) { type_ok(d, "AB", true); }};
  EXPECT_EQ(drive(p, 198, {click(-9, 1)}), 700);
  EXPECT_EQ(count_kind(0, CHR), 1u);
  EXPECT_EQ(count_kind(0, LIN) + count_kind(0, ARC), 0u);
  EXPECT_EQ(text_of(n), "AB");
}

TEST_F(Text, ALongerTextThatFindsNoRoomIsReported) {
  stop();
  start(40);
  const int32_t n = add_text(0, 0, "AB");
  fill(1);
  ElementRecord filler = pnt_rec(40, 20, 1, 1);
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &filler, nullptr), 0);
  Pilot p;
  p.steps = {[](HWND d) { type_ok(d, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"); }};
  EXPECT_EQ(drive(p, 198, {click(1, 1)}), CMD_DBFAIL);
  EXPECT_EQ(text_of(n), "AB");
  bool told = false;
  for (const std::string &t : asked().texts)
    told = told || t.find(msgtext(30202).substr(2)) != std::string::npos;
  EXPECT_TRUE(told);
}

TEST_F(Text, DialogPictures) {
  for (int number : {int(DLG_TXTENTRY), int(DLG_DATE)}) {
    Pilot p;
    p.steps = {[](HWND) {},
               [&](HWND d) {
                 if (number == DLG_TXTENTRY)
                   set(d, 1456, "印影テキスト");
                 RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
               },
               [](HWND) {},
               [&](HWND d) {
                 RECT rc;
                 std::vector<uint32_t> px = screen_capture(d, rc);
                 const std::string png = std::string(INK_PICTURE_DIR) + (number == DLG_TXTENTRY ? "/text-1455.png"
                                                                                              : "/text-1458.png");
                 EXPECT_TRUE(write_png(png.c_str(), rc.right - rc.left, rc.bottom - rc.top, px)) << png;
                 press(d, IDCANCEL);
               }};
    EXPECT_EQ(p.run([&] { return dlg_run(unsigned(number), nullptr, 0); }), -1);
  }
}

} // namespace
