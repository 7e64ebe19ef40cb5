// The native data layouts after the item list: header, extent, rectangle and the
// drawing's bytes through a temporary file; the container head; an older server's
// stream. Bad data fails with the document's exception and leaves the caller's values.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/file.h"
#include "ole/nativedata.h"

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> bytes_of(CMemFile &f) {
  std::vector<unsigned char> b(size_t(f.GetLength()));
  f.SeekToBegin();
  if (!b.empty())
    f.Read(b.data(), unsigned(b.size()));
  return b;
}

std::string read_file(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path &p, const std::string &s) {
  std::ofstream out(p, std::ios::binary);
  out << s;
}

class NativeData : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ink-native-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    tmp_ = (dir_ / "KlOLE1.tmp").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A drawing file of n bytes, every byte different in a run of 251.
  static std::string drawing(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
      s[i] = char(i % 251);
    return s;
  }

  fs::path dir_;
  std::string tmp_;
};

TEST_F(NativeData, HeaderAndDrawingHaveTheirFixedLayout) {
  const NativeItemHead head{10000, 7071, {0.0, 297.0, 420.0, 0.0}};
  const std::string dwg = drawing(40000); // more than two copy pieces
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    native_writehead(ar, head);
    native_putdrawing(ar, tmp_.c_str(), [&](const char *path) {
      EXPECT_EQ(std::string(path), tmp_);
      write_file(path, dwg);
      return 0;
    });
    ar.Close();
  }
  EXPECT_FALSE(fs::exists(tmp_)); // removed after the copy
  const std::vector<unsigned char> b = bytes_of(file);
  ASSERT_EQ(b.size(), 62 + dwg.size());
  EXPECT_EQ(b[0], 21);
  EXPECT_EQ(std::memcmp(&b[1], "Hello ORVIK KL native", 21), 0);
  int32_t cx, cy;
  double r[4];
  std::memcpy(&cx, &b[22], 4);
  std::memcpy(&cy, &b[26], 4);
  std::memcpy(r, &b[30], 32);
  EXPECT_EQ(cx, 10000);
  EXPECT_EQ(cy, 7071);
  EXPECT_EQ(r[0], 0.0);
  EXPECT_EQ(r[1], 297.0);
  EXPECT_EQ(r[2], 420.0);
  EXPECT_EQ(r[3], 0.0);
  EXPECT_EQ(std::string(b.begin() + 62, b.end()), dwg);

  // Read back into fresh values: the same head and the same drawing bytes.
  file.SeekToBegin();
  CArchive in(&file, CArchive::load);
  NativeItemHead got{};
  native_readhead(in, got);
  native_getdrawing(in, tmp_.c_str());
  EXPECT_EQ(got.cx, 10000);
  EXPECT_EQ(got.cy, 7071);
  EXPECT_EQ(std::memcmp(got.rect, head.rect, sizeof got.rect), 0);
  EXPECT_EQ(read_file(tmp_), dwg);
}

TEST_F(NativeData, AnAlteredHeaderIsRefusedAndChangesNothing) {
  for (const char *text : {"Hello ORVIK KL nativf", "Hello ORVIK KL native ", "", "Hello ORVIK KL nativ"}) {
    SCOPED_TRACE(text);
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      ar << CString(text) << int32_t(1) << int32_t(2);
      for (int i = 0; i < 4; ++i)
        ar << 5.0;
    }
    file.SeekToBegin();
    CArchive in(&file, CArchive::load);
    NativeItemHead got{3, 4, {7, 8, 9, 10}};
    try {
      native_readhead(in, got);
      ADD_FAILURE() << "accepted";
    } catch (const CKLException &e) {
      EXPECT_EQ(e.m_code, 1);
      EXPECT_EQ(e.m_detail, 0);
    }
    EXPECT_EQ(got.cx, 3);
    EXPECT_EQ(got.rect[3], 10.0);
  }
  // A header cut short after the text: the archive's end of file, values kept.
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << CString(NATIVE_HEADER) << int32_t(1);
  }
  file.SeekToBegin();
  CArchive in(&file, CArchive::load);
  NativeItemHead got{3, 4, {7, 8, 9, 10}};
  EXPECT_THROW(native_readhead(in, got), CArchiveException);
  EXPECT_EQ(got.cx, 3);
}

TEST_F(NativeData, OlderStreamsNeedTheirWholeHead) {
  const struct {
    uint32_t length;
    size_t bytes; // after the length
    std::string drawing;
    int code; // 0 accepted, 1 refused, -1 end of file
  } cases[] = {
      {256, 256, "", 0},
      {300, 256, "SEAL", 0},
      {255, 256, "", 1},
      {0, 0, "", 1},
      {256, 100, "", -1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.length);
    std::string data(4, '\0');
    std::memcpy(data.data(), &c.length, 4);
    data += std::string(c.bytes, 'h') + c.drawing;
    CMemFile file(reinterpret_cast<unsigned char *>(data.data()), data.size());
    CArchive in(&file, CArchive::load);
    fs::remove(tmp_);
    try {
      EXPECT_EQ(native_readole1(in), c.length);
      native_getdrawing(in, tmp_.c_str());
      EXPECT_EQ(c.code, 0);
      EXPECT_EQ(read_file(tmp_), c.drawing);
    } catch (const CKLException &e) {
      EXPECT_EQ(c.code, 1);
      EXPECT_EQ(e.m_code, 1);
    } catch (const CArchiveException &e) {
      EXPECT_EQ(c.code, -1);
      EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    if (c.code != 0) {
      EXPECT_FALSE(fs::exists(tmp_));
    }
  }
}

TEST_F(NativeData, AFailedEngineSaveIsThrownWithItsResult) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  native_writehead(ar, NativeItemHead{1, 2, {0, 0, 0, 0}});
  try {
    native_putdrawing(ar, tmp_.c_str(), [&](const char *path) {
      write_file(path, "partial");
      return 30154;
    });
    ADD_FAILURE() << "no exception";
  } catch (const CKLException &e) {
    EXPECT_EQ(e.m_code, 10);
    EXPECT_EQ(e.m_detail, 30154);
  }
  EXPECT_EQ(file.GetLength(), 62u); // the head only
  EXPECT_FALSE(fs::exists(tmp_));   // nothing of the failed store stays behind
  ar.Abort();
}

TEST_F(NativeData, MissingTemporaryFileAndFailedCopyThrowAndLeaveNoFile) {
  {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    try {
      native_putdrawing(ar, tmp_.c_str(), [](const char *) { return 0; }); // wrote nothing
      ADD_FAILURE() << "no exception";
    } catch (const CFileException &e) {
      EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
    ar.Abort();
  }
  {
    // The stream refuses to grow in the middle of the copy.
    std::vector<unsigned char> block(100);
    CMemFile file(block.data(), block.size());
    file.SetLength(0);
    CArchive ar(&file, CArchive::store);
    EXPECT_THROW(native_putdrawing(ar, tmp_.c_str(),
                                   [&](const char *path) {
                                     write_file(path, drawing(5000));
                                     return 0;
                                   }),
                 CMemoryException);
    EXPECT_FALSE(fs::exists(tmp_));
    ar.Abort();
  }
  {
    // No folder for the temporary file on load.
    std::string data = "rest";
    CMemFile file(reinterpret_cast<unsigned char *>(data.data()), data.size());
    CArchive in(&file, CArchive::load);
    EXPECT_THROW(native_getdrawing(in, (dir_ / "none" / "x.tmp").string().c_str()), CFileException);
  }
}

TEST_F(NativeData, ContainerHeadIsTextAndVersion) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    native_writecont(ar);
  }
  const std::vector<unsigned char> b = bytes_of(file);
  ASSERT_EQ(b.size(), 28u);
  EXPECT_EQ(b[0], 23);
  EXPECT_EQ(std::memcmp(&b[1], "KL-SID Container Object", 23), 0);
  EXPECT_EQ(b[24], 100);
  EXPECT_EQ(b[25] | b[26] | b[27], 0);
  // Read without checks: another text and number pass.
  std::string other("\x03" "abc" "\x07\x00\x00\x00" "X", 9);
  CMemFile f2(reinterpret_cast<unsigned char *>(other.data()), other.size());
  CArchive in(&f2, CArchive::load);
  native_readcont(in);
  uint8_t next;
  in >> next;
  EXPECT_EQ(next, 'X');
}

} // namespace
