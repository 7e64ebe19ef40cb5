// The OLE side of the drawing document: its native data in a container's storage,
// the embedded and linked items, and the embedding requests.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "framework/archive.h"
#include "framework/frame.h"
#include "framework/olefile.h"
#include "framework/olesrv.h"
#include "ole/nativedata.h"
#include "ole/ole1conv.h"
#include "files/oleblock.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"
#include "shell/oleitems/srvritem.h"
#include "shell/drawwin/viewwin.h"

IMPLEMENT_DYNAMIC(CMainDoc, COleServerDoc)

UINT cfKivolant;
CString DocTempFileName;

namespace {

const char OLE1_STREAM[] = "\001Ole10Native";

std::wstring wide(const char *s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(n > 0 ? size_t(n) : 1, L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
  w.resize(w.size() - 1);
  return w;
}

} // namespace

void CMainDoc::DeleteContents() {
  m_itemExtent = SIZE{0, 0};
  m_itemRect[0] = 0.0, m_itemRect[1] = 297.0, m_itemRect[2] = 420.0, m_itemRect[3] = 0.0;
  m_hostName.Empty();
  DocTempFileName.Empty();
  COleServerDoc::DeleteContents();
}

BOOL CMainDoc::OnNewDocument() { return COleServerDoc::OnNewDocument(); }

BOOL CMainDoc::OnOpenDocument(const char *path) {
  bool imported = false;
  // The system makes the temporary file with its name; the base's DeleteContents
  // forgets the name, so it is kept here to remove the file in the end.
  CString made;
  struct Remove {
    CString &name;
    ~Remove() {
      if (!name.IsEmpty())
        DeleteFileA(name);
    }
  } removeMade{made};
  if (!path) {
    MakeDocTempFileName(DocTempFileName);
    made = DocTempFileName;
    if (IsEmbedded() && m_lpRootStg) {
      m_convertPending = GetConvertStg(m_lpRootStg) == S_OK;
      COleStreamFile stream;
      if (stream.OpenStream(m_lpRootStg, OLE1_STREAM, CFile::modeRead | CFile::shareExclusive)) {
        if (stream.GetLength() > 0) {
          m_ole1Import = 1;
          CArchive ar(&stream, CArchive::load, 4096);
          ar.m_pDocument = this;
          try {
            Serialize(ar);
            ar.Close();
          } catch (...) {
            ar.Abort();
            stream.Abort();
            m_ole1Import = 0;
            if (!DocTempFileName.IsEmpty())
              DeleteFileA(DocTempFileName), DocTempFileName.Empty();
            throw;
          }
          m_ole1Import = 0;
          imported = true;
        }
        stream.Close();
      }
    }
  }
  BOOL ok = TRUE;
  try {
    if (imported && !HasContents()) {
      // An older object's storage holds only its native stream: the imported drawing
      // is the whole document (the next store writes it in the native layout).
      m_bSameAsLoad = TRUE;
      SetModifiedFlag(FALSE);
    } else {
      ok = COleLinkingDoc::OnOpenDocument(path);
    }
  } catch (...) {
    if (!DocTempFileName.IsEmpty())
      DeleteFileA(DocTempFileName), DocTempFileName.Empty();
    throw;
  }
  if (ok && path) {
    // A document made for a link has a window of its own with no drawing bound yet:
    // the drawing opened from the file joins this document (its window is made for
    // the document of that slot), and the empty window gives way to it.
    const std::vector<CView *> unbound = GetViews();
    if (m_dwg < 0 && fil_pendget() >= 0)
      m_dwg = fil_pendget();
    fil_pendrst();
    const int r = fil_open(1, path);
    m_dwg = dwg_cur();
    if (r != 0) {
      ok = FALSE;
    } else {
      for (CView *v : unbound) {
        int32_t id[3] = {-1, -1, 0};
        if (v->m_hWnd && vwin_getid(v->m_hWnd, id) && id[0] >= 0)
          continue;
        if (CFrameWnd *frame = v->GetParentFrame(); frame && GetViews().size() > 1)
          frame->DestroyWindow();
      }
    }
  }
  if (!DocTempFileName.IsEmpty()) {
    DeleteFileA(DocTempFileName);
    DocTempFileName.Empty();
  }
  return ok;
}

bool CMainDoc::HasContents() const {
  IStream *s = nullptr;
  const std::wstring name = wide("Contents");
  if (!m_lpRootStg || FAILED(m_lpRootStg->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s)))
    return false;
  s->Release();
  return true;
}

BOOL CMainDoc::OnSaveDocument(const char *path) {
  if (!m_bCompoundFile && !m_lpRootStg)
    return TRUE;
  const BOOL remember = m_bRemember;
  // Only storages are written: under a path too, never the plain file of the base.
  const BOOL compound = m_bCompoundFile;
  m_bCompoundFile = TRUE;
  const BOOL saved = COleDocument::OnSaveDocument(path);
  m_bCompoundFile = compound;
  if (!saved)
    return FALSE;
  if (remember && path && GetMonikerName().CompareNoCase(path) != 0) {
    // Links find the document under the name it now has.
    Revoke();
    RegisterIfServerAttached(path, TRUE);
  }
  if (path && remember && GetPathName().CompareNoCase(path) == 0)
    NotifySaved();
  if (!path && IsEmbedded())
    UpdateAllItems(nullptr);
  m_bSameAsLoad = TRUE;
  m_bRemember = TRUE;
  return TRUE;
}

void CMainDoc::SaveToStorage(CObject *object) {
  if (!object)
    if (auto *item = dynamic_cast<CKLSrvrItem *>(m_pEmbeddedItem)) {
      m_itemExtent = item->GetExtent();
      item->GetItemRect(m_itemRect);
    }
  COleServerDoc::SaveToStorage(object);
}

void CMainDoc::Serialize(CArchive &ar) {
  if (m_containerMode) {
    if (ar.IsStoring())
      native_writecont(ar);
    else
      native_readcont(ar);
    COleDocument::Serialize(ar);
    return;
  }
  if (ar.IsLoading() && m_ole1Import) {
    try {
      native_readole1(ar);
    } catch (const CKLException &) {
      m_convertPending = m_ole1Import = 0;
      throw;
    }
    LoadDrawing(ar);
    return;
  }
  if (!ar.GetFile() || !ar.GetFile()->IsKindOf(RUNTIME_CLASS(COleStreamFile)))
    return;
  if (ar.IsStoring()) {
    COleDocument::Serialize(ar);
    NativeItemHead head{int32_t(m_itemExtent.cx), int32_t(m_itemExtent.cy), {}};
    for (int i = 0; i < 4; i++)
      head.rect[i] = m_itemRect[i];
    native_writehead(ar, head);
    CString tmp = DocTempFileName;
    if (tmp.IsEmpty())
      MakeDocTempFileName(tmp);
    native_putdrawing(ar, tmp, [this](const char *file) {
      const CString pathName = GetPathName();
      const BOOL modified = IsModified();
      const int r = fil_docsave(m_dwg, file);
      SetPathName(pathName);
      StampModified(modified, 0);
      return r;
    });
    if (m_convertPending && m_lpRootStg) {
      const std::wstring name = wide(OLE1_STREAM);
      if (SUCCEEDED(m_lpRootStg->DestroyElement(name.c_str()))) {
        SetConvertStg(m_lpRootStg, FALSE);
        m_convertPending = 0;
      }
    }
    return;
  }
  COleDocument::Serialize(ar);
  NativeItemHead head{};
  native_readhead(ar, head);
  m_itemExtent = SIZE{head.cx, head.cy};
  for (int i = 0; i < 4; i++)
    m_itemRect[i] = head.rect[i];
  LoadDrawing(ar);
}

// The rest of the stream is a seal file: through the temporary file into a drawing
// slot of its own. A drawing the engine could not read fails the load: the document
// must never show (and a container later store) some other drawing.
void CMainDoc::LoadDrawing(CArchive &ar) {
  const bool named = !DocTempFileName.IsEmpty();
  CString tmp = DocTempFileName;
  if (!named)
    MakeDocTempFileName(tmp);
  native_getdrawing(ar, tmp);
  const CString pathName = GetPathName();
  const BOOL modified = IsModified();
  const int r = fil_docload(tmp);
  if (r == 0)
    m_dwg = dwg_cur();
  SetPathName(pathName);
  StampModified(modified, 0);
  if (!named)
    DeleteFileA(tmp);
  if (r != 0)
    throw CKLException(KLX_LOADFAIL, r);
}

COleServerItem *CMainDoc::OnGetEmbeddedItem() {
  auto *item = new CKLSrvrItem(this);
  if (m_itemExtent.cx == 0 && m_itemExtent.cy == 0) {
    item->UpdateItemRect(nullptr, nullptr);
  } else {
    double r[4] = {m_itemRect[0], m_itemRect[1], m_itemRect[2], m_itemRect[3]};
    item->SetItemRect(r);
    item->SetExtent(m_itemExtent);
  }
  return item;
}

CKLSrvrItem *CMainDoc::OnGetLinkedItem(const char *name) {
  size_t pos = 0;
  while (COleServerItem *s = GetNextServerItem(pos))
    if (auto *k = dynamic_cast<CKLSrvrItem *>(s); k && s != m_pEmbeddedItem && name && k->GetItemName().str() == name)
      return k;
  auto *item = new CKLSrvrItem(this);
  item->SetLinkItemName(GetTopView(), name);
  return item;
}

bool CMainDoc::NeedsExtentReset() { return !(IsEmbedded() && m_pEmbeddedItem && GetViews().empty()); }

void CMainDoc::ReleaseItemData(int mode) {
  size_t pos = 0;
  while (COleServerItem *each = GetNextServerItem(pos))
    if (auto *item = dynamic_cast<CKLSrvrItem *>(each)) {
      if (mode == 1)
        item->ReleaseDataSources();
      else
        item->KeepClipboardPictures();
    }
}

void CMainDoc::OnClose(OLECLOSE saveOption) {
  ReleaseItemData(0);
  if (NeedsExtentReset() && IsInPlaceActive())
    ResetItemToSheet();
  COleServerDoc::OnClose(saveOption);
}

void CMainDoc::OnDeactivateUI(BOOL undoable) {
  if (!IsInPlaceActive() || !IsInPlaceUIActive())
    return;
  if (NeedsExtentReset()) {
    ResetItemToSheet();
    if (IsModified())
      UpdateAllItems(nullptr);
  }
  COleServerDoc::OnDeactivateUI(undoable);
}

// The embedded item takes the rectangle (0, 428)-(297, 0) of the active view and the
// document is marked modified.
void CMainDoc::ResetItemToSheet() {
  auto *item = dynamic_cast<CKLSrvrItem *>(GetEmbeddedItem());
  if (!item)
    return;
  double rect[4] = {0.0, 428.0, 297.0, 0.0};
  CView *view = GetViews().empty() ? nullptr : GetViews().front();
  item->UpdateItemRect(view, rect);
  StampModified(TRUE, 0);
}

void CMainDoc::OnSetHostNames(const char *host, const char *hostObject) {
  COleServerDoc::OnSetHostNames(host, hostObject);
  m_hostName = host;
  if (m_dwg != 0 && m_dwg != 1)
    return;
  // Cut to the drawing-name field on a character boundary.
  char buf[262];
  std::snprintf(buf, sizeof buf, "%s", host ? host : "");
  char tail[32];
  std::snprintf(tail, sizeof tail, "の図 (%d)", m_dwg + 1);
  const size_t room = sizeof buf - 1 - std::strlen(tail);
  size_t n = 0;
  while (buf[n] && n < room) {
    const size_t step = IsDBCSLeadByteEx(932, BYTE(buf[n])) && buf[n + 1] ? 2 : 1;
    if (n + step > room)
      break;
    n += step;
  }
  buf[n] = '\0';
  std::strcat(buf, tail);
  sys_dwgname('W', m_dwg, 0, buf);
  for (int v = 0; v < VIEW_COUNT; v++)
    if (vew_hwnd(m_dwg, v)) {
      vew_title('W', m_dwg, v, nullptr, 0);
      break;
    }
}

void CMainDoc::OnNewEmbedding(IStorage *storage) {
  if (fil_pendget() >= 0) {
    if (CMainView *view = GetTopView())
      fil_newview(view->m_hWnd);
    m_dwg = fil_pendget();
    fil_pendrst();
  }
  if (FindDocWithOpenItem())
    throw CKLException(KLX_ITEMOPEN, 0);
  COleServerDoc::OnNewEmbedding(storage);
}

void CMainDoc::OnOpenEmbedding(IStorage *storage) {
  fil_pendrst();
  if (FindDocWithOpenItem())
    throw CKLException(KLX_ITEMOPEN, 0);
  COleServerDoc::OnOpenEmbedding(storage);
}

int OnDrawingSaved(int dwg, int embeddedState) {
  CMainDoc *doc = FindDocOfDrawing(dwg);
  if (!doc || !doc->IsEmbedded())
    return 0;
  doc->UpdateAllItems(nullptr);
  doc->StampModified(TRUE, 0);
  // The container saves the object now: it asks for the native data, which the
  // engine writes from the drawing as it stands.
  const BOOL saved = doc->OnUpdateDocument();
  doc->SetEmbedded(embeddedState);
  if (!saved)
    return -1;
  doc->StampModified(FALSE, 0);
  if (dwg == 0 || dwg == 1)
    dwg_setstate(dwg, 0);
  return 1;
}

namespace {
// The save commands' hook: register and save in place of a drawing that a container
// embeds go back to the container, which keeps it embedded.
struct ContainerSave {
  ContainerSave() {
    FilContainerSave = [](int dwg) {
      const int r = OnDrawingSaved(dwg, 1);
      if (r < 0) {
        char name[262] = "";
        sys_dwgname('R', dwg, 0, name);
        msg_err(30154, name);
      }
      return r != 0 ? 1 : 0;
    };
  }
} containerSave;
} // namespace

CRectItem *CMainDoc::CreateRectItem() { return new (std::nothrow) CRectItem(this); }

void CMainDoc::DeleteItem(COleClientItem *item) {
  if (!item)
    return;
  StampModified(TRUE, 0);
  UpdateAllViews(nullptr, 1, item);
  item->Delete();
}

void CMainDoc::AvoidItemOverlap(CRectItem *item) {
  if (!item)
    return;
  std::vector<double> others;
  for (CDocItem *d : GetItems())
    if (auto *o = dynamic_cast<CRectItem *>(d); o && o != item) {
      const CKLDRect r = o->GetDrawingRect();
      others.insert(others.end(), {r.left, r.top, r.right, r.bottom});
    }
  const CKLDRect r0 = item->GetDrawingRect();
  double r[4] = {r0.left, r0.top, r0.right, r0.bottom};
  // The rectangle's (left, top) is the item's position.
  if (rit_avoidoverlap(reinterpret_cast<const double(*)[4]>(others.data()), others.size() / 4, r) > 0) {
    item->m_geom.x = r[0];
    item->m_geom.y = r[1];
  }
}

BOOL CMainDoc::SaveObjectFile(const char *path) {
  if (!path || !*path)
    return FALSE;
  IStorage *old = m_lpRootStg;
  IStorage *made = nullptr;
  try {
    const std::wstring w = wide(path);
    const HRESULT hr = StgCreateDocfile(w.c_str(), STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                        0, &made);
    if (FAILED(hr))
      AfxThrowOleException(hr);
    m_lpRootStg = made;
    m_containerMode = 1;
    try {
      SaveToStorage();
    } catch (...) {
      m_containerMode = 0;
      throw;
    }
    m_containerMode = 0;
    CommitItems(m_bRemember && !m_bSameAsLoad);
    made->Release();
    m_lpRootStg = old;
    return TRUE;
  } catch (const CException &e) {
    if (made)
      made->Release();
    m_lpRootStg = old;
    ReportSaveLoadException(path, &e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
}

BOOL CMainDoc::LoadObjectFile(const char *path) {
  if (!path || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return FALSE;
  StampModified(TRUE, 0);
  IStorage *old = m_lpRootStg;
  IStorage *opened = nullptr;
  BOOL ok = FALSE;
  try {
    {
      // Always the file: a storage the document serves an embedding from holds no
      // item list of this layout.
      const std::wstring w = wide(path);
      const DWORD rw = STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
      const DWORD ro = STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READ;
      HRESULT hr;
      if (StgIsStorageFile(w.c_str()) == S_FALSE) {
        hr = StgCreateDocfile(w.c_str(), rw | STGM_CONVERT, 0, &opened);
        if (FAILED(hr))
          hr = StgCreateDocfile(w.c_str(), ro | STGM_CONVERT, 0, &opened);
      } else {
        hr = StgOpenStorage(w.c_str(), nullptr, rw, nullptr, 0, &opened);
        if (FAILED(hr))
          hr = StgOpenStorage(w.c_str(), nullptr, ro, nullptr, 0, &opened);
      }
      if (FAILED(hr))
        AfxThrowOleException(hr);
      m_lpRootStg = opened;
    }
    m_containerMode = 1;
    LoadFromStorage();
    SetModifiedFlag(FALSE);
    ok = TRUE;
  } catch (const CException &e) {
    if (opened)
      opened->Release(), opened = nullptr;
    m_lpRootStg = old;
    m_containerMode = 0;
    ReportSaveLoadException(path, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  if (opened)
    opened->Release();
  m_lpRootStg = old;
  m_containerMode = 0;
  return ok;
}

BOOL AddItemFromStorage(CMainDoc *doc, IStorage *storage, const double rect[4], DVASPECT aspect) {
  if (!doc)
    return FALSE;
  CRectItem *item = doc->CreateRectItem();
  if (!item)
    return FALSE;
  // The rectangle is the object's place on the sheet, (left, top) - (right, bottom)
  // with y up: the item hangs down from its corner, so its height is bottom - top.
  const HRESULT hr =
      item->CreateFromStorage(storage, rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], aspect);
  if (FAILED(hr)) {
    item->Delete();
    return FALSE;
  }
  return TRUE;
}

namespace {

// The document's side of a drawing file's object block.
void *blockDoc(int dwg) { return FindDocOfDrawing(dwg); }

int blockItems(void *doc) {
  int n = 0;
  for (CDocItem *d : static_cast<CMainDoc *>(doc)->GetItems())
    if (dynamic_cast<COleClientItem *>(d))
      n++;
  return n;
}

int blockSave(void *doc, const char *path) { return static_cast<CMainDoc *>(doc)->SaveObjectFile(path) ? 1 : 0; }
int blockLoad(void *doc, const char *path) { return static_cast<CMainDoc *>(doc)->LoadObjectFile(path) ? 1 : 0; }
uint32_t *blockLen(void *doc) { return &static_cast<CMainDoc *>(doc)->m_objBlockLen; }

int blockOle1(void *doc, const uint8_t *data, uint32_t length) {
  return ole1_readlist(
      data, length,
      [](void *ctx, IStorage *stg, const double rect[4], DWORD aspect) {
        return AddItemFromStorage(static_cast<CMainDoc *>(ctx), stg, rect, DVASPECT(aspect)) != FALSE;
      },
      doc, nullptr);
}

void blockRepaint(int dwg) {
  if (HWND wnd = vew_hwnd(dwg, 0)) {
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
  }
}

struct BlockCalls {
  BlockCalls() {
    OleBlockDoc = {blockDoc, blockItems, blockSave, blockLoad, blockLen, blockOle1, blockRepaint};
  }
} blockCalls;

} // namespace
