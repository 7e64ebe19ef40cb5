// Archives through OLE streams of compound files, and shared memory files.
#include <gtest/gtest.h>

#include <ole2.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/archive.h"
#include "framework/oleinit.h"
#include "framework/olefile.h"

namespace {

class CShape : public CObject {
  DECLARE_SERIAL(CShape)
public:
  CString m_name;
  double m_size = 0;
  CShape *m_partner = nullptr;
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_name << m_size << m_partner;
    else
      ar >> m_name >> m_size >> m_partner;
  }
};
IMPLEMENT_SERIAL(CShape, CObject, 3)

std::wstring tempPath(const wchar_t *name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

struct OleReady : testing::Test {
  void SetUp() override { ASSERT_TRUE(AfxOleInit()); }
};

TEST_F(OleReady, ObjectGraphThroughAStreamOfACompoundFile) {
  std::wstring path = tempPath(L"olefile_graph.stg");
  CShape a, b;
  a.m_name = "円";
  a.m_size = 2.5;
  a.m_partner = &b;
  b.m_name = "四角";
  b.m_size = -1;
  b.m_partner = &a;
  {
    IStorage *stg = nullptr;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg), S_OK);
    COleStreamFile file;
    ASSERT_TRUE(file.CreateStream(stg, "Contents"));
    {
      CArchive ar(&file, CArchive::store);
      EXPECT_TRUE(ar.GetFile()->IsKindOf(RUNTIME_CLASS(COleStreamFile)));
      ar << &a << uint32_t(77);
      ar.Close();
    }
    file.Close();
    ASSERT_EQ(stg->Commit(STGC_DEFAULT), S_OK);
    stg->Release();
  }
  IStorage *stg = nullptr;
  ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg), S_OK);
  COleStreamFile file;
  CFileException missing;
  EXPECT_FALSE(file.OpenStream(stg, "Other", CFile::modeRead | CFile::shareExclusive, &missing));
  EXPECT_EQ(missing.m_cause, CFileException::fileNotFound);
  ASSERT_TRUE(file.OpenStream(stg, "Contents", CFile::modeRead | CFile::shareExclusive));
  CShape *p = nullptr;
  uint32_t tail = 0;
  {
    CArchive ar(&file, CArchive::load);
    ar >> p >> tail;
  }
  ASSERT_TRUE(p && p->m_partner);
  std::unique_ptr<CShape> own1(p), own2(p->m_partner);
  EXPECT_EQ(p->m_name, "円");
  EXPECT_EQ(p->m_size, 2.5);
  EXPECT_EQ(p->m_partner->m_name, "四角");
  EXPECT_EQ(p->m_partner->m_size, -1);
  EXPECT_EQ(p->m_partner->m_partner, p);
  EXPECT_EQ(tail, 77u);
  file.Close();
  stg->Release();
  DeleteFileW(path.c_str());
}

TEST(SharedFile, DetachesABlockOfTheWrittenSize) {
  CSharedFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << CString("native") << uint32_t(5);
  }
  ASSERT_EQ(file.GetLength(), 11u);
  HGLOBAL block = file.Detach();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 11u);
  EXPECT_EQ(file.GetLength(), 0u);

  // Read back over the block, which stays the caller's.
  {
    CSharedFile reader;
    reader.SetHandle(block, FALSE);
    CArchive ar(&reader, CArchive::load);
    CString s;
    uint32_t n;
    ar >> s >> n;
    EXPECT_EQ(s, "native");
    EXPECT_EQ(n, 5u);
  }
  EXPECT_EQ(GlobalSize(block), 11u);
  GlobalFree(block);

  // A block larger than the growth step.
  CSharedFile big;
  std::string bytes(10000, 'k');
  big.Write(bytes.data(), unsigned(bytes.size()));
  HGLOBAL large = big.Detach();
  EXPECT_EQ(GlobalSize(large), 10000u);
  GlobalFree(large);
}

TEST(SharedFile, WindowsIntegerTypesAreFourBytes) {
  CSharedFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << LONG(-3) << DWORD(7) << short(-2);
  }
  HGLOBAL block = file.Detach();
  ASSERT_EQ(GlobalSize(block), 10u);
  const unsigned char expect[] = {0xFD, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0, 0xFE, 0xFF};
  EXPECT_EQ(std::memcmp(GlobalLock(block), expect, sizeof expect), 0);
  GlobalUnlock(block);
  CSharedFile reader;
  reader.SetHandle(block, FALSE);
  CArchive ar(&reader, CArchive::load);
  LONG l;
  DWORD d;
  short h;
  ar >> l >> d >> h;
  EXPECT_EQ(l, -3);
  EXPECT_EQ(d, 7u);
  EXPECT_EQ(h, -2);
  ar.Close();
  reader.Close();
  GlobalFree(block);
}

TEST(SharedFile, FixedBlockRefusesToGrow) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  CSharedFile file;
  file.SetHandle(block, FALSE);
  file.Write("abcd", 4);
  EXPECT_THROW(file.Write("e", 1), CMemoryException);
  file.Close();
  EXPECT_EQ(GlobalSize(block), 4u);
  GlobalFree(block);
}

TEST_F(OleReady, StreamFileErrorsAndMemoryStream) {
  COleStreamFile file;
  ASSERT_TRUE(file.CreateMemoryStream());
  file.Write("0123456789", 10);
  EXPECT_EQ(file.GetLength(), 10u);
  EXPECT_EQ(file.Seek(-4, CFile::end), 6u);
  char four[4];
  EXPECT_EQ(file.Read(four, 4), 4u);
  EXPECT_EQ(std::string(four, 4), "6789");
  EXPECT_EQ(file.Read(four, 4), 0u);
  file.SetLength(3);
  EXPECT_EQ(file.GetLength(), 3u);
  // The archive reads the stream to its end and no further.
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  uint32_t n;
  EXPECT_THROW(ar >> n, CArchiveException);
}

} // namespace
