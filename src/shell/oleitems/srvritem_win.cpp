#include "shell/oleitems/srvritem.h"
#include "framework/doctempl.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "commands/view/areapick_win.h"
#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "framework/archive.h"
#include "framework/olesrv.h"
#include "framework/winapp.h"
#include "ole/itemname.h"
#include "ole/targetdev.h"
#include "settings/params.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/drawwin/viewwin.h"
#include "display/view/viewstate.h"

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
  // The embedding's data: the three pictures, drawn when asked for.
  COleDataSource *own = GetDataSource();
  own->Empty();
  const struct {
    CLIPFORMAT format;
    DWORD tymed;
  } pictures[] = {{CF_ENHMETAFILE, TYMED_ENHMF}, {CF_METAFILEPICT, TYMED_MFPICT}, {CF_BITMAP, TYMED_GDI}};
  for (const auto &p : pictures) {
    FORMATETC f = {p.format, nullptr, DVASPECT_CONTENT, -1, p.tymed};
    own->DelayRenderData(p.format, &f);
  }
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

namespace {

// The extent (0.01 mm) in pixels of the screen.
SIZE screen_pixels(SIZE him) {
  HDC screen = GetDC(nullptr);
  const int lx = GetDeviceCaps(screen, LOGPIXELSX), ly = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return SIZE{MulDiv(him.cx, lx > 0 ? lx : 96, 2540), MulDiv(him.cy, ly > 0 ? ly : 96, 2540)};
}

// An open view of the drawing: the wanted one, else the first with a window; -1 none.
int open_view(int dwg, int wanted) {
  if (dwg != 0 && dwg != 1)
    return -1;
  if (wanted >= 0 && wanted < VIEW_COUNT && vew_hwnd(dwg, wanted))
    return wanted;
  for (int v = 0; v < VIEW_COUNT; v++)
    if (vew_hwnd(dwg, v))
      return v;
  return -1;
}

// The pixel size of the bitmap selected in a memory context; (0, 0) for other contexts.
SIZE selected_bitmap_size(HDC dc) {
  BITMAP bm{};
  HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
  if (GetObjectType(dc) != OBJ_MEMDC || !bmp || GetObjectA(bmp, sizeof bm, &bm) != sizeof bm)
    return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

// A context for the consumer's target device (the display when none is named); null
// when the description does not hold together or the device refuses.
HDC target_context(const DVTARGETDEVICE *td) {
  if (!td)
    return CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  const auto *block = reinterpret_cast<const uint8_t *>(td);
  TargetDeviceParts p;
  if (!tdv_parse(block, td->tdSize, sizeof(DEVMODEW), p))
    return nullptr;
  auto text = [&](uint16_t off) { return off ? reinterpret_cast<const wchar_t *>(block + off) : nullptr; };
  const auto *mode = p.devmode ? reinterpret_cast<const DEVMODEW *>(block + p.devmode) : nullptr;
  return CreateDCW(text(p.driver), text(p.device), text(p.port), mode);
}

// The renderers draw in black only when the cursor block asks for it.
void offscreen(bool on) {
  uint16_t cursor[3] = {};
  if (on)
    sys_cursor('R', cursor);
  OffscreenOutput = on ? 1 : 0;
  OffscreenMono = on && cursor[0] == 1 ? 1 : 0;
}

} // namespace

BOOL CKLSrvrItem::OnDraw(CDC *dc, SIZE &size) {
  size = m_extent;
  CMainDoc *doc = GetDocument();
  if (!doc || !dc)
    return FALSE;
  const HDC kept = doc->m_renderTarget;
  doc->m_renderTarget = dc->m_hDC;
  BOOL done = FALSE;
  try {
    if (m_renderFormat == CF_METAFILEPICT)
      done = DrawToMetaFile(dc);
    else if (m_renderFormat == CF_ENHMETAFILE)
      done = DrawToEnhMetaFile(dc);
    else
      done = DrawToScreenDC(dc);
  } catch (...) {
    doc->m_renderTarget = kept;
    throw;
  }
  doc->m_renderTarget = kept;
  return done;
}

BOOL CKLSrvrItem::DrawToMetaFile(CDC *dc) { return DrawView(dc, DRAW_METAFILE); }

BOOL CKLSrvrItem::DrawToEnhMetaFile(CDC *dc) { return DrawView(dc, DRAW_ENHMETAFILE); }

BOOL CKLSrvrItem::DrawToScreenDC(CDC *dc) {
  // White under the whole bitmap: a picture larger than the main window keeps no
  // undefined margin. Other contexts get white under the item's extent.
  SIZE area = selected_bitmap_size(dc->m_hDC);
  if (area.cx <= 0 || area.cy <= 0)
    area = screen_pixels(m_extent);
  const RECT white = {0, 0, area.cx, area.cy};
  dc->FillSolidRect(white, 0x00FFFFFF);
  return DrawView(dc, DRAW_SCREEN);
}

BOOL CKLSrvrItem::DrawView(CDC *dc, DrawKind kind) {
  CMainDoc *doc = GetDocument();
  const int dwg = doc ? doc->m_dwg : -1;
  const int view = open_view(dwg, m_view);
  if (view < 0 || !dc || !dc->m_hDC)
    return FALSE;
  const double xmin = std::fmin(m_rect[0], m_rect[2]), xmax = std::fmax(m_rect[0], m_rect[2]);
  const double ymin = std::fmin(m_rect[1], m_rect[3]), ymax = std::fmax(m_rect[1], m_rect[3]);
  ViewXform saved;
  if (vew_frame('r', dwg, view, &saved) != 0)
    return FALSE;
  auto restore = [&] {
    vew_frame('w', dwg, view, &saved);
    // Drawing made the view current with the borrowed transform.
    if (dwg == dwg_cur() && view == vew_cur())
      vxf_tocurrent(saved);
  };
  if (kind == DRAW_ENHMETAFILE) {
    RECT desk{};
    GetWindowRect(GetDesktopWindow(), &desk);
    vew_setdev(vew_hwnd(dwg, view), dwg, view, desk.left * 1000, desk.bottom * 1000, desk.right * 1000,
               desk.top * 1000);
  }
  int32_t p1x = 0, p1y = 0, p2x = 0, p2y = 0;
  if (vew_setwin(dwg, view, 1, xmin, ymin, xmax, ymax) != 0 || vew_w2dev(dwg, view, m_rect[0], m_rect[1], &p1x, &p1y) != 0 ||
      vew_w2dev(dwg, view, m_rect[2], m_rect[3], &p2x, &p2y) != 0) {
    restore();
    return FALSE;
  }
  dc->SetMapMode(MM_ANISOTROPIC);
  dc->SetWindowOrg(p1x, p1y);
  dc->SetWindowExt(p2x - p1x + 1, p2y - p1y + 1);
  const SIZE px = screen_pixels(m_extent);
  dc->SetViewportOrg(0, 0);
  dc->SetViewportExt(px.cx, px.cy);
  HRGN clip = CreateRectRgn(0, 0, px.cx + 2, px.cy + 2);
  if (!clip) {
    restore();
    return FALSE;
  }
  dc->SelectClipRgn(clip);
  dsp_clipset(xmin, ymin, xmax, ymax);
  offscreen(true);
  const int drawn = vwin_draw(dc->m_hDC, dwg, view, 0xFFFF);
  offscreen(false);
  gdi_freepen2();
  dsp_clipoff();
  restore();
  if (kind != DRAW_METAFILE)
    dc->SelectClipRgn(nullptr);
  DeleteObject(clip);
  // A drawing that refused to draw gives no picture rather than an empty one.
  return drawn >= 0;
}

void CKLSrvrItem::ReleaseDataSources() {
  // Walked on a copy: leaving, flushing and the clipboard's release change the list.
  const std::vector<COleDataSource *> all = m_sources;
  for (COleDataSource *each : all) {
    if (std::find(m_sources.begin(), m_sources.end(), each) == m_sources.end())
      continue;
    auto *source = static_cast<CKLItemDelayDataSource *>(each);
    if (source == COleDataSource::GetClipboardOwner()) {
      COleDataSource::FlushClipboard();
      continue;
    }
    source->CacheAllData();
    source->m_pOwner = nullptr;
    RemoveDataSource(source);
  }
}

namespace {

// A medium the caller owns alone (data with a release owner is copied first).
bool own_medium(CLIPFORMAT format, STGMEDIUM &m) {
  if (!m.pUnkForRelease)
    return true;
  STGMEDIUM copy{};
  const bool ok = AfxCopyStgMedium(format, &copy, &m);
  ReleaseStgMedium(&m);
  m = ok ? copy : STGMEDIUM{};
  return ok;
}

HANDLE clipboard_handle(const STGMEDIUM &m) {
  switch (m.tymed) {
  case TYMED_ENHMF:
    return m.hEnhMetaFile;
  case TYMED_MFPICT:
    return m.hMetaFilePict;
  case TYMED_GDI:
    return m.hBitmap;
  default:
    return nullptr;
  }
}

} // namespace

void CKLSrvrItem::KeepClipboardPictures() {
  COleDataSource *owner = COleDataSource::GetClipboardOwner();
  if (!owner || std::find(m_sources.begin(), m_sources.end(), owner) == m_sources.end())
    return;
  struct Picture {
    CLIPFORMAT format;
    DWORD tymed;
    STGMEDIUM medium;
    bool got;
  } pictures[] = {{CF_ENHMETAFILE, TYMED_ENHMF, {}, false},
                  {CF_METAFILEPICT, TYMED_MFPICT, {}, false},
                  {CF_BITMAP, TYMED_GDI, {}, false}};
  {
    COleDataObject data;
    if (data.AttachClipboard())
      for (Picture &p : pictures) {
        FORMATETC f = {p.format, nullptr, DVASPECT_CONTENT, -1, p.tymed};
        p.got = data.GetData(p.format, &p.medium, &f) && p.medium.tymed == p.tymed && own_medium(p.format, p.medium);
      }
  }
  const HRESULT sc = OleSetClipboard(nullptr);
  if (FAILED(sc)) {
    for (Picture &p : pictures)
      if (p.got)
        ReleaseStgMedium(&p.medium);
    AfxThrowOleException(sc);
  }
  const bool open = OpenClipboard(app_hmain());
  for (Picture &p : pictures) {
    if (!p.got)
      continue;
    // The clipboard owns what it took; what it refused is freed here.
    if (!open || !SetClipboardData(p.format, clipboard_handle(p.medium)))
      ReleaseStgMedium(&p.medium);
  }
  if (open)
    CloseClipboard();
}

BOOL CKLSrvrItem::CopyAreaToClipboard(UINT mask, void *part, int mode) {
  CMainDoc *doc = GetDocument();
  const int dwg = doc ? doc->m_dwg : -1;
  if (dwg != 0 && dwg != 1)
    return FALSE;
  m_view = dwg == dwg_cur() ? vew_cur() : 0;
  double area[4];
  if (mode == 1) {
    AreaPick corners[2] = {{-1, -1, 0, 0, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, 0, 0, 0}};
    const int code = clp_pickrect(1023, corners);
    // Corners picked in the other drawing do not name a part of this one.
    if ((code != 500 && code != 13) || corners[0].dwg != dwg)
      return FALSE;
    area[0] = corners[0].wx, area[1] = corners[0].wy, area[2] = corners[1].wx, area[3] = corners[1].wy;
  } else {
    HWND wnd = vew_hwnd(dwg, m_view);
    RECT r{};
    if (!wnd || !GetClientRect(wnd, &r))
      return FALSE;
    vew_dev2w(dwg, m_view, r.left, r.top, &area[0], &area[1]);
    vew_dev2w(dwg, m_view, r.right, r.bottom, &area[2], &area[3]);
  }
  UpdateItemRect(part, area);
  auto *source = new CKLItemDelayDataSource(mask, this);
  try {
    FillClipboardData(source, TRUE, nullptr, nullptr);
    source->SetClipboard();
  } catch (CException &) {
    source->InternalRelease();
    return FALSE;
  }
  return TRUE;
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
    if (!done) {
      if (formatEtc->cfFormat == CF_BITMAP)
        done = RenderBitmap(formatEtc, medium);
      else if (formatEtc->cfFormat == CF_ENHMETAFILE)
        done = RenderEnhMetaFile(formatEtc, medium);
      else if (formatEtc->cfFormat == cfKLEmbedSource)
        done = RenderEmbedSource(formatEtc, medium);
    }
  } catch (...) {
    m_renderFormat = 0;
    throw;
  }
  m_renderFormat = 0;
  return done;
}

BOOL CKLSrvrItem::RenderBitmap(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (!(formatEtc->tymed & TYMED_GDI) || formatEtc->dwAspect != DVASPECT_CONTENT || medium->hBitmap)
    return FALSE;
  const SIZE px = screen_pixels(m_extent);
  if (px.cx <= 0 || px.cy <= 0)
    return FALSE;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = mem ? CreateCompatibleBitmap(screen, px.cx, px.cy) : nullptr;
  ReleaseDC(nullptr, screen);
  if (!bmp) {
    if (mem)
      DeleteDC(mem);
    return FALSE;
  }
  HGDIOBJ old = SelectObject(mem, bmp);
  HDC target = target_context(formatEtc->ptd);
  BOOL drawn = FALSE;
  if (target) {
    CDC dc;
    dc.Attach(mem);
    dc.SetAttribDC(target);
    SIZE size = {0, 0};
    try {
      drawn = OnDrawEx(&dc, DVASPECT(formatEtc->dwAspect), size);
    } catch (...) {
      dc.Detach();
      DeleteDC(target);
      SelectObject(mem, old);
      DeleteDC(mem);
      DeleteObject(bmp);
      throw;
    }
    dc.Detach();
    DeleteDC(target);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  if (!drawn) {
    DeleteObject(bmp);
    return FALSE;
  }
  medium->tymed = TYMED_GDI;
  medium->hBitmap = bmp;
  medium->pUnkForRelease = nullptr;
  return TRUE;
}

BOOL CKLSrvrItem::RenderEnhMetaFile(FORMATETC *formatEtc, STGMEDIUM *medium) {
  CMainDoc *doc = GetDocument();
  if (!(formatEtc->tymed & TYMED_ENHMF) || formatEtc->dwAspect != DVASPECT_CONTENT || medium->hEnhMetaFile || !doc ||
      doc->GetViews().empty())
    return FALSE;
  // Physical and logical 0.01 mm per pixel of the view's device give the frame.
  HWND wnd = doc->GetViews().front()->m_hWnd;
  HDC vdc = GetDC(wnd);
  if (!vdc)
    return FALSE;
  const double hres = GetDeviceCaps(vdc, HORZRES), vres = GetDeviceCaps(vdc, VERTRES);
  const double lx = GetDeviceCaps(vdc, LOGPIXELSX), ly = GetDeviceCaps(vdc, LOGPIXELSY);
  const double a = GetDeviceCaps(vdc, HORZSIZE) * 100.0 / (hres > 0 ? hres : 1);
  const double b = GetDeviceCaps(vdc, VERTSIZE) * 100.0 / (vres > 0 ? vres : 1);
  ReleaseDC(wnd, vdc);
  const double c = 2540.0 / (lx > 0 ? lx : 96), d = 2540.0 / (ly > 0 ? ly : 96);
  const RECT frame = {0, 0, LONG(m_extent.cx * a / c), LONG(m_extent.cy * b / d)};
  // "application\0item\0\0"
  std::string description = AfxGetApp() ? AfxGetApp()->m_strAppName.str() : std::string();
  description += '\0';
  description += m_strItemName.str();
  description += '\0';
  CEnhMetaFileDC dc;
  if (!dc.CreateEnhanced(nullptr, nullptr, &frame, description.c_str()))
    return FALSE;
  SIZE size = {0, 0};
  if (!OnDrawEx(&dc, DVASPECT(formatEtc->dwAspect), size))
    return FALSE; // the recording goes with the context
  HENHMETAFILE emf = dc.CloseEnhanced();
  if (!emf)
    return FALSE;
  medium->tymed = TYMED_ENHMF;
  medium->hEnhMetaFile = emf;
  medium->pUnkForRelease = nullptr;
  return TRUE;
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
  // One drawing at a time shows its user interface in a container: one that does is
  // hidden before another is shown.
  if (verb >= OLEIVERB_OPEN && verb <= 1)
    if (CMultiDocTemplate *tmpl = GetDocument() ? GetDocument()->GetDocTemplate() : nullptr)
      for (CDocument *d : tmpl->GetDocuments())
        if (auto *doc = dynamic_cast<CMainDoc *>(d); doc && doc->InPlaceFrameState())
          if (COleServerItem *item = doc->GetEmbeddedItem()) {
            item->OnDoVerb(OLEIVERB_HIDE);
            break;
          }
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
