// Client items: objects from our own data and fwsrv objects, drawn, stored in a
// compound file with the document's item list, opened, closed and deleted.
#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/file.h"
#include "framework/olecli.h"
#include "framework/olecdlg.h"
#include "framework/oledata.h"
#include "framework/oledrop.h"
#include "framework/view.h"
#include "framework/oleinit.h"
#include "framework/winapp.h"
#include "fwsrv_ids.h"

namespace {

CWinApp &app() {
  static CWinApp a("InkClientTest");
  return a;
}

std::string exeDir() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  return dir;
}

std::string tempPath(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

DWORD runAndWait(const std::string &cmdLine) {
  std::string cmd = cmdLine;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 999;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

std::vector<DWORD> fwsrvProcesses() {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, INK_FWSRV) == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

// Pumps messages (COM calls come in through them) until done() or the time is up.
template <class F> bool pumpUntil(F done, DWORD ms) {
  const DWORD t0 = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (done())
      return true;
    if (GetTickCount() - t0 > ms)
      return false;
    Sleep(20);
  }
}

HWND visibleWindowOf(DWORD pid) {
  struct Found {
    DWORD pid;
    HWND wnd;
  } f{pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto *f = reinterpret_cast<Found *>(lp);
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        if (p == f->pid && IsWindowVisible(w) && !GetParent(w)) {
          f->wnd = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.wnd;
}

void closeWindowsOf(DWORD pid) {
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        if (p == DWORD(lp) && !GetParent(w))
          PostMessageA(w, WM_CLOSE, 0, 0);
        return TRUE;
      },
      LPARAM(pid));
}

// A metafile picture of cx x cy HIMETRIC filled with colour.
HGLOBAL pictureBlock(LONG cx, LONG cy, COLORREF colour) {
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
  return block;
}

// A data source offering the picture as CF_METAFILEPICT.
COleDataSource *pictureSource(LONG cx, LONG cy, COLORREF colour) {
  auto *src = new COleDataSource;
  STGMEDIUM m{};
  m.tymed = TYMED_MFPICT;
  m.hMetaFilePict = pictureBlock(cx, cy, colour);
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  src->CacheData(CF_METAFILEPICT, &m, &fe);
  return src;
}

// Draws the item into a white 100 x 60 bitmap; the colour at the centre.
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
  EXPECT_TRUE(item.Draw(&dc, &all)) << std::hex << item.GetLastStatus();
  const COLORREF c = GetPixel(mem, 50, 30);
  dc.Detach();
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  return c;
}

class ItemDoc : public COleDocument {
public:
  ItemDoc() { m_bAutoDelete = FALSE; }
};

class ClientTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    app();
    ASSERT_TRUE(AfxOleInit());
    ASSERT_EQ(runAndWait("\"" + exeDir() + INK_FWSRV + "\" -RegServer"), 0u);
  }
  void TearDown() override {
    for (DWORD pid : fwsrvProcesses())
      closeWindowsOf(pid);
    pumpUntil([] { return fwsrvProcesses().empty(); }, 5000);
  }
};

TEST_F(ClientTest, StaticItemFromOwnDataDrawsAndRoundTripsThroughACompoundFile) {
  const std::string path = tempPath("client_static.stg");
  DeleteFileA(path.c_str());
  {
    ItemDoc doc;
    doc.EnableCompoundFile();
    COleDataSource *src = pictureSource(5000, 3000, RGB(0, 0, 255));
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    auto *a = new COleClientItem(&doc);
    ASSERT_TRUE(a->CreateStaticFromData(&data)) << std::hex << a->GetLastStatus();
    EXPECT_EQ(a->GetType(), OT_STATIC);
    EXPECT_EQ(a->GetItemState(), UINT(COleClientItem::loadedState));
    SIZE ext{};
    ASSERT_TRUE(a->GetCachedExtent(&ext));
    EXPECT_EQ(ext.cx, 5000);
    EXPECT_EQ(ext.cy, 3000);
    EXPECT_EQ(drawnCentre(*a), RGB(0, 0, 255));

    auto *b = new COleClientItem(&doc);
    ASSERT_TRUE(b->CreateStaticFromData(&data));
    b->SetDrawAspect(DVASPECT_THUMBNAIL);
    EXPECT_EQ(a->GetItemNumber(), 1u);
    EXPECT_EQ(b->GetItemNumber(), 2u);
    src->InternalRelease();
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
  }
  ItemDoc back;
  back.EnableCompoundFile();
  ASSERT_TRUE(back.OnOpenDocument(path.c_str()));
  ASSERT_EQ(back.GetItems().size(), 2u);
  auto *a = dynamic_cast<COleClientItem *>(back.GetItems()[0]);
  auto *b = dynamic_cast<COleClientItem *>(back.GetItems()[1]);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->GetItemNumber(), 1u);
  EXPECT_EQ(b->GetItemNumber(), 2u);
  EXPECT_EQ(a->GetDrawAspect(), DVASPECT_CONTENT);
  EXPECT_EQ(b->GetDrawAspect(), DVASPECT_THUMBNAIL);
  // Wine stores the picture's extent through screen pixels: a few HIMETRIC get lost.
  SIZE ext{};
  ASSERT_TRUE(a->GetCachedExtent(&ext));
  EXPECT_NEAR(ext.cx, 5000, 5);
  EXPECT_NEAR(ext.cy, 3000, 5);
  EXPECT_EQ(drawnCentre(*a), RGB(0, 0, 255));

  // The document's storage goes away; the items keep their objects.
  back.m_lpRootStg->Release();
  back.m_lpRootStg = nullptr;
  EXPECT_EQ(drawnCentre(*a), RGB(0, 0, 255));
  DeleteFileA(path.c_str());
}

TEST_F(ClientTest, ItemWithoutRootStorageTravelsInsideTheArchive) {
  COleDataSource *src = pictureSource(2000, 1000, RGB(0, 128, 0));
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  ItemDoc doc;
  auto *a = new COleClientItem(&doc);
  ASSERT_TRUE(a->CreateStaticFromData(&data));
  src->InternalRelease();
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = &doc;
    doc.Serialize(ar);
    ar.Close();
  }
  file.SeekToBegin();
  ItemDoc back;
  {
    CArchive ar(&file, CArchive::load);
    ar.m_pDocument = &back;
    back.Serialize(ar);
    ar.Close();
  }
  ASSERT_EQ(back.GetItems().size(), 1u);
  auto *b = dynamic_cast<COleClientItem *>(back.GetItems()[0]);
  ASSERT_TRUE(b);
  SIZE ext{};
  ASSERT_TRUE(b->GetCachedExtent(&ext));
  EXPECT_NEAR(ext.cx, 2000, 5); // through pixels, as above
  EXPECT_EQ(drawnCentre(*b), RGB(0, 128, 0));
}

// An enhanced metafile of cx x cy HIMETRIC filled with colour.
HENHMETAFILE enhPicture(LONG cx, LONG cy, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  RECT frame{0, 0, cx, cy};
  HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
  const int px = MulDiv(cx, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, HORZSIZE) * 100);
  const int py = MulDiv(cy, GetDeviceCaps(screen, VERTRES), GetDeviceCaps(screen, VERTSIZE) * 100);
  ReleaseDC(nullptr, screen);
  HBRUSH brush = CreateSolidBrush(colour);
  SelectObject(dc, brush);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, px + 1, py + 1);
  DeleteObject(brush);
  return CloseEnhMetaFile(dc);
}

// Puts one picture on the plain clipboard, as another program would (no OLE).
bool putOnClipboard(HWND owner, UINT format, HANDLE picture) {
  bool open = false;
  for (int i = 0; i < 50 && !(open = OpenClipboard(owner)); ++i)
    Sleep(20);
  if (!open)
    return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(format, picture) != nullptr;
  CloseClipboard();
  return ok;
}

TEST_F(ClientTest, StaticItemFromAPictureOnThePlainClipboard) {
  HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  struct Case {
    const char *name;
    UINT format;
  };
  for (const Case &c : {Case{"enhanced metafile", CF_ENHMETAFILE}, Case{"metafile picture", CF_METAFILEPICT}}) {
    HANDLE picture = c.format == CF_ENHMETAFILE ? HANDLE(enhPicture(5000, 3000, RGB(0, 0, 255)))
                                                : HANDLE(pictureBlock(5000, 3000, RGB(0, 0, 255)));
    ASSERT_TRUE(putOnClipboard(owner, c.format, picture)) << c.name;
    ItemDoc doc;
    COleDataObject data;
    ASSERT_TRUE(data.AttachClipboard()) << c.name;
    auto *item = new COleClientItem(&doc);
    ASSERT_TRUE(item->CreateStaticFromData(&data)) << c.name << " " << std::hex << item->GetLastStatus();
    data.Release();
    EXPECT_EQ(item->GetType(), OT_STATIC) << c.name;
    SIZE ext{};
    ASSERT_TRUE(item->GetCachedExtent(&ext)) << c.name;
    EXPECT_NEAR(ext.cx, 5000, 30) << c.name;
    EXPECT_NEAR(ext.cy, 3000, 30) << c.name;
    EXPECT_EQ(drawnCentre(*item), RGB(0, 0, 255)) << c.name;
    item->Delete();
  }
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    CloseClipboard();
  }
  DestroyWindow(owner);
}

// Data offering only an enhanced metafile gives a static metafile picture of it.
TEST_F(ClientTest, StaticItemFromAnEnhancedMetafileOnly) {
  auto *src = new COleDataSource;
  STGMEDIUM m{};
  m.tymed = TYMED_ENHMF;
  m.hEnhMetaFile = enhPicture(5000, 3000, RGB(0, 0, 255));
  FORMATETC fe{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  src->CacheData(CF_ENHMETAFILE, &m, &fe);
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  ItemDoc doc;
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(item->CreateStaticFromData(&data)) << std::hex << item->GetLastStatus();
  src->InternalRelease();
  EXPECT_EQ(item->GetType(), OT_STATIC);
  SIZE ext{};
  ASSERT_TRUE(item->GetCachedExtent(&ext));
  EXPECT_NEAR(ext.cx, 5000, 30);
  EXPECT_NEAR(ext.cy, 3000, 30);
  EXPECT_EQ(drawnCentre(*item), RGB(0, 0, 255));
  item->Delete();
}

// Remembers what the item was told.
class WatchedItem : public COleClientItem {
public:
  using COleClientItem::COleClientItem;
  void OnChange(OLE_NOTIFICATION code, DWORD param) override { changes.push_back({code, param}); }
  std::vector<std::pair<OLE_NOTIFICATION, DWORD>> changes;
};

TEST_F(ClientTest, ANewDrawAspectIsReportedOnce) {
  COleDataSource *src = pictureSource(2000, 1000, RGB(0, 128, 0));
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  ItemDoc doc;
  auto *item = new WatchedItem(&doc);
  ASSERT_TRUE(item->CreateStaticFromData(&data));
  src->InternalRelease();
  item->changes.clear();
  item->SetDrawAspect(DVASPECT_THUMBNAIL);
  item->SetDrawAspect(DVASPECT_THUMBNAIL);
  ASSERT_EQ(item->changes.size(), 1u);
  EXPECT_EQ(item->changes[0].first, OLE_CHANGED_ASPECT);
  EXPECT_EQ(item->changes[0].second, DWORD(DVASPECT_THUMBNAIL));
  EXPECT_EQ(item->GetDrawAspect(), DVASPECT_THUMBNAIL);
  item->Delete();
}

// The names of the sub-storages of the compound file.
std::vector<std::string> storagesIn(const std::string &path) {
  std::vector<std::string> names;
  const std::wstring w(path.begin(), path.end());
  IStorage *root = nullptr;
  if (FAILED(StgOpenStorage(w.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root)))
    return names;
  IEnumSTATSTG *e = nullptr;
  root->EnumElements(0, nullptr, 0, &e);
  STATSTG st{};
  while (e && e->Next(1, &st, nullptr) == S_OK) {
    if (st.type == STGTY_STORAGE)
      names.push_back(std::string(st.pwcsName, st.pwcsName + wcslen(st.pwcsName)));
    CoTaskMemFree(st.pwcsName);
  }
  if (e)
    e->Release();
  root->Release();
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(ClientTest, SavingIntoTheSameFileDropsTheObjectsOfDeletedItems) {
  const std::string path = tempPath("client_stale.stg");
  DeleteFileA(path.c_str());
  {
    COleDataSource *src = pictureSource(2000, 1000, RGB(0, 128, 0));
    COleDataObject data;
    data.Attach(src->GetDataObject(), FALSE);
    ItemDoc doc;
    doc.EnableCompoundFile();
    COleClientItem *items[3];
    for (COleClientItem *&item : items) {
      item = new COleClientItem(&doc);
      ASSERT_TRUE(item->CreateStaticFromData(&data));
    }
    src->InternalRelease();
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    doc.SetPathName(path.c_str());
    items[1]->Delete();
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str())); // the same root storage again
  }
  EXPECT_EQ(storagesIn(path), (std::vector<std::string>{"Embedding 1", "Embedding 3"}));
  {
    ItemDoc back;
    back.EnableCompoundFile();
    ASSERT_TRUE(back.OnOpenDocument(path.c_str()));
    ASSERT_EQ(back.GetItems().size(), 2u);
    EXPECT_EQ(drawnCentre(*dynamic_cast<COleClientItem *>(back.GetItems()[1])), RGB(0, 128, 0));
  }
  DeleteFileA(path.c_str());
}

// Damaged item records fail the load with a clear error and leave no item behind.
TEST_F(ClientTest, DamagedItemRecordsFailTheLoad) {
  COleDataSource *src = pictureSource(2000, 1000, RGB(0, 128, 0));
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  ItemDoc doc;
  auto *a = new COleClientItem(&doc);
  ASSERT_TRUE(a->CreateStaticFromData(&data));
  src->InternalRelease();
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = &doc;
    doc.Serialize(ar);
    ar.Close();
  }
  const size_t length = size_t(file.GetLength());
  std::vector<unsigned char> good(length);
  file.SeekToBegin();
  file.Read(good.data(), unsigned(length));
  // Offset of the place byte: count (4), class record, then number, aspect, kind.
  size_t place = 0;
  for (size_t i = 4; i + 13 < good.size(); i++)
    if (good[i] == 1 && good[i + 4] == DVASPECT_CONTENT && good[i + 8] == OT_STATIC && good[i + 12] == 0) {
      place = i + 12;
      break;
    }
  ASSERT_NE(place, 0u);
  struct Case {
    const char *name;
    std::vector<unsigned char> bytes;
  };
  std::vector<unsigned char> badPlace = good, inRoot = good, hugeCount = good;
  badPlace[place] = 7;
  inRoot[place] = 1; // the object is said to be in a root storage the document has not
  hugeCount[place + 4] = 0xFF, hugeCount[place + 7] = 0x7F;
  const Case cases[] = {{"truncated", std::vector<unsigned char>(good.begin(), good.end() - 100)},
                        {"bad place", badPlace},
                        {"no root storage", inRoot},
                        {"huge count", hugeCount}};
  for (const Case &c : cases) {
    CMemFile in(const_cast<unsigned char *>(c.bytes.data()), c.bytes.size());
    ItemDoc back;
    bool threw = false;
    try {
      CArchive ar(&in, CArchive::load);
      ar.m_pDocument = &back;
      back.Serialize(ar);
      ar.Close();
    } catch (CException &) {
      threw = true;
    }
    EXPECT_TRUE(threw) << c.name;
    EXPECT_TRUE(back.GetItems().empty()) << c.name;
  }
}

// Under Wine a local server outlives its last object while the container process lives
// (raw ole32 OleCreate/Close/Release in this process shows the same): the server's
// document count, shown in its title, tells that it let go.
std::string fwsrvTitle() {
  struct Found {
    DWORD pid;
    std::string title;
  } f{0, ""};
  std::vector<DWORD> pids = fwsrvProcesses();
  if (pids.size() != 1)
    return "";
  f.pid = pids[0];
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto *f = reinterpret_cast<Found *>(lp);
        DWORD p = 0;
        char c[64] = "", t[64] = "";
        GetWindowThreadProcessId(w, &p);
        GetClassNameA(w, c, sizeof c);
        if (p == f->pid && std::string(c) == "InkFwFrame") {
          GetWindowTextA(w, t, sizeof t);
          f->title = t;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.title;
}

TEST_F(ClientTest, FwsrvItemDrawsRedClosesAndDeletes) {
  ItemDoc doc;
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid)) << std::hex << item->GetLastStatus();
  EXPECT_EQ(item->GetType(), OT_EMBEDDED);
  EXPECT_EQ(item->GetItemNumber(), 1u);
  EXPECT_EQ(fwsrvProcesses().size(), 1u);
  EXPECT_EQ(fwsrvTitle(), "fwsrv 1");
  EXPECT_EQ(drawnCentre(*item), RGB(255, 0, 0));
  SIZE ext{};
  EXPECT_TRUE(item->GetExtent(&ext));
  item->Close();
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::loadedState));
  EXPECT_TRUE(pumpUntil([] { return fwsrvTitle() != "fwsrv 1"; }, 5000)) << "Close ends the server's document";
  EXPECT_EQ(drawnCentre(*item), RGB(255, 0, 0)) << "the cache still draws";
  item->Delete();
  EXPECT_TRUE(doc.GetItems().empty());
}

TEST_F(ClientTest, OpenVerbShowsTheServerUntilTheItemIsClosed) {
  ItemDoc doc;
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid));
  ASSERT_TRUE(item->DoVerb(OLEIVERB_OPEN, nullptr)) << std::hex << item->GetLastStatus();
  EXPECT_TRUE(pumpUntil([&] { return item->GetItemState() == COleClientItem::openState; }, 5000));
  std::vector<DWORD> pids = fwsrvProcesses();
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(pumpUntil([&] { return visibleWindowOf(pids[0]) != nullptr; }, 5000));
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::openState));
  item->Close();
  EXPECT_TRUE(pumpUntil([&] { return item->GetItemState() == COleClientItem::loadedState; }, 5000));
  EXPECT_TRUE(pumpUntil([] { return fwsrvTitle() == "fwsrv 0"; }, 5000));
  item->Delete();
}

// The user closes the server's window while the item is open: the server tells the
// item, which is loaded again and still draws.
TEST_F(ClientTest, ServerClosedByTheUserLeavesTheItemLoaded) {
  ItemDoc doc;
  auto *item = new WatchedItem(&doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid));
  ASSERT_TRUE(item->DoVerb(OLEIVERB_OPEN, nullptr));
  ASSERT_TRUE(pumpUntil([&] { return item->GetItemState() == COleClientItem::openState; }, 5000));
  std::vector<DWORD> pids = fwsrvProcesses();
  ASSERT_EQ(pids.size(), 1u);
  HWND wnd = nullptr;
  ASSERT_TRUE(pumpUntil([&] { return (wnd = visibleWindowOf(pids[0])) != nullptr; }, 5000));
  item->changes.clear();
  PostMessageA(wnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(pumpUntil([&] { return item->GetItemState() == COleClientItem::loadedState; }, 10000));
  const auto told = [&](OLE_NOTIFICATION code) {
    for (const auto &c : item->changes)
      if (c.first == code)
        return true;
    return false;
  };
  EXPECT_TRUE(told(OLE_CHANGED_STATE));
  EXPECT_TRUE(told(OLE_CLOSED));
  EXPECT_EQ(drawnCentre(*item), RGB(255, 0, 0));
  item->Delete();
  EXPECT_TRUE(doc.GetItems().empty());
}

// What another process gets when it pastes the copied item.
TEST_F(ClientTest, CopiedFwsrvItemPastesInAnotherProcessAsRed) {
  ItemDoc doc;
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid));
  item->Close();
  ASSERT_NO_THROW(item->CopyToClipboard());
  const std::string wmf = tempPath("client_paste.wmf");
  DeleteFileA(wmf.c_str());
  // olectr needs our clipboard object answered: run it while pumping.
  std::string line = "\"" + exeDir() + INK_OLECTR + "\" embed paste mfpict \"" + wmf + "\" release";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  EXPECT_TRUE(pumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 60000));
  DWORD code = 999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
  // The metafile bits olectr got, played into 100 x 60.
  HANDLE f = CreateFileA(wmf.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  std::vector<BYTE> bits(GetFileSize(f, nullptr));
  DWORD got = 0;
  ReadFile(f, bits.data(), DWORD(bits.size()), &got, nullptr);
  CloseHandle(f);
  HMETAFILE mf = SetMetaFileBitsEx(UINT(bits.size()), bits.data());
  ASSERT_NE(mf, nullptr);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 60);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 100, 60};
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetMapMode(mem, MM_ANISOTROPIC);
  SetViewportExtEx(mem, 100, 60, nullptr);
  PlayMetaFile(mem, mf);
  SetMapMode(mem, MM_TEXT);
  EXPECT_EQ(GetPixel(mem, 50, 30), RGB(255, 0, 0));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  DeleteMetaFile(mf);
  DeleteFileA(wmf.c_str());
  OleSetClipboard(nullptr);
  item->Delete();
}

// A view that remembers what the drop target told it.
class DropView : public CView {
public:
  DROPEFFECT OnDragEnter(COleDataObject *data, DWORD keys, POINT pt) override {
    calls.push_back("enter");
    lastKeys = keys;
    lastPoint = pt;
    sawData = data && data->m_lpDataObject;
    return DROPEFFECT_COPY;
  }
  DROPEFFECT OnDragOver(COleDataObject *, DWORD keys, POINT pt) override {
    calls.push_back("over");
    lastKeys = keys;
    lastPoint = pt;
    return (keys & MK_SHIFT) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  }
  void OnDragLeave() override { calls.push_back("leave"); }
  BOOL OnDrop(COleDataObject *data, DROPEFFECT effect, POINT pt) override {
    calls.push_back("drop");
    dropEffect = effect;
    lastPoint = pt;
    sawData = data && data->m_lpDataObject;
    return TRUE;
  }
  std::vector<std::string> calls;
  DWORD lastKeys = 0;
  POINT lastPoint{};
  DROPEFFECT dropEffect = 0;
  bool sawData = false;
};

TEST_F(ClientTest, DropTargetCallsReachTheView) {
  auto *view = new DropView;
  ASSERT_TRUE(view->CreateEx(0, nullptr, "drop", WS_POPUP | WS_VISIBLE, 50, 40, 300, 200, nullptr, nullptr));
  COleDropTarget target;
  ASSERT_TRUE(target.Register(view));
  COleDataSource *src = pictureSource(100, 100, RGB(0, 0, 255));
  IDropTarget *t = target.GetInterface();
  POINT origin{0, 0};
  ClientToScreen(view->m_hWnd, &origin);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(t->DragEnter(src->GetDataObject(), MK_LBUTTON | MK_CONTROL, POINTL{origin.x + 10, origin.y + 20}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  EXPECT_TRUE(view->sawData);
  EXPECT_EQ(view->lastKeys, DWORD(MK_LBUTTON | MK_CONTROL));
  EXPECT_EQ(view->lastPoint.x, 10);
  EXPECT_EQ(view->lastPoint.y, 20);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(t->DragOver(MK_LBUTTON | MK_SHIFT, POINTL{origin.x + 30, origin.y + 5}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
  EXPECT_EQ(view->lastPoint.x, 30);
  EXPECT_EQ(t->DragLeave(), S_OK);
  // A drop: the view's effect for the point, limited to what the source allows.
  effect = DROPEFFECT_COPY;
  view->sawData = false;
  EXPECT_EQ(t->DragEnter(src->GetDataObject(), MK_LBUTTON, POINTL{origin.x + 1, origin.y + 2}, &effect), S_OK);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(t->Drop(src->GetDataObject(), MK_SHIFT, POINTL{origin.x + 7, origin.y + 8}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE)) << "move is not allowed by the source";
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(t->Drop(src->GetDataObject(), 0, POINTL{origin.x + 7, origin.y + 8}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  EXPECT_EQ(view->dropEffect, DWORD(DROPEFFECT_COPY));
  EXPECT_EQ(view->lastPoint.x, 7);
  EXPECT_EQ(view->lastPoint.y, 8);
  const std::vector<std::string> want = {"enter", "over", "leave", "enter", "over", "leave", "over", "drop"};
  EXPECT_EQ(view->calls, want);
  // The window goes: the registration goes with it and later calls reach nobody.
  HWND wnd = view->m_hWnd;
  DestroyWindow(wnd);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(t->DragEnter(src->GetDataObject(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
  src->InternalRelease();
}

// The drag source's rules.
TEST(DropSource, EscCancelsAndReleasingTheButtonsDrops) {
  COleDropSource s;
  IDropSource *d = s.GetInterface();
  EXPECT_EQ(d->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(d->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(d->QueryContinueDrag(FALSE, MK_RBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(d->QueryContinueDrag(FALSE, MK_SHIFT), DRAGDROP_S_DROP);
  EXPECT_EQ(d->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

// The insert dialog through its seam: what it was asked, what it chose.
DWORD g_askedFlags = 0;
UINT chooseFwsrv(OLEUIINSERTOBJECTA *io) {
  g_askedFlags = io->dwFlags;
  io->clsid = kFwSrvClsid;
  return OLEUI_OK;
}
UINT cancelInsert(OLEUIINSERTOBJECTA *) { return OLEUI_CANCEL; }

TEST_F(ClientTest, InsertDialogMakesTheChosenItem) {
  ItemDoc doc;
  {
    COleInsertDialog::SetShowFunction(cancelInsert);
    COleInsertDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  }
  COleInsertDialog::SetShowFunction(chooseFwsrv);
  COleInsertDialog dlg;
  ASSERT_EQ(dlg.DoModal(), IDOK);
  COleInsertDialog::SetShowFunction(nullptr);
  EXPECT_TRUE(g_askedFlags & IOF_SELECTCREATENEW);
  EXPECT_FALSE(g_askedFlags & (IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT));
  EXPECT_EQ(dlg.GetSelectionType(), COleInsertDialog::createNewItem);
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(dlg.CreateItem(item)) << std::hex << item->GetLastStatus();
  EXPECT_EQ(drawnCentre(*item), RGB(255, 0, 0));
  item->Delete();

  struct Case {
    DWORD flags;
    COleInsertDialog::Selection want;
  } cases[] = {{IOF_SELECTCREATENEW, COleInsertDialog::createNewItem},
               {IOF_SELECTCREATEFROMFILE, COleInsertDialog::insertFromFile},
               {IOF_SELECTCREATEFROMFILE | IOF_CHECKLINK, COleInsertDialog::linkToFile}};
  for (const Case &c : cases) {
    COleInsertDialog d;
    d.m_io.dwFlags = c.flags;
    EXPECT_EQ(d.GetSelectionType(), c.want) << c.flags;
  }
}

UINT chooseIcon(OLEUIOBJECTPROPSA *op) {
  EXPECT_EQ(op->lpVP->nScaleMin, 10);
  EXPECT_EQ(op->lpVP->nScaleMax, 500);
  DWORD aspect = 0;
  op->lpObjInfo->GetViewInfo(op->dwObject, nullptr, &aspect, nullptr);
  EXPECT_EQ(aspect, DWORD(DVASPECT_CONTENT));
  op->lpObjInfo->SetViewInfo(op->dwObject, nullptr, DVASPECT_ICON, 100, FALSE);
  return OLEUI_OK;
}

TEST_F(ClientTest, PropertiesDialogChangesTheAspectOnlyWhenItAnswers) {
  ItemDoc doc;
  COleDataSource *src = pictureSource(1000, 1000, RGB(0, 0, 255));
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(item->CreateStaticFromData(&data));
  src->InternalRelease();
  {
    // Wine's dialog is a stub: a failure, nothing changed.
    COleObjectPropertiesDialog dlg(item);
    const INT_PTR r = dlg.DoModal();
    EXPECT_NE(r, IDOK);
    EXPECT_EQ(item->GetDrawAspect(), DVASPECT_CONTENT);
  }
  COleObjectPropertiesDialog::SetShowFunction(chooseIcon);
  COleObjectPropertiesDialog dlg(item);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  COleObjectPropertiesDialog::SetShowFunction(nullptr);
  EXPECT_EQ(item->GetDrawAspect(), DVASPECT_ICON);
}

} // namespace
