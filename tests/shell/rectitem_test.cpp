// Objects placed in a drawing: a static metafile item in drawing 0's document takes
// its size from the server's extent, moves on a view, and archives its place and size
// behind the client item's bytes.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/viewtbl.h"
#include "files/filecmd.h"
#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/except.h"
#include "framework/file.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app.h"
#include "shell/appsvc.h"
#include "shell/appsvc_pending.h"
#include "shell/docview.h"
#include "shell/rectitem.h"
#include "../common/editorpump.h"

namespace {

// A data source offering a cx x cy HIMETRIC metafile picture filled with colour.
COleDataSource *pictureSource(LONG cx, LONG cy, COLORREF colour) {
  HDC mf = CreateMetaFileA(nullptr);
  SetWindowOrgEx(mf, 0, 0, nullptr);
  SetWindowExtEx(mf, cx, cy, nullptr);
  HBRUSH brush = CreateSolidBrush(colour);
  SelectObject(mf, brush);
  SelectObject(mf, GetStockObject(NULL_PEN));
  Rectangle(mf, 0, 0, cx + 1, cy + 1);
  HMETAFILE wmf = CloseMetaFile(mf);
  DeleteObject(brush);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(block));
  pict->mm = MM_ANISOTROPIC;
  pict->xExt = cx;
  pict->yExt = cy;
  pict->hMF = wmf;
  GlobalUnlock(block);
  auto *src = new COleDataSource;
  STGMEDIUM m{};
  m.tymed = TYMED_MFPICT;
  m.hMetaFilePict = block;
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  src->CacheData(CF_METAFILEPICT, &m, &fe);
  return src;
}

// The colour at the centre of the item drawn into a white 100 x 60 bitmap.
COLORREF drawnCentre(COleClientItem &item) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 60);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 100, 60};
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  CDC dc;
  dc.Attach(mem);
  EXPECT_TRUE(item.Draw(&dc, &all));
  const COLORREF c = GetPixel(mem, 50, 30);
  dc.Detach();
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  return c;
}

void setRatio(int dwg, int num, int den) {
  SheetRecord s{};
  ASSERT_EQ(sys_sheet('R', dwg, &s), 0);
  s.num = int16_t(num);
  s.den = int16_t(den);
  ASSERT_EQ(sys_sheet('W', dwg, &s), 0);
}

class RectItemTest : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;
  CMainDoc *doc = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    ui_setresponder([](const UiQuestion &q) {
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_YESNOCANCEL)
        return IDNO;
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_OKCANCEL)
        return IDCANCEL;
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
    ASSERT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    doc = FindDocOfDrawing(0);
    ASSERT_TRUE(doc);
  }
  void TearDown() override {
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }

  // A static item of a 5000 x 3000 blue picture in the drawing's document.
  CRectItem *staticItem() {
    COleDataSource *src = pictureSource(5000, 3000, RGB(0, 0, 255));
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    auto *item = new CRectItem(doc);
    const BOOL made = item->CreateStaticFromData(&data);
    src->InternalRelease();
    EXPECT_TRUE(made) << std::hex << item->GetLastStatus();
    return made ? item : nullptr;
  }
  CMainView *view() {
    for (CView *v : doc->GetViews())
      if (auto *m = dynamic_cast<CMainView *>(v))
        return m;
    return nullptr;
  }
};

TEST_F(RectItemTest, TheServersExtentSizesTheItemOnTheSheetsRatio) {
  const struct {
    int num, den;
    double cx, cy;
  } cases[] = {{1, 1, 50, -30}, {1, 2, 100, -60}, {1, 0, 50, -30}, {0, 3, 50, -30}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.num << ":" << c.den);
    setRatio(0, c.num, c.den);
    CRectItem *item = staticItem();
    ASSERT_TRUE(item);
    DwgModFlags[0] = 0;
    EXPECT_EQ(item->m_geom.extentKnown, 0u);
    EXPECT_TRUE(item->UpdateExtent());
    EXPECT_EQ(item->GetDrawingSize().cx, c.cx);
    EXPECT_EQ(item->GetDrawingSize().cy, c.cy);
    EXPECT_EQ(item->GetKnownExtent().cx, 5000);
    EXPECT_EQ(item->GetKnownExtent().cy, 3000);
    EXPECT_EQ(item->m_geom.extentKnown, 1u);
    EXPECT_EQ(DwgModFlags[0] & 1, 1u);
    // The same extent again changes nothing; the icon size stays apart.
    EXPECT_FALSE(item->UpdateExtent());
    EXPECT_EQ(item->GetDrawingSize().cx, c.cx);
    EXPECT_EQ(item->m_geom.iconCx, 0.0);
    const CKLDRect r = item->GetDrawingRect();
    EXPECT_TRUE(r.IsEqual(CKLDRect(10, -10, 10 + c.cx, -10 - c.cy)));
    item->Delete();
  }
}

TEST_F(RectItemTest, PlaceAndSizeFollowTheArchiveAndAWrongMarkerFails) {
  setRatio(0, 1, 1);
  CRectItem *item = staticItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(item->UpdateExtent());
  item->SetDrawingRect(CKLDRect(12.5, 40.25, 62.5, 10.25));
  item->m_geom.layer = 1;
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = doc;
    item->Serialize(ar);
    ar.Close();
  }
  const uint64_t size = file.GetLength();
  ASSERT_GT(size, uint64_t(RIT_STORED));
  std::vector<uint8_t> bytes(size);
  file.SeekToBegin();
  file.Read(bytes.data(), unsigned(size));
  uint8_t expect[RIT_STORED];
  rit_put(item->m_geom, expect);
  const uint8_t *tail = bytes.data() + size - RIT_STORED;
  EXPECT_EQ(std::memcmp(tail, expect, RIT_STORED), 0);
  EXPECT_EQ(tail[0], 0x00);
  EXPECT_EQ(tail[1], 0x55);
  double x;
  std::memcpy(&x, tail + 2, 8);
  EXPECT_EQ(x, 12.5);

  auto loadFrom = [&](const std::vector<uint8_t> &b, CRectItem *into) {
    CMemFile in;
    in.Write(b.data(), unsigned(b.size()));
    in.SeekToBegin();
    CArchive ar(&in, CArchive::load);
    ar.m_pDocument = doc;
    into->Serialize(ar);
  };
  auto *back = new CRectItem(doc);
  loadFrom(bytes, back);
  EXPECT_TRUE(back->GetDrawingRect().IsEqual(CKLDRect(12.5, 40.25, 62.5, 10.25)));
  EXPECT_EQ(back->GetKnownExtent().cx, 5000);
  EXPECT_EQ(back->m_geom.layer, 0u); // not stored
  EXPECT_EQ(back->m_geom.extentKnown, 0u);
  EXPECT_EQ(drawnCentre(*back), RGB(0, 0, 255));

  // Marker 0x5501: every value is read, then the archive complains (generic cause).
  std::vector<uint8_t> wrong = bytes;
  wrong[size - RIT_STORED] = 0x01;
  auto *bad = new CRectItem(doc);
  int cause = -1;
  try {
    loadFrom(wrong, bad);
  } catch (CArchiveException &e) {
    cause = e.m_cause;
  }
  EXPECT_EQ(cause, int(CArchiveException::genericException));
  EXPECT_EQ(bad->m_geom.x, 12.5);
  // Cut short: end of file, never a partly read item taken as good.
  std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 4);
  auto *shortItem = new CRectItem(doc);
  cause = -1;
  try {
    loadFrom(cut, shortItem);
  } catch (CArchiveException &e) {
    cause = e.m_cause;
  }
  EXPECT_EQ(cause, int(CArchiveException::endOfFile));
  for (CRectItem *i : {item, back, bad, shortItem})
    i->Delete();
}

TEST_F(RectItemTest, MoveToPlacesTheItemOnTheViewsRectangle) {
  setRatio(0, 1, 1);
  CRectItem *item = staticItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(item->UpdateExtent());
  CMainView *v = view();
  ASSERT_TRUE(v);
  const ViewXform &xf = vewtbl[v->m_dwg][v->m_view].xf;
  ASSERT_GT(xf.xscale, 0.0);
  DwgModFlags[0] = 0;
  item->MoveTo(RECT{100, 80, 180, 120}, v);
  double x = 0, y = 0;
  ASSERT_EQ(vew_dev2w(v->m_dwg, v->m_view, 100, 80, &x, &y), 0);
  EXPECT_DOUBLE_EQ(item->m_geom.x, x);
  EXPECT_DOUBLE_EQ(item->m_geom.y, y);
  EXPECT_DOUBLE_EQ(item->GetDrawingSize().cx, 80 / xf.xscale);
  EXPECT_DOUBLE_EQ(item->GetDrawingSize().cy, -40 / xf.yscale);
  EXPECT_EQ(DwgModFlags[0] & 1, 1u);
  const SIZE dev = item->GetDeviceSize(v);
  EXPECT_NEAR(dev.cx, 80, 1);
  EXPECT_NEAR(dev.cy, -40, 1);
  // A reversed rectangle gives the same size from its own corner; no view, no change.
  item->MoveTo(RECT{180, 120, 100, 80}, v);
  EXPECT_DOUBLE_EQ(item->GetDrawingSize().cx, 80 / xf.xscale);
  const CKLDRect before = item->GetDrawingRect();
  item->SetDeviceRect(RECT{0, 0, 10, 10}, nullptr);
  EXPECT_TRUE(item->GetDrawingRect().IsEqual(before));
  const RECT none = item->GetDeviceRect(nullptr);
  EXPECT_TRUE(IsRectEmpty(&none));
  item->Delete();
}

// The active view is what the framework's verb sets; here it is given directly.
struct ViewedItem : CRectItem {
  explicit ViewedItem(CMainDoc *d) : CRectItem(d) {}
  using COleClientItem::m_pView;
};

TEST_F(RectItemTest, TheServersPositionGoesThroughTheActiveView) {
  setRatio(0, 1, 1);
  COleDataSource *src = pictureSource(5000, 3000, RGB(0, 0, 255));
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  auto *item = new ViewedItem(doc);
  ASSERT_TRUE(item->CreateStaticFromData(&data));
  src->InternalRelease();
  RECT r{1, 2, 3, 4};
  EXPECT_FALSE(item->OnChangeItemPosition(r)); // no active view
  CMainView *v = view();
  ASSERT_TRUE(v);
  item->m_pView = v;
  // Still unsized: the position asked for sizes it from the extent first.
  ASSERT_TRUE(item->OnGetItemPosition(r));
  EXPECT_EQ(item->GetDrawingSize().cx, 50.0);
  EXPECT_EQ(item->GetDrawingSize().cy, -30.0);
  const RECT dev = item->GetDeviceRect(v);
  EXPECT_TRUE(EqualRect(&r, &dev));

  doc->SetModifiedFlag(FALSE);
  item->SetKnownExtent(SIZE{1, 1});
  const RECT logical = v->RectToLogical(RECT{100, 80, 180, 120});
  EXPECT_TRUE(item->OnChangeItemPosition(logical));
  const RECT back = v->RectToDevice(logical);
  double x = 0, y = 0;
  ASSERT_EQ(vew_dev2w(v->m_dwg, v->m_view, back.left, back.top, &x, &y), 0);
  EXPECT_DOUBLE_EQ(item->m_geom.x, x);
  EXPECT_DOUBLE_EQ(item->m_geom.y, y);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(item->GetKnownExtent().cx, 5000); // the cached extent taken again
  item->m_pView = nullptr;
  item->Delete();
}

TEST_F(RectItemTest, TheDocumentMakesAndDeletesItsItems) {
  CRectItem *item = doc->CreateRectItem();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetDocument(), doc);
  const auto &items = doc->GetItems();
  EXPECT_NE(std::find(items.begin(), items.end(), item), items.end());
  EXPECT_TRUE(item->GetDrawingRect().IsEqual(CKLDRect(10, -10, 10, -10)));
  EXPECT_EQ(doc->m_containerMode, 0);
  EXPECT_EQ(doc->m_objBlockLen, 0u);

  doc->SetModifiedFlag(FALSE);
  doc->DeleteItem(item);
  EXPECT_EQ(std::find(doc->GetItems().begin(), doc->GetItems().end(), item), doc->GetItems().end());
  EXPECT_TRUE(doc->IsModified());
  doc->DeleteItem(nullptr); // nothing to delete
}

TEST_F(RectItemTest, AnItemPlacedOnAnotherMovesAside) {
  const struct {
    const char *name;
    std::vector<CKLDRect> others;
    CKLDRect item, expect;
  } cases[] = {
      {"alone on its place", {CKLDRect(0, 0, 5, -5)}, CKLDRect(10, -10, 60, -40), CKLDRect(10, -10, 60, -40)},
      {"on another", {CKLDRect(10, -10, 60, -40)}, CKLDRect(10, -10, 60, -40), CKLDRect(20, -20, 70, -50)},
      {"on two in a row",
       {CKLDRect(20, -20, 70, -50), CKLDRect(10, -10, 60, -40)},
       CKLDRect(10, -10, 60, -40),
       CKLDRect(30, -30, 80, -60)},
      {"within 1e-6", {CKLDRect(10, -10, 60, -40 + 1e-7)}, CKLDRect(10, -10, 60, -40), CKLDRect(20, -20, 70, -50)},
      // +10 no longer changes such a coordinate: it must still end.
      {"at 1e300", {CKLDRect(1e300, -1e300, 1e300, -1e300)}, CKLDRect(1e300, -1e300, 1e300, -1e300),
       CKLDRect(1e300, -1e300, 1e300, -1e300)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<CRectItem *> made;
    for (const CKLDRect &o : c.others) {
      made.push_back(doc->CreateRectItem());
      made.back()->SetDrawingRect(o);
    }
    CRectItem *item = doc->CreateRectItem();
    ASSERT_TRUE(item);
    item->SetDrawingRect(c.item);
    doc->AvoidItemOverlap(item);
    EXPECT_TRUE(item->GetDrawingRect().IsEqual(c.expect))
        << item->GetDrawingRect().left << "," << item->GetDrawingRect().top;
    for (size_t i = 0; i < made.size(); ++i)
      EXPECT_TRUE(made[i]->GetDrawingRect().IsEqual(c.others[i])); // the others stay
    made.push_back(item);
    for (CRectItem *m : made)
      doc->DeleteItem(m);
  }
}

} // namespace
