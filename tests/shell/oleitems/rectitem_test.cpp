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

#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/lockwin.h"
#include "files/olefmt.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "files/sealsavewin.h"
#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/except.h"
#include "framework/file.h"
#include "framework/olecdlg.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "ole/ole1conv.h"
#include "files/oleblock.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"
#include "../../common/editorpump.h"

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
    dwg_setstate(0, 0);
    EXPECT_EQ(item->m_geom.extentKnown, 0u);
    EXPECT_TRUE(item->UpdateExtent());
    EXPECT_EQ(item->GetDrawingSize().cx, c.cx);
    EXPECT_EQ(item->GetDrawingSize().cy, c.cy);
    EXPECT_EQ(item->GetKnownExtent().cx, 5000);
    EXPECT_EQ(item->GetKnownExtent().cy, 3000);
    EXPECT_EQ(item->m_geom.extentKnown, 1u);
    EXPECT_EQ(dwg_state(0) & 1, 1u);
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
  dwg_setstate(0, 0);
  item->MoveTo(v->RectToLogical(RECT{100, 80, 180, 120}), v);
  double x = 0, y = 0;
  ASSERT_EQ(vew_dev2w(v->m_dwg, v->m_view, 100, 80, &x, &y), 0);
  EXPECT_DOUBLE_EQ(item->m_geom.x, x);
  EXPECT_DOUBLE_EQ(item->m_geom.y, y);
  EXPECT_DOUBLE_EQ(item->GetDrawingSize().cx, 80 / xf.xscale);
  EXPECT_DOUBLE_EQ(item->GetDrawingSize().cy, -40 / xf.yscale);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  const SIZE dev = item->GetDeviceSize(v);
  EXPECT_NEAR(dev.cx, 80, 1);
  EXPECT_NEAR(dev.cy, -40, 1);
  // The rectangle the item gives back is the one it was placed on, in the view's
  // logical units.
  const RECT back = v->RectToDevice(item->GetDeviceRect(v));
  EXPECT_EQ(back.left, 100);
  EXPECT_EQ(back.top, 80);
  EXPECT_EQ(back.right, 180);
  EXPECT_EQ(back.bottom, 120);
  // A reversed rectangle gives the same size from its own corner; no view, no change.
  item->MoveTo(v->RectToLogical(RECT{180, 120, 100, 80}), v);
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

// The objects of a drawing in its seal file: the block behind the records.

int addLine(int dwg, double x1, double y1, double x2, double y2) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return elm_add(dwg, 0, -1, &r, nullptr);
}

std::vector<uint8_t> fileBytes(const std::string &path) {
  std::vector<uint8_t> v;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      v.insert(v.end(), buf, buf + n);
    std::fclose(f);
  }
  return v;
}

void putFile(const std::string &path, const std::vector<uint8_t> &b) {
  FILE *f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

uint32_t u32at(const std::vector<uint8_t> &b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

void u32put(std::vector<uint8_t> *b, uint32_t v) { b->insert(b->end(), reinterpret_cast<uint8_t *>(&v), reinterpret_cast<uint8_t *>(&v) + 4); }

std::vector<CRectItem *> itemsOf(CMainDoc *d) {
  std::vector<CRectItem *> out;
  for (CDocItem *i : d->GetItems())
    if (auto *r = dynamic_cast<CRectItem *>(i))
      out.push_back(r);
  return out;
}

int failingAppend(const char *, const char *) { return 0; }

class ObjectBlockTest : public RectItemTest {
protected:
  std::string path;
  void SetUp() override {
    RectItemTest::SetUp();
    path = work + "OBJ.KSL";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    setRatio(0, 1, 1);
  }
  void TearDown() override {
    OleBlockAppend = oleblk_append;
    RectItemTest::TearDown();
  }
  // Drawing 0 with a line and a blue static item at (20, 40), registered at path.
  CRectItem *registered() {
    EXPECT_GT(addLine(0, 1, 1, 20, 20), 0);
    CRectItem *item = staticItem();
    if (!item)
      return nullptr;
    EXPECT_TRUE(item->UpdateExtent());
    item->m_geom.x = 20;
    item->m_geom.y = 40;
    EXPECT_EQ(fil_regquick(0, 0, path.c_str()), 0);
    return item;
  }
  // The registered drawing opened again from its file: its slot, or -1.
  int reopened() {
    if (!registered())
      return -1;
    closeDrawing(0);
    if (fil_open(1, path.c_str()) != 0)
      return -1;
    pump(3);
    return dwg_cur();
  }
  void closeDrawing(int dwg) {
    if (HWND v = vew_hwnd(dwg, 0))
      SendMessageA(GetParent(v), WM_CLOSE, 0, 0);
    pump(3);
    ASSERT_EQ(vew_hwnd(dwg, 0), nullptr);
  }
};

TEST_F(ObjectBlockTest, ARegisteredDrawingKeepsItsObjectsAndReopensWithThem) {
  CRectItem *item = registered();
  ASSERT_TRUE(item);
  const CKLDRect placed = item->GetDrawingRect();
  const std::vector<uint8_t> first = fileBytes(path);
  uint8_t hdr[SLF_HEADSIZE];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  ASSERT_GT(h.elementCount, 0);
  const size_t at = 256 + 80 * size_t(h.elementCount);
  ASSERT_GT(first.size(), at + 8 + 512);
  EXPECT_EQ(u32at(first, at), 3u);                   // a compound file
  EXPECT_EQ(u32at(first, at + 4), first.size());     // its end is the file's end
  EXPECT_EQ(first[at + 8], 0xD0);                    // the compound file's signature
  EXPECT_EQ(first[at + 9], 0xCF);
  EXPECT_EQ(OleTempFileName()[0], '\0');             // nothing left behind
  EXPECT_EQ(doc->m_objBlockLen, 0u);

  closeDrawing(0);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(3);
  const int dwg = dwg_cur();
  CMainDoc *back = FindDocOfDrawing(dwg);
  ASSERT_TRUE(back);
  const auto items = itemsOf(back);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_TRUE(items[0]->GetDrawingRect().IsEqual(placed));
  EXPECT_EQ(drawnCentre(*items[0]), RGB(0, 0, 255));
  EXPECT_EQ(dwg_state(dwg) & 1, 0u);

  // Saved again unchanged: the same bytes.
  dwg_touch(dwg);
  ASSERT_EQ(fil_save(dwg, 0), 0);
  const std::vector<uint8_t> again = fileBytes(path);
  EXPECT_TRUE(again == first);
}

TEST_F(ObjectBlockTest, WithoutObjectsThereIsNoBlock) {
  ASSERT_GT(addLine(0, 1, 1, 20, 20), 0);
  EXPECT_EQ(PrepareOleBlock(0), 0u);
  EXPECT_EQ(fil_regquick(0, 0, path.c_str()), 0);
  uint8_t hdr[SLF_HEADSIZE];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  EXPECT_EQ(fileBytes(path).size(), 256 + 80 * size_t(h.elementCount));
  EXPECT_EQ(ReadOleBlock(0, path.c_str()), 1);
  EXPECT_TRUE(itemsOf(doc).empty());
}

TEST_F(ObjectBlockTest, APreparedBlockIsKeptUntilItIsWrittenOrDropped) {
  ASSERT_TRUE(staticItem());
  const uint32_t size = PrepareOleBlock(0);
  const std::string temp = OleTempFileName();
  ASSERT_FALSE(temp.empty());
  WIN32_FILE_ATTRIBUTE_DATA a{};
  ASSERT_TRUE(GetFileAttributesExA(temp.c_str(), GetFileExInfoStandard, &a));
  EXPECT_EQ(size, a.nFileSizeLow + 8); // header and data
  EXPECT_EQ(doc->m_objBlockLen, size);
  // Asked again before a write: the same block, not a second file.
  EXPECT_EQ(PrepareOleBlock(0), size);
  EXPECT_EQ(std::string(OleTempFileName()), temp);
  DeleteOleTempFile();
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(doc->m_objBlockLen, 0u);
  // Nothing prepared: nothing written, and that is no failure.
  EXPECT_EQ(WriteOleBlock(0, path.c_str()), 1);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ObjectBlockTest, AFailedBlockWriteKeepsTheOldFile) {
  // Drawings hold their files while open.
  SystemBlock sys{};
  sys_sysprm('R', &sys);
  const SystemBlock kept = sys;
  sys.exclusive = 1;
  sys_sysprm('W', &sys);
  struct Restore {
    SystemBlock s;
    ~Restore() { sys_sysprm('W', &s); }
  } restore{kept};
  const int dwg = reopened();
  ASSERT_GE(dwg, 0);
  const std::vector<uint8_t> before = fileBytes(path);
  ASSERT_GT(addLine(dwg, 5, 5, 9, 9), 0);
  auto locked = [&] {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
      CloseHandle(h);
    return h == INVALID_HANDLE_VALUE && DwgPath[dwg].lock && DwgPath[dwg].lock != INVALID_HANDLE_VALUE;
  };
  ASSERT_TRUE(locked()) << "the drawing holds its file";
  OleBlockAppend = failingAppend;
  EXPECT_EQ(fil_save(dwg, 0), SLF_WRITEFAIL);
  EXPECT_EQ(fileBytes(path), before);
  EXPECT_NE(dwg_state(dwg) & 1, 0u); // still to be saved
  EXPECT_EQ(OleTempFileName()[0], '\0');
  EXPECT_TRUE(locked()) << "a failed save keeps the drawing's file lock";
  // Once the disk behaves the save goes through with the objects.
  OleBlockAppend = oleblk_append;
  EXPECT_EQ(fil_save(dwg, 0), 0);
  const std::vector<uint8_t> after = fileBytes(path);
  uint8_t hdr[SLF_HEADSIZE];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  EXPECT_EQ(h.elementCount, 2);
  const size_t at = 256 + 80 * size_t(h.elementCount);
  ASSERT_GT(after.size(), at + 8);
  EXPECT_EQ(u32at(after, at), 3u);
  EXPECT_EQ(u32at(after, at + 4), after.size());
}

TEST_F(ObjectBlockTest, ObjectsThatCannotBeWrittenStopTheSave) {
  const int dwg = reopened();
  ASSERT_GE(dwg, 0);
  const std::vector<uint8_t> before = fileBytes(path);
  ASSERT_GT(addLine(dwg, 5, 5, 9, 9), 0);
  // No work folder: the objects' compound file cannot be made.
  char workdir[262] = "", gone[262] = "";
  sys_path('R', 4, workdir);
  std::snprintf(gone, sizeof gone, "%snowhere\\", work.c_str());
  sys_path('W', 4, gone);
  const int r = fil_save(dwg, 0);
  sys_path('W', 4, workdir);
  EXPECT_EQ(r, SLF_WRITEFAIL);
  EXPECT_EQ(fileBytes(path), before);
  EXPECT_NE(dwg_state(dwg) & 1, 0u);
  EXPECT_EQ(itemsOf(FindDocOfDrawing(dwg)).size(), 1u); // the object stays in the drawing
}

TEST_F(ObjectBlockTest, TheBlockSearchTable) {
  CRectItem *item = registered();
  ASSERT_TRUE(item);
  const std::vector<uint8_t> good = fileBytes(path);
  uint8_t hdr[SLF_HEADSIZE];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  const size_t at = 256 + 80 * size_t(h.elementCount);
  const std::vector<uint8_t> records(good.begin(), good.begin() + long(at));
  const std::vector<uint8_t> block(good.begin() + long(at) + 8, good.end());
  item->Delete();
  ASSERT_TRUE(itemsOf(doc).empty());

  // A block of another kind first, then the objects.
  std::vector<uint8_t> skipped = records;
  u32put(&skipped, 7);
  u32put(&skipped, uint32_t(at + 8 + 5));
  skipped.insert(skipped.end(), 5, 0xEE);
  u32put(&skipped, 3);
  u32put(&skipped, uint32_t(skipped.size() + 4 + block.size()));
  skipped.insert(skipped.end(), block.begin(), block.end());

  auto withHead = [&](uint32_t kind, uint32_t end, size_t headBytes) {
    std::vector<uint8_t> b = records;
    std::vector<uint8_t> head;
    u32put(&head, kind);
    u32put(&head, end);
    b.insert(b.end(), head.begin(), head.begin() + long(headBytes));
    if (headBytes == 8)
      b.insert(b.end(), block.begin(), block.end());
    return b;
  };
  const uint32_t full = uint32_t(at + 8 + block.size());
  const struct {
    const char *name;
    std::vector<uint8_t> bytes;
    int result;
    size_t items;
  } cases[] = {
      {"kind 7 then kind 3", skipped, 1, 1},
      {"the block as written", withHead(3, full, 8), 1, 1},
      {"end at its own position", withHead(3, uint32_t(at), 8), 0, 0},
      {"end before its data", withHead(3, uint32_t(at + 8), 8), 0, 0},
      {"end past the file", withHead(3, full + 1, 8), 0, 0},
      {"a short header", withHead(3, full, 6), 0, 0},
      {"no block", records, 1, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = work + "TABLE.KSL";
    putFile(file, c.bytes);
    EXPECT_EQ(ReadOleBlock(0, file.c_str()), c.result);
    const auto items = itemsOf(doc);
    EXPECT_EQ(items.size(), c.items);
    for (CRectItem *i : items)
      doc->DeleteItem(i);
  }

  // An older generation of drawing file has no block: 1 without a search.
  std::vector<uint8_t> old(64, 0);
  old[25] = 3;
  u32put(&old, 3);
  u32put(&old, 0xFFFFFFFF);
  const std::string oldFile = work + "OLD.DWG";
  putFile(oldFile, old);
  EXPECT_EQ(ReadOleBlock(0, oldFile.c_str()), 1);
  EXPECT_EQ(ReadOleBlock(0, (work + "MISSING.KSL").c_str()), 0);
}

// An older object stream of a static picture as ole32 writes it.
std::string ole1Static(CRectItem *item) {
  IStorage *stg = nullptr;
  if (FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &stg)))
    return {};
  IPersistStorage *ps = nullptr;
  std::string out;
  if (SUCCEEDED(item->GetOleObject()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&ps)))) {
    if (SUCCEEDED(OleSave(ps, stg, FALSE))) {
      ps->SaveCompleted(nullptr);
      stg->Commit(0);
      if (ole1_fromstorage(stg, &out) != S_OK)
        out.clear();
    }
    ps->Release();
  }
  stg->Release();
  return out;
}

TEST_F(ObjectBlockTest, AnOlderListAddsTheObjectsItCanLoad) {
  ASSERT_GT(addLine(0, 1, 1, 20, 20), 0);
  CRectItem *model = staticItem();
  ASSERT_TRUE(model);
  const std::string good = ole1Static(model);
  model->Delete();
  if (good.empty())
    GTEST_SKIP() << "ole32 writes no older stream of a static picture here";
  std::string bad = good;
  bad[1] = 0x06; // a stream version ole32 does not read
  const double r1[4] = {5, 50, 55, 20}, r2[4] = {1, 2, 3, 4}, r3[4] = {100, -10, 150, -40};
  std::string list;
  const uint32_t n = 3;
  list.append(reinterpret_cast<const char *>(&n), 4);
  ole1_entryput(&list, "KIVOLANTDOC#00-0", "StdFileEditing", reinterpret_cast<const uint8_t *>(good.data()), good.size(), r1, 3);
  ole1_entryput(&list, "KIVOLANTDOC#00-1", "StdFileEditing", reinterpret_cast<const uint8_t *>(bad.data()), bad.size(), r2, 3);
  ole1_entryput(&list, "KIVOLANTDOC#00-2", "StdFileEditing", reinterpret_cast<const uint8_t *>(good.data()), good.size(), r3, 3);
  ASSERT_EQ(fil_regquick(0, 0, path.c_str()), 0);
  std::vector<uint8_t> file = fileBytes(path);
  u32put(&file, 1);
  u32put(&file, uint32_t(file.size() + 4 + list.size()));
  file.insert(file.end(), list.begin(), list.end());
  putFile(path, file);

  EXPECT_EQ(ReadOleBlock(0, path.c_str()), 0); // one could not be loaded
  EXPECT_EQ(OleItemsLoading, 0);
  const auto items = itemsOf(doc);
  ASSERT_EQ(items.size(), 2u);
  // Each hangs down from its rectangle's upper left corner.
  EXPECT_EQ(items[0]->m_geom.y, 50.0);
  EXPECT_EQ(items[0]->GetDrawingSize().cy, -30.0);
  EXPECT_EQ(items[1]->m_geom.x, 100.0);
  EXPECT_EQ(items[1]->GetDrawingSize().cx, 50.0);
  EXPECT_EQ(items[1]->GetDrawingSize().cy, -30.0);
  EXPECT_EQ(items[1]->GetDrawAspect(), DVASPECT_CONTENT);
  EXPECT_TRUE(items[0]->GetOleObject());
}

// The properties dialog's seam: the user switches the item to another aspect.
CRectItem *propsItem;
DVASPECT propsAspect;
UINT propsAnswer;
UINT propsShow(OLEUIOBJECTPROPSA *) {
  if (propsAnswer == OLEUI_OK)
    propsItem->SetDrawAspect(propsAspect);
  return propsAnswer;
}

TEST_F(RectItemTest, PropertiesThatChangeTheAspectSizeTheItemAsAFirstExtentDoes) {
  const struct {
    const char *name;
    UINT answer;
    DVASPECT to;
    double cx, cy;
  } cases[] = {
      {"content chosen", OLEUI_OK, DVASPECT_CONTENT, 100, -60}, // 1:2 sheet, height negated
      {"aspect kept", OLEUI_OK, DVASPECT_ICON, 7, 8},
      {"cancelled", OLEUI_CANCEL, DVASPECT_CONTENT, 7, 8},
  };
  setRatio(0, 1, 2);
  const auto old = COleObjectPropertiesDialog::SetShowFunction(propsShow);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    CRectItem *item = staticItem();
    ASSERT_TRUE(item);
    item->SetDrawAspect(DVASPECT_ICON);
    item->m_geom.contentCx = 7, item->m_geom.contentCy = 8; // the size both ends keep
    item->m_geom.iconCx = 7, item->m_geom.iconCy = 8;
    dwg_setstate(0, 0);
    doc->SetModifiedFlag(FALSE);
    propsItem = item;
    propsAspect = c.to;
    propsAnswer = c.answer;
    item->ShowProperties(view());
    EXPECT_EQ(item->GetDrawingSize().cx, c.cx);
    EXPECT_EQ(item->GetDrawingSize().cy, c.cy);
    EXPECT_EQ(item->m_geom.extentKnown, 0u);
    EXPECT_EQ(dwg_state(0) & 1, 0u);
    EXPECT_FALSE(doc->IsModified());
    doc->DeleteItem(item);
  }
  COleObjectPropertiesDialog::SetShowFunction(old);
}

// A storage holding a static 5000 x 3000 blue picture, as ole32 saves it.
IStorage *pictureStorage(CRectItem *from, ILockBytes *on) {
  IStorage *stg = nullptr;
  HRESULT hr = on ? StgCreateDocfileOnILockBytes(on, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg)
                  : StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                     0, &stg);
  if (FAILED(hr))
    return nullptr;
  IPersistStorage *ps = nullptr;
  if (SUCCEEDED(from->GetOleObject()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&ps)))) {
    hr = OleSave(ps, stg, FALSE);
    ps->SaveCompleted(nullptr);
    ps->Release();
    if (SUCCEEDED(hr))
      hr = stg->Commit(0);
  }
  if (FAILED(hr)) {
    stg->Release();
    return nullptr;
  }
  return stg;
}

TEST_F(RectItemTest, ItemsFromAStorageAndFromAGlobalBlock) {
  setRatio(0, 1, 1);
  CRectItem *model = staticItem();
  ASSERT_TRUE(model);
  IStorage *stg = pictureStorage(model, nullptr);
  ASSERT_TRUE(stg);

  CRectItem *item = doc->CreateRectItem();
  EXPECT_EQ(item->CreateFromStorage(nullptr, 0, 0, 1, 1, DVASPECT_CONTENT), E_INVALIDARG);
  ASSERT_EQ(item->CreateFromStorage(stg, 15, 25, 40, -20, DVASPECT_CONTENT), S_OK);
  EXPECT_TRUE(item->GetDrawingRect().IsEqual(CKLDRect(15, 25, 55, 45)));
  // ole32 rounds the picture's size when it saves it.
  EXPECT_NEAR(item->GetKnownExtent().cx, 5000, 10);
  EXPECT_NEAR(item->GetKnownExtent().cy, 3000, 10);
  EXPECT_EQ(drawnCentre(*item), RGB(0, 0, 255));

  // Through the block's path: the item is shown on the rectangle it was stored with.
  const double rect[4] = {5, 50, 55, 20};
  const size_t before = itemsOf(doc).size();
  ASSERT_TRUE(AddItemFromStorage(doc, stg, rect, DVASPECT_CONTENT));
  ASSERT_EQ(itemsOf(doc).size(), before + 1);
  CRectItem *listed = itemsOf(doc).back();
  EXPECT_EQ(listed->m_geom.x, 5.0);
  EXPECT_EQ(listed->m_geom.y, 50.0);
  EXPECT_EQ(listed->GetDrawingSize().cx, 50.0);
  EXPECT_EQ(listed->GetDrawingSize().cy, -30.0);
  if (CMainView *v = view()) {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    vew_w2dev(v->m_dwg, v->m_view, 5, 50, &x0, &y0);
    vew_w2dev(v->m_dwg, v->m_view, 55, 20, &x1, &y1);
    const RECT shown = v->RectToDevice(listed->GetDeviceRect(v));
    EXPECT_NEAR(shown.left, x0, 1);
    EXPECT_NEAR(shown.top, y0, 1);
    EXPECT_NEAR(shown.right, x1, 1);
    EXPECT_NEAR(shown.bottom, y1, 1);
  }
  // A storage of a class that is no object: no half-made item stays behind.
  IStorage *empty = nullptr;
  ASSERT_EQ(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &empty), S_OK);
  CLSID notAnObject;
  ASSERT_EQ(CLSIDFromProgID(L"Scripting.Dictionary", &notAnObject), S_OK);
  WriteClassStg(empty, notAnObject);
  empty->Commit(0);
  EXPECT_FALSE(AddItemFromStorage(doc, empty, rect, DVASPECT_CONTENT));
  EXPECT_EQ(itemsOf(doc).size(), before + 1);
  empty->Release();
  stg->Release();

  // A storage on a global block.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ILockBytes *bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(block, FALSE, &bytes), S_OK);
  IStorage *onBlock = pictureStorage(model, bytes);
  ASSERT_TRUE(onBlock);
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  CRectItem *global = doc->CreateRectItem();
  EXPECT_EQ(global->CreateFromGlobal(nullptr, &medium), E_INVALIDARG);
  STGMEDIUM stream{};
  stream.tymed = TYMED_ISTREAM;
  EXPECT_EQ(global->CreateFromGlobal(onBlock, &stream), E_INVALIDARG);
  ASSERT_EQ(global->CreateFromGlobal(onBlock, &medium), S_OK);
  EXPECT_TRUE(global->UpdateExtent());
  EXPECT_EQ(drawnCentre(*global), RGB(0, 0, 255));
  for (CRectItem *i : itemsOf(doc))
    doc->DeleteItem(i);
  onBlock->Release();
  bytes->Release();
  GlobalFree(block);
}

TEST_F(RectItemTest, ACopiedItemCarriesItsOwnBytes) {
  setRatio(0, 1, 1);
  CRectItem *item = staticItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(item->UpdateExtent());
  item->m_geom.x = 33;
  COleDataSource *src = item->OnGetClipboardData(FALSE, nullptr, nullptr);
  ASSERT_TRUE(src);
  IDataObject *data = src->GetDataObject();
  FORMATETC own{CLIPFORMAT(cfKivolant), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m{};
  ASSERT_EQ(data->GetData(&own, &m), S_OK);
  const size_t n = GlobalSize(m.hGlobal);
  ASSERT_GT(n, RIT_STORED);
  std::vector<uint8_t> bytes(n);
  std::memcpy(bytes.data(), GlobalLock(m.hGlobal), n);
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  // The item read back from them is the same item.
  auto *back = new CRectItem(doc);
  {
    CMemFile in;
    in.Write(bytes.data(), unsigned(n));
    in.SeekToBegin();
    CArchive ar(&in, CArchive::load);
    ar.m_pDocument = doc;
    back->Serialize(ar);
  }
  EXPECT_TRUE(back->GetDrawingRect().IsEqual(item->GetDrawingRect()));
  EXPECT_EQ(drawnCentre(*back), RGB(0, 0, 255));
  // And the base's formats follow: the picture is offered too.
  FORMATETC pict{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  EXPECT_EQ(data->QueryGetData(&pict), S_OK);
  src->InternalRelease();
  back->Delete();
  item->Delete();
}

} // namespace
