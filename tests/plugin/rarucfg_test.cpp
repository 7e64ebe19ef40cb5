#include <cstring>

#include "plugwork.h"
#include "sealfile.h"

namespace {

using Settings = PluginWork;

std::string exefolder() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string s = exe;
  return s.substr(0, s.rfind('\\'));
}

// Encrypted passwords as the host gives them (18 characters).
std::string encrypt(const char *pw) {
  char out[20];
  KlhEncryptPasswd(pw, out);
  return out;
}

TEST_F(Settings, AccessorsCopyInAndOut) {
  RaruSettings s{};
  std::strcpy(s.userName, "me");
  s.level = 4;
  for (int op : {'W', 'w'}) {
    EXPECT_EQ(Raru_SysSettings(op, &s), 0);
    RaruSettings t{};
    EXPECT_EQ(Raru_SysSettings(op == 'W' ? 'R' : 'r', &t), 0);
    EXPECT_EQ(std::memcmp(&s, &t, sizeof s), 0);
    s.level++;
  }
  EXPECT_EQ(Raru_SysSettings('x', &s), 1);
  char name[262] = "a.ksl", back[262] = {};
  EXPECT_EQ(Raru_SysPreviewFile('W', name), 0);
  EXPECT_EQ(Raru_SysPreviewFile('r', back), 0);
  EXPECT_STREQ(back, "a.ksl");
  EXPECT_EQ(Raru_SysListFolder('w', name), 0);
  EXPECT_EQ(Raru_SysListFolder('R', back), 0);
  EXPECT_EQ(Raru_SysListFolder(0, back), 1);
  EXPECT_EQ(Raru_SysPreviewFile('?', back), 1);
}

TEST_F(Settings, NoFileGivesTheDefaults) {
  Raru_GateFlag = 1;
  RaruSettings junk;
  std::memset(&junk, 0x41, sizeof junk);
  Raru_SysSettings('W', &junk);
  EXPECT_EQ(Raru_ReadConfig(), 0);
  EXPECT_EQ(Raru_GateFlag, 0);
  const RaruSettings s = settings();
  EXPECT_STREQ(s.userName, "");
  EXPECT_STREQ(s.sealFolder, exefolder().c_str());
  EXPECT_STREQ(s.defaultFile, "");
  EXPECT_STREQ(s.cryptPassword, "");
  EXPECT_EQ(s.sealColor, 0);
  EXPECT_EQ(s.sealCheck, 0);
  EXPECT_EQ(s.sealDate, 1);
  EXPECT_EQ(s.level, 0);
  EXPECT_STREQ(s.regUserName, "");
  EXPECT_STREQ(Raru_PluginFolder(), (folder() + "\\").c_str());
}

TEST_F(Settings, ValuesAreReadAsTheTableSays) {
  struct Case {
    std::string lines;
    int colour, check, date;
  } cases[] = {
      {"SEALDATE=0\r\n", 0, 0, 0},   {"SEALDATE=00\r\n", 0, 0, 1},  {"SEALDATE=\r\n", 0, 0, 1},
      {"SEALDATE=1\r\n", 0, 0, 1},   {"SEALDATE=x\r\n", 0, 0, 0},   {"SEALCOLOR=2\r\nSEALCHECK=1\r\n", 2, 1, 1},
      {"SEALCOLOR=x\r\n", 0, 0, 1},
      // Out of range: black, as the preview draws it; any confirm flag but 0 confirms.
      {"SEALCOLOR=7x\r\n", 2, 0, 1}, {"SEALCOLOR=-1\r\n", 2, 0, 1},
      {"SEALCOLOR=2147483647\r\n", 2, 0, 1}, {"SEALCOLOR=-2147483648\r\n", 2, 0, 1},
      {"SEALCOLOR=2147483648\r\n", 2, 0, 1}, {"SEALCOLOR=99999999999999999999\r\n", 2, 0, 1},
      {"SEALCHECK=2147483647\r\n", 0, 1, 1}, {"SEALCHECK=-2147483648\r\n", 0, 1, 1},
  };
  for (const auto &c : cases) {
    config(c.lines);
    Raru_ReadConfig();
    const RaruSettings s = settings();
    EXPECT_EQ(s.sealColor, c.colour) << c.lines;
    EXPECT_EQ(s.sealCheck, c.check) << c.lines;
    EXPECT_EQ(s.sealDate, c.date) << c.lines;
  }
}

TEST_F(Settings, TextsAreCutAtWholeCharacters) {
  const std::string kanji = "印"; // two bytes
  std::string thirty = "a";
  for (int i = 0; i < 14; i++)
    thirty += kanji;
  thirty += "b";
  ASSERT_EQ(thirty.size(), 30u);
  std::string allkanji;
  for (int i = 0; i < 15; i++)
    allkanji += kanji;
  struct Case {
    std::string value;
    std::size_t keep;
  } cases[] = {{thirty, 23}, {allkanji, 22}, {"short", 5}};
  for (const auto &c : cases) {
    config("USERNAME=" + c.value + "\r\nCRYPTWD=" + c.value + "\r\nSEALFOLDER=C:\\" + c.value + "\r\n");
    Raru_ReadConfig();
    const RaruSettings s = settings();
    EXPECT_EQ(std::strlen(s.userName), c.keep) << c.value;
    EXPECT_EQ(std::string(s.userName), c.value.substr(0, c.keep));
    EXPECT_LE(std::strlen(s.cryptPassword), 19u);
    EXPECT_EQ(std::string(s.cryptPassword), c.value.substr(0, std::strlen(s.cryptPassword)));
    EXPECT_EQ(std::string(s.sealFolder), "C:\\" + c.value);
  }
}

class DefaultSeal : public PluginWork {
protected:
  void seal(const char *file, const char *owner, const std::string &password, int level) {
    SealBuilder b;
    b.owner(owner, password.c_str(), level, "hanko");
    write(file, b.bytes());
  }
};

TEST_F(DefaultSeal, OwnSealIsAnnouncedByNameOrPassword) {
  const std::string pw = encrypt("pass1"), other = encrypt("other");
  struct Case {
    const char *owner;
    std::string password;
    bool announced;
  } cases[] = {
      {"me", other, true},      // by name
      {"oldname", pw, true},    // by password after a name change
      {"someone", other, false} // neither
  };
  for (const auto &c : cases) {
    hst_reset();
    seal("own.ksl", c.owner, c.password, 3);
    config("USERNAME=me\r\nCRYPTWD=" + pw + "\r\nSEALFOLDER=" + folder() + "\r\nDEFAULTFILE=own.ksl\r\n");
    Raru_ReadConfig();
    const RaruSettings s = settings();
    EXPECT_STREQ(s.defaultFile, "own.ksl");
    char name[24] = {};
    int level = -1;
    EXPECT_EQ(hst_defaultseal(name, &level), c.announced ? 1 : 0) << c.owner;
    EXPECT_EQ(s.level, c.announced ? 3 : 0) << c.owner;
    if (c.announced) {
      EXPECT_STREQ(name, "hanko");
      EXPECT_EQ(level, 3);
    }
  }
}

TEST_F(DefaultSeal, LevelIsSignExtended) {
  seal("own.ksl", "me", "", -2);
  config("USERNAME=me\r\nSEALFOLDER=" + folder() + "\r\nDEFAULTFILE=own.ksl\r\n");
  Raru_ReadConfig();
  EXPECT_EQ(settings().level, -2);
}

TEST_F(DefaultSeal, MissingOrShortFilesAnnounceNothing) {
  config("USERNAME=me\r\nSEALFOLDER=" + folder() + "\r\nDEFAULTFILE=gone.ksl\r\n");
  Raru_ReadConfig();
  EXPECT_STREQ(settings().defaultFile, "");
  EXPECT_EQ(hst_defaultseal(nullptr, nullptr), 0);
  // A header cut short matches nothing, though its owner would.
  SealBuilder b;
  b.owner("me", "", 5);
  std::vector<uint8_t> bytes = b.bytes();
  bytes.resize(200);
  write("short.ksl", bytes);
  config("USERNAME=me\r\nSEALFOLDER=" + folder() + "\r\nDEFAULTFILE=short.ksl\r\n");
  Raru_ReadConfig();
  EXPECT_STREQ(settings().defaultFile, "short.ksl");
  EXPECT_EQ(settings().level, 0);
  EXPECT_EQ(hst_defaultseal(nullptr, nullptr), 0);
  // A name that makes the path longer than a path buffer is not opened.
  config("USERNAME=me\r\nSEALFOLDER=" + folder() + "\r\nDEFAULTFILE=" + std::string(250, 'n') + "\r\n");
  Raru_ReadConfig();
  EXPECT_STREQ(settings().defaultFile, "");
}

TEST_F(DefaultSeal, OwnerFieldsAreComparedWithinTheirWidths) {
  // An owner name filling all 24 bytes never equals a settings name (at most 23).
  SealBuilder b;
  b.owner("", "", 3);
  std::memset(b.head.data() + SLF_OFF_OWNER, 'm', 24);
  std::memset(b.head.data() + SLF_OFF_PASSWORD, 'p', 20);
  write("own.ksl", b.bytes());
  config("USERNAME=" + std::string(23, 'm') + "\r\nCRYPTWD=" + std::string(19, 'p') + "\r\nSEALFOLDER=" + folder() +
         "\r\nDEFAULTFILE=own.ksl\r\n");
  Raru_ReadConfig();
  EXPECT_EQ(hst_defaultseal(nullptr, nullptr), 0);
}

TEST_F(DefaultSeal, WritingTheUsualSealAnnouncesItButKeepsTheLevel) {
  seal("own.ksl", "me", "", 6);
  RaruSettings s{};
  std::strcpy(s.userName, "me");
  std::strcpy(s.sealFolder, folder().c_str());
  std::strcpy(s.defaultFile, "own.ksl");
  s.level = 1;
  Raru_SysSettings('W', &s);
  EXPECT_EQ(Raru_WriteConfig(CFG_DEFAULTFILE), 0);
  EXPECT_EQ(key("DEFAULTFILE"), "own.ksl");
  int level = 0;
  EXPECT_EQ(hst_defaultseal(nullptr, &level), 1);
  EXPECT_EQ(level, 6);
  EXPECT_EQ(settings().level, 1);
}

using Mirror = PluginWork;

TEST_F(Mirror, FirstReadCreatesTheKeyAndLeavesTheFieldsEmpty) {
  config("USERNAME=me\r\nCRYPTWD=" + encrypt("pw") + "\r\n");
  ASSERT_EQ(regvalue("data0"), "<nokey>");
  Raru_ReadConfig();
  EXPECT_EQ(regvalue("data0"), "<none>"); // the key exists now
  RaruSettings s = settings();
  EXPECT_STREQ(s.userName, "me");
  EXPECT_STREQ(s.regUserName, "");
  EXPECT_STREQ(s.regCryptPassword, "");
  EXPECT_STREQ(s.groupCode, "");
  // The key exists, the values not: unreadable.
  EXPECT_EQ(Raru_RegReadUser(), -1);
}

TEST_F(Mirror, WritesAreZeroPaddedAndReadBack) {
  RaruSettings s{};
  std::strcpy(s.regUserName, "me");
  std::strcpy(s.regCryptPassword, encrypt("pw").c_str());
  std::strcpy(s.groupCode, "G1");
  Raru_SysSettings('W', &s);
  EXPECT_EQ(Raru_RegWriteUser(), 0);
  EXPECT_EQ(Raru_RegWritePassword(), 0);
  EXPECT_EQ(Raru_RegWriteGroup(), 0);
  DWORD n0 = 0, n1 = 0, n2 = 0;
  EXPECT_EQ(regvalue("data0", &n0), std::string("me") + std::string(22, '\0'));
  EXPECT_EQ(regvalue("data1", &n1), encrypt("pw") + std::string(2, '\0'));
  EXPECT_EQ(regvalue("data2", &n2), std::string("G1") + std::string(18, '\0'));
  EXPECT_EQ(n0, 24u);
  EXPECT_EQ(n1, 20u);
  EXPECT_EQ(n2, 20u);
  // The next read takes them.
  config("USERNAME=me\r\n");
  Raru_ReadConfig();
  s = settings();
  EXPECT_STREQ(s.regUserName, "me");
  EXPECT_STREQ(s.regCryptPassword, encrypt("pw").c_str());
  EXPECT_STREQ(s.groupCode, "G1");
}

TEST_F(Mirror, LongValuesAreCutAtWholeCharacters) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::string longname = "a" + std::string("印印印印印印印印印印印印印印");
  RegSetValueExA(key, "data0", 0, REG_BINARY, reinterpret_cast<const BYTE *>(longname.data()), DWORD(longname.size()));
  RegSetValueExA(key, "data2", 0, REG_BINARY, reinterpret_cast<const BYTE *>(""), 0);
  RegCloseKey(key);
  RaruSettings s{};
  Raru_SysSettings('W', &s);
  EXPECT_EQ(Raru_RegReadUser(), 1);
  EXPECT_EQ(std::string(settings().regUserName), longname.substr(0, 23));
  EXPECT_EQ(Raru_RegReadGroup(), 0); // empty
}

TEST_F(Mirror, UserNameAndPasswordGoToFileAndMirror) {
  RaruSettings s{};
  std::strcpy(s.userName, "me");
  std::strcpy(s.regUserName, "me");
  std::strcpy(s.cryptPassword, encrypt("pw").c_str());
  std::strcpy(s.regCryptPassword, encrypt("pw").c_str());
  s.sealColor = 2;
  s.sealDate = 0;
  Raru_SysSettings('W', &s);
  EXPECT_EQ(Raru_WriteConfig(CFG_USERNAME), 0);
  EXPECT_EQ(Raru_WriteConfig(CFG_CRYPTWD), 0);
  EXPECT_EQ(Raru_WriteConfig(CFG_SEALCOLOR), 0);
  EXPECT_EQ(Raru_WriteConfig(CFG_SEALDATE), 0);
  EXPECT_EQ(Raru_WriteConfig(999), 0);
  EXPECT_EQ(key("USERNAME"), "me");
  EXPECT_EQ(key("CRYPTWD"), encrypt("pw"));
  EXPECT_EQ(key("SEALCOLOR"), "2");
  EXPECT_EQ(key("SEALDATE"), "0");
  EXPECT_EQ(key("SEALCHECK"), "<none>");
  EXPECT_EQ(regvalue("data0").substr(0, 3), std::string("me\0", 3));
  EXPECT_EQ(regvalue("data1").substr(0, 18), encrypt("pw"));
}

// Tests run as root under Wine, where a read-only file can still be written: the
// profile writer fails through its seam.
BOOL WINAPI failing_writer(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (std::strcmp(key, "CRYPTWD") == 0)
    return FALSE;
  return WritePrivateProfileStringA(section, key, value, file);
}

TEST_F(Mirror, AFailedFileWriteLeavesTheMirrorAlone) {
  const std::string oldpw = encrypt("old"), newpw = encrypt("new");
  RaruSettings s{};
  std::strcpy(s.cryptPassword, oldpw.c_str());
  std::strcpy(s.regCryptPassword, oldpw.c_str());
  Raru_SysSettings('W', &s);
  ASSERT_EQ(Raru_WriteConfig(CFG_CRYPTWD), 0);
  ASSERT_EQ(key("CRYPTWD"), oldpw);
  std::strcpy(s.cryptPassword, newpw.c_str());
  std::strcpy(s.regCryptPassword, newpw.c_str());
  Raru_SysSettings('W', &s);
  plg_sys.writeprofile = failing_writer;
  EXPECT_NE(Raru_WriteConfig(CFG_CRYPTWD), 0);
  EXPECT_EQ(key("CRYPTWD"), oldpw);
  EXPECT_EQ(regvalue("data1").substr(0, 18), oldpw);
  // The user-name write still works.
  std::strcpy(s.userName, "me");
  Raru_SysSettings('W', &s);
  EXPECT_EQ(Raru_WriteConfig(CFG_USERNAME), 0);
  // Read back, file and mirror agree.
  Raru_ReadConfig();
  s = settings();
  EXPECT_STREQ(s.cryptPassword, s.regCryptPassword);
  EXPECT_STREQ(s.cryptPassword, oldpw.c_str());
}

} // namespace
