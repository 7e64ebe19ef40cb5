// Objects placed in a drawing window of the started editor: clicks select the top
// object, Delete removes it, tiny objects are left out, drops inside the view move or
// copy, pastes at a picked point, the insert dialog's seam with fwsrv, object mode,
// clearing all, the reset command without a selection, and a cut that another
// process pastes.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../../common/editorpump.h"
#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../framework/fwsrv_ids.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "framework/appole.h"
#include "framework/olecdlg.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "input/gcr.h"
#include "ole/olecopy.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"
#include "settings/appstate.h"

namespace {

// A metafile picture of cx x cy HIMETRIC filled with colour.
HGLOBAL picture_block(LONG cx, LONG cy, COLORREF colour) {
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
  *pict = METAFILEPICT{MM_ANISOTROPIC, cx, cy, wmf};
  GlobalUnlock(block);
  return block;
}

// A descriptor block of n bytes (the first min(n, 52) of a real one).
HGLOBAL descriptor_block(size_t n, REFCLSID clsid, LONG cx, LONG cy) {
  OBJECTDESCRIPTOR d{};
  d.cbSize = sizeof d;
  d.clsid = clsid;
  d.dwDrawAspect = DVASPECT_CONTENT;
  d.sizel = SIZEL{cx, cy};
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n);
  std::memcpy(GlobalLock(block), &d, std::min(n, sizeof d));
  GlobalUnlock(block);
  return block;
}

// A data source of a picture, with a descriptor block of descriptorBytes (none for 0).
COleDataSource *picture_source(LONG cx, LONG cy, COLORREF colour, size_t descriptorBytes = 0,
                               REFCLSID clsid = CLSID_NULL) {
  auto *src = new COleDataSource;
  STGMEDIUM m{};
  m.tymed = TYMED_MFPICT;
  m.hMetaFilePict = picture_block(cx, cy, colour);
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  src->CacheData(CF_METAFILEPICT, &m, &fe);
  if (descriptorBytes)
    src->CacheGlobalData(CLIPFORMAT(RegisterClipboardFormatA("Object Descriptor")),
                         descriptor_block(descriptorBytes, clsid, cx, cy));
  return src;
}

std::vector<DWORD> fwsrv_pids() {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, "fwsrv.exe") == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

template <class F> bool pump_until(F done, DWORD ms) {
  const DWORD t0 = GetTickCount();
  while (!done()) {
    if (GetTickCount() - t0 > ms)
      return false;
    pump();
    Sleep(20);
  }
  return true;
}

bool close_fwsrv() {
  for (DWORD pid : fwsrv_pids())
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          DWORD p = 0;
          GetWindowThreadProcessId(w, &p);
          if (p == DWORD(lp) && !GetParent(w))
            PostMessageA(w, WM_CLOSE, 0, 0);
          return TRUE;
        },
        LPARAM(pid));
  return pump_until([] { return fwsrv_pids().empty(); }, 10000);
}

void register_fwsrv() {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string reg = std::string("\"") + INK_FWSRV_PATH + "\" -RegServer";
  ASSERT_TRUE(CreateProcessA(nullptr, reg.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

// Runs a program while answering the OLE calls it makes into this process; its exit code.
DWORD run_pumping(std::string line) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 999;
  pump_until([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
  DWORD code = 999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

// The scripted point input: events handed out one by one.
std::vector<InputEvent> script;
size_t script_at = 0;
int scripted(InputEvent *next) {
  if (script_at >= script.size())
    return 0;
  *next = script[script_at++];
  return 1;
}

std::vector<std::string> asked; // texts of the message boxes
int answer_yesno = IDNO;

CLSID chosen_class;
UINT choose_class(OLEUIINSERTOBJECTA *io) {
  io->clsid = chosen_class;
  io->dwFlags |= IOF_SELECTCREATENEW;
  return OLEUI_OK;
}

class ViewItems : public ::testing::Test {
protected:
  VODOreVer *app = nullptr;
  CMainDoc *doc = nullptr;
  CMainView *v = nullptr;

  void SetUp() override {
    const std::string work = here() + "work\\";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = here() + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    asked.clear();
    answer_yesno = IDNO;
    ui_setresponder([](const UiQuestion &q) {
      if (q.kind != UI_MSGBOX)
        return 0;
      asked.push_back(q.text ? q.text : "");
      if ((q.flags & 0xF) == MB_YESNO)
        return answer_yesno;
      if ((q.flags & 0xF) == MB_YESNOCANCEL)
        return IDNO;
      if ((q.flags & 0xF) == MB_OKCANCEL)
        return IDCANCEL;
      return IDOK;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
    ASSERT_EQ(fil_open(0, nullptr), 0);
    pump(5);
    doc = FindDocOfDrawing(0);
    ASSERT_TRUE(doc);
    for (CView *view : doc->GetViews())
      if ((v = dynamic_cast<CMainView *>(view)))
        break;
    ASSERT_TRUE(v);
    SheetRecord s{};
    sys_sheet('R', 0, &s);
    s.num = 1, s.den = 1;
    sys_sheet('W', 0, &s);
    dwg_setcur(0);
    vew_select(v->m_view);
    ObjectMode = 0;
  }
  void TearDown() override {
    gcr_setsource(nullptr);
    COleInsertDialog::SetShowFunction(nullptr);
    ObjectMode = 0;
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }

  // A static picture item placed on device rectangle r of the view.
  CRectItem *picture(RECT r, COLORREF colour, uint32_t layer = 0) {
    COleDataSource *src = picture_source(5000, 3000, colour);
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    auto *item = new CRectItem(doc);
    const BOOL made = item->CreateStaticFromData(&data);
    src->InternalRelease();
    EXPECT_TRUE(made);
    if (!made)
      return nullptr;
    item->UpdateExtent();
    item->MoveTo(v->RectToLogical(r), v);
    item->m_geom.layer = layer;
    return item;
  }
  RECT deviceRect(CRectItem *item) { return v->RectToDevice(item->GetDeviceRect(v)); }
  void click(POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    PostMessageA(v->m_hWnd, down, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    if (up)
      PostMessageA(v->m_hWnd, up, 0, MAKELPARAM(p.x, p.y));
    pump(3);
  }
  size_t items() const { return doc->GetItems().size(); }
  bool holds(CRectItem *item) const {
    const auto &l = doc->GetItems();
    return std::find(l.begin(), l.end(), item) != l.end();
  }
  void repaint() {
    InvalidateRect(v->m_hWnd, nullptr, TRUE);
    UpdateWindow(v->m_hWnd);
    pump(3);
  }
  std::vector<uint32_t> pixels(RECT r) {
    HDC dc = GetDC(v->m_hWnd);
    auto px = dc_capture(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(v->m_hWnd, dc);
    return px;
  }
};

TEST_F(ViewItems, AClickOnTheOverlapSelectsTheLaterAndDeleteRemovesIt) {
  CRectItem *first = picture(RECT{100, 100, 200, 180}, RGB(0, 0, 255));
  CRectItem *later = picture(RECT{150, 140, 250, 220}, RGB(255, 0, 0));
  ASSERT_TRUE(first && later);
  const struct {
    POINT at;
    CRectItem *want;
  } cases[] = {{{170, 160}, later}, {{110, 110}, first}, {{240, 210}, later}, {{400, 400}, nullptr}};
  for (const auto &c : cases) {
    click(c.at);
    EXPECT_EQ(v->m_pSelection, c.want) << c.at.x << "," << c.at.y;
    EXPECT_TRUE(holds(first) && holds(later)) << "a click moves and drops nothing";
  }
  click(POINT{170, 160});
  dwg_setstate(0, 0);
  PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
  pump(3);
  EXPECT_FALSE(holds(later));
  EXPECT_TRUE(holds(first));
  EXPECT_EQ(v->m_pSelection, nullptr);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  // Nothing selected: Delete removes nothing.
  PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
  pump(3);
  EXPECT_TRUE(holds(first));
  first->Delete();
}

TEST_F(ViewItems, AnObjectFourPixelsWideIsNeitherDrawnNorTracked) {
  const RECT area{280, 60, 420, 240};
  repaint();
  const auto before = pixels(area);
  CRectItem *tiny = picture(RECT{300, 100, 304, 200}, RGB(0, 0, 255), 1);
  ASSERT_TRUE(tiny);
  ASSERT_EQ(std::abs(tiny->GetDeviceSize(v).cx), 4);
  v->SetSelection(tiny);
  repaint();
  EXPECT_EQ(pixels(area), before);
  // Five pixels wide it shows: its picture and its tracker change the area.
  tiny->MoveTo(v->RectToLogical(RECT{300, 100, 305, 200}), v);
  repaint();
  EXPECT_NE(pixels(area), before);
  tiny->Delete();
}

TEST_F(ViewItems, DropEffectsFollowTheKeysAndOnlyDragsOfThisView) {
  CRectItem *item = picture(RECT{100, 100, 200, 160}, RGB(0, 0, 255));
  ASSERT_TRUE(item);
  v->SetSelection(item);
  const SIZE him{2646, 1588}; // about 100 x 60 pixels
  const POINT at{0, 0};
  COleDataSource *src = item->OnGetClipboardData(FALSE, &at, &him);
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  const struct {
    BOOL inDrag;
    DWORD keys;
    POINT pt;
    DROPEFFECT want;
  } cases[] = {
      {TRUE, MK_CONTROL | MK_SHIFT, {150, 150}, DROPEFFECT_LINK},
      {TRUE, MK_CONTROL, {150, 150}, DROPEFFECT_COPY},
      {TRUE, 0, {150, 150}, DROPEFFECT_MOVE},
      {TRUE, MK_SHIFT, {150, 150}, DROPEFFECT_MOVE},
      {TRUE, 0, {-3000, -3000}, DROPEFFECT_NONE},
      {TRUE, MK_CONTROL, {30000, 150}, DROPEFFECT_NONE},
      {FALSE, 0, {150, 150}, DROPEFFECT_NONE},
      {FALSE, MK_CONTROL, {150, 150}, DROPEFFECT_NONE},
  };
  for (const auto &c : cases) {
    v->m_bInDrag = c.inDrag;
    EXPECT_EQ(v->OnDragEnter(&data, c.keys, c.pt), c.want) << c.keys << " at " << c.pt.x;
    EXPECT_EQ(v->OnDragOver(&data, c.keys, c.pt), c.want) << c.keys << " at " << c.pt.x;
    v->OnDragLeave();
  }
  // A drop that did not start here is refused and changes nothing.
  v->m_bInDrag = FALSE;
  EXPECT_FALSE(v->OnDrop(&data, DROPEFFECT_COPY, POINT{150, 150}));
  EXPECT_EQ(items(), 1u);

  // A move dropped where the item is changes and marks nothing.
  const RECT r = deviceRect(item);
  const RectItemGeom was = item->m_geom;
  dwg_setstate(0, 0);
  doc->SetModifiedFlag(FALSE);
  v->m_bInDrag = TRUE;
  v->OnDragEnter(&data, 0, POINT{r.left, r.top});
  EXPECT_FALSE(v->OnDrop(&data, DROPEFFECT_MOVE, POINT{r.left, r.top}));
  EXPECT_FALSE(v->m_bInDrag) << "the dragging click keeps its item";
  EXPECT_EQ(item->m_geom.x, was.x);
  EXPECT_EQ(item->m_geom.y, was.y);
  EXPECT_EQ(dwg_state(0) & 1, 0u);
  EXPECT_FALSE(doc->IsModified());

  // Elsewhere: the item moves there, keeps its size and stays in the drawing.
  v->m_bInDrag = TRUE;
  EXPECT_FALSE(v->OnDrop(&data, DROPEFFECT_MOVE, POINT{r.left + 40, r.top + 30}));
  EXPECT_TRUE(holds(item));
  double x = 0, y = 0;
  ASSERT_EQ(vew_dev2w(0, v->m_view, r.left + 40, r.top + 30, &x, &y), 0);
  EXPECT_DOUBLE_EQ(item->m_geom.x, x);
  EXPECT_DOUBLE_EQ(item->m_geom.y, y);
  EXPECT_NEAR(item->GetDrawingSize().cx, was.contentCx, 1e-9);
  EXPECT_NEAR(item->GetDrawingSize().cy, was.contentCy, 1e-9);
  const RECT moved = deviceRect(item);
  EXPECT_EQ(moved.left, r.left + 40);
  EXPECT_EQ(moved.top, r.top + 30);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_TRUE(doc->IsModified());

  // Ctrl: a copy at the point, selected.
  v->m_bInDrag = TRUE;
  EXPECT_TRUE(v->OnDrop(&data, DROPEFFECT_COPY, POINT{300, 200}));
  EXPECT_EQ(items(), 2u);
  EXPECT_NE(v->m_pSelection, item);
  EXPECT_TRUE(v->m_pSelection && holds(v->m_pSelection));
  src->InternalRelease();
  std::vector<CDocItem *> all(doc->GetItems().begin(), doc->GetItems().end());
  for (CDocItem *i : all)
    static_cast<COleClientItem *>(i)->Delete();
}

// An object keeps its size in millimetres however often it is moved: on screen, in
// the tracker and in the drawing it is the size its server gave.
TEST_F(ViewItems, TenMovesAndAHandleDragKeepTheSizeInMillimetres) {
  COleDataSource *pic = picture_source(5000, 3000, RGB(0, 0, 255));
  COleDataObject picData;
  picData.Attach(pic->GetDataObject(), FALSE);
  auto *item = new CRectItem(doc);
  ASSERT_TRUE(item->CreateStaticFromData(&picData));
  pic->InternalRelease();
  ASSERT_TRUE(item->UpdateExtent());
  vew_dev2w(0, v->m_view, 60, 50, &item->m_geom.x, &item->m_geom.y);
  v->SetSelection(item);
  const ViewXform &xf = vewtbl[0][v->m_view].xf;
  const double px = 1 / xf.xscale, py = 1 / xf.yscale; // one pixel in millimetres
  ASSERT_EQ(item->GetDrawingSize().cx, 50.0);
  ASSERT_EQ(item->GetDrawingSize().cy, -30.0);
  // Shown as large as it is: the tracker's rectangle is the object's size in pixels.
  RECT r = deviceRect(item);
  EXPECT_NEAR(r.right - r.left, 50.0 * xf.xscale, 1.0);
  EXPECT_NEAR(r.bottom - r.top, 30.0 * xf.yscale, 1.0);

  const POINT at{0, 0};
  const SIZE him{5000, 3000};
  COleDataSource *src = item->OnGetClipboardData(FALSE, &at, &him);
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  for (int i = 0; i < 10; i++) {
    SCOPED_TRACE(i);
    r = deviceRect(item);
    const POINT to{r.left + (i % 2 ? -17 : 23), r.top + (i % 3 ? 11 : -7)};
    v->m_bInDrag = TRUE;
    v->OnDragEnter(&data, 0, to);
    EXPECT_FALSE(v->OnDrop(&data, DROPEFFECT_MOVE, to));
    // The corner goes through drawing units and back: within a pixel.
    const RECT moved = deviceRect(item);
    EXPECT_NEAR(moved.left, to.x, 1);
    EXPECT_NEAR(moved.top, to.y, 1);
    EXPECT_NEAR(moved.right - moved.left, r.right - r.left, 1);
    EXPECT_NEAR(moved.bottom - moved.top, r.bottom - r.top, 1);
    EXPECT_NEAR(item->GetDrawingSize().cx, 50.0, px);
    EXPECT_NEAR(item->GetDrawingSize().cy, -30.0, py);
  }
  src->InternalRelease();

  // The lower right handle dragged by (30, 20) pixels through the view's own mouse
  // handling: the size grows by just that.
  r = deviceRect(item);
  const POINT grip{r.right - 2, r.bottom - 2};
  PostMessageA(v->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip.x, grip.y));
  PostMessageA(v->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grip.x + 15, grip.y + 10));
  PostMessageA(v->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grip.x + 30, grip.y + 20));
  PostMessageA(v->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(grip.x + 30, grip.y + 20));
  pump(5);
  const RECT grown = deviceRect(item);
  EXPECT_NEAR(grown.left, r.left, 1);
  EXPECT_NEAR(grown.top, r.top, 1);
  EXPECT_NEAR(grown.right - grown.left, r.right - r.left + 30, 1);
  EXPECT_NEAR(grown.bottom - grown.top, r.bottom - r.top + 20, 1);
  EXPECT_NEAR(item->GetDrawingSize().cx, 50.0 + 30 * px, px);
  EXPECT_NEAR(item->GetDrawingSize().cy, -30.0 - 20 * py, py);
  item->Delete();
}

TEST_F(ViewItems, TheDescriptorIsReadOnlyWhenWhole) {
  const struct {
    size_t bytes;
    bool read;
  } cases[] = {{8, false}, {51, false}, {52, true}, {80, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.bytes);
    COleDataSource *src = picture_source(5000, 3000, RGB(0, 0, 255), c.bytes, kFwSrvClsid);
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    const OBJECTDESCRIPTOR *d = GetObjectDescriptor(&data);
    EXPECT_EQ(d != nullptr, c.read);
    if (d) {
      EXPECT_TRUE(IsEqualCLSID(d->clsid, kFwSrvClsid));
    }
    SIZE size{-1, -1};
    POINT offset{-1, -1};
    EXPECT_EQ(v->GetDescriptorSize(&data, &size, &offset), c.read ? TRUE : FALSE);
    EXPECT_EQ(size.cx, c.read ? 5000 : 0);
    EXPECT_EQ(size.cy, c.read ? 3000 : 0);
    EXPECT_EQ(offset.x, 0);
    // A short descriptor is no reason to refuse the picture itself.
    CRectItem *item = v->PasteItem(FALSE, &data, nullptr, 0);
    EXPECT_TRUE(item);
    if (item)
      item->Delete();
    src->InternalRelease();
  }
  EXPECT_THROW(v->GetDescriptorSize(nullptr, nullptr), CInvalidArgException);
}

TEST_F(ViewItems, TheDescriptorsSizeIsConvertedAsTheServersExtent) {
  const struct {
    int num, den;
    double cx, cy;
  } cases[] = {{1, 1, 50, -30}, {1, 2, 100, -60}, {2, 1, 25, -15}, {1, 0, 50, -30}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.num << ":" << c.den);
    SheetRecord s{};
    sys_sheet('R', 0, &s);
    s.num = int16_t(c.num), s.den = int16_t(c.den);
    sys_sheet('W', 0, &s);
    COleDataSource *src = picture_source(5000, 3000, RGB(0, 0, 255), 52, CLSID_NULL);
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    CRectItem *item = v->PasteItem(FALSE, &data, nullptr, 0);
    src->InternalRelease();
    ASSERT_TRUE(item);
    EXPECT_DOUBLE_EQ(item->GetDrawingSize().cx, c.cx);
    EXPECT_DOUBLE_EQ(item->GetDrawingSize().cy, c.cy);
    EXPECT_EQ(item->GetKnownExtent().cx, 5000);
    EXPECT_EQ(v->m_pSelection, item);
    item->Delete();
  }
}

TEST_F(ViewItems, PasteAtAPickedPoint) {
  // olectr, another process, puts a 4000 x 2000 metafile picture on the clipboard.
  const std::string wmf = here() + "work\\paste.wmf";
  {
    HDC mf = CreateMetaFileA(wmf.c_str());
    SetWindowExtEx(mf, 4000, 2000, nullptr);
    HBRUSH b = CreateSolidBrush(RGB(0, 128, 0));
    SelectObject(mf, b);
    Rectangle(mf, 0, 0, 4001, 2001);
    DeleteMetaFile(CloseMetaFile(mf));
    DeleteObject(b);
  }
  const std::string put = std::string("\"") + INK_OLECTR + "\" putwmf \"" + wmf + "\" 8 4000 2000";
  ASSERT_EQ(run_pumping(put), 0u);

  const POINT pick{220, 150};
  struct Case {
    std::vector<int> codes; // the input codes given in turn at the pick point
    bool pasted;
  } cases[] = {{{27}, false}, {{800}, false}, {{501, 500}, true}, {{500}, true}, {{1, 2, 800}, false}, {{700}, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.codes.front());
    script.clear();
    script_at = 0;
    for (int code : c.codes)
      script.push_back(InputEvent{code, 0, v->m_view, pick.x, pick.y, 0});
    gcr_setsource(scripted);
    const size_t before = items();
    EXPECT_EQ(OlePasteAtPoint(), 0);
    gcr_setsource(nullptr);
    EXPECT_EQ(script_at, c.codes.size()) << "every code was asked for";
    ASSERT_EQ(items(), before + (c.pasted ? 1 : 0));
    if (!c.pasted)
      continue;
    CRectItem *item = v->m_pSelection;
    ASSERT_TRUE(item && holds(item));
    double x = 0, y = 0;
    vew_dev2w(0, v->m_view, pick.x, pick.y, &x, &y);
    const ViewXform &xf = vewtbl[0][v->m_view].xf;
    EXPECT_NEAR(item->m_geom.x, x, 1.5 / xf.xscale);
    EXPECT_NEAR(item->m_geom.y, y, 1.5 / xf.yscale);
    EXPECT_DOUBLE_EQ(item->GetDrawingSize().cx, 40.0);
    EXPECT_DOUBLE_EQ(item->GetDrawingSize().cy, -20.0);
    item->Delete();
  }

  // The clipboard holding a part of a drawing of this program (the view's area copied):
  // nothing is placed.
  EXPECT_EQ(OleCopyViewArea(), 0);
  EXPECT_EQ(CopyViewWindow, v->m_hWnd);
  const OBJECTDESCRIPTOR *d = GetObjectDescriptor(nullptr);
  ASSERT_TRUE(d);
  EXPECT_TRUE(IsEqualCLSID(d->clsid, *GetAppClsid()));
  script = {InputEvent{500, 0, v->m_view, pick.x, pick.y, 0}};
  script_at = 0;
  gcr_setsource(scripted);
  const size_t before = items();
  OlePasteAtPoint();
  gcr_setsource(nullptr);
  EXPECT_EQ(items(), before);
  COleDataSource::FlushClipboard();
}

TEST_F(ViewItems, InsertThroughTheSeamOpenAndObjectMode) {
  register_fwsrv();
  chosen_class = kFwSrvClsid;
  COleInsertDialog::SetShowFunction(choose_class);
  dwg_setstate(0, 0);
  v->InsertObject();
  ASSERT_EQ(items(), 1u);
  CRectItem *item = v->m_pSelection;
  ASSERT_TRUE(item && holds(item));
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_TRUE(asked.empty());
  EXPECT_FALSE(fwsrv_pids().empty());
  item->Close();
  pump_until([&] { return item->GetItemState() == COleClientItem::loadedState; }, 5000);

  // A class whose server cannot make the object: the message, and no item left.
  CoCreateGuid(&chosen_class);
  v->InsertObject();
  EXPECT_EQ(items(), 1u);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "オブジェクトを作成できませんでした。");
  EXPECT_EQ(v->m_pSelection, item);

  // Object mode: open, delete and paste are refused.
  OleToggleObjectMode();
  ASSERT_EQ(ObjectMode, 1u);
  SendMessageA(app_hmain(), WM_COMMAND, 60000, 0);
  const RECT ir = deviceRect(item);
  click(POINT{(ir.left + ir.right) / 2, (ir.top + ir.bottom) / 2}, WM_LBUTTONDBLCLK, 0);
  pump(10);
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::loadedState));
  PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
  pump(3);
  EXPECT_TRUE(holds(item));
  script = {InputEvent{500, 0, v->m_view, 50, 50, 0}};
  script_at = 0;
  gcr_setsource(scripted);
  OlePasteAtPoint();
  gcr_setsource(nullptr);
  EXPECT_EQ(script_at, 0u) << "no point is asked for";
  EXPECT_EQ(items(), 1u);
  OleToggleObjectMode();
  ASSERT_EQ(ObjectMode, 0u);

  // Command 60000 from the menu opens the selection in fwsrv.
  v->SetSelection(item);
  SendMessageA(app_hmain(), WM_COMMAND, 60000, 0);
  EXPECT_TRUE(pump_until([&] { return item->GetItemState() == COleClientItem::openState; }, 10000));
  item->Close();
  pump_until([&] { return item->GetItemState() == COleClientItem::loadedState; }, 5000);
  // A double click opens it too.
  const RECT r = deviceRect(item);
  click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, WM_LBUTTONDBLCLK, 0);
  EXPECT_TRUE(pump_until([&] { return item->GetItemState() == COleClientItem::openState; }, 10000));
  item->Close();
  pump(5);
  item->Delete();
  pump(5);
  EXPECT_TRUE(close_fwsrv());
}

TEST_F(ViewItems, ClearAllAsksAndResetWithoutSelectionIsReported) {
  CRectItem *a = picture(RECT{100, 100, 200, 160}, RGB(0, 0, 255));
  CRectItem *b = picture(RECT{220, 100, 300, 160}, RGB(255, 0, 0));
  ASSERT_TRUE(a && b);
  v->SetSelection(b);
  dwg_setstate(0, 0);
  answer_yesno = IDNO;
  OleClearItems();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "すべてのオブジェクトをクリアします。よろしいですか？");
  EXPECT_EQ(items(), 2u);
  EXPECT_EQ(dwg_state(0) & 1, 0u);
  EXPECT_EQ(OleHasItems(), 1);
  answer_yesno = IDYES;
  OleClearItems();
  EXPECT_EQ(items(), 0u);
  EXPECT_EQ(v->m_pSelection, nullptr);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_EQ(OleHasItems(), 0);

  // 60014 without a selection: the framework's invalid-argument report.
  asked.clear();
  SendMessageA(app_hmain(), WM_COMMAND, 60014, 0);
  pump(3);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "引数が正しくありません。");
  EXPECT_TRUE(IsWindow(v->m_hWnd));
}

TEST_F(ViewItems, MenuStatesOfTheAspectCommands) {
  CRectItem *item = picture(RECT{100, 100, 200, 160}, RGB(0, 0, 255));
  ASSERT_TRUE(item);
  struct Case {
    bool selected;
    UINT id;
    BOOL enabled;
    int check;
  } cases[] = {{false, 60012, FALSE, 0}, {false, 60013, FALSE, 0}, {true, 60012, TRUE, 1}, {true, 60013, TRUE, 0}};
  for (const Case &c : cases) {
    v->SetSelection(c.selected ? item : nullptr);
    CCmdUI ui(c.id);
    EXPECT_TRUE(v->OnUpdateCmdUI(&ui));
    EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
    EXPECT_EQ(ui.m_nCheck, c.check) << c.id;
  }
  CCmdUI other(10200);
  EXPECT_FALSE(v->OnUpdateCmdUI(&other));
  item->Delete();
}

TEST_F(ViewItems, CutGoesToAnotherProcessAndLeavesTheDrawing) {
  register_fwsrv();
  auto *item = new CRectItem(doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid));
  item->Close();
  item->UpdateExtent();
  v->SetSelection(item);
  dwg_setstate(0, 0);
  OleCutItem();
  EXPECT_EQ(items(), 0u);
  EXPECT_EQ(v->m_pSelection, nullptr);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  const std::string wmf = here() + "work\\cut.wmf";
  DeleteFileA(wmf.c_str());
  const std::string line = std::string("\"") + INK_OLECTR + "\" embed paste mfpict \"" + wmf + "\" release";
  EXPECT_EQ(run_pumping(line), 0u);
  EXPECT_NE(GetFileAttributesA(wmf.c_str()), INVALID_FILE_ATTRIBUTES);
  COleDataSource::FlushClipboard();
  pump(5);
  EXPECT_TRUE(close_fwsrv());
}

TEST_F(ViewItems, PictureOfAStaticPictureBehindAndAServerObjectInFront) {
  register_fwsrv();
  // Lines across where the picture behind lies: they are drawn over it.
  for (int i = 0; i < 12; i++) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = LIN;
    vew_dev2w(0, v->m_view, 60 + 25 * i, 60, &r.lin.x1, &r.lin.y1);
    vew_dev2w(0, v->m_view, 420 - 15 * i, 330, &r.lin.x2, &r.lin.y2);
    r.lin.attr = 0x11;
    elm_add(0, 0, ELM_NODRAW, &r, nullptr);
  }
  CRectItem *back = picture(RECT{80, 80, 380, 260}, RGB(0, 160, 255), 0);
  ASSERT_TRUE(back);
  auto *front = new CRectItem(doc);
  ASSERT_TRUE(front->CreateNewItem(kFwSrvClsid));
  front->Close();
  front->UpdateExtent();
  front->MoveTo(v->RectToLogical(RECT{300, 180, 460, 300}), v);
  front->m_geom.layer = 1;
  v->SetSelection(front);
  repaint();
  RECT wr;
  const auto px = screen_capture(GetParent(v->m_hWnd), wr);
  write_png((std::string(INK_PICTURE_DIR) + "/tests/shell/view_objects.png").c_str(), wr.right - wr.left,
            wr.bottom - wr.top, px);
  // The server's red object in front, with the handles of its tracker at its corners.
  const RECT fr = deviceRect(front);
  const auto inside = pixels(RECT{(fr.left + fr.right) / 2, (fr.top + fr.bottom) / 2,
                                  (fr.left + fr.right) / 2 + 1, (fr.top + fr.bottom) / 2 + 1});
  EXPECT_EQ(inside[0], 0xFF0000u);
  const auto corner = pixels(RECT{fr.left + 1, fr.top + 1, fr.left + 2, fr.top + 2});
  EXPECT_EQ(corner[0], 0x00FFFFu) << "a handle inverts the object under it";
  const RECT br = deviceRect(back);
  const auto behind = pixels(RECT{br.left + 10, br.bottom - 10, br.left + 11, br.bottom - 9});
  EXPECT_EQ(behind[0], 0x00A0FFu);
  front->Delete();
  back->Delete();
  pump(5);
  EXPECT_TRUE(close_fwsrv());
}

} // namespace
