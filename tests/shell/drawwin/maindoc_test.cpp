// The drawing document as an OLE document in the started editor: its native data in a
// storage in memory (written and read into a fresh document), bad data that must fail
// the open and leave the other drawing alone, an older server's stream, the convert
// mark, host names and the server item's extent and names.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../framework/fwsrv_ids.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/sealread.h"
#include "framework/archive.h"
#include "framework/doctempl.h"
#include "framework/file.h"
#include "framework/olecli.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "ole/nativedata.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"
#include "shell/oleitems/srvritem.h"
#include "shell/drawwin/viewwin.h"
#include "../../common/editorpump.h"

namespace {

std::vector<std::string> messages;

int add_line(double x1, double y1, double x2, double y2) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return elm_add(0, 0, -1, &r, nullptr);
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

// The test server outlives its objects under Wine while its container lives: it is
// closed through its windows (so that it revokes its class) before the next test.
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
  const DWORD t0 = GetTickCount();
  while (!fwsrv_pids().empty()) {
    if (GetTickCount() - t0 > 10000)
      return false;
    pump();
    Sleep(50);
  }
  return true;
}

IStorage *mem_storage() {
  ILockBytes *bytes = nullptr;
  IStorage *stg = nullptr;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes)))
    return nullptr;
  StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg);
  bytes->Release();
  return stg;
}

std::string read_stream(IStorage *stg, const wchar_t *name) {
  IStream *s = nullptr;
  if (FAILED(stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s)))
    return "<none>";
  std::string out;
  char buf[4096];
  ULONG n = 0;
  while (SUCCEEDED(s->Read(buf, sizeof buf, &n)) && n > 0)
    out.append(buf, n);
  s->Release();
  return out;
}

void write_stream(IStorage *stg, const wchar_t *name, const std::string &data) {
  IStream *s = nullptr;
  ASSERT_TRUE(SUCCEEDED(stg->CreateStream(name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s)));
  ULONG n = 0;
  s->Write(data.data(), ULONG(data.size()), &n);
  s->Release();
  stg->Commit(STGC_DEFAULT);
}

// Contents of a native layout: empty item list, the header, extent, rectangle, drawing.
std::string native_contents(const char *text, int32_t cx, int32_t cy, const double r[4], const std::string &dwg) {
  std::string s(4, '\0');
  s += char(std::strlen(text));
  s += text;
  s.append(reinterpret_cast<const char *>(&cx), 4);
  s.append(reinterpret_cast<const char *>(&cy), 4);
  s.append(reinterpret_cast<const char *>(r), 32);
  return s + dwg;
}

class MainDoc : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    messages.clear();
    ui_setresponder([](const UiQuestion &q) {
      messages.push_back(q.text ? q.text : "");
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_OKCANCEL)
        return IDCANCEL;
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_YESNOCANCEL)
        return IDNO;
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
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

  // Drawing 0 with two lines, its document bound to a storage in memory as an embedding.
  CMainDoc *embedded_drawing(IStorage *stg) {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    EXPECT_GT(add_line(3, 7, 22, 7), 0);
    EXPECT_GT(add_line(3, 3, 22, 22), 0);
    CMainDoc *doc = FindDocOfDrawing(0);
    EXPECT_TRUE(doc);
    if (!doc)
      return nullptr;
    stg->AddRef();
    doc->m_lpRootStg = stg;
    doc->SetEmbedded(TRUE);
    return doc;
  }
  // A document made as the server makes one for a container: frame and view first,
  // the drawing pending; then the container's storage is loaded.
  CMainDoc *new_server_doc() {
    VwinRequest.dwg = VwinRequest.view = -1;
    CMultiDocTemplate *t = AfxGetApp()->GetDocTemplates().front();
    auto *doc = static_cast<CMainDoc *>(t->OpenDocumentFile(nullptr, FALSE));
    pump(2);
    return doc;
  }
  // The drawing's window closed without a store; the editor offers one drawing.
  static void close_drawing() {
    if (HWND v = vew_hwnd(0, 0))
      SendMessageA(GetParent(v), WM_CLOSE, 0, 0);
    pump(3);
    ASSERT_EQ(vew_hwnd(0, 0), nullptr);
  }
  static int load(CMainDoc *doc, IStorage *stg) { // 0, or the exception's code
    try {
      doc->OnOpenEmbedding(stg);
      return 0;
    } catch (const CKLException &e) {
      return e.m_code;
    } catch (const CException &) {
      return -1;
    }
  }
  static void drop(CMainDoc *doc) {
    if (doc->m_lpRootStg) {
      doc->m_lpRootStg->Release();
      doc->m_lpRootStg = nullptr;
    }
  }
  std::string name(int dwg) {
    char n[262] = "";
    sys_dwgname('R', dwg, 0, n);
    return n;
  }
  // The drawing part of a native Contents stream, checked by the seal-file reader.
  void expect_seal(const std::string &bytes) {
    const std::string path = work + "check.ksl";
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    char p[262];
    std::snprintf(p, sizeof p, "%s", path.c_str());
    EXPECT_EQ(slf_probe(p), 1);
    DeleteFileA(path.c_str());
  }
};

TEST_F(MainDoc, NativeDataRoundTripsIntoAFreshDocument) {
  IStorage *stg = mem_storage();
  ASSERT_TRUE(stg);
  CMainDoc *doc = embedded_drawing(stg);
  ASSERT_TRUE(doc);
  doc->m_itemExtent = SIZE{10000, 7071};
  const double rect[4] = {0.0, 210.0, 297.0, 0.0};
  std::memcpy(doc->m_itemRect, rect, sizeof rect);
  doc->SetModifiedFlag(TRUE);
  ASSERT_TRUE(doc->OnSaveDocument(nullptr));
  EXPECT_TRUE(doc->IsModified()); // the drawing's store leaves the flag as it was
  const std::string contents = read_stream(stg, L"Contents");
  ASSERT_GT(contents.size(), 66u);
  const std::string head = native_contents(NATIVE_HEADER, 10000, 7071, rect, "");
  EXPECT_EQ(contents.substr(0, 66), head);
  const std::string drawing = contents.substr(66);
  expect_seal(drawing);
  drop(doc);
  close_drawing();
  ASSERT_EQ(DbCtl[0].count1, 0u);

  // Read into a fresh document: the same elements, extent and rectangle.
  CMainDoc *fresh = new_server_doc();
  ASSERT_TRUE(fresh);
  EXPECT_EQ(load(fresh, stg), 0);
  pump(3);
  EXPECT_EQ(fresh->m_dwg, 0);
  EXPECT_EQ(DbCtl[0].count1, 2u);
  EXPECT_EQ(fresh->m_itemExtent.cx, 10000);
  EXPECT_EQ(fresh->m_itemExtent.cy, 7071);
  EXPECT_EQ(std::memcmp(fresh->m_itemRect, rect, sizeof rect), 0);
  EXPECT_EQ(name(0), "KIVOLANTDOC#00");
  EXPECT_TRUE(vew_hwnd(0, 0));
  EXPECT_TRUE(DocTempFileName.IsEmpty());

  // Stored again: the same drawing bytes.
  IStorage *again = mem_storage();
  fresh->m_lpRootStg->Release();
  fresh->m_lpRootStg = again;
  fresh->m_bSameAsLoad = TRUE;
  ASSERT_TRUE(fresh->OnSaveDocument(nullptr));
  const std::string second = read_stream(again, L"Contents");
  EXPECT_EQ(second.substr(0, 66), head);
  EXPECT_EQ(second.substr(66), drawing);
  stg->Release();
}

// The document's own layout carries its objects: stored and read back, each object
// is there once, and the drawing inside holds no object block of its own.
TEST_F(MainDoc, AStoredDrawingKeepsItsObjectsOnceAndNoBlock) {
  IStorage *stg = mem_storage();
  ASSERT_TRUE(stg);
  CMainDoc *doc = embedded_drawing(stg);
  ASSERT_TRUE(doc);
  HDC mf = CreateMetaFileA(nullptr);
  SetWindowExtEx(mf, 2000, 1000, nullptr);
  Rectangle(mf, 0, 0, 2000, 1000);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(block));
  *pict = METAFILEPICT{MM_ANISOTROPIC, 2000, 1000, CloseMetaFile(mf)};
  GlobalUnlock(block);
  auto *src = new COleDataSource;
  STGMEDIUM m{};
  m.tymed = TYMED_MFPICT;
  m.hMetaFilePict = block;
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  src->CacheData(CF_METAFILEPICT, &m, &fe);
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  CRectItem *item = doc->CreateRectItem();
  ASSERT_TRUE(item->CreateStaticFromData(&data));
  src->InternalRelease();
  item->m_geom.x = 30;
  ASSERT_TRUE(doc->OnSaveDocument(nullptr));
  const std::string contents = read_stream(stg, L"Contents");
  // Two lines: the seal file at the end is its header and two records, nothing more.
  ASSERT_GT(contents.size(), 256u + 160u);
  expect_seal(contents.substr(contents.size() - 416));
  EXPECT_EQ(contents.compare(contents.size() - 416, 4, std::string("\0\0\0\0", 4)), 0);
  drop(doc);
  close_drawing();

  CMainDoc *fresh = new_server_doc();
  ASSERT_TRUE(fresh);
  EXPECT_EQ(load(fresh, stg), 0);
  pump(3);
  int items = 0;
  for (CDocItem *d : fresh->GetItems())
    if (auto *r = dynamic_cast<CRectItem *>(d)) {
      items++;
      EXPECT_EQ(r->m_geom.x, 30.0);
    }
  EXPECT_EQ(items, 1);
  stg->Release();
}

TEST_F(MainDoc, BadNativeDataFailsTheOpenAndLeavesTheOtherDrawing) {
  IStorage *stg = mem_storage();
  CMainDoc *doc = embedded_drawing(stg);
  ASSERT_TRUE(doc);
  ASSERT_TRUE(doc->OnSaveDocument(nullptr));
  const std::string good = read_stream(stg, L"Contents");
  drop(doc);
  stg->Release();
  close_drawing();
  const double rect[4] = {1, 2, 3, 4};
  std::string damaged = good.substr(66);
  damaged[24] = 7; // a version no seal file has
  const struct {
    std::string contents;
    int code;
  } cases[] = {
      {native_contents("Hello ORVIK KL nativf", 5, 6, rect, good.substr(66)), KLX_BADNATIVE},
      {native_contents(NATIVE_HEADER, 5, 6, rect, "not a seal file at all"), KLX_LOADFAIL},
      {native_contents(NATIVE_HEADER, 5, 6, rect, damaged), KLX_LOADFAIL},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.code);
    IStorage *bad = mem_storage();
    write_stream(bad, L"Contents", c.contents);
    CMainDoc *fresh = new_server_doc();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(load(fresh, bad), c.code);
    pump(2);
    EXPECT_EQ(fresh->m_dwg, -1);        // bound to no drawing
    EXPECT_EQ(vew_hwnd(0, 0), nullptr); // no view of one
    EXPECT_EQ(DbCtl[0].count1, 0u);     // nothing of the file kept
    EXPECT_EQ(fresh->m_itemExtent.cx, 0);
    EXPECT_TRUE(DocTempFileName.IsEmpty());
    fresh->OnCloseDocument();
    pump(2);
    bad->Release();
  }
}

TEST_F(MainDoc, OlderNativeStreamsAreImportedOrRefused) {
  const struct {
    uint32_t length;
    int code;
  } cases[] = {{256, KLX_LOADFAIL}, {255, KLX_BADNATIVE}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.length);
    IStorage *stg = mem_storage();
    std::string data(reinterpret_cast<const char *>(&c.length), 4);
    data += std::string(256, 'h');
    write_stream(stg, L"\001Ole10Native", data);
    SetConvertStg(stg, TRUE);
    CMainDoc *fresh = new_server_doc();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(load(fresh, stg), c.code);
    EXPECT_EQ(fresh->m_ole1Import, 0);
    if (c.code == KLX_BADNATIVE) {
      EXPECT_EQ(fresh->m_convertPending, 0);
    }
    EXPECT_EQ(vew_hwnd(0, 0), nullptr);
    EXPECT_EQ(fresh->m_dwg, -1);
    EXPECT_TRUE(DocTempFileName.IsEmpty());
    fresh->OnCloseDocument();
    pump(2);
    stg->Release();
  }
}

TEST_F(MainDoc, AnOlderObjectsDrawingIsImportedAndStoredInTheNativeLayout) {
  IStorage *stg = mem_storage();
  CMainDoc *doc = embedded_drawing(stg);
  ASSERT_TRUE(doc);
  ASSERT_TRUE(doc->OnSaveDocument(nullptr));
  const std::string drawing = read_stream(stg, L"Contents").substr(66);
  drop(doc);
  stg->Release();
  close_drawing();

  // Only the older server's stream: length, 256-byte head, the seal file.
  IStorage *old = mem_storage();
  const uint32_t length = uint32_t(256 + drawing.size());
  write_stream(old, L"\001Ole10Native", std::string(reinterpret_cast<const char *>(&length), 4) +
                                            std::string(256, 'h') + drawing);
  ASSERT_EQ(SetConvertStg(old, TRUE), S_OK);
  CMainDoc *fresh = new_server_doc();
  ASSERT_TRUE(fresh);
  ASSERT_EQ(load(fresh, old), 0);
  pump(2);
  EXPECT_EQ(fresh->m_dwg, 0);
  EXPECT_EQ(DbCtl[0].count1, 2u);
  EXPECT_EQ(fresh->m_convertPending, 1);
  EXPECT_EQ(fresh->m_ole1Import, 0);
  EXPECT_TRUE(DocTempFileName.IsEmpty());
  EXPECT_FALSE(fresh->IsModified());

  // The next store writes the native layout and drops the older stream and the mark.
  ASSERT_TRUE(fresh->OnSaveDocument(nullptr));
  EXPECT_EQ(read_stream(old, L"Contents").substr(66), drawing);
  EXPECT_EQ(read_stream(old, L"\001Ole10Native"), "<none>");
  EXPECT_EQ(GetConvertStg(old), S_FALSE);
  EXPECT_EQ(fresh->m_convertPending, 0);
  old->Release();
}

TEST_F(MainDoc, NoEmbeddingWhileAnObjectInADrawingIsOpen) {
  // The test server, registered from its build folder.
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string reg = std::string("\"") + INK_FWSRV_PATH + "\" -RegServer";
  ASSERT_TRUE(CreateProcessA(nullptr, reg.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);

  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(2);
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  auto *item = new COleClientItem(doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid));
  ASSERT_TRUE(item->DoVerb(OLEIVERB_OPEN, doc->GetViews().front()));
  pump(5);
  ASSERT_EQ(item->GetItemState(), UINT(COleClientItem::openState));
  EXPECT_EQ(FindDocWithOpenItem(), doc);

  // A document a container asks for now is refused, new or stored.
  CMainDoc other;
  IStorage *stg = mem_storage();
  for (int open = 0; open < 2; open++) {
    SCOPED_TRACE(open);
    try {
      if (open)
        other.OnOpenEmbedding(stg);
      else
        other.OnNewEmbedding(stg);
      ADD_FAILURE() << "accepted";
    } catch (const CKLException &e) {
      EXPECT_EQ(e.m_code, 100);
    }
  }
  EXPECT_EQ(other.m_lpRootStg, nullptr);
  stg->Release();

  item->Close();
  pump(5);
  EXPECT_EQ(FindDocWithOpenItem(), nullptr);
  item->Delete();
  pump(2);
  EXPECT_TRUE(close_fwsrv());
}

TEST_F(MainDoc, AStoreRemovesTheOlderStreamAndTheConvertMark) {
  IStorage *stg = mem_storage();
  write_stream(stg, L"\001Ole10Native", std::string(300, 'x'));
  ASSERT_EQ(SetConvertStg(stg, TRUE), S_OK);
  ASSERT_EQ(GetConvertStg(stg), S_OK);
  CMainDoc *doc = embedded_drawing(stg);
  ASSERT_TRUE(doc);
  doc->m_convertPending = 1;
  ASSERT_TRUE(doc->OnSaveDocument(nullptr));
  EXPECT_EQ(read_stream(stg, L"\001Ole10Native"), "<none>");
  EXPECT_EQ(GetConvertStg(stg), S_FALSE);
  EXPECT_EQ(doc->m_convertPending, 0);
  drop(doc);
  stg->Release();

  // A plain file gets nothing at all.
  CMemFile plain;
  {
    CArchive ar(&plain, CArchive::store);
    doc->Serialize(ar);
  }
  EXPECT_EQ(plain.GetLength(), 0u);
}

TEST_F(MainDoc, HostNamesNameTheDrawingAndItemsSizeThemselves) {
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(2);
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  doc->OnSetHostNames("olectr", "obj");
  EXPECT_EQ(name(0), "olectrの図 (1)");
  EXPECT_EQ(std::string(doc->m_hostName), "olectr");
  // A long host of double-byte characters is cut whole.
  std::string host;
  for (int i = 0; i < 200; i++)
    host += "図";
  doc->OnSetHostNames(host.c_str(), "");
  const std::string cut = name(0);
  const std::string tail = "の図 (1)";
  ASSERT_GT(cut.size(), tail.size());
  EXPECT_LE(cut.size(), 261u);
  EXPECT_EQ(cut.substr(cut.size() - tail.size()), tail);
  EXPECT_EQ((cut.size() - tail.size()) % 2, 0u);

  SheetRecord s{};
  sys_sheet('R', 0, &s);
  s.width = 420.0, s.height = 297.0, s.originx = s.originy = 0.0;
  sys_sheet('W', 0, &s);
  auto *item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
  ASSERT_TRUE(item);
  SIZE ext{};
  EXPECT_TRUE(item->OnGetExtent(DVASPECT_CONTENT, ext));
  EXPECT_EQ(ext.cx, 10000);
  EXPECT_EQ(ext.cy, 7071);
  EXPECT_TRUE(item->OnSetExtent(DVASPECT_CONTENT, SIZE{20000, 1}));
  EXPECT_EQ(item->GetExtent().cx, 20000);
  EXPECT_EQ(item->GetExtent().cy, 14142);
  EXPECT_FALSE(item->OnSetExtent(DVASPECT_THUMBNAIL, SIZE{5, 5}));
  double r[4];
  item->GetItemRect(r);
  EXPECT_TRUE(item->GetItemDRect().IsEqual(CKLDRect(0, 297, 420, 0)));

  // Link names: a valid one sets the part, an invalid one the whole sheet.
  CKLSrvrItem *link = doc->OnGetLinkedItem("(10,20)-(30,40)!5,6");
  EXPECT_TRUE(link->GetItemDRect().IsEqual(CKLDRect(10, 40, 30, 20)));
  EXPECT_EQ(link->GetExtent().cx, 5);
  EXPECT_TRUE(link->IsSameItemName("(10,20)-(30,40)!5,6"));
  CKLSrvrItem *whole = doc->OnGetLinkedItem("(1,2)-(3,4)!99999999999,6");
  EXPECT_TRUE(whole->GetItemDRect().IsEqual(CKLDRect(0, 297, 420, 0)));
  EXPECT_EQ(whole->GetExtent().cx, 10000);
  EXPECT_EQ(whole->GetExtent().cy, 7071);

  // A zero-width sheet gives the default extent.
  s.width = 0.0;
  sys_sheet('W', 0, &s);
  item->UpdateItemRect(nullptr, nullptr);
  EXPECT_EQ(item->GetExtent().cx, 10000);
  EXPECT_EQ(item->GetExtent().cy, 7071);
}

TEST_F(MainDoc, TheItemGivesItsRectangleAsText) {
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(2);
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  SheetRecord s{};
  sys_sheet('R', 0, &s);
  s.width = 420.0, s.height = 297.0, s.originx = s.originy = 0.0;
  sys_sheet('W', 0, &s);
  auto *item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
  ASSERT_TRUE(item);
  item->UpdateItemRect(nullptr, nullptr);

  FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  HGLOBAL block = nullptr;
  ASSERT_TRUE(item->OnRenderGlobalData(&text, &block));
  ASSERT_TRUE(block);
  EXPECT_EQ(GlobalSize(block), 128u);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(block)),
               "<ORVIK FX (0.000000, 297.000000)-(420.000000, 0.000000)>");
  GlobalUnlock(block);
  // A block already given is left alone and refused.
  HGLOBAL given = block;
  EXPECT_FALSE(item->OnRenderGlobalData(&text, &given));
  EXPECT_EQ(given, block);
  GlobalFree(block);

  // A linked part gives its own corners.
  CKLSrvrItem *link = doc->OnGetLinkedItem("(0.000000,297.000000)-(210.000000,148.500000)!5000,3535");
  ASSERT_TRUE(link);
  block = nullptr;
  ASSERT_TRUE(link->OnRenderGlobalData(&text, &block));
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(block)),
               "<ORVIK FX (0.000000, 297.000000)-(210.000000, 148.500000)>");
  GlobalUnlock(block);
  GlobalFree(block);

  // Data sources join the item's list and leave it.
  auto *source = new CKLItemDelayDataSource(link);
  ASSERT_EQ(link->DataSources().size(), 1u);
  EXPECT_EQ(link->DataSources()[0], source);
  source->InternalRelease();
  EXPECT_TRUE(link->DataSources().empty());

  // Other formats stay with the base: the object descriptor, and nothing for the rest.
  FORMATETC other = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  block = nullptr;
  EXPECT_FALSE(item->OnRenderGlobalData(&other, &block));
  EXPECT_FALSE(block);
}

TEST(EnhMetaFileDC, RecordsWithTheDisplayAnsweringAndPlaysBack) {
  CEnhMetaFileDC dc;
  const RECT frame = {0, 0, 2540, 2540}; // one inch
  const char desc[] = "INKFORGE\0item\0";
  ASSERT_TRUE(dc.CreateEnhanced(nullptr, nullptr, &frame, desc));
  EXPECT_FALSE(dc.CreateEnhanced(nullptr, nullptr, &frame, desc));
  EXPECT_TRUE(dc.IsKindOf(RUNTIME_CLASS(CMetaFileDC)));
  // The display answers for the recording.
  HDC attrib = dc.m_hAttribDC;
  ASSERT_TRUE(attrib);
  EXPECT_NE(attrib, dc.m_hDC);
  EXPECT_EQ(GetObjectType(attrib), DWORD(OBJ_DC));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(dc.GetDeviceCaps(HORZRES), GetDeviceCaps(screen, HORZRES));
  const int ppi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);

  HGDIOBJ old = dc.SelectObject(GetStockObject(BLACK_BRUSH));
  dc.Rectangle(0, 0, ppi, ppi);
  dc.SelectObject(old);
  HENHMETAFILE emf = dc.CloseEnhanced();
  ASSERT_TRUE(emf);
  EXPECT_FALSE(dc.m_hDC);
  EXPECT_FALSE(dc.m_hAttribDC);
  EXPECT_EQ(GetObjectType(attrib), 0u); // deleted
  EXPECT_FALSE(dc.CloseEnhanced());

  ENHMETAHEADER head{};
  ASSERT_TRUE(GetEnhMetaFileHeader(emf, sizeof head, &head));
  EXPECT_EQ(head.rclFrame.right, 2540);
  EXPECT_EQ(head.rclFrame.bottom, 2540);
  char got[32] = {};
  ASSERT_EQ(GetEnhMetaFileDescriptionA(emf, sizeof got, got), UINT(sizeof desc));
  EXPECT_EQ(std::string(got, sizeof desc), std::string(desc, sizeof desc));

  // Played into white, the rectangle's inside is black.
  HDC mem = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 100;
  bi.bmiHeader.biHeight = -100;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(bmp);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  RECT all = {0, 0, 100, 100};
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(PlayEnhMetaFile(mem, emf, &all));
  EXPECT_EQ(GetPixel(mem, 50, 50) & 0xFFFFFF, 0u);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  DeleteEnhMetaFile(emf);

  // One left open is thrown away with its display context.
  auto *open = new CEnhMetaFileDC;
  ASSERT_TRUE(open->CreateEnhanced(nullptr, nullptr, &frame, desc));
  attrib = open->m_hAttribDC;
  delete open;
  EXPECT_EQ(GetObjectType(attrib), 0u);
}

std::vector<CLIPFORMAT> offered(COleDataSource &source) {
  std::vector<CLIPFORMAT> out;
  IEnumFORMATETC *e = nullptr;
  if (FAILED(source.GetDataObject()->EnumFormatEtc(DATADIR_GET, &e)) || !e)
    return out;
  FORMATETC f;
  while (e->Next(1, &f, nullptr) == S_OK) {
    out.push_back(f.cfFormat);
    CoTaskMemFree(f.ptd);
  }
  e->Release();
  return out;
}

TEST(ItemDelayDataSource, MasksOfferThePictures) {
  struct Case {
    UINT mask;
    std::vector<CLIPFORMAT> want;
    DWORD firstMedium;
  } cases[] = {
      {0, {CF_ENHMETAFILE, CF_METAFILEPICT}, TYMED_ENHMF},
      {1, {CF_BITMAP}, TYMED_GDI},
      {2, {CF_METAFILEPICT}, TYMED_MFPICT},
      {4, {CF_ENHMETAFILE}, TYMED_ENHMF},
      {7, {CF_ENHMETAFILE, CF_METAFILEPICT, CF_BITMAP}, TYMED_ENHMF},
  };
  for (const Case &c : cases) {
    auto *source = new CKLItemDelayDataSource(c.mask, nullptr);
    EXPECT_EQ(offered(*source), c.want) << "mask " << c.mask;
    // Without an item nothing is drawn.
    FORMATETC f = {c.want[0], nullptr, DVASPECT_CONTENT, -1, c.firstMedium};
    STGMEDIUM m{};
    EXPECT_TRUE(FAILED(source->GetDataObject()->GetData(&f, &m)));
    source->InternalRelease();
  }
  auto *all = new CKLItemDelayDataSource(nullptr);
  EXPECT_EQ(offered(*all).size(), 3u);
  all->InternalRelease();
}

// Renders a text once per request; the pictures have no item to draw them.
struct CountingSource : CKLItemDelayDataSource {
  int renders = 0;
  CountingSource() : CKLItemDelayDataSource(PICT_ENHMETAFILE, nullptr) { DelayRenderData(CF_TEXT); }
  BOOL OnRenderGlobalData(FORMATETC *f, HGLOBAL *block) override {
    if (f->cfFormat != CF_TEXT || *block)
      return FALSE;
    renders++;
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    std::memcpy(GlobalLock(*block), "abc", 4);
    GlobalUnlock(*block);
    return TRUE;
  }
};

TEST(ItemDelayDataSource, CachedDataIsAnsweredWithoutRenderingAgain) {
  auto *source = new CountingSource;
  source->CacheAllData();
  EXPECT_EQ(source->renders, 1);
  FORMATETC f = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  for (int i = 0; i < 2; i++) {
    STGMEDIUM m{};
    ASSERT_EQ(source->GetDataObject()->GetData(&f, &m), S_OK);
    EXPECT_STREQ(static_cast<const char *>(GlobalLock(m.hGlobal)), "abc");
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
  }
  EXPECT_EQ(source->renders, 1);
  // The picture nothing could draw is still offered, and still not given.
  EXPECT_EQ(offered(*source).size(), 2u);
  source->InternalRelease();
}

bool has(const std::vector<CLIPFORMAT> &list, UINT format) {
  for (CLIPFORMAT f : list)
    if (f == format)
      return true;
  return false;
}

TEST_F(MainDoc, ACopyOffersThePicturesAndTheEmbeddingStorage) {
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(2);
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  add_line(10, 10, 100, 100);
  auto *item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
  ASSERT_TRUE(item);
  COleDataSource *source = item->OnGetClipboardData(TRUE, nullptr, nullptr);
  ASSERT_TRUE(source);
  const std::vector<CLIPFORMAT> list = offered(*source);
  for (UINT f : {UINT(CF_ENHMETAFILE), UINT(CF_METAFILEPICT), UINT(CF_BITMAP), cfKLEmbedSource, cfKLObjectDescriptor})
    EXPECT_TRUE(has(list, f)) << f;
  // No data source offers the extent text; a drawing the engine opened offers no link.
  EXPECT_FALSE(has(list, CF_TEXT));
  EXPECT_FALSE(has(list, cfKLLinkSource));
  ASSERT_EQ(item->DataSources().size(), 1u);

  // An empty medium gets a new storage holding the drawing.
  FORMATETC f = {CLIPFORMAT(cfKLEmbedSource), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
  STGMEDIUM m{};
  ASSERT_EQ(source->GetDataObject()->GetData(&f, &m), S_OK);
  ASSERT_EQ(m.tymed, DWORD(TYMED_ISTORAGE));
  const std::string contents = read_stream(m.pstg, L"Contents");
  EXPECT_NE(contents, "<none>");
  ReleaseStgMedium(&m);

  // The consumer's own storage is written and handed back; the document keeps its own.
  IStorage *mine = mem_storage();
  ASSERT_TRUE(mine);
  STGMEDIUM here{};
  here.tymed = TYMED_ISTORAGE;
  here.pstg = mine;
  EXPECT_TRUE(item->RenderEmbedSource(&f, &here));
  EXPECT_EQ(here.pstg, mine);
  EXPECT_EQ(read_stream(mine, L"Contents"), contents);
  EXPECT_TRUE(doc->m_bSameAsLoad);
  EXPECT_TRUE(doc->m_bRemember);
  mine->Release();

  // A storage that cannot be written: refused, not reported as stored.
  ILockBytes *bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  IStorage *made = nullptr;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &made), S_OK);
  made->Commit(STGC_DEFAULT);
  made->Release();
  IStorage *readOnly = nullptr;
  ASSERT_EQ(StgOpenStorageOnILockBytes(bytes, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &readOnly), S_OK);
  STGMEDIUM ro{};
  ro.tymed = TYMED_ISTORAGE;
  ro.pstg = readOnly;
  EXPECT_FALSE(item->RenderEmbedSource(&f, &ro));
  EXPECT_TRUE(doc->m_bSameAsLoad);
  EXPECT_TRUE(doc->m_bRemember);
  readOnly->Release();
  bytes->Release();

  // Other aspects and media are not asked of the item.
  FORMATETC icon = f;
  icon.dwAspect = DVASPECT_ICON;
  STGMEDIUM none{};
  EXPECT_FALSE(item->RenderEmbedSource(&icon, &none));
  EXPECT_EQ(item->m_renderFormat, 0u);

  source->InternalRelease();
  EXPECT_TRUE(item->DataSources().empty());
}

} // namespace
