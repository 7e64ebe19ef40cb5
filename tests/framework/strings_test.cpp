// Shift-JIS strings, path comparison and the framework's exceptions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/cstring.h"
#include "framework/document.h"
#include "framework/except.h"
#include "settings/answers.h"

namespace {

TEST(CString, DoubleByteCharactersAreUnits) {
  // "表" is 0x95 0x5C: its trail byte is a backslash and must not be found as one.
  const CString s("c:\\表\\a.ksl");
  EXPECT_EQ(s.Find('\\'), 2);
  EXPECT_EQ(s.Find('\\', 3), 5);
  EXPECT_EQ(s.ReverseFind('\\'), 5);
  EXPECT_EQ(s.Mid(6), "a.ksl");
  EXPECT_EQ(s.Find("a.k"), 6);

  // "ア" is 0x83 0x41: its trail byte is an 'A' and stays as it is.
  CString t("ア_abc");
  t.MakeLower();
  EXPECT_EQ(t, "ア_abc");
  t.MakeUpper();
  EXPECT_EQ(t, "ア_ABC");
}

TEST(CString, CompareNoCase) {
  EXPECT_EQ(CString("Seal.KSL").CompareNoCase("seal.ksl"), 0);
  EXPECT_NE(CString("\x83\x41").CompareNoCase("\x83\x61"), 0); // two different kana, not two cases
  EXPECT_LT(CString("abc").Compare("abd"), 0);
}

TEST(CString, FormatBufferAndConcatenation) {
  CString s;
  s.Format("%sの図 (%d)", "ホスト", 1);
  EXPECT_EQ(s, "ホストの図 (1)");
  char *b = s.GetBuffer(64);
  std::strcpy(b, "xyz");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(s + "/" + CString("w"), "xyz/w");
  EXPECT_EQ(s.Left(10), "xyz");
  EXPECT_EQ(s.Right(2), "yz");
  EXPECT_EQ(s.Mid(1, 1), "y");
  EXPECT_EQ(CString(nullptr), "");
}

TEST(AfxComparePath, Cases) {
  struct Case {
    const char *a, *b;
    bool same;
  } cases[] = {
      {"C:\\Seals\\A.KSL", "c:\\seals\\a.ksl", true},
      {"C:/Seals/a.ksl", "C:\\Seals\\a.ksl", true},
      {"C:\\印影\\山田.ksl", "c:\\印影\\山田.KSL", true},
      {"c:\\\x83\x41.ksl", "c:\\\x83\x61.ksl", false}, // trail bytes never fold
      {"c:\\表", "c:\\\x95/", false},                  // a trail backslash is not a separator
      {"a.ksl", "a.ksl ", false},
      {"", nullptr, true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(AfxComparePath(c.a, c.b), c.same) << c.a << " | " << (c.b ? c.b : "(null)");
}

struct Asked {
  std::vector<std::string> texts;
  Asked() {
    ui_setresponder([this](const UiQuestion &q) {
      texts.push_back(q.text);
      return IDOK;
    });
  }
  ~Asked() { ui_setresponder(nullptr); }
};

TEST(Exceptions, UserExceptionsAreSilentOthersAreReported) {
  CDocument doc;
  doc.m_bAutoDelete = FALSE;
  Asked asked;
  const CKLException kl(100, 0);
  doc.ReportSaveLoadException("a.ksl", &kl, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
  const CUserException user;
  doc.ReportSaveLoadException("a.ksl", &user, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
  EXPECT_TRUE(asked.texts.empty());

  const CFileException missing(CFileException::OsErrorToException(2), 2, "c:\\印影\\a.ksl");
  doc.ReportSaveLoadException("c:\\印影\\a.ksl", &missing, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
  const CInvalidArgException bad;
  doc.ReportSaveLoadException("b.ksl", &bad, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
  doc.ReportSaveLoadException("c.ksl", nullptr, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
  ASSERT_EQ(asked.texts.size(), 3u);
  EXPECT_EQ(asked.texts[0], "c:\\印影\\a.ksl が見つかりません。");
  EXPECT_EQ(asked.texts[1], "b.ksl を保存できませんでした。");
  EXPECT_EQ(asked.texts[2], "c.ksl を開けませんでした。");
}

TEST(Exceptions, ThrownByValueCaughtAsTheBase) {
  try {
    throw CKLException(10, 3);
  } catch (const CUserException &e) {
    const auto *kl = dynamic_cast<const CKLException *>(&e);
    ASSERT_NE(kl, nullptr);
    EXPECT_EQ(kl->m_code, 10);
    EXPECT_EQ(kl->m_detail, 3);
  }
  EXPECT_THROW(AfxThrowFileException(CFileException::diskFull, 112, "x"), CFileException);
  EXPECT_THROW(AfxThrowInvalidArgException(), CException);
  EXPECT_EQ(CFileException::OsErrorToException(32), CFileException::sharingViolation);
  EXPECT_EQ(CFileException::OsErrorToException(9999), CFileException::genericException);
}

} // namespace
