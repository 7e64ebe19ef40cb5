// Data sources in-process: cached and delayed formats, copies, refusals and the
// format list; the metafile DC with its attribute context.
#include <gtest/gtest.h>

#include <ole2.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/metadc.h"
#include "framework/oledata.h"
#include "framework/oleinit.h"

namespace {

HGLOBAL globalText(const char *text) {
  size_t n = std::strlen(text) + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(GlobalLock(h), text, n);
  GlobalUnlock(h);
  return h;
}

std::string globalString(HGLOBAL h) {
  auto *p = static_cast<const char *>(GlobalLock(h));
  std::string s(p, strnlen(p, GlobalSize(h)));
  GlobalUnlock(h);
  return s;
}

// Renders "render N" as text for each request, and a stream format through a file.
class CCountingSource : public COleDataSource {
public:
  int renders = 0;
  BOOL OnRenderGlobalData(FORMATETC *f, HGLOBAL *block) override {
    if (f->cfFormat != CF_OEMTEXT)
      return FALSE;
    std::string text = "render " + std::to_string(++renders);
    if (!*block) {
      *block = globalText(text.c_str());
      return TRUE;
    }
    // Into the caller's block.
    if (GlobalSize(*block) < text.size() + 1)
      return FALSE;
    std::memcpy(GlobalLock(*block), text.c_str(), text.size() + 1);
    GlobalUnlock(*block);
    return TRUE;
  }
  BOOL OnRenderFileData(FORMATETC *f, CFile *file) override {
    if (f->cfFormat != CF_TEXT)
      return FALSE;
    ++renders;
    file->Write("from a file", 11);
    return TRUE;
  }
};

struct DataSource : testing::Test {
  void SetUp() override {
    ASSERT_TRUE(AfxOleInit());
    src = new CCountingSource;
    data = src->GetDataObject();
  }
  void TearDown() override { src->InternalRelease(); }
  CCountingSource *src;
  IDataObject *data;
};

FORMATETC fmt(CLIPFORMAT cf, DWORD tymed) { return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, tymed}; }

TEST_F(DataSource, DelayedFormatRendersOnEveryRequest) {
  src->DelayRenderData(CF_OEMTEXT);
  FORMATETC f = fmt(CF_OEMTEXT, TYMED_HGLOBAL);
  for (int i = 1; i <= 2; ++i) {
    STGMEDIUM m{};
    ASSERT_EQ(data->GetData(&f, &m), S_OK);
    EXPECT_EQ(m.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(globalString(m.hGlobal), "render " + std::to_string(i));
    ReleaseStgMedium(&m);
  }

  // GetDataHere writes into the caller's block, which stays the caller's.
  HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  STGMEDIUM here{};
  here.tymed = TYMED_HGLOBAL;
  here.hGlobal = mine;
  ASSERT_EQ(data->GetDataHere(&f, &here), S_OK);
  EXPECT_EQ(here.hGlobal, mine);
  EXPECT_EQ(globalString(mine), "render 3");
  GlobalFree(mine);
}

TEST_F(DataSource, DefaultRenderingGoesThroughAFile) {
  src->DelayRenderFileData(CF_TEXT);
  FORMATETC f = fmt(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m{};
  ASSERT_EQ(data->GetData(&f, &m), S_OK);
  EXPECT_EQ(GlobalSize(m.hGlobal), 11u);
  ReleaseStgMedium(&m);

  FORMATETC s = fmt(CF_TEXT, TYMED_ISTREAM);
  ASSERT_EQ(data->GetData(&s, &m), S_OK);
  ASSERT_EQ(m.tymed, DWORD(TYMED_ISTREAM));
  STATSTG st{};
  m.pstm->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(st.cbSize.QuadPart, 11u);
  ReleaseStgMedium(&m);
}

TEST_F(DataSource, CachedDataComesBackAsACopy) {
  src->CacheGlobalData(CF_TEXT, globalText("cached"));
  FORMATETC f = fmt(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m1{}, m2{};
  ASSERT_EQ(data->GetData(&f, &m1), S_OK);
  ASSERT_EQ(data->GetData(&f, &m2), S_OK);
  EXPECT_EQ(m1.pUnkForRelease, nullptr);
  EXPECT_NE(m1.hGlobal, m2.hGlobal);
  // Spoiling one copy changes neither the other nor the cache.
  std::memcpy(GlobalLock(m1.hGlobal), "XXXX", 4);
  GlobalUnlock(m1.hGlobal);
  EXPECT_EQ(globalString(m2.hGlobal), "cached");
  ReleaseStgMedium(&m1);
  ReleaseStgMedium(&m2);
  STGMEDIUM m3{};
  ASSERT_EQ(data->GetData(&f, &m3), S_OK);
  EXPECT_EQ(globalString(m3.hGlobal), "cached");
  ReleaseStgMedium(&m3);
  EXPECT_EQ(src->renders, 0);

  // An enhanced metafile is copied too.
  HDC emfDc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  LineTo(emfDc, 10, 10);
  STGMEDIUM pic{};
  pic.tymed = TYMED_ENHMF;
  pic.hEnhMetaFile = CloseEnhMetaFile(emfDc);
  src->CacheData(CF_ENHMETAFILE, &pic);
  FORMATETC e = fmt(CF_ENHMETAFILE, TYMED_ENHMF);
  STGMEDIUM got{};
  ASSERT_EQ(data->GetData(&e, &got), S_OK);
  EXPECT_NE(got.hEnhMetaFile, pic.hEnhMetaFile);
  EXPECT_EQ(GetEnhMetaFileBits(got.hEnhMetaFile, 0, nullptr), GetEnhMetaFileBits(pic.hEnhMetaFile, 0, nullptr));
  ReleaseStgMedium(&got);
}

TEST_F(DataSource, RefusalsAndTheFormatList) {
  src->CacheGlobalData(CF_TEXT, globalText("a"));
  src->DelayRenderData(CF_OEMTEXT);
  FORMATETC pict = fmt(CF_ENHMETAFILE, TYMED_ENHMF);
  src->DelayRenderData(CF_ENHMETAFILE, &pict);
  // The same format again replaces the first offer.
  src->CacheGlobalData(CF_TEXT, globalText("b"));

  struct Case {
    CLIPFORMAT cf;
    DWORD tymed;
    HRESULT query;
  } cases[] = {
      {CF_TEXT, TYMED_HGLOBAL, S_OK},
      {CF_OEMTEXT, TYMED_HGLOBAL, S_OK},
      {CF_ENHMETAFILE, TYMED_ENHMF, S_OK},
      {CF_UNICODETEXT, TYMED_HGLOBAL, DV_E_FORMATETC},
      {CF_TEXT, TYMED_ISTREAM, DV_E_FORMATETC},
      {CF_ENHMETAFILE, TYMED_HGLOBAL, DV_E_FORMATETC},
  };
  for (const Case &c : cases) {
    FORMATETC f = fmt(c.cf, c.tymed);
    EXPECT_EQ(data->QueryGetData(&f), c.query) << c.cf;
    if (c.query != S_OK) {
      STGMEDIUM m{};
      EXPECT_EQ(data->GetData(&f, &m), DV_E_FORMATETC) << c.cf;
    }
  }
  // A delayed format that the source does not render.
  STGMEDIUM m{};
  EXPECT_EQ(data->GetData(&pict, &m), DV_E_FORMATETC);
  EXPECT_EQ(m.tymed, DWORD(TYMED_NULL));

  FORMATETC set = fmt(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM medium{};
  EXPECT_EQ(data->SetData(&set, &medium, FALSE), E_NOTIMPL);
  DWORD conn;
  EXPECT_EQ(data->DAdvise(&set, 0, nullptr, &conn), OLE_E_ADVISENOTSUPPORTED);

  COleDataObject obj;
  obj.Attach(data, FALSE);
  obj.BeginEnumFormats();
  std::vector<std::pair<CLIPFORMAT, DWORD>> listed;
  FORMATETC f;
  while (obj.GetNextFormat(&f)) {
    listed.emplace_back(f.cfFormat, f.tymed);
    CoTaskMemFree(f.ptd);
  }
  std::vector<std::pair<CLIPFORMAT, DWORD>> expected = {
      {CF_TEXT, TYMED_HGLOBAL}, {CF_OEMTEXT, TYMED_HGLOBAL}, {CF_ENHMETAFILE, TYMED_ENHMF}};
  EXPECT_EQ(listed, expected);
  EXPECT_TRUE(obj.IsDataAvailable(CF_OEMTEXT));
  EXPECT_FALSE(obj.IsDataAvailable(CF_UNICODETEXT));
  HGLOBAL text = obj.GetGlobalData(CF_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(globalString(text), "b");
  GlobalFree(text);

  src->Empty();
  EXPECT_FALSE(obj.IsDataAvailable(CF_TEXT));
}

// A source whose renderer throws: the caller gets the error code, nothing leaks out.
class CThrowingSource : public COleDataSource {
public:
  BOOL OnRenderGlobalData(FORMATETC *, HGLOBAL *) override { AfxThrowOleException(STG_E_MEDIUMFULL); }
};

TEST(DataSourceErrors, ExceptionInRenderingBecomesItsCode) {
  ASSERT_TRUE(AfxOleInit());
  auto *src = new CThrowingSource;
  src->DelayRenderData(CF_TEXT);
  FORMATETC f = fmt(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m{};
  EXPECT_EQ(src->GetDataObject()->GetData(&f, &m), STG_E_MEDIUMFULL);
  src->InternalRelease();
}

// --- metafile DC ---

TEST(MetaFileDC, LineWithDisplayAttributesPlaysBack) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(display, nullptr);
  CMetaFileDC mdc;
  ASSERT_TRUE(mdc.Create());
  TEXTMETRICA tm{};
  EXPECT_FALSE(mdc.GetTextMetrics(&tm)); // a metafile alone cannot answer
  mdc.SetAttribDC(display);
  ASSERT_TRUE(mdc.GetTextMetrics(&tm));
  TEXTMETRICA screen{};
  GetTextMetricsA(display, &screen);
  EXPECT_EQ(tm.tmHeight, screen.tmHeight);
  EXPECT_GT(tm.tmHeight, 0);
  EXPECT_EQ(mdc.GetDeviceCaps(LOGPIXELSY), GetDeviceCaps(display, LOGPIXELSY));

  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  mdc.SelectObject(red);
  mdc.MoveTo(2, 5);
  mdc.LineTo(18, 5);
  POINT at = mdc.GetCurrentPosition();
  EXPECT_EQ(at.x, 18); // the attribute context follows the drawing position
  HMETAFILE mf = mdc.Close();
  ASSERT_NE(mf, nullptr);
  EXPECT_EQ(mdc.m_hDC, nullptr);
  SelectObject(display, GetStockObject(BLACK_PEN));
  DeleteObject(red);

  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(display));
  HBITMAP bmp = CreateCompatibleBitmap(display, 20, 10);
  HGDIOBJ old = mem.SelectObject(bmp);
  RECT all{0, 0, 20, 10};
  mem.FillSolidRect(all, RGB(255, 255, 255));
  ASSERT_TRUE(PlayMetaFile(mem, mf));
  for (int x = 2; x < 18; ++x)
    EXPECT_EQ(GetPixel(mem, x, 5), RGB(255, 0, 0)) << x;
  EXPECT_EQ(GetPixel(mem, 18, 5), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mem, 5, 4), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mem, 1, 5), RGB(255, 255, 255));
  mem.SelectObject(old);
  DeleteObject(bmp);
  DeleteMetaFile(mf);
  DeleteDC(display);
}

TEST(MetaFileDC, EnhancedMetafileAnswersForItsReference) {
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  CMetaFileDC mdc;
  RECT frame{0, 0, 1000, 500};
  ASSERT_TRUE(mdc.CreateEnhanced(display, nullptr, &frame, "test\0picture\0\0"));
  EXPECT_TRUE(mdc.IsKindOf(RUNTIME_CLASS(CDC)));
  EXPECT_EQ(mdc.m_hAttribDC, display);
  TEXTMETRICA tm{};
  EXPECT_TRUE(mdc.GetTextMetrics(&tm));
  mdc.MoveTo(0, 0);
  mdc.LineTo(10, 10);
  HENHMETAFILE emf = mdc.CloseEnhanced();
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER head{};
  GetEnhMetaFileHeader(emf, sizeof head, &head);
  EXPECT_GT(head.nRecords, 3u);
  DeleteEnhMetaFile(emf);
  DeleteDC(display);
}

} // namespace
