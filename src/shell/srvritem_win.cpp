#include "shell/srvritem.h"

#include <cmath>
#include <string>

#include "display/view.h"
#include "display/viewtbl.h"
#include "framework/archive.h"
#include "framework/olesrv.h"
#include "framework/winapp.h"
#include "ole/itemname.h"
#include "settings/params.h"
#include "shell/appsvc.h"
#include "shell/docview.h"

IMPLEMENT_DYNAMIC(CKLSrvrItem, COleServerItem)
IMPLEMENT_DYNAMIC(CEnhMetaFileDC, CMetaFileDC)

CEnhMetaFileDC::~CEnhMetaFileDC() {
  // The base would leave the display context behind.
  if (m_hDC)
    DeleteEnhMetaFile(CloseEnhanced());
}

BOOL CEnhMetaFileDC::CreateEnhanced(HDC reference, const char *fileName, const RECT *bounds, const char *description) {
  if (!CMetaFileDC::CreateEnhanced(reference, fileName, bounds, description))
    return FALSE;
  HDC display = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) {
    DeleteEnhMetaFile(CMetaFileDC::CloseEnhanced());
    return FALSE;
  }
  SetAttribDC(display);
  return TRUE;
}

HENHMETAFILE CEnhMetaFileDC::CloseEnhanced() {
  HDC attrib = m_hAttribDC;
  if (attrib && attrib != m_hDC) {
    ReleaseAttribDC();
    ::DeleteDC(attrib);
  }
  return CMetaFileDC::CloseEnhanced();
}

BOOL CEnhMetaFileDC::GrayString(HBRUSH brush, GRAYSTRINGPROC proc, LPARAM data, int count, int x, int y, int cx,
                                int cy) {
  return ::GrayStringA(m_hDC, brush, proc, data, count, x, y, cx, cy);
}

UINT cfKLEmbedSource, cfKLObjectDescriptor, cfKLLinkSource, cfKLLinkSourceDescriptor;

namespace {
void reg(UINT &cf, const char *name) {
  if (cf == 0)
    cf = RegisterClipboardFormatA(name);
}
} // namespace

CKLSrvrItem::CKLSrvrItem(CMainDoc *doc) : COleServerItem(doc, TRUE), m_extent{ITEM_DEFAULT_CX, ITEM_DEFAULT_CY} {
  reg(cfKLEmbedSource, "Embed Source");
  reg(cfKLObjectDescriptor, "Object Descriptor");
  reg(cfKLLinkSource, "Link Source");
  reg(cfKLLinkSourceDescriptor, "Link Source Descriptor");
}

CKLSrvrItem::~CKLSrvrItem() {
  // Data sources that outlive the item answer from their cache only.
  for (COleDataSource *source : m_sources)
    static_cast<CKLItemDelayDataSource *>(source)->m_pOwner = nullptr;
  m_sources.clear();
}

CMainDoc *CKLSrvrItem::GetDocument() const { return static_cast<CMainDoc *>(COleServerItem::GetDocument()); }

void CKLSrvrItem::SetItemRect(double r[4]) {
  item_order(r);
  for (int i = 0; i < 4; i++)
    m_rect[i] = r[i];
}

void CKLSrvrItem::GetItemRect(double r[4]) const {
  for (int i = 0; i < 4; i++)
    r[i] = m_rect[i];
}

void CKLSrvrItem::FormatItemName(CString &out, double x1, double y1, double x2, double y2, int cx, int cy) {
  out = item_fmtname(x1, y1, x2, y2, cx, cy);
}

BOOL CKLSrvrItem::IsValidItemName(const char *name) { return item_validname(name); }

BOOL CKLSrvrItem::IsSameItemName(const char *name) const {
  if (name && m_strItemName.str() == name)
    return TRUE;
  return IsValidItemName(name);
}

void CKLSrvrItem::SetLinkItemName(void *, const char *name) {
  ItemNameParts p;
  if (!item_parsename(name, p)) {
    UpdateItemRect(nullptr, nullptr);
    return;
  }
  double r[4] = {p.x1, p.y1, p.x2, p.y2};
  SetItemRect(r);
  m_extent = SIZE{p.cx, p.cy};
  m_strItemName = name;
}

void CKLSrvrItem::UpdateItemRect(void *part, const double *rect) {
  CMainDoc *doc = GetDocument();
  const int dwg = doc ? doc->m_dwg : -1;
  if (!part) {
    SheetRecord s{};
    if (dwg == 0 || dwg == 1)
      sys_sheet('R', dwg, &s);
    else
      s.width = 420.0, s.height = 297.0; // no drawing yet: the default sheet
    double r[4] = {s.originx, s.originy + s.height, s.originx + s.width, s.originy};
    int32_t cx, cy;
    item_sheetextent(m_extent.cx, r[2] - r[0], r[1] - r[3], cx, cy);
    m_extent = SIZE{cx, cy};
    SetItemRect(r);
    return;
  }
  double r[4] = {rect[0], rect[1], rect[2], rect[3]};
  SetItemRect(r);
  if (dwg != 0 && dwg != 1)
    return;
  const int view = dwg == dwg_cur() ? vew_cur() : 0;
  int32_t px0 = 0, py0 = 0, px1 = 0, py1 = 0;
  vew_w2dev(dwg, view, m_rect[0], m_rect[1], &px0, &py0);
  vew_w2dev(dwg, view, m_rect[2], m_rect[3], &px1, &py1);
  HDC screen = GetDC(nullptr);
  const int lx = GetDeviceCaps(screen, LOGPIXELSX), ly = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const SIZE him = {MulDiv(std::abs(px1 - px0), 2540, lx > 0 ? lx : 96), MulDiv(std::abs(py1 - py0), 2540, ly > 0 ? ly : 96)};
  CWinApp *app = AfxGetApp();
  if (app && app->GetProfileInt("Environment", "OLE2 SetItemName", 0) == 1) {
    CString name;
    FormatItemName(name, m_rect[0], m_rect[1], m_rect[2], m_rect[3], him.cx, him.cy);
    m_strItemName = name;
  }
  m_extent = him;
}

void CKLSrvrItem::AddDataSource(COleDataSource *source) { m_sources.push_back(source); }

void CKLSrvrItem::RemoveDataSource(COleDataSource *source) {
  for (auto it = m_sources.begin(); it != m_sources.end(); ++it)
    if (*it == source) {
      m_sources.erase(it);
      return;
    }
}

void CKLSrvrItem::Serialize(CArchive &ar) {
  CMainDoc *doc = GetDocument();
  if (!doc || IsLinkedItem())
    return;
  const SIZE keptExtent = doc->m_itemExtent;
  double keptRect[4];
  for (int i = 0; i < 4; i++)
    keptRect[i] = doc->m_itemRect[i];
  doc->m_itemExtent = m_extent;
  for (int i = 0; i < 4; i++)
    doc->m_itemRect[i] = m_rect[i];
  auto restore = [&] {
    doc->m_itemExtent = keptExtent;
    for (int i = 0; i < 4; i++)
      doc->m_itemRect[i] = keptRect[i];
  };
  try {
    doc->Serialize(ar);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

BOOL CKLSrvrItem::OnDraw(CDC *, SIZE &size) {
  size = m_extent;
  return FALSE;
}

BOOL CKLSrvrItem::OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block) {
  if (formatEtc->cfFormat != CF_TEXT)
    return COleServerItem::OnRenderGlobalData(formatEtc, block);
  // A block the consumer handed over is not ours to fill.
  if (*block)
    return FALSE;
  *block = MakeExtentText();
  return *block != nullptr;
}

HGLOBAL CKLSrvrItem::MakeExtentText() const {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, ITEM_EXTENTTEXT_SIZE);
  if (!block)
    return nullptr;
  char *text = static_cast<char *>(GlobalLock(block));
  if (!text) {
    GlobalFree(block);
    return nullptr;
  }
  item_extenttext(m_rect[0], m_rect[1], m_rect[2], m_rect[3], text);
  GlobalUnlock(block);
  return block;
}

COleDataSource *CKLSrvrItem::OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) {
  auto *source = new CKLItemDelayDataSource(this);
  try {
    FillClipboardData(source, includeLink, offset, size);
  } catch (CException &) {
    source->InternalRelease();
    throw;
  }
  return source;
}

void CKLSrvrItem::FillClipboardData(COleDataSource *source, BOOL includeLink, const POINT *offset, const SIZE *size) {
  FORMATETC embed = {CLIPFORMAT(cfKLEmbedSource), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
  source->DelayRenderData(embed.cfFormat, &embed);
  STGMEDIUM descriptor{};
  GetObjectDescriptorData(offset, size, &descriptor);
  source->CacheData(CLIPFORMAT(cfKLObjectDescriptor), &descriptor);
  // Only a document with a moniker (one registered under its path) can be linked to.
  STGMEDIUM link{};
  if (includeLink && GetLinkSourceData(&link)) {
    source->CacheData(CLIPFORMAT(cfKLLinkSource), &link);
    STGMEDIUM linkDescriptor{};
    GetObjectDescriptorData(offset, size, &linkDescriptor);
    source->CacheData(CLIPFORMAT(cfKLLinkSourceDescriptor), &linkDescriptor);
  }
}

BOOL CKLSrvrItem::OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  m_renderFormat = formatEtc->cfFormat;
  BOOL done = FALSE;
  try {
    done = COleServerItem::OnRenderData(formatEtc, medium);
    if (!done && formatEtc->cfFormat == cfKLEmbedSource)
      done = RenderEmbedSource(formatEtc, medium);
  } catch (...) {
    m_renderFormat = 0;
    throw;
  }
  m_renderFormat = 0;
  return done;
}

BOOL CKLSrvrItem::RenderEmbedSource(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (!(formatEtc->tymed & TYMED_ISTORAGE) || formatEtc->dwAspect != DVASPECT_CONTENT)
    return FALSE;
  try {
    if (medium->tymed == TYMED_NULL && !medium->pstg) {
      GetEmbedSourceData(medium);
      return TRUE;
    }
    if (medium->tymed != TYMED_ISTORAGE || !medium->pstg)
      return FALSE;
    SaveEmbeddingToStorage(medium->pstg, medium);
  } catch (CException &) {
    return FALSE;
  }
  return TRUE;
}

void CKLSrvrItem::SaveEmbeddingToStorage(IStorage *storage, STGMEDIUM *medium) {
  CMainDoc *doc = GetDocument();
  doc->m_bSameAsLoad = FALSE;
  doc->m_bRemember = FALSE;
  try {
    doc->OnSaveEmbedding(storage);
  } catch (...) {
    doc->m_bSameAsLoad = TRUE;
    doc->m_bRemember = TRUE;
    throw;
  }
  doc->m_bSameAsLoad = TRUE;
  doc->m_bRemember = TRUE;
  medium->tymed = TYMED_ISTORAGE;
  medium->pstg = storage;
  medium->pUnkForRelease = nullptr;
}

BOOL CKLSrvrItem::OnGetExtent(DVASPECT aspect, SIZE &size) {
  if (aspect != DVASPECT_CONTENT)
    return COleServerItem::OnGetExtent(aspect, size);
  if (m_extent.cx == 0 && m_extent.cy == 0)
    m_extent = SIZE{ITEM_DEFAULT_CX, ITEM_DEFAULT_CY};
  size = m_extent;
  return TRUE;
}

BOOL CKLSrvrItem::OnSetExtent(DVASPECT aspect, const SIZE &size) {
  if (aspect != DVASPECT_CONTENT)
    return FALSE;
  m_sizeExtent = size;
  m_extent = size;
  UpdateItemRect(nullptr, nullptr);
  return TRUE;
}

void CKLSrvrItem::OnDoVerb(LONG verb) {
  // No in-place activation: no other embedding can be UI-active to be hidden first.
  COleServerItem::OnDoVerb(verb);
}

void CKLSrvrItem::OnShow() {
  CWinApp *app = AfxGetApp();
  if (app && app->m_pMainWnd && IsWindowVisible(app->m_pMainWnd->m_hWnd))
    OnOpen();
  else
    COleServerItem::OnShow();
}

void CKLSrvrItem::OnOpen() {
  COleServerItem::OnOpen();
  if (CMainDoc *doc = GetDocument())
    if (!doc->GetViews().empty())
      InvalidateRect(doc->GetViews().front()->m_hWnd, nullptr, TRUE);
  AfxOleSetUserCtrl(TRUE);
}

// --- the delayed pictures ---

CKLItemDelayDataSource::CKLItemDelayDataSource(CKLSrvrItem *owner) : CKLItemDelayDataSource(7, owner) {}

CKLItemDelayDataSource::CKLItemDelayDataSource(UINT mask, CKLSrvrItem *owner) : m_pOwner(owner) {
  DelayRenderPictures(mask);
  if (m_pOwner)
    m_pOwner->AddDataSource(this);
}

CKLItemDelayDataSource::~CKLItemDelayDataSource() {
  if (m_pOwner)
    m_pOwner->RemoveDataSource(this);
}

void CKLItemDelayDataSource::DelayRenderPictures(UINT mask) {
  auto offer = [this](CLIPFORMAT format, DWORD tymed) {
    FORMATETC f = {format, nullptr, DVASPECT_CONTENT, -1, tymed};
    DelayRenderData(format, &f);
  };
  if (mask == 0 || (mask & PICT_ENHMETAFILE))
    offer(CF_ENHMETAFILE, TYMED_ENHMF);
  if (mask == 0 || (mask & PICT_METAFILE))
    offer(CF_METAFILEPICT, TYMED_MFPICT);
  if (mask & PICT_BITMAP)
    offer(CF_BITMAP, TYMED_GDI);
}

BOOL CKLItemDelayDataSource::OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  const DWORD itemMedia = TYMED_ISTORAGE | TYMED_GDI | TYMED_MFPICT | TYMED_ENHMF;
  if (m_pOwner && (formatEtc->tymed & itemMedia) && m_pOwner->OnRenderData(formatEtc, medium))
    return TRUE;
  return COleDataSource::OnRenderData(formatEtc, medium);
}

void CKLItemDelayDataSource::CacheAllData() {
  IEnumFORMATETC *formats = nullptr;
  if (FAILED(GetDataObject()->EnumFormatEtc(DATADIR_GET, &formats)) || !formats)
    return;
  // Listed first: caching changes the list being walked.
  std::vector<FORMATETC> all;
  FORMATETC f;
  while (formats->Next(1, &f, nullptr) == S_OK)
    all.push_back(f);
  formats->Release();
  for (FORMATETC &each : all) {
    STGMEDIUM medium{};
    if (SUCCEEDED(GetDataObject()->GetData(&each, &medium))) {
      if (medium.pUnkForRelease)
        ReleaseStgMedium(&medium); // not ours to keep
      else
        CacheData(each.cfFormat, &medium, &each);
    }
    CoTaskMemFree(each.ptd);
  }
}
