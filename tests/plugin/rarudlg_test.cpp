// The gate's dialogs and the settings dialog with its user-name and password changes,
// under the autopilot: real dialogs from the program's own resources, real message
// boxes read back and answered.
#include "dlgwork.h"

namespace {

using namespace dlgwork;

// --- 20014 ---------------------------------------------------------------------------

TEST_F(Dialogs, FirstUserRefusesBadEntriesAndKeepsTheDialog) {
  struct Case {
    const char *name, *pass, *repeat, *message;
    int field;
  } cases[] = {
      {"a_b", "abc", "abc", M_BADCHAR, IDC_FU_USER},
      {"x|y", "abc", "abc", M_BADCHAR, IDC_FU_USER},
      {"ab", "abc", "abd", M_NOTSAME, IDC_FU_PASS},
      {"ab", "ab c", "ab c", M_BADCHAR, IDC_FU_PASS},
      {"ab", "ab-c", "ab-c", M_BADCHAR, IDC_FU_PASS},
  };
  for (const auto &c : cases) {
    std::string msg;
    Pilot p({type(T_FIRST, IDC_FU_USER, c.name), type(T_FIRST, IDC_FU_PASS, c.pass),
             type(T_FIRST, IDC_FU_REPEAT, c.repeat), press(T_FIRST, IDOK), answer(T_FIRST, IDOK, &msg),
             with(T_FIRST, [&](HWND d) { expect_selected(d, c.field); }), press(T_FIRST, IDCANCEL)});
    EXPECT_EQ(open(IDD_RARU_FIRSTUSER, p), -1) << c.name;
    EXPECT_EQ(msg, c.message) << c.name << " " << c.pass;
    EXPECT_EQ(key("USERNAME"), "<none>");
    EXPECT_EQ(key("CRYPTWD"), "<none>");
  }
}

TEST_F(Dialogs, FirstUserOkWaitsForAllThreeFieldsAndLimitsTheirLength) {
  auto ok = [](bool on) {
    return with(T_FIRST, [on](HWND d) { EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0, on); });
  };
  std::string pass, name;
  Pilot p({ok(false), type(T_FIRST, IDC_FU_USER, "abcdefghijklmnopqrstuvwxyz"), ok(false),
           type(T_FIRST, IDC_FU_PASS, "abcdefghi"), ok(false), type(T_FIRST, IDC_FU_REPEAT, "abcdefgh"), ok(true),
           with(T_FIRST,
                [&](HWND d) {
                  char buf[64];
                  GetDlgItemTextA(d, IDC_FU_PASS, buf, sizeof buf);
                  pass = buf;
                  GetDlgItemTextA(d, IDC_FU_USER, buf, sizeof buf);
                  name = buf;
                  EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, IDC_FU_PASS), GWL_STYLE) & ES_PASSWORD);
                  EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, IDC_FU_REPEAT), GWL_STYLE) & ES_PASSWORD);
                }),
           retype(T_FIRST, IDC_FU_REPEAT, ""), ok(false), press(T_FIRST, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_FIRSTUSER, p), -1);
  EXPECT_EQ(pass, "abcdefgh");
  EXPECT_EQ(name, "abcdefghijklmnopqrst");
}

TEST_F(Dialogs, FirstUserStoresNameAndPasswordInFileAndMirror) {
  Pilot p({type(T_FIRST, IDC_FU_USER, "\x88\xF3\x8A\xD3" "ab"), type(T_FIRST, IDC_FU_PASS, "pw12"),
           type(T_FIRST, IDC_FU_REPEAT, "pw12"), press(T_FIRST, IDOK)});
  EXPECT_EQ(open(IDD_RARU_FIRSTUSER, p), 1);
  const std::string name = "\x88\xF3\x8A\xD3" "ab", enc = encrypt("pw12");
  ASSERT_EQ(enc.size(), 18u);
  EXPECT_EQ(key("USERNAME"), name);
  EXPECT_EQ(key("CRYPTWD"), enc);
  EXPECT_EQ(regvalue("data0"), padded(name, 24));
  EXPECT_EQ(regvalue("data1"), padded(enc, 20));
  const RaruSettings s = settings();
  EXPECT_STREQ(s.userName, name.c_str());
  EXPECT_STREQ(s.regUserName, name.c_str());
  EXPECT_STREQ(s.cryptPassword, enc.c_str());
  EXPECT_STREQ(s.regCryptPassword, enc.c_str());
}

// --- 20018 ---------------------------------------------------------------------------

TEST_F(Dialogs, PasswordEntryStaysOnAWrongPassword) {
  user("me", "pw1");
  std::string msg;
  auto ok = [](bool on) {
    return with(T_PASS, [on](HWND d) { EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0, on); });
  };
  Pilot p({ok(false), type(T_PASS, IDC_PW_PASS, "pw2"), ok(true), press(T_PASS, IDOK), answer(T_PASS, IDOK, &msg),
           with(T_PASS, [](HWND d) { expect_selected(d, IDC_PW_PASS); }), retype(T_PASS, IDC_PW_PASS, "pw1"),
           press(T_PASS, IDOK)});
  EXPECT_EQ(open(IDD_RARU_PASSWORD, p), 1);
  EXPECT_EQ(msg, M_BADPASS);
}

TEST_F(Dialogs, PasswordEntryChecksBothCopies) {
  struct Case {
    const char *regName, *regPassword, *message;
  } cases[] = {
      {"you", "pw1", M_BADUSER},
      {"me", "pw9", M_BADPASS},
      {"me", "", M_BADPASS},
  };
  for (const auto &c : cases) {
    user("me", "pw1");
    RaruSettings s = settings();
    std::strcpy(s.regUserName, c.regName);
    std::memset(s.regCryptPassword, 0, 20);
    std::strcpy(s.regCryptPassword, encrypt(c.regPassword).c_str());
    Raru_SysSettings('W', &s);
    std::string msg;
    Pilot p({type(T_PASS, IDC_PW_PASS, "pw1"), press(T_PASS, IDOK), answer(T_PASS, IDOK, &msg),
             press(T_PASS, IDCANCEL)});
    EXPECT_EQ(open(IDD_RARU_PASSWORD, p), -1) << c.regName;
    EXPECT_EQ(msg, c.message) << c.regName;
  }
}

// --- 20001 ---------------------------------------------------------------------------

TEST_F(Dialogs, SettingsShowAndWriteColourAndChecks) {
  struct Case {
    const char *lines;
    int shown, pick;
    bool check, date;
    const char *colour, *sealcheck, *sealdate;
  } cases[] = {
      {"SEALCOLOR=1\r\nSEALCHECK=0\r\nSEALDATE=1\r\n", IDC_CFG_WHITE, IDC_CFG_BLACK, true, false, "2", "1", "0"},
      {"SEALCOLOR=2\r\nSEALCHECK=1\r\nSEALDATE=0\r\n", IDC_CFG_BLACK, IDC_CFG_RED, false, true, "0", "0", "1"},
  };
  for (const auto &c : cases) {
    config(c.lines);
    Raru_ReadConfig();
    const RaruSettings before = settings();
    Pilot p({with(T_CONFIG,
                  [&](HWND d) {
                    EXPECT_EQ(IsDlgButtonChecked(d, c.shown), BST_CHECKED);
                    EXPECT_EQ(IsDlgButtonChecked(d, IDC_CFG_CHECK) == BST_CHECKED, before.sealCheck == 1);
                    EXPECT_EQ(IsDlgButtonChecked(d, IDC_CFG_DATE) == BST_CHECKED, before.sealDate == 1);
                    EXPECT_EQ(field(d, IDC_CFG_FOLDER), before.sealFolder);
                    for (int id : {IDC_CFG_USER, IDC_CFG_FOLDER, IDC_CFG_DEFAULT})
                      EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & ES_READONLY);
                    click(d, c.pick);
                    if (c.check != (IsDlgButtonChecked(d, IDC_CFG_CHECK) == BST_CHECKED))
                      click(d, IDC_CFG_CHECK);
                    if (c.date != (IsDlgButtonChecked(d, IDC_CFG_DATE) == BST_CHECKED))
                      click(d, IDC_CFG_DATE);
                  }),
             press(T_CONFIG, IDOK)});
    EXPECT_EQ(open(IDD_RARU_CONFIG, p), 1);
    EXPECT_EQ(key("SEALCOLOR"), c.colour);
    EXPECT_EQ(key("SEALCHECK"), c.sealcheck);
    EXPECT_EQ(key("SEALDATE"), c.sealdate);
  }
}

TEST_F(Dialogs, SettingsCancelWritesNoOptionsButKeepsWhatSubDialogsStored) {
  config("SEALCOLOR=0\r\n");
  Raru_ReadConfig();
  user("me", "pw1");
  Pilot p({with(T_CONFIG, [](HWND d) { click(d, IDC_CFG_BLACK); }), press(T_CONFIG, IDC_CFG_USERCHG),
           type(T_UC, IDC_UC_PASS, "pw1"), type(T_UC, IDC_UC_USER, "newname"), press(T_UC, IDOK),
           with(T_CONFIG, [](HWND d) { EXPECT_EQ(field(d, IDC_CFG_USER), "newname"); }),
           press(T_CONFIG, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), -1);
  EXPECT_EQ(key("SEALCOLOR"), "0");
  EXPECT_EQ(key("USERNAME"), "newname");
  EXPECT_EQ(regvalue("data0"), padded("newname", 24));
  EXPECT_STREQ(settings().userName, "newname");
}

TEST_F(Dialogs, SettingsFolderPickerStoresTheFolder) {
  const std::string picked = folder() + "\\picked";
  std::string asked;
  ui_setresponder([&](const UiQuestion &q) {
    asked = q.text;
    EXPECT_EQ(q.kind, UI_DIALOG);
    raru_copycut(q.reply, q.replysize, picked.c_str());
    return 1;
  });
  Pilot p({press(T_CONFIG, IDC_CFG_FOLDERSEL),
           with(T_CONFIG, [&](HWND d) { EXPECT_EQ(field(d, IDC_CFG_FOLDER), picked); }), press(T_CONFIG, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), -1);
  ui_setresponder(nullptr);
  EXPECT_EQ(asked, "ﾌｫﾙﾀﾞを選択してください。");
  EXPECT_EQ(key("SEALFOLDER"), picked);
  EXPECT_STREQ(settings().sealFolder, picked.c_str());
}

// --- 20020 ---------------------------------------------------------------------------

TEST_F(Dialogs, UserNameChangeRefusesBadEntries) {
  struct Case {
    const char *regName, *pass, *name, *message;
    int field;
  } cases[] = {
      {"me", "pw1", "a_b", M_BADCHAR, IDC_UC_USER},
      {"me", "pw1", "[x]", M_BADCHAR, IDC_UC_USER},
      {"me", "pw2", "ok", M_BADPASS, IDC_UC_PASS},
      {"other", "pw1", "ok", M_BADUSER, IDC_UC_PASS},
  };
  for (const auto &c : cases) {
    user("me", "pw1");
    RaruSettings s = settings();
    std::strcpy(s.regUserName, c.regName);
    Raru_SysSettings('W', &s);
    std::string msg;
    Pilot p({type(T_UC, IDC_UC_PASS, c.pass), type(T_UC, IDC_UC_USER, c.name), press(T_UC, IDOK),
             answer(T_UC, IDOK, &msg), with(T_UC, [&](HWND d) { expect_selected(d, c.field); }),
             press(T_UC, IDCANCEL)});
    EXPECT_EQ(open(IDD_RARU_USERCHG, p), -1) << c.name;
    EXPECT_EQ(msg, c.message) << c.name;
  }
}

TEST_F(Seals, UserNameChangeRestampsOnlyTheUsersSeals) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1");
  put("a.ksl", seal("me", pw1, 2));
  put("b.ksl", seal("you", pw1));
  put("c.ksl", seal("me", encrypt("pw9")));
  put("d.ksl", seal("me", pw1));
  put("e.ksl", seal("", ""));
  put("f.ksl", seal("you", encrypt("x")));
  const auto a = get("a.ksl"), b = get("b.ksl"), c = get("c.ksl"), d = get("d.ksl"), e = get("e.ksl"),
             f = get("f.ksl");
  // d.ksl is held open elsewhere without write sharing; f.ksl too, but it is not ours.
  HANDLE held = CreateFileA(sealpath("d.ksl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE other = CreateFileA(sealpath("f.ksl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string msg;
  Pilot p({press(T_CONFIG, IDC_CFG_USERCHG), type(T_UC, IDC_UC_PASS, "pw1"), type(T_UC, IDC_UC_USER, "\x90\x56"),
           press(T_UC, IDOK), answer(T_CONFIG, IDOK, &msg), press(T_CONFIG, IDOK)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), 1);
  CloseHandle(held);
  CloseHandle(other);
  EXPECT_NE(msg.find("d.ksl"), std::string::npos) << msg;
  EXPECT_EQ(msg.find("f.ksl"), std::string::npos) << msg;
  EXPECT_EQ(msg.find("a.ksl"), std::string::npos) << msg;
  const auto a2 = get("a.ksl");
  EXPECT_TRUE(inside(diff(a, a2), 100, 123));
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(a2.data() + 100)), "\x90\x56");
  EXPECT_EQ(get("b.ksl"), b);
  EXPECT_EQ(get("c.ksl"), c);
  EXPECT_EQ(get("d.ksl"), d);
  EXPECT_EQ(get("e.ksl"), e);
  EXPECT_EQ(get("f.ksl"), f);
  EXPECT_EQ(key("USERNAME"), "\x90\x56");
}

TEST_F(Seals, UserNameNotWrittenLeavesSealsAndSettings) {
  user("me", "pw1");
  put("a.ksl", seal("me", encrypt("pw1")));
  const auto a = get("a.ksl");
  plg_sys.writeprofile = [](LPCSTR, LPCSTR k, LPCSTR, LPCSTR) -> BOOL { return std::strcmp(k, "USERNAME") != 0; };
  std::string msg;
  Pilot p({press(T_CONFIG, IDC_CFG_USERCHG), type(T_UC, IDC_UC_PASS, "pw1"), type(T_UC, IDC_UC_USER, "new"),
           press(T_UC, IDOK), answer(T_CONFIG, IDOK, &msg),
           with(T_CONFIG, [](HWND d) { EXPECT_EQ(field(d, IDC_CFG_USER), "me"); }), press(T_CONFIG, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_CONFIG, p), -1);
  EXPECT_FALSE(msg.empty());
  EXPECT_EQ(get("a.ksl"), a);
  EXPECT_STREQ(settings().userName, "me");
  EXPECT_STREQ(settings().regUserName, "me");
}

// --- 20023 ---------------------------------------------------------------------------

TEST_F(Dialogs, PasswordChangeRefusesBadEntries) {
  struct Case {
    const char *old, *pass, *repeat, *message;
    int field;
  } cases[] = {
      {"pw2", "new1", "new1", M_BADPASS, IDC_PC_OLD},
      {"pw1", "new1", "new2", M_NOTSAME, IDC_PC_NEW},
      {"pw1", "ne w", "ne w", M_BADCHAR, IDC_PC_NEW},
  };
  for (const auto &c : cases) {
    user("me", "pw1");
    std::string msg;
    Pilot p({type(T_PC, IDC_PC_OLD, c.old), type(T_PC, IDC_PC_NEW, c.pass), type(T_PC, IDC_PC_REPEAT, c.repeat),
             press(T_PC, IDOK), answer(T_PC, IDOK, &msg), with(T_PC, [&](HWND d) { expect_selected(d, c.field); }),
             press(T_PC, IDCANCEL)});
    EXPECT_EQ(open(IDD_RARU_PWCHG, p), -1) << c.pass;
    EXPECT_EQ(msg, c.message) << c.pass;
    EXPECT_STREQ(settings().cryptPassword, encrypt("pw1").c_str());
  }
}

TEST_F(Seals, PasswordChangeRestampsOnlyTheUsersSeals) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1"), pw2 = encrypt("pw2");
  put("a.ksl", seal("me", pw1));
  put("b.ksl", seal("you", pw1));
  put("c.ksl", seal("me", encrypt("zz")));
  put("d.ksl", seal("me", pw1));
  const auto a = get("a.ksl"), b = get("b.ksl"), c = get("c.ksl"), d = get("d.ksl");
  HANDLE held = CreateFileA(sealpath("d.ksl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string msg;
  Pilot p({type(T_PC, IDC_PC_OLD, "pw1"), type(T_PC, IDC_PC_NEW, "pw2"), type(T_PC, IDC_PC_REPEAT, "pw2"),
           press(T_PC, IDOK), answer(T_PC, IDOK, &msg)});
  EXPECT_EQ(open(IDD_RARU_PWCHG, p), 1);
  CloseHandle(held);
  EXPECT_NE(msg.find("d.ksl"), std::string::npos) << msg;
  const auto a2 = get("a.ksl");
  EXPECT_TRUE(inside(diff(a, a2), 80, 99));
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(a2.data() + 80), 20), padded(pw2, 20));
  EXPECT_EQ(get("b.ksl"), b);
  EXPECT_EQ(get("c.ksl"), c);
  EXPECT_EQ(get("d.ksl"), d);
  EXPECT_EQ(key("CRYPTWD"), pw2);
  EXPECT_EQ(regvalue("data1"), padded(pw2, 20));
  EXPECT_STREQ(settings().cryptPassword, pw2.c_str());
}

TEST_F(Seals, PasswordNotWrittenKeepsTheOldOneAndRestampsNothing) {
  user("me", "pw1");
  const std::string pw1 = encrypt("pw1");
  config("CRYPTWD=" + pw1 + "\r\n");
  put("a.ksl", seal("me", pw1));
  const auto a = get("a.ksl");
  plg_sys.writeprofile = [](LPCSTR, LPCSTR k, LPCSTR, LPCSTR) -> BOOL { return std::strcmp(k, "CRYPTWD") != 0; };
  std::string msg;
  Pilot p({type(T_PC, IDC_PC_OLD, "pw1"), type(T_PC, IDC_PC_NEW, "pw2"), type(T_PC, IDC_PC_REPEAT, "pw2"),
           press(T_PC, IDOK), answer(T_PC, IDOK, &msg), press(T_PC, IDCANCEL)});
  EXPECT_EQ(open(IDD_RARU_PWCHG, p), -1);
  EXPECT_FALSE(msg.empty());
  EXPECT_EQ(get("a.ksl"), a);
  EXPECT_EQ(key("CRYPTWD"), pw1);
  EXPECT_STREQ(settings().cryptPassword, pw1.c_str());
  EXPECT_STREQ(settings().regCryptPassword, pw1.c_str());
}

} // namespace

namespace {

using namespace dlgwork;

TEST(BrowseCallback, SelectsTheFolderAndShowsEachChoice) {
  static std::vector<std::pair<UINT, std::string>> got;
  got.clear();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == BFFM_SETSELECTIONA || m == BFFM_SETSTATUSTEXTA)
      got.emplace_back(m, std::to_string(wp) + ":" + reinterpret_cast<const char *>(lp));
    return DefWindowProcA(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "BrowseProbe";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("BrowseProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  char folder[] = "C:\\windows";
  Raru_BrowseCallback(w, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(folder));
  LPITEMIDLIST id = nullptr;
  ASSERT_EQ(SHParseDisplayName(L"C:\\windows\\system32", nullptr, &id, 0, nullptr), S_OK);
  Raru_BrowseCallback(w, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(id), reinterpret_cast<LPARAM>(folder));
  CoTaskMemFree(id);
  DestroyWindow(w);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], std::make_pair(UINT(BFFM_SETSELECTIONA), std::string("1:C:\\windows")));
  EXPECT_EQ(got[1], std::make_pair(UINT(BFFM_SETSTATUSTEXTA), std::string("0:C:\\windows")));
  EXPECT_EQ(_stricmp(got[2].second.c_str(), "0:C:\\windows\\system32"), 0) << got[2].second;
}

} // namespace
