// Native data and descriptors of the older object formats: the head and the seal
// file behind it, taking it back into a drawing, refusals that leave the drawing as
// it was, and the names of the descriptor.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "../files/sealfix.h"
#include "display/view/viewtbl.h"
#include "files/sealsavewin.h"
#include "ole/ole1clip.h"
#include "settings/syspath.h"

namespace {

Bytes global_bytes(HGLOBAL h) {
  const auto *p = static_cast<const uint8_t *>(GlobalLock(h));
  Bytes b(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return b;
}

Bytes file_of(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The three names of a descriptor; the fourth zero after them checked on the way.
std::vector<std::string> names_of(HGLOBAL h) {
  const Bytes b = global_bytes(h);
  std::vector<std::string> out;
  size_t at = 0;
  for (int i = 0; i < 3; i++) {
    const std::string s(reinterpret_cast<const char *>(b.data() + at));
    out.push_back(s);
    at += s.size() + 1;
  }
  EXPECT_EQ(at + 1, b.size());
  EXPECT_EQ(b[at], 0);
  return out;
}

struct Native : Seal {
  WorkDir wd;
  const double rect[4] = {1.5, 2.25, 30.0, 40.75};
  const RECT dev = {3, 4, 102, 53};
  uint32_t masks[2] = {};
  void SetUp() override {
    Seal::SetUp();
    sys_path('W', 4, const_cast<char *>(wd.folder().c_str()));
    masks[0] = vewmask[0], masks[1] = vewmask[1];
    vewmask[0] = 1; // drawing 0 is open in a view; drawing 1 is not
    vewmask[1] = 0;
  }
  void TearDown() override {
    vewmask[0] = masks[0], vewmask[1] = masks[1];
    Seal::TearDown();
  }
  std::string temp() const { return wd.folder() + "KLOLETMP.$$$"; }
};

TEST_F(Native, TheHeadThenTheDrawingSavedAsASealFile) {
  fixture(0);
  int error = -1;
  HGLOBAL h = ole1_native(0, rect, dev, &error);
  ASSERT_TRUE(h);
  EXPECT_EQ(error, 0);
  const Bytes b = global_bytes(h);
  GlobalFree(h);
  EXPECT_EQ(GetFileAttributesA(temp().c_str()), INVALID_FILE_ATTRIBUTES); // the temporary file is gone
  ASSERT_GT(b.size(), OLE1_HEADSIZE);
  EXPECT_STREQ(reinterpret_cast<const char *>(b.data()), "KIVO LANT Native Data V1.0 []");
  for (size_t i = std::strlen("KIVO LANT Native Data V1.0 []"); i < 128; i++)
    ASSERT_EQ(b[i], 0) << i;
  double corners[4];
  std::memcpy(corners, b.data() + 128, sizeof corners);
  for (int i = 0; i < 4; i++)
    EXPECT_EQ(corners[i], rect[i]);
  int32_t d[4];
  std::memcpy(d, b.data() + 160, sizeof d);
  EXPECT_EQ(d[0], 3);
  EXPECT_EQ(d[1], 4);
  EXPECT_EQ(d[2], 102);
  EXPECT_EQ(d[3], 53);
  for (size_t i = 176; i < 256; i++)
    ASSERT_EQ(b[i], 0) << i;
  // The same drawing saved as a seal file, byte for byte.
  const std::string path = wd.file("SAME.KSL");
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  SlfSaveCount = int32_t(DbCtl[0].count1);
  ASSERT_EQ(slf_save(0, path.c_str(), 3, &env), SLF_SAVED);
  EXPECT_EQ(Bytes(b.begin() + OLE1_HEADSIZE, b.end()), file_of(path));
  // The area copy's mark of the native form in bit 15 is not a drawing number.
  HGLOBAL marked = RenderOle1Data(0x8000 | 0, rect, OLE1_NATIVE, &dev);
  ASSERT_TRUE(marked);
  EXPECT_EQ(global_bytes(marked), b);
  GlobalFree(marked);
}

TEST_F(Native, TakenBackIntoAnEmptyDrawingItGivesTheSameElements) {
  // Native data under 1280 bytes is refused: ten more lines make it long enough.
  fixture(0);
  for (int i = 0; i < 10; i++)
    add(0, line(i, 0, i, 9));
  int error = 0;
  HGLOBAL h = ole1_native(0, rect, dev, &error);
  ASSERT_TRUE(h);
  ASSERT_EQ(DbCtl[1].count1, 0u);
  ASSERT_EQ(ole1_takenative(h, 1), 0);
  EXPECT_EQ(DbCtl[1].count1, DbCtl[0].count1);
  EXPECT_EQ(records(1, 1, 17), records(0, 1, 17));
  for (int i = 0; i < 4; i++)
    EXPECT_EQ(Ole1Taken.rect[i], rect[i]);
  EXPECT_EQ(Ole1Taken.device.left, 0);
  EXPECT_EQ(Ole1Taken.device.top, 0);
  EXPECT_EQ(Ole1Taken.device.right, 99);
  EXPECT_EQ(Ole1Taken.device.bottom, 49);
  EXPECT_EQ(GetFileAttributesA(temp().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Native, ShortOrEmptyDataIsRefusedAndTheDrawingStays) {
  fixture(1);
  const Bytes before = records(1, 1, 7);
  const uint32_t count = DbCtl[1].count1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, OLE1_MINNATIVE - 1);
  ASSERT_TRUE(h);
  EXPECT_EQ(ole1_takenative(h, 1), 1004);
  EXPECT_EQ(ole1_takenative(nullptr, 1), 1001);
  // A head with a body that is no seal file: not taken, and said so.
  HGLOBAL bad = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4000);
  EXPECT_EQ(ole1_takenative(bad, 1), 1006);
  EXPECT_EQ(DbCtl[1].count1, count);
  EXPECT_EQ(records(1, 1, 7), before);
  EXPECT_EQ(GetFileAttributesA(temp().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Native, DescriptorNames) {
  fixture(0);
  struct Case {
    int dwg, form;
    const char *file;
    std::string document, item;
  } cases[] = {
      {0, OLE1_OWNERLINK, "ABC.KSL", wd.folder() + "ABC.KSL", ""},
      {0, OLE1_OWNERLINK, "", "新規図面1", ""},
      {0, OLE1_EMBEDDED, "ABC.KSL", "(Unknown)", ""},
      {1, OLE1_OWNERLINK, "", "(\?\?\?)", "不明"},
      {1, OLE1_EMBEDDED, "", "(\?\?\?)", "不明"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.document);
    char name[262];
    std::snprintf(name, sizeof name, "%s", c.file);
    sys_dwgname('W', c.dwg, 0, name);
    HGLOBAL h = RenderOle1Data(c.dwg, rect, c.form, &dev);
    ASSERT_TRUE(h);
    const std::vector<std::string> n = names_of(h);
    GlobalFree(h);
    EXPECT_EQ(n[0], "KIVO-LANT");
    EXPECT_EQ(n[1], c.document);
    EXPECT_EQ(n[2], c.item.empty() ? "図面領域(1.5,2.2)-(30.0,40.8),ﾄﾞｯﾄ数(100,50)" : c.item);
  }
  char none[262] = "";
  sys_dwgname('W', 0, 0, none);
  // No native data without a drawing.
  EXPECT_EQ(RenderOle1Data(1, rect, OLE1_NATIVE, &dev), nullptr);
}

TEST_F(Native, ADescriptorReaching782BytesIsNotMade) {
  // "KIVO-LANT", three zeros and the last zero: 13 bytes beside the two names.
  const std::string item(100, 'i');
  HGLOBAL fits = ole1_descriptor(std::string(781 - 13 - 100, 'd').c_str(), item.c_str());
  ASSERT_TRUE(fits);
  EXPECT_EQ(GlobalSize(fits), 781u);
  GlobalFree(fits);
  EXPECT_EQ(ole1_descriptor(std::string(782 - 13 - 100, 'd').c_str(), item.c_str()), nullptr);
}

} // namespace
