// fwsrv: a tiny OLE server on the framework, for the embedding tests. Its document
// stores a short text (the host names it was given, else "fwsrv") and the item's
// extent in the stream "Contents"; its item draws a red rectangle over the whole
// extent and offers CF_METAFILEPICT, CF_ENHMETAFILE and the text as CF_TEXT.
//   fwsrv              registers itself, shows its window with one document
//   fwsrv -Embedding   started by OLE: hidden, ends with its last object
//   fwsrv -RegServer   registers itself and ends (exit 0, or 3 when refused)
// The main window's title is "fwsrv <number of documents>"; its menu ("fwsrv &Red")
// is what it merges into a container's menu while active in place there, where its
// view shows the document red all over.
#include <windows.h>
#include <ole2.h>

#include <cstdio>

#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/doctempl.h"
#include "framework/frame.h"
#include "framework/metadc.h"
#include "framework/oledata.h"
#include "framework/oledoc.h"
#include "framework/oleinit.h"
#include "framework/olesrv.h"
#include "framework/view.h"
#include "framework/winapp.h"

#include "fwsrv_ids.h"

namespace {

int doc_count = 0;

void ShowCount() {
  CWnd *main = AfxGetMainWnd();
  if (main && main->m_hWnd) {
    char title[32];
    std::snprintf(title, sizeof title, "fwsrv %d", doc_count);
    SetWindowTextA(main->m_hWnd, title);
  }
}

const char *const kVerbs[] = {"&Edit,0,2", "&Open,0,2", nullptr};
const COleServerEntries kEntries = {kFwSrvProgId, "fwsrv document", "fwsrv", "fwsrv", kVerbs, 32, nullptr};

class FwDoc : public COleServerDoc {
public:
  FwDoc() {
    doc_count++;
    ShowCount();
  }
  ~FwDoc() override {
    doc_count--;
    ShowCount();
  }
  BOOL OnNewDocument() override {
    if (!COleServerDoc::OnNewDocument())
      return FALSE;
    m_text = "fwsrv";
    m_extent = {2000, 1000};
    return TRUE;
  }
  void OnSetHostNames(const char *app, const char *obj) override {
    m_text.Format("%s/%s", app, obj);
    SetModifiedFlag(TRUE);
  }
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring()) {
      ar << m_text << int32_t(m_extent.cx) << int32_t(m_extent.cy);
    } else {
      int32_t cx = 0, cy = 0;
      ar >> m_text >> cx >> cy;
      m_extent = {cx, cy};
    }
  }
  // As the editor's document: closing never asks.
  BOOL SaveModified() override { return TRUE; }
  COleServerItem *OnGetEmbeddedItem() override;
  CString m_text;
  SIZE m_extent = {2000, 1000};
};

class FwItem : public COleServerItem {
public:
  explicit FwItem(FwDoc *doc) : COleServerItem(doc, TRUE) {
    m_sizeExtent = doc->m_extent;
    FORMATETC emf = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    GetDataSource()->DelayRenderData(CF_ENHMETAFILE, &emf);
    GetDataSource()->DelayRenderData(CF_TEXT);
  }
  FwDoc *Doc() const { return static_cast<FwDoc *>(GetDocument()); }
  BOOL OnDraw(CDC *dc, SIZE &size) override {
    size = m_sizeExtent;
    dc->SetWindowOrg(0, 0);
    dc->SetWindowExt(size.cx, size.cy);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = dc->SelectObject(red);
    HGDIOBJ oldPen = dc->SelectObject(GetStockObject(NULL_PEN));
    dc->Rectangle(0, 0, size.cx + 1, size.cy + 1);
    dc->SelectObject(oldPen);
    dc->SelectObject(oldBrush);
    DeleteObject(red);
    return TRUE;
  }
  // As the editor's item: opened in its own window, the program is the user's.
  void OnOpen() override {
    COleServerItem::OnOpen();
    AfxOleSetUserCtrl(TRUE);
  }
  BOOL OnSetExtent(DVASPECT aspect, const SIZE &size) override {
    if (!COleServerItem::OnSetExtent(aspect, size))
      return FALSE;
    Doc()->m_extent = size;
    Doc()->SetModifiedFlag(TRUE);
    return TRUE;
  }
  BOOL OnRenderData(FORMATETC *fe, STGMEDIUM *medium) override {
    if (fe->cfFormat != CF_ENHMETAFILE || !(fe->tymed & TYMED_ENHMF))
      return COleServerItem::OnRenderData(fe, medium);
    HDC ref = GetDC(nullptr);
    const RECT frame = {0, 0, m_sizeExtent.cx, m_sizeExtent.cy};
    CMetaFileDC dc;
    if (!dc.CreateEnhanced(ref, nullptr, &frame, "fwsrv\0red\0")) {
      ReleaseDC(nullptr, ref);
      return FALSE;
    }
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetViewportOrg(0, 0);
    dc.SetViewportExt(MulDiv(m_sizeExtent.cx, GetDeviceCaps(ref, HORZRES), GetDeviceCaps(ref, HORZSIZE) * 100),
                      MulDiv(m_sizeExtent.cy, GetDeviceCaps(ref, VERTRES), GetDeviceCaps(ref, VERTSIZE) * 100));
    SIZE size;
    OnDraw(&dc, size);
    HENHMETAFILE emf = dc.CloseEnhanced();
    ReleaseDC(nullptr, ref);
    if (!emf)
      return FALSE;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = emf;
    medium->pUnkForRelease = nullptr;
    return TRUE;
  }
  BOOL OnRenderGlobalData(FORMATETC *fe, HGLOBAL *block) override {
    if (fe->cfFormat != CF_TEXT || *block)
      return COleServerItem::OnRenderGlobalData(fe, block);
    const CString &text = Doc()->m_text;
    *block = GlobalAlloc(GMEM_MOVEABLE, size_t(text.GetLength()) + 1);
    if (!*block)
      return FALSE;
    memcpy(GlobalLock(*block), text.GetString(), size_t(text.GetLength()) + 1);
    GlobalUnlock(*block);
    return TRUE;
  }
};

COleServerItem *FwDoc::OnGetEmbeddedItem() { return new FwItem(this); }

class FwView : public CView {
public:
  void OnDraw(HDC dc) override {
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    DeleteObject(red);
  }
};
class FwFrame : public CMDIChildWnd {};

class FwApp : public CWinApp {
public:
  FwApp() : CWinApp("fwsrv") {}
  BOOL InitInstance() override {
    if (!AfxOleInit())
      return FALSE;
    auto *tmpl = CMultiDocTemplate::Make<FwDoc, FwFrame, FwView>(110);
    AddDocTemplate(tmpl);
    m_server.ConnectTemplate(kFwSrvClsid, tmpl, FALSE);
    m_server.SetServerEntries(kEntries);
    if (HasOption("RegServer"))
      return m_server.UpdateRegistry(OAT_SERVER) ? FALSE : (m_exitCode = 3, FALSE);

    auto *frame = new CMDIFrameWnd;
    const RECT r = {0, 0, 640, 480};
    if (!frame->Create(nullptr, "fwsrv 0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, 0))
      return FALSE;
    m_pMainWnd = frame;
    HMENU bar = CreateMenu(), red = CreatePopupMenu();
    AppendMenuA(red, MF_STRING, 200, "&Fill");
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(red), "fwsrv &Red");
    ::SetMenu(frame->m_hWnd, bar);
    CLIENTCREATESTRUCT ccs = {nullptr, 16000};
    frame->m_hWndMDIClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                             600, 400, frame->m_hWnd, reinterpret_cast<HMENU>(3244), m_hInstance, &ccs);
    COleObjectFactory::RegisterAll();
    if (RunEmbedded())
      return TRUE; // hidden until a verb shows a document
    m_server.UpdateRegistry(OAT_SERVER);
    frame->ShowWindow(SW_SHOWNORMAL);
    OnFileNew();
    return TRUE;
  }
  int ExitInstance() override {
    COleObjectFactory::RevokeAll();
    return m_exitCode;
  }

private:
  BOOL HasOption(const char *name) const {
    const char *p = m_lpCmdLine ? m_lpCmdLine : "";
    return (*p == '-' || *p == '/') && lstrcmpiA(p + 1, name) == 0;
  }
  COleTemplateServer m_server;
  int m_exitCode = 0;
};

FwApp the_app;

} // namespace
