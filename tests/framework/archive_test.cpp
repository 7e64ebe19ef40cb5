// Archives over memory and plain files: the byte form of numbers, strings and objects
// with class records, and the errors of damaged input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/file.h"

namespace {

using Bytes = std::vector<unsigned char>;

class CTestNode : public CObject {
  DECLARE_SERIAL(CTestNode)
public:
  // Every node alive, so that a test can free what a failed load left behind.
  static std::vector<CTestNode *> &all() {
    static std::vector<CTestNode *> nodes;
    return nodes;
  }
  CTestNode() { all().push_back(this); }
  ~CTestNode() override { std::erase(all(), this); }
  int32_t m_value = 0;
  CString m_name;
  CTestNode *m_next = nullptr;
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_value << m_name << m_next;
    else
      ar >> m_value >> m_name >> m_next;
  }
};
IMPLEMENT_SERIAL(CTestNode, CObject, 1)

class CTestOther : public CObject {
  DECLARE_SERIAL(CTestOther)
};
IMPLEMENT_SERIAL(CTestOther, CObject, 0)

// What a storing archive wrote through fill.
template <class F> Bytes stored(F fill) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    fill(ar);
    ar.Close();
  }
  Bytes out(size_t(file.GetLength()));
  file.SeekToBegin();
  file.Read(out.data(), unsigned(out.size()));
  return out;
}

// A loading archive over a copy of the bytes.
struct Loader {
  explicit Loader(Bytes b) : bytes(std::move(b)), file(bytes.data(), bytes.size()), ar(&file, CArchive::load) {}
  Bytes bytes;
  CMemFile file;
  CArchive ar;
};

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes &p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes text(const char *s) { return Bytes(s, s + std::strlen(s)); }

TEST(Archive, ScalarsAreLittleEndian) {
  Bytes b = stored([](CArchive &ar) {
    ar << uint8_t(0xAB) << uint16_t(0x1234) << int32_t(-2) << uint32_t(0x01020304) << 1.5;
  });
  EXPECT_EQ(b, (Bytes{0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
  Loader l(b);
  uint8_t u8;
  uint16_t u16;
  int32_t i32;
  uint32_t u32;
  double f64;
  l.ar >> u8 >> u16 >> i32 >> u32 >> f64;
  EXPECT_EQ(u8, 0xAB);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(u32, 0x01020304u);
  EXPECT_EQ(f64, 1.5);
}

TEST(Archive, StringLengthForms) {
  struct Case {
    size_t length;
    Bytes prefix;
  } cases[] = {
      {0, {0x00}},
      {1, {0x01}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {300, {0xFF, 0x2C, 0x01}},
      {0xFFFD, {0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const Case &c : cases) {
    std::string body(c.length, 'x');
    for (size_t i = 0; i < c.length; ++i)
      body[i] = char('a' + i % 26);
    Bytes b = stored([&](CArchive &ar) { ar << CString(body); });
    EXPECT_EQ(b, cat({c.prefix, Bytes(body.begin(), body.end())})) << c.length;
    Loader l(b);
    CString back;
    l.ar >> back;
    EXPECT_EQ(back.str(), body) << c.length;
  }
}

TEST(Archive, WideStringReadsAsShiftJis) {
  // "日本a": U+65E5 U+672C U+0061, marked wide, then a 3-character length.
  Bytes wide = {0xFF, 0xFE, 0xFF, 0x03, 0xE5, 0x65, 0x2C, 0x67, 0x61, 0x00};
  Loader l(wide);
  CString s;
  l.ar >> s;
  EXPECT_EQ(s, "日本a");

  // The long length form after the wide mark.
  Bytes longForm = {0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 0x41, 0x00};
  Loader l2(longForm);
  l2.ar >> s;
  EXPECT_EQ(s, "A");
}

TEST(Archive, OneClassRecordThenReferences) {
  CTestNode a, b;
  a.m_value = 7;
  b.m_value = 8;
  Bytes out = stored([&](CArchive &ar) { ar << &a << &b << &a << static_cast<CObject *>(nullptr); });
  Bytes expect = cat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, text("CTestNode"), {7, 0, 0, 0, 0x00, 0x00, 0x00},
                      {0x01, 0x80}, {8, 0, 0, 0, 0x00, 0x00, 0x00}, {0x02, 0x00}, {0x00, 0x00}});
  EXPECT_EQ(out, expect);

  Loader l(out);
  CTestNode *p1, *p2, *p3, *p4;
  l.ar >> p1 >> p2 >> p3 >> p4;
  std::unique_ptr<CTestNode> own1(p1), own2(p2);
  ASSERT_TRUE(p1 && p2);
  EXPECT_EQ(p1->m_value, 7);
  EXPECT_EQ(p2->m_value, 8);
  EXPECT_EQ(p3, p1);
  EXPECT_EQ(p4, nullptr);
}

TEST(Archive, ObjectGraphWithCycle) {
  CTestNode a, b;
  a.m_name = "先頭";
  a.m_next = &b;
  b.m_next = &a;
  Loader l(stored([&](CArchive &ar) { ar << &a; }));
  CTestNode *p;
  l.ar >> p;
  ASSERT_TRUE(p && p->m_next);
  std::unique_ptr<CTestNode> own1(p), own2(p->m_next);
  EXPECT_EQ(p->m_name, "先頭");
  EXPECT_EQ(p->m_next->m_next, p);
}

TEST(Archive, BigObjectTag) {
  // Index 1 is the class; objects count from 2, so the 0x7FFE-th object has index 0x7FFF.
  std::vector<CTestOther> objs(0x7FFE);
  Bytes out = stored([&](CArchive &ar) {
    for (const CTestOther &o : objs)
      ar << &o;
    ar << &objs.back();
  });
  Bytes tail(out.end() - 6, out.end());
  EXPECT_EQ(tail, (Bytes{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}));
  Loader l(out);
  std::vector<std::unique_ptr<CObject>> back;
  for (size_t i = 0; i < objs.size(); ++i)
    back.emplace_back(l.ar.ReadObject(RUNTIME_CLASS(CTestOther)));
  EXPECT_EQ(l.ar.ReadObject(nullptr), back.back().get());
}

// Damaged input: the archive exception with the cause, never a crash.
TEST(Archive, DamagedInputThrows) {
  Bytes node = stored([](CArchive &ar) {
    CTestNode n;
    ar << &n;
  });
  Bytes unknown = node;
  unknown[6] = 'X'; // "XTestNode"
  Bytes newer = node;
  newer[2] = 2; // schema 2
  Bytes classAsObject = cat({node, {0x01, 0x00}});
  struct Case {
    const char *what;
    Bytes bytes;
    int cause;
  } cases[] = {
      {"unknown class", unknown, CArchiveException::badClass},
      {"newer schema", newer, CArchiveException::badSchema},
      {"truncated object", Bytes(node.begin(), node.end() - 2), CArchiveException::endOfFile},
      {"truncated class name", Bytes(node.begin(), node.begin() + 9), CArchiveException::endOfFile},
      {"long class name", {0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}, CArchiveException::badClass},
      {"reference to nothing", {0x05, 0x00}, CArchiveException::badIndex},
      {"class index not loaded", {0x03, 0x80}, CArchiveException::badIndex},
      {"reference to a class", classAsObject, CArchiveException::badIndex},
  };
  for (const Case &c : cases) {
    Loader l(c.bytes);
    int cause = -1;
    try {
      CObject *first = l.ar.ReadObject(nullptr);
      delete l.ar.ReadObject(nullptr);
      delete first;
    } catch (const CArchiveException &e) {
      cause = e.m_cause;
    }
    EXPECT_EQ(cause, c.cause) << c.what;
    while (!CTestNode::all().empty())
      delete CTestNode::all().back();
  }
}

TEST(Archive, WrongClassAskedFor) {
  Loader l(stored([](CArchive &ar) {
    CTestOther o;
    ar << &o;
  }));
  EXPECT_THROW(
      {
        CTestNode *p;
        l.ar >> p;
      },
      CArchiveException);
}

TEST(Archive, ReadPastTheEnd) {
  struct Case {
    Bytes bytes;
    int kind; // 0 u32, 1 string, 2 double
  } cases[] = {{{1, 2}, 0}, {{0x05, 'a', 'b'}, 1}, {{0xFF, 0x2C}, 1}, {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 1},
               {{1, 2, 3, 4, 5, 6, 7}, 2}};
  for (const Case &c : cases) {
    Loader l(c.bytes);
    try {
      uint32_t u;
      CString s;
      double d;
      if (c.kind == 0)
        l.ar >> u;
      else if (c.kind == 1)
        l.ar >> s;
      else
        l.ar >> d;
      ADD_FAILURE() << "no exception for kind " << c.kind;
    } catch (const CArchiveException &e) {
      EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
  }
}

TEST(Archive, FlushOnLoadPutsTheFileAfterWhatWasRead) {
  Bytes b = {3, 'a', 'b', 'c', 9, 8, 7};
  Loader l(b);
  CString s;
  l.ar >> s;
  l.ar.Flush();
  EXPECT_EQ(l.file.GetPosition(), 4u);
  unsigned char rest[3];
  EXPECT_EQ(l.file.Read(rest, 3), 3u);
  EXPECT_EQ(rest[0], 9);
}

TEST(Archive, LargeWritesAndReadsPassTheBuffer) {
  std::string big(100000, 'q');
  Bytes b = stored([&](CArchive &ar) {
    ar << uint8_t(1);
    ar.Write(big.data(), unsigned(big.size()));
    ar << uint8_t(2);
  });
  ASSERT_EQ(b.size(), big.size() + 2);
  Loader l(b);
  uint8_t first, last;
  std::string back(big.size(), '\0');
  l.ar >> first;
  EXPECT_EQ(l.ar.Read(back.data(), unsigned(back.size())), back.size());
  l.ar >> last;
  EXPECT_EQ(back, big);
  EXPECT_EQ(last, 2);
  char more;
  EXPECT_EQ(l.ar.Read(&more, 1), 0u);
}

TEST(MemFile, GrowsInStepsAndRefusesBadSeeks) {
  CMemFile f(4096);
  f.Write("abc", 3);
  EXPECT_EQ(f.GetLength(), 3u);
  f.Seek(10, CFile::begin);
  f.Write("z", 1);
  EXPECT_EQ(f.GetLength(), 11u);
  unsigned char all[11];
  f.SeekToBegin();
  EXPECT_EQ(f.Read(all, 11), 11u);
  EXPECT_EQ(all[5], 0);
  EXPECT_EQ(f.Read(all, 1), 0u);
  EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);

  unsigned char fixed[4] = {1, 2, 3, 4};
  CMemFile over(fixed, sizeof fixed);
  EXPECT_EQ(over.GetLength(), 4u);
  over.Seek(0, CFile::end);
  EXPECT_THROW(over.Write("x", 1), CMemoryException);
}

TEST(PlainFile, RoundTripAndMissingFile) {
  std::string path = testing::TempDir() + "archive_plain.bin";
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    ar << CString("plain") << uint32_t(42);
  }
  {
    CFile f(path.c_str(), CFile::modeRead);
    EXPECT_EQ(f.GetLength(), 10u);
    CArchive ar(&f, CArchive::load);
    CString s;
    uint32_t n;
    ar >> s >> n;
    EXPECT_EQ(s, "plain");
    EXPECT_EQ(n, 42u);
  }
  std::remove(path.c_str());
  CFile f;
  CFileException e;
  EXPECT_FALSE(f.Open((path + ".missing").c_str(), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_NE(e.m_lOsError, 0);
}

} // namespace
