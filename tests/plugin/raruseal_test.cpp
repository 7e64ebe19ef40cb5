// The seal chooser, the add-seal dialog and the stamping confirmation under the
// autopilot, over folders of seal fixtures; pictures of three dialogs.
#include "dlgwork.h"

namespace {

using namespace dlgwork;

// --- 20027 ---------------------------------------------------------------------------

TEST_F(Seals, ChooserWithOneOwnSealChoosesIt) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1");
  put("only.ksl", seal("me", pw1, 3, "", "mine"));
  put("other.ksl", seal("you", pw1, 1));
  std::vector<std::string> rows;
  Pilot p({press(T_CONFIG, IDC_CFG_DEFAULTSEL),
           with(T_CHOOSER,
                [&](HWND d) {
                  rows = listrows(d, IDC_CH_LIST, 4);
                  EXPECT_EQ(selrow(d, IDC_CH_LIST), 0);
                  EXPECT_EQ(field(d, IDC_CH_FILE), "only.ksl");
                  EXPECT_EQ(field(d, IDC_CH_NAME), "mine");
                  EXPECT_EQ(field(d, IDC_CH_USER), "me");
                  EXPECT_EQ(field(d, IDC_CH_LEVEL), "3");
                }),
           press(T_CHOOSER, IDOK), with(T_CONFIG, [](HWND d) { EXPECT_EQ(field(d, IDC_CFG_DEFAULT), "only.ksl"); }),
           press(T_CONFIG, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), -1);
  EXPECT_EQ(rows, std::vector<std::string>{"◎|only.ksl|mine|3"});
  EXPECT_EQ(key("DEFAULTFILE"), "only.ksl");
  EXPECT_EQ(settings().level, 3);
  char name[24];
  int level = 0;
  hst_defaultseal(name, &level);
  EXPECT_STREQ(name, "mine");
  EXPECT_EQ(level, 3);
}

TEST_F(Seals, ChooserMarksTheUsualSealAndChoosesAnother) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1");
  put("c.ksl", seal("me", pw1, 1, "", "C"));
  put("B.ksl", seal("me", pw1, 2, "", "B"));
  put("a.ksl", seal("me", pw1, 5, "", "A"));
  put("x.ksl", seal("me", encrypt("other"), 1));
  RaruSettings s = settings();
  std::strcpy(s.defaultFile, "B.ksl");
  s.level = 2;
  Raru_SysSettings('W', &s);
  std::vector<std::string> before, after;
  Pilot p({press(T_CONFIG, IDC_CFG_DEFAULTSEL),
           with(T_CHOOSER,
                [&](HWND d) {
                  before = listrows(d, IDC_CH_LIST, 4);
                  EXPECT_EQ(selrow(d, IDC_CH_LIST), 1);
                  EXPECT_EQ(field(d, IDC_CH_FILE), "B.ksl");
                  selectrow(d, IDC_CH_LIST, 0);
                }),
           with(T_CHOOSER, [&](HWND d) { EXPECT_EQ(field(d, IDC_CH_FILE), "a.ksl"); }),
           press(T_CHOOSER, IDC_CH_CHOOSE), with(T_CHOOSER, [&](HWND d) { after = listrows(d, IDC_CH_LIST, 4); }),
           press(T_CHOOSER, IDOK), press(T_CONFIG, IDOK)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), 1);
  EXPECT_EQ(before, (std::vector<std::string>{"|a.ksl|A|5", "◎|B.ksl|B|2", "|c.ksl|C|1"}));
  EXPECT_EQ(after, (std::vector<std::string>{"◎|a.ksl|A|5", "|B.ksl|B|2", "|c.ksl|C|1"}));
  EXPECT_EQ(key("DEFAULTFILE"), "a.ksl");
  EXPECT_EQ(settings().level, 5);
}

TEST_F(Seals, ChooserDropsASealDeletedWhileListed) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1");
  put("a.ksl", seal("me", pw1));
  put("b.ksl", seal("me", pw1));
  put("c.ksl", seal("me", pw1));
  std::vector<std::string> rows;
  Pilot p({with(T_CHOOSER,
                [&](HWND d) {
                  std::filesystem::remove(sealpath("b.ksl"));
                  selectrow(d, IDC_CH_LIST, 1);
                }),
           with(T_CHOOSER,
                [&](HWND d) {
                  rows = listrows(d, IDC_CH_LIST, 2);
                  EXPECT_EQ(selrow(d, IDC_CH_LIST), 0);
                  EXPECT_EQ(field(d, IDC_CH_FILE), "a.ksl");
                }),
           with(T_CHOOSER,
                [&](HWND d) {
                  std::filesystem::remove(sealpath("a.ksl"));
                  std::filesystem::remove(sealpath("c.ksl"));
                  click(d, IDC_CH_CHOOSE); // a.ksl has gone: dropped, c.ksl shown
                }),
           with(T_CHOOSER, [&](HWND d) { selectrow(d, IDC_CH_LIST, 0); }),
           with(T_CHOOSER,
                [&](HWND d) {
                  EXPECT_EQ(listrows(d, IDC_CH_LIST, 2).size(), 0u);
                  for (int id : {IDC_CH_FILE, IDC_CH_NAME, IDC_CH_USER, IDC_CH_LEVEL})
                    EXPECT_EQ(field(d, id), "");
                }),
           press(T_CHOOSER, IDOK)});
  EXPECT_EQ(open(IDD_RARU_CHOOSER, p), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"|a.ksl", "|c.ksl"}));
}

// --- 20036 ---------------------------------------------------------------------------

TEST_F(Seals, AddListsOnlyFreeSealsOfTheUsersGroupAndAddsOne) {
  user("me", "pw1");
  RaruSettings s = settings();
  std::strcpy(s.groupCode, "G1");
  Raru_SysSettings('W', &s);
  put("g1.ksl", seal("", "", 4, "G1", "one"));
  put("g2.ksl", seal("", "", 1, "G2"));
  put("none.ksl", seal("", "", 2, "", "free"));
  put("own.ksl", seal("you", encrypt("x"), 1, "G1"));
  const auto before = get("g1.ksl");
  std::vector<std::string> rows;
  std::string ask;
  Pilot p({with(T_ADD,
                [&](HWND d) {
                  rows = listrows(d, IDC_AD_LIST, 3);
                  EXPECT_EQ(field(d, IDC_AD_FILE), "g1.ksl");
                  EXPECT_EQ(field(d, IDC_AD_NAME), "one");
                  EXPECT_EQ(field(d, IDC_AD_LEVEL), "4");
                }),
           press(T_ADD, IDC_AD_ADD), answer(T_ADD, IDCANCEL, &ask), press(T_ADD, IDC_AD_ADD),
           answer(T_ADD, IDOK)});
  EXPECT_EQ(open(IDD_RARU_ADD, p), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"g1.ksl|one|4", "none.ksl|free|2"}));
  EXPECT_EQ(ask, M_ASKADD);
  const auto after = get("g1.ksl");
  EXPECT_TRUE(inside(diff(before, after), 80, 123));
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(after.data() + 100), 24), padded("me", 24));
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(after.data() + 80), 20), padded(encrypt("pw1"), 20));
  EXPECT_STREQ(settings().groupCode, "G1");
}

TEST_F(Seals, AddingAdoptsTheSealsGroupWhenTheUserHasNone) {
  user("me", "pw1");
  put("g2.ksl", seal("", "", 1, "G2"));
  Pilot p({press(T_ADD, IDC_AD_ADD), answer(T_ADD, IDOK)});
  EXPECT_EQ(open(IDD_RARU_ADD, p), 1);
  EXPECT_STREQ(settings().groupCode, "G2");
  EXPECT_EQ(regvalue("data2"), padded("G2", 20));
}

TEST_F(Seals, AddWithNothingToAddSaysSo) {
  user("me", "pw1");
  put("own.ksl", seal("me", encrypt("pw1")));
  std::string msg;
  Pilot p({answer(T_ADD, IDOK, &msg)});
  EXPECT_EQ(open(IDD_RARU_ADD, p), -1);
  EXPECT_EQ(msg, M_NOSEAL);
}

TEST_F(Seals, AddDropsASealThatCannotBeOpenedAndEndsWithTheLastRow) {
  user("me", "pw1");
  put("a.ksl", seal("", ""));
  std::string first, second;
  Pilot p({with(T_ADD, [&](HWND) { std::filesystem::remove(sealpath("a.ksl")); }), press(T_ADD, IDC_AD_ADD),
           answer(T_ADD, IDOK, &first), answer(T_ADD, IDOK, &second)});
  EXPECT_EQ(open(IDD_RARU_ADD, p), -1);
  EXPECT_EQ(first, M_CANTADD);
  EXPECT_EQ(second, M_NOSEAL);
}

TEST_F(Seals, AFailedHeaderWriteKeepsTheAddDialog) {
  user("me", "pw1");
  put("a.ksl", seal("", ""));
  const auto before = get("a.ksl");
  plg_sys.writefile = [](HANDLE, LPCVOID, DWORD size, LPDWORD put, LPOVERLAPPED) -> BOOL {
    *put = size / 2; // a short write that leaves the file as it was
    return TRUE;
  };
  std::string msg;
  Pilot p({press(T_ADD, IDC_AD_ADD), answer(T_ADD, IDOK), answer(T_ADD, IDOK, &msg),
           with(T_ADD, [](HWND d) { EXPECT_EQ(listrows(d, IDC_AD_LIST, 1).size(), 1u); }), escape(T_ADD)});
  EXPECT_EQ(open(IDD_RARU_ADD, p), -1);
  EXPECT_EQ(msg, M_CANTADD);
  EXPECT_EQ(get("a.ksl"), before);
}

TEST_F(Seals, ChooserListsAnAddedSeal) {
  user("me", "pw1");
  put("free.ksl", seal("", ""));
  put("mine.ksl", seal("me", encrypt("pw1")));
  put("more.ksl", seal("me", encrypt("pw1")));
  std::vector<std::string> rows;
  Pilot p({press(T_CHOOSER, IDC_CH_ADD), press(T_ADD, IDC_AD_ADD), answer(T_ADD, IDOK),
           with(T_CHOOSER, [&](HWND d) { rows = listrows(d, IDC_CH_LIST, 2); }), press(T_CHOOSER, IDOK)});
  EXPECT_EQ(open(IDD_RARU_CHOOSER, p), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"|free.ksl", "|mine.ksl", "|more.ksl"}));
}

// --- 20043 and pictures ----------------------------------------------------------------

class Pictures : public Seals {
protected:
  void SetUp() override {
    Seals::SetUp();
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
    user("\x8E\x52\x93\x63", "pw1");
    SealBuilder b;
    b.outline(2, 0, 0, 12, 12).arc(0, 0, 12, 0, 360).arc(0, 0, 10.5, 0, 360).line(-10.5, 3, 10.5, 3)
        .line(-10.5, -3, 10.5, -3).text("山田", -4, 4, 5, 4, 0).text("2026.12.11", -8, -1.5, 3, 1.6, 0)
        .text("印鑑", -4, -9, 5, 4, 0);
    b.owner("\x8E\x52\x93\x63", encrypt("pw1").c_str(), 1, "yamada");
    put("yamada.ksl", b.bytes());
    put("other.ksl", seal("\x8E\x52\x93\x63", encrypt("pw1"), 2, "", "other"));
    RaruSettings s = settings();
    std::strcpy(s.defaultFile, "yamada.ksl");
    s.level = 1;
    Raru_SysSettings('W', &s);
  }
  void TearDown() override {
    fnt_close();
    Seals::TearDown();
  }
};

TEST_F(Pictures, ConfirmationGivesOneForOkAndMinusOneForCancel) {
  int red = 0;
  Pilot p({with(T_CONFIRM,
                [&](HWND d) {
                  snapshot(d, "dlg_confirm.png");
                  RECT r;
                  for (uint32_t px : screen_capture(GetDlgItem(d, IDC_CF_PREVIEW), r))
                    red += px == 0xFF0000;
                }),
           press(T_CONFIRM, IDOK)});
  EXPECT_EQ(open(IDD_RARU_CONFIRM, p), 1);
  EXPECT_GT(red, 200);
  Pilot q({press(T_CONFIRM, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIRM, q), -1);
}

TEST_F(Pictures, SettingsAndChooser) {
  int red = 0;
  Pilot p({with(T_CONFIG, [](HWND d) { snapshot(d, "dlg_settings.png"); }), press(T_CONFIG, IDC_CFG_DEFAULTSEL),
           with(T_CHOOSER,
                [&](HWND d) {
                  EXPECT_EQ(field(d, IDC_CH_FILE), "yamada.ksl");
                  EXPECT_EQ(listrows(d, IDC_CH_LIST, 4),
                            (std::vector<std::string>{"|other.ksl|other|2", "\x81\x9D|yamada.ksl|yamada|1"}));
                }),
           with(T_CHOOSER,
                [&](HWND d) {
                  snapshot(d, "dlg_chooser.png");
                  RECT r;
                  for (uint32_t px : screen_capture(GetDlgItem(d, IDC_CH_PREVIEW), r))
                    red += px == 0xFF0000;
                }),
           press(T_CHOOSER, IDOK), press(T_CONFIG, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), -1);
  EXPECT_GT(red, 200);
}

} // namespace
