// The key file: upgrade, load and save of KEYMENU, the SHORTCUTMENU records, key
// translation and which shortcut items are offered.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "commands/cmdl/cmdlevel.h"
#include "commands/cmdl/cmdtable.h"
#include "shell/units/keytable.h"
#include "shell/units/scmenu.h"
#include "settings/appstate.h"

namespace {

std::string temp_file(const char *name, const std::string &bytes) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string path = std::string(dir) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string bytes_of(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string key_line(const std::string &path, int n) {
  char name[16], buf[256];
  std::snprintf(name, sizeof name, "KEYITEM%03d", n);
  GetPrivateProfileStringA("KEYMENU", name, "", buf, sizeof buf, path.c_str());
  return buf;
}

std::string file_with(int count) {
  std::string s = "[KEYMENU]\r\nKEYITEMCOUNT=" + std::to_string(count) + "\r\n";
  for (int i = 1; i <= count && i <= 200; i++) {
    char line[64];
    std::snprintf(line, sizeof line, "KEYITEM%03d=8070,%5d,0,[F1],\r\n", i, 100 + i);
    s += line;
  }
  return s;
}

TEST(KeyFile, UpgradeAppendsTheMouseLines) {
  const std::string path = temp_file("ink_key108.key", file_with(108));
  EXPECT_EQ(key_upgrade(path.c_str()), 0);
  EXPECT_EQ(GetPrivateProfileIntA("KEYMENU", "KEYITEMCOUNT", 0, path.c_str()), 115u);
  for (int i = 0; i < 7; i++)
    EXPECT_EQ(key_line(path, 109 + i), key_mouselines[i]);
  EXPECT_EQ(key_line(path, 108), "8070,  208,0,[F1],");

  for (int count : {109, 200}) {
    const std::string p = temp_file("ink_keyn.key", file_with(count));
    const std::string before = bytes_of(p);
    EXPECT_EQ(key_upgrade(p.c_str()), 0);
    EXPECT_EQ(bytes_of(p), before);
  }
  for (int count : {0, 201}) {
    const std::string p = temp_file("ink_keybad.key", file_with(count));
    const std::string before = bytes_of(p);
    EXPECT_EQ(key_upgrade(p.c_str()), 1) << count;
    EXPECT_EQ(bytes_of(p), before);
  }
}

TEST(KeyFile, SaveThenLoadReproducesTheBytes) {
  const std::string src = "[KEYMENU]\r\nKEYITEMCOUNT=3\r\n"
                          "KEYITEM001=8170,  112,1,[S+F1],help\r\n"
                          "KEYITEM002=8090,  540,3,[ a,b ],rest, more\r\n"
                          "KEYITEM003=0041,    7,1,[A],\r\n";
  const std::string in = temp_file("ink_keyin.key", src);
  KeyTable t;
  ASSERT_EQ(key_load(in.c_str(), &t), 1);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.items[1].label, "[ a,b ]");
  const std::string out = temp_file("ink_keyout.key", "");
  DeleteFileA(out.c_str());
  ASSERT_EQ(key_save(out.c_str(), &t), 1);
  EXPECT_EQ(bytes_of(out), src);
  EXPECT_EQ(key_load(nullptr, &t), 1);
  EXPECT_EQ(t.count, 0);
  EXPECT_EQ(key_save(out.c_str(), &t), 0);
}

TEST(KeyFile, BadFilesKeepNothing) {
  KeyTable t;
  const std::string ok = temp_file("ink_keyok.key", file_with(2));
  ASSERT_EQ(key_load(ok.c_str(), &t), 1);
  for (const std::string &bytes : {file_with(0), file_with(201), std::string("[KEYMENU]\r\nKEYITEMCOUNT=3\r\n"
                                                                                "KEYITEM001=8070,1,0,[a],\r\n")}) {
    const std::string p = temp_file("ink_keybad2.key", bytes);
    EXPECT_EQ(key_load(p.c_str(), &t), 0);
    EXPECT_EQ(t.count, 2); // the table read before stays
  }
  key_load(nullptr, &t);
}

TEST(ShortcutFile, SkipsBadRecordsAndBoundsTheCount) {
  const std::string p = temp_file("ink_scm.key", "[SHORTCUTMENU]\r\nMENUCOUNT=6\r\n"
                                                 "MENUITEM000=0,0,continue,9000,0\r\n"
                                                 "MENUITEM001=0,0,short,9001\r\n"
                                                 "MENUITEM002=0,3,kind,9002,0\r\n"
                                                 "MENUITEM003=0,0,level,400,5\r\n"
                                                 "MENUITEM005=0,2,-,0,0\r\n");
  ScmTable t;
  ASSERT_EQ(scm_load(p.c_str(), &t), 2);
  EXPECT_EQ(t.items[0].command, 9000);
  EXPECT_EQ(t.items[1].kind, 2);
  std::string big = "[SHORTCUTMENU]\r\nMENUCOUNT=100000\r\n";
  for (int i = 0; i < 205; i++) {
    char line[48];
    std::snprintf(line, sizeof line, "MENUITEM%03d=0,0,x,%d,0\r\n", i, 500 + i);
    big += line;
  }
  const std::string q = temp_file("ink_scmbig.key", big);
  EXPECT_EQ(scm_load(q.c_str(), &t), 200);
  scm_free(&t);
  EXPECT_EQ(t.count, 0);
  const std::string none = temp_file("ink_scmnone.key", "[OTHER]\r\n");
  EXPECT_EQ(scm_load(none.c_str(), &t), 0);
}

TEST(ShortcutMenu, ItemsOfferedByLevelAndMask) {
  const int32_t level = CmdLevel;
  const uint32_t mask = CmdShortcutMask[0];
  const struct {
    int32_t level;
    uint32_t mask;
    bool i9000, i9001, i9002, i9003, i9004;
  } cases[] = {
      {-1, 3, false, false, false, false, false}, // nothing runs
      {0, 3, true, false, false, true, true},     {0, 2, true, false, true, false, true},
      {0, 1, true, true, false, false, true},     {0, 0, true, false, false, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " mask " << c.mask);
    CmdLevel = c.level;
    CmdShortcutMask[0] = c.mask;
    EXPECT_EQ(scm_allowed(9000), c.i9000);
    EXPECT_EQ(scm_allowed(9001), c.i9001);
    EXPECT_EQ(scm_allowed(9002), c.i9002);
    EXPECT_EQ(scm_allowed(9003), c.i9003);
    EXPECT_EQ(scm_allowed(9004), c.i9004);
    EXPECT_TRUE(scm_allowed(540));
  }
  scm_enable(1, 1);
  EXPECT_FALSE(scm_allowed(400)); // no journal records
  EXPECT_FALSE(scm_allowed(401));
  EXPECT_FALSE(scm_allowed(710)); // grid mode 0
  EXPECT_EQ(cmd_rmenuon(), 0); // no records: a right click goes to the command
  ShortcutItem one;
  ScmTab.items = &one;
  ScmTab.count = 1;
  EXPECT_EQ(cmd_rmenuon(), 1);
  scm_off();
  EXPECT_EQ(cmd_rmenuon(), 0);
  ScmTab.items = nullptr;
  ScmTab.count = 0;
  scm_enable(0, -1);
  CmdLevel = level;
  CmdShortcutMask[0] = mask;
}

int32_t ViewRuns = 0;
int32_t view_cmd() {
  ++ViewRuns;
  return 0;
}

TEST(KeyXlate, WhichKeysAreLookedUp) {
  KeyItem items[4];
  items[0].key = VK_F3, items[0].mods = KEY_VIRT | KEY_CTRL, items[0].command = 509;
  items[1].key = 27, items[1].mods = 0, items[1].command = 509;
  items[2].key = VK_F10, items[2].mods = KEY_VIRT, items[2].command = 509;
  items[3].key = 0x90, items[3].mods = KEY_VIRT, items[3].command = -1;
  KeyTab.items = items;
  KeyTab.count = 4;
  const CmdHandler kept = CommandTable[509];
  CommandTable[509] = view_cmd;
  BYTE keys[256] = {};
  auto send = [](UINT message, WPARAM wp) {
    MSG m = {};
    m.message = message;
    m.wParam = wp;
    return key_xlate(&m);
  };
  SetKeyboardState(keys);
  EXPECT_EQ(send(WM_KEYDOWN, VK_F10), 0);
  EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE), 0);
  EXPECT_EQ(send(WM_KEYDOWN, VK_F3), 0); // bound with Ctrl only
  EXPECT_EQ(ViewRuns, 0);
  EXPECT_EQ(send(WM_CHAR, 27), 1);
  EXPECT_EQ(ViewRuns, 1);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_EQ(send(WM_KEYDOWN, VK_F3), 1);
  EXPECT_EQ(ViewRuns, 2);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(send(WM_MBUTTONDOWN, 0), 1); // taken whatever the lookup gives
  EXPECT_EQ(send(WM_LBUTTONDOWN, 0), 0);
  CommandTable[509] = kept;
  KeyTab.items = nullptr;
  KeyTab.count = 0;
}

} // namespace
