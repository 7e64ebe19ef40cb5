// Links to drawings in the started editor: a drawing the engine opened has no path, so
// its copies offer no link; a document saved under a path runs under it (and under the
// next name after a save under a new name, and no longer once closed), its copies carry
// "Link Source" naming file, part and class, and the file!part moniker, bound here or
// by olectr in another process, reaches a linked item presenting that part, whose
// pictures show that part alone, at the part's extent.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "framework/appole.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/srvritem.h"
#include "../../common/editorpump.h"
#include "../../common/screencap.h"

namespace {

const char kPart[] = "(0.000000,297.000000)-(210.000000,148.500000)!5000,3535";

std::string narrow(const wchar_t *w) {
  std::string s;
  for (; w && *w; ++w)
    s += char(*w);
  return s;
}

std::wstring wide(const std::string &s) { return std::wstring(s.begin(), s.end()); }

IMoniker *file_moniker(const std::string &path) {
  IMoniker *m = nullptr;
  CreateFileMoniker(wide(path).c_str(), &m);
  return m;
}

bool running(const std::string &path) {
  IRunningObjectTable *rot = nullptr;
  if (FAILED(GetRunningObjectTable(0, &rot)))
    return false;
  IMoniker *m = file_moniker(path);
  const bool yes = m && rot->IsRunning(m) == S_OK;
  if (m)
    m->Release();
  rot->Release();
  return yes;
}

std::string display_name(IMoniker *m) {
  IBindCtx *ctx = nullptr;
  CreateBindCtx(0, &ctx);
  LPOLESTR name = nullptr;
  std::string s = "<none>";
  if (ctx && SUCCEEDED(m->GetDisplayName(ctx, nullptr, &name)) && name) {
    s = narrow(name);
    CoTaskMemFree(name);
  }
  if (ctx)
    ctx->Release();
  return s;
}

std::string clsid_text(REFCLSID clsid) {
  LPOLESTR w = nullptr;
  StringFromCLSID(clsid, &w);
  std::string s = narrow(w);
  CoTaskMemFree(w);
  return s;
}

bool offers(COleDataSource *source, UINT cf) {
  FORMATETC f{CLIPFORMAT(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
  return source->GetDataObject()->QueryGetData(&f) == S_OK;
}

// A picture of the part played into white, read pixel by pixel: the part's world
// rectangle (left, top)-(right, bottom) maps onto pw x ph pixels from (ox, oy); the
// rest of the canvas is margin the picture must not reach.
struct Picture {
  int w = 0, h = 0;
  int ox = 0, oy = 0, pw = 1, ph = 1;
  double left = 0, top = 0, right = 1, bottom = 0;
  std::vector<uint32_t> px;
  bool white(int x, int y) const { return (px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF) == 0xFFFFFF; }
  int col(double wx) const { return ox + int(std::lround((wx - left) / (right - left) * pw)); }
  int row(double wy) const { return oy + int(std::lround((top - wy) / (top - bottom) * ph)); }
  double worldX(int x) const { return left + (x - ox + 0.5) * (right - left) / pw; }
  double worldY(int y) const { return top - (y - oy + 0.5) * (top - bottom) / ph; }
  // Something not white within slack pixels of the world point.
  bool inked(double wx, double wy, int slack) const {
    const int x = col(wx), y = row(wy);
    for (int dy = -slack; dy <= slack; dy++)
      for (int dx = -slack; dx <= slack; dx++)
        if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h && !white(x + dx, y + dy))
          return true;
    return false;
  }
};

template <class F> Picture paint(int w, int h, F play) {
  Picture img;
  img.w = w, img.h = h;
  img.px = dib_paint(w, h, play);
  return img;
}

SIZE screen_pixels(SIZE him) {
  HDC screen = GetDC(nullptr);
  const SIZE px = {MulDiv(him.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
                   MulDiv(him.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
  ReleaseDC(nullptr, screen);
  return px;
}

std::string read_bytes(const std::string &path) {
  std::string out;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      out.append(buf, n);
    std::fclose(f);
  }
  return out;
}

struct Outcome {
  DWORD code = 999;
  std::string out;
};

// Runs olectr and serves the editor's OLE calls while it runs.
Outcome olectr(const std::string &args) {
  Outcome r;
  char exe[MAX_PATH] = "";
  GetFullPathNameA(INK_OLECTR, sizeof exe, exe, nullptr);
  const std::string outPath = here() + "olectr_link_out.txt";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  std::string cmd = "\"" + std::string(exe) + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "olectr not started: " << GetLastError();
    CloseHandle(out);
    return r;
  }
  CloseHandle(out);
  const DWORD start = GetTickCount();
  for (;;) {
    if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 500, QS_ALLINPUT) == WAIT_OBJECT_0)
      break;
    pump();
    if (GetTickCount() - start > 60000) {
      ADD_FAILURE() << "olectr " << args << " hangs";
      TerminateProcess(pi.hProcess, 998);
      WaitForSingleObject(pi.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(pi.hProcess, &r.code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  if (FILE *f = std::fopen(outPath.c_str(), "rb")) {
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      r.out.append(buf, n);
    std::fclose(f);
  }
  DeleteFileA(outPath.c_str());
  return r;
}

class DrawingLink : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  std::string a = here() + "work\\link_a.ole", b = here() + "work\\link_b.ole";
  VODOreVer *app = nullptr;
  std::vector<std::string> messages;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    DeleteFileA(a.c_str());
    DeleteFileA(b.c_str());
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    ui_setresponder([this](const UiQuestion &q) {
      messages.push_back(q.text ? q.text : "");
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
    DeleteFileA(a.c_str());
    DeleteFileA(b.c_str());
  }
  // Drawing 0 with one line.
  CMainDoc *drawing() {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    ElementRecord r{};
    r.kind = LIN;
    r.lin.x1 = 10, r.lin.y1 = 10, r.lin.x2 = 200, r.lin.y2 = 150;
    r.lin.attr = 0x11;
    EXPECT_GT(elm_add(0, 0, -1, &r, nullptr), 0);
    return FindDocOfDrawing(0);
  }
  static void close_drawing() {
    if (HWND v = vew_hwnd(0, 0))
      SendMessageA(GetParent(v), WM_CLOSE, 0, 0);
    pump(3);
  }
};

TEST_F(DrawingLink, ADrawingTheEngineOpenedOffersNoLink) {
  CMainDoc *doc = drawing();
  ASSERT_TRUE(doc);
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_FALSE(doc->IsRegistered());
  // The document serves the program's class all the same (a pasted copy needs it).
  EXPECT_TRUE(IsEqualCLSID(doc->GetClassID(), *GetAppClsid()));
  auto *item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
  ASSERT_TRUE(item);
  item->SetItemName(kPart);
  STGMEDIUM m{};
  EXPECT_FALSE(item->GetLinkSourceData(&m));
  COleDataSource *source = item->OnGetClipboardData(TRUE, nullptr, nullptr);
  ASSERT_TRUE(source);
  EXPECT_TRUE(offers(source, cfKLObjectDescriptor));
  EXPECT_FALSE(offers(source, cfKLLinkSource));
  EXPECT_FALSE(offers(source, cfKLLinkSourceDescriptor));
  source->InternalRelease();
}

TEST_F(DrawingLink, ADocumentWithAPathIsLinkedToByItsParts) {
  CMainDoc *doc = drawing();
  ASSERT_TRUE(doc);
  // The document's storage: one in memory, then files under two names.
  ILockBytes *bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  ASSERT_EQ(
      StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &doc->m_lpRootStg),
      S_OK);
  bytes->Release();

  ASSERT_TRUE(doc->OnSaveDocument(a.c_str())) << (messages.empty() ? "" : messages.back());
  EXPECT_TRUE(running(a));
  EXPECT_STREQ(doc->GetMonikerName().GetString(), a.c_str());
  ASSERT_TRUE(doc->OnSaveDocument(b.c_str()));
  EXPECT_FALSE(running(a));
  EXPECT_TRUE(running(b));
  EXPECT_TRUE(messages.empty());

  // A copy of a named part carries the link: the file joined with the part's name,
  // and the program's class.
  auto *item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
  ASSERT_TRUE(item);
  item->SetItemName(kPart);
  COleDataSource *source = item->OnGetClipboardData(TRUE, nullptr, nullptr);
  ASSERT_TRUE(source);
  EXPECT_TRUE(offers(source, cfKLLinkSource));
  EXPECT_TRUE(offers(source, cfKLLinkSourceDescriptor));
  {
    FORMATETC f{CLIPFORMAT(cfKLLinkSource), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    STGMEDIUM m{};
    ASSERT_EQ(source->GetDataObject()->GetData(&f, &m), S_OK);
    ASSERT_EQ(m.tymed, DWORD(TYMED_ISTREAM));
    IMoniker *moniker = nullptr;
    ASSERT_EQ(OleLoadFromStream(m.pstm, IID_IMoniker, reinterpret_cast<void **>(&moniker)), S_OK);
    EXPECT_EQ(display_name(moniker), b + "!" + kPart);
    moniker->Release();
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(ReadClassStm(m.pstm, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, *GetAppClsid()));
    ReleaseStgMedium(&m);
  }

  // The item container gives a linked item presenting the named part.
  {
    IOleObject *object = nullptr;
    std::wstring part = wide(kPart);
    ASSERT_EQ(doc->GetContainer()->GetObject(part.data(), BINDSPEED_INDEFINITE, nullptr, IID_IOleObject,
                                             reinterpret_cast<void **>(&object)),
              S_OK);
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5000);
    EXPECT_EQ(size.cy, 3535);
    CKLSrvrItem *linked = doc->OnGetLinkedItem(kPart);
    ASSERT_TRUE(linked);
    EXPECT_NE(linked, item);
    EXPECT_TRUE(linked->IsLinkedItem());
    EXPECT_EQ(linked->GetInterface(), static_cast<IUnknown *>(object));
    double r[4];
    linked->GetItemRect(r);
    EXPECT_DOUBLE_EQ(r[0], 0.0);
    EXPECT_DOUBLE_EQ(r[1], 297.0);
    EXPECT_DOUBLE_EQ(r[2], 210.0);
    EXPECT_DOUBLE_EQ(r[3], 148.5);
    object->Release();
  }

  // The file moniker joined with an item moniker for the name finds it too.
  {
    IMoniker *file = file_moniker(b), *part = nullptr;
    ASSERT_EQ(CreateItemMoniker(L"!", wide(kPart).c_str(), &part), S_OK);
    IBindCtx *ctx = nullptr;
    ASSERT_EQ(CreateBindCtx(0, &ctx), S_OK);
    IOleObject *object = nullptr;
    // What a composite does once the table does not know it as a whole.
    ASSERT_EQ(part->BindToObject(ctx, file, IID_IOleObject, reinterpret_cast<void **>(&object)), S_OK);
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5000);
    EXPECT_EQ(size.cy, 3535);
    object->Release();
    ctx->Release();
    part->Release();
    file->Release();
  }

  // Another process binds the part, and the link it pastes from the clipboard.
  const std::string cls = clsid_text(*GetAppClsid());
  Outcome bound = olectr("bind \"" + b + "\" \"" + kPart + "\"");
  EXPECT_EQ(bound.code, 0u) << bound.out;
  EXPECT_NE(bound.out.find("extent 5000 3535"), std::string::npos) << bound.out;
  EXPECT_NE(bound.out.find("class " + cls), std::string::npos) << bound.out;
  source->SetClipboard();
  Outcome pasted = olectr("link");
  EXPECT_EQ(pasted.code, 0u) << pasted.out;
  EXPECT_NE(pasted.out.find("class " + cls), std::string::npos) << pasted.out;
  EXPECT_NE(pasted.out.find(std::string("!") + kPart), std::string::npos) << pasted.out;
  EXPECT_NE(pasted.out.find("extent 5000 3535"), std::string::npos) << pasted.out;
  OleSetClipboard(nullptr);

  // Closed: nothing runs under the name any more.
  close_drawing();
  EXPECT_EQ(FindDocOfDrawing(0), nullptr);
  EXPECT_FALSE(running(b));
}

// The part's fixture on an A3 sheet: a circle inside the upper-left quarter the part
// names, a line running out of it across its right edge, and marks just outside it
// on the right and below.
constexpr double PX = 105.0, PY = 222.75, PR = 40.0, LINE_Y = 165.0;
constexpr double PART_L = 0, PART_T = 297, PART_R = 210, PART_B = 148.5;

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

int add_circle(double cx, double cy, double radius) {
  ElementRecord r = blank(ARC);
  r.arc.cx = cx, r.arc.cy = cy, r.arc.r = radius;
  r.arc.start = 0, r.arc.end = 360;
  r.arc.attr = 0x11;
  return elm_add(0, 0, -1, &r, nullptr);
}

int add_line(double x1, double y1, double x2, double y2) {
  ElementRecord r = blank(LIN);
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return elm_add(0, 0, -1, &r, nullptr);
}

// The part alone: the circle's edge and the line where the part's rectangle puts
// them, white at the circle's centre, and no ink further than ring pixels from the
// circle's edge or from the line's piece inside the part (the marks outside the part,
// the line beyond the part's edge, or the sheet at another scale would ink there).
void expect_part_only(Picture img, int ring, const char *what) {
  SCOPED_TRACE(what);
  ASSERT_FALSE(img.px.empty());
  img.left = PART_L, img.top = PART_T, img.right = PART_R, img.bottom = PART_B;
  const int slack = ring / 2;
  EXPECT_TRUE(img.inked(PX + PR, PY, slack)) << "circle's right";
  EXPECT_TRUE(img.inked(PX - PR, PY, slack)) << "circle's left";
  EXPECT_TRUE(img.inked(PX, PY + PR, slack)) << "circle's top";
  EXPECT_TRUE(img.inked(PX, PY - PR, slack)) << "circle's bottom";
  EXPECT_TRUE(img.inked(190, LINE_Y, slack)) << "line inside the part";
  EXPECT_FALSE(img.inked(PX, PY, slack)) << "circle's centre";
  const double perX = (img.right - img.left) / img.pw, perY = (img.top - img.bottom) / img.ph;
  int stray = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < img.h; y++)
    for (int x = 0; x < img.w; x++) {
      if (img.white(x, y))
        continue;
      const double wx = img.worldX(x), wy = img.worldY(y);
      const bool onCircle = std::fabs(std::hypot((wx - PX) / perX, (wy - PY) / perY) - PR / perX) <= ring;
      const bool onLine =
          std::fabs(wy - LINE_Y) / perY <= ring && wx >= 150 - ring * perX && wx <= PART_R + ring * perX;
      if (!onCircle && !onLine && stray++ == 0)
        firstX = x, firstY = y;
    }
  EXPECT_EQ(stray, 0) << "ink away from the part's marks, first at " << firstX << "," << firstY << " of " << img.w
                      << "x" << img.h << " (part at " << img.ox << "," << img.oy << " size " << img.pw << "x" << img.ph
                      << ")";
}

// The enhanced metafile played into the middle of a canvas twice its size.
Picture play_emf(HENHMETAFILE emf) {
  const int w = 420, h = 297;
  Picture img = paint(2 * w, 2 * h, [&](HDC dc, const RECT &) {
    const RECT r = {w / 2, h / 2, w / 2 + w, h / 2 + h};
    PlayEnhMetaFile(dc, emf, &r);
  });
  img.ox = w / 2, img.oy = h / 2, img.pw = w, img.ph = h;
  return img;
}

TEST_F(DrawingLink, ALinkedPartsPicturesShowThatPartAtItsExtent) {
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(3);
  SheetRecord sheet{};
  sys_sheet('R', 0, &sheet);
  sheet.width = 420, sheet.height = 297, sheet.originx = sheet.originy = 0.0;
  sys_sheet('W', 0, &sheet);
  ASSERT_GT(add_circle(PX, PY, PR), 0);
  ASSERT_GT(add_line(150, LINE_Y, 300, LINE_Y), 0); // out across the part's right edge
  ASSERT_GT(add_circle(265, PY, PR), 0);            // right of the part, from x 225
  ASSERT_GT(add_circle(PX, 95, PR), 0);             // below it, up to y 135
  ASSERT_GT(add_line(230, 20, 400, 130), 0);        // the far quarter
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  ILockBytes *bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  ASSERT_EQ(
      StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &doc->m_lpRootStg),
      S_OK);
  bytes->Release();
  ASSERT_TRUE(doc->OnSaveDocument(a.c_str())) << (messages.empty() ? "" : messages.back());

  // The linked object as the document's item container gives it.
  IOleObject *object = nullptr;
  std::wstring part = wide(kPart);
  ASSERT_EQ(doc->GetContainer()->GetObject(part.data(), BINDSPEED_INDEFINITE, nullptr, IID_IOleObject,
                                           reinterpret_cast<void **>(&object)),
            S_OK);
  IDataObject *data = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data)), S_OK);
  auto get = [&](IDataObject *from, CLIPFORMAT cf, DWORD tymed, STGMEDIUM &m) {
    FORMATETC f{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
    m = STGMEDIUM{};
    return from->GetData(&f, &m);
  };

  // The enhanced metafile: framed to the part's extent in physical 0.01 mm of the
  // view's device, showing the part alone.
  HWND v = vew_hwnd(0, 0);
  ASSERT_TRUE(v);
  HDC vdc = GetDC(v);
  const double pa = GetDeviceCaps(vdc, HORZSIZE) * 100.0 / GetDeviceCaps(vdc, HORZRES);
  const double pb = GetDeviceCaps(vdc, VERTSIZE) * 100.0 / GetDeviceCaps(vdc, VERTRES);
  const double pc = 2540.0 / GetDeviceCaps(vdc, LOGPIXELSX), pd = 2540.0 / GetDeviceCaps(vdc, LOGPIXELSY);
  ReleaseDC(v, vdc);
  const LONG frameX = LONG(5000 * pa / pc), frameY = LONG(3535 * pb / pd);
  STGMEDIUM m;
  ASSERT_EQ(get(data, CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
  ASSERT_EQ(m.tymed, DWORD(TYMED_ENHMF));
  ENHMETAHEADER head{};
  ASSERT_TRUE(GetEnhMetaFileHeader(m.hEnhMetaFile, sizeof head, &head));
  EXPECT_EQ(head.rclFrame.left, 0);
  EXPECT_EQ(head.rclFrame.top, 0);
  EXPECT_EQ(head.rclFrame.right, frameX);
  EXPECT_EQ(head.rclFrame.bottom, frameY);
  expect_part_only(play_emf(m.hEnhMetaFile), 4, "enhanced metafile");
  ReleaseStgMedium(&m);

  // The metafile picture: the part's extent, played onto its pixels at the canvas's
  // corner (it sets its own viewport), with margin to the right and below.
  ASSERT_EQ(get(data, CF_METAFILEPICT, TYMED_MFPICT, m), S_OK);
  {
    auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m.hMetaFilePict));
    ASSERT_TRUE(pict);
    EXPECT_EQ(pict->mm, MM_ANISOTROPIC);
    EXPECT_EQ(pict->xExt, 5000);
    EXPECT_EQ(pict->yExt, 3535);
    const SIZE px = screen_pixels(SIZE{5000, 3535});
    Picture img =
        paint(px.cx + px.cx / 2, px.cy + px.cy / 2, [&](HDC dc, const RECT &) { PlayMetaFile(dc, pict->hMF); });
    img.pw = px.cx, img.ph = px.cy;
    expect_part_only(img, 4, "metafile picture");
    GlobalUnlock(m.hMetaFilePict);
  }
  ReleaseStgMedium(&m);

  // The bitmap: the extent's pixels, drawn at the view's density and stretched.
  ASSERT_EQ(get(data, CF_BITMAP, TYMED_GDI, m), S_OK);
  {
    const SIZE px = screen_pixels(SIZE{5000, 3535});
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(m.hBitmap, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, px.cx);
    EXPECT_EQ(bm.bmHeight, px.cy);
    RECT client{};
    GetClientRect(v, &client);
    const int ring = 4 + 2 * px.cx / (client.right > 0 ? client.right : 1);
    Picture img = paint(px.cx, px.cy, [&](HDC dc, const RECT &) {
      HDC src = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(src, m.hBitmap);
      BitBlt(dc, 0, 0, px.cx, px.cy, src, 0, 0, SRCCOPY);
      SelectObject(src, old);
      DeleteDC(src);
    });
    img.pw = px.cx, img.ph = px.cy;
    expect_part_only(img, ring, "bitmap");
  }
  ReleaseStgMedium(&m);
  data->Release();
  object->Release();

  // The same through the file moniker joined with the part's item moniker.
  {
    IMoniker *file = file_moniker(a), *item = nullptr;
    ASSERT_EQ(CreateItemMoniker(L"!", part.c_str(), &item), S_OK);
    IBindCtx *ctx = nullptr;
    ASSERT_EQ(CreateBindCtx(0, &ctx), S_OK);
    IDataObject *bound = nullptr;
    ASSERT_EQ(item->BindToObject(ctx, file, IID_IDataObject, reinterpret_cast<void **>(&bound)), S_OK);
    ASSERT_EQ(get(bound, CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
    ASSERT_TRUE(GetEnhMetaFileHeader(m.hEnhMetaFile, sizeof head, &head));
    EXPECT_EQ(head.rclFrame.right, frameX);
    EXPECT_EQ(head.rclFrame.bottom, frameY);
    expect_part_only(play_emf(m.hEnhMetaFile), 4, "bound enhanced metafile");
    ReleaseStgMedium(&m);
    bound->Release();
    ctx->Release();
    item->Release();
    file->Release();
  }

  // Another process binds the part and gets the same picture.
  const std::string emf = here() + "work\\link_part.emf";
  DeleteFileA(emf.c_str());
  Outcome bound = olectr("bind \"" + a + "\" \"" + kPart + "\" emf \"" + emf + "\"");
  EXPECT_EQ(bound.code, 0u) << bound.out;
  EXPECT_NE(bound.out.find("extent 5000 3535"), std::string::npos) << bound.out;
  EXPECT_NE(bound.out.find("frame " + std::to_string(frameX) + " " + std::to_string(frameY)), std::string::npos)
      << bound.out;
  const std::string bits = read_bytes(emf);
  HENHMETAFILE other =
      bits.empty() ? nullptr : SetEnhMetaFileBits(UINT(bits.size()), reinterpret_cast<const BYTE *>(bits.data()));
  ASSERT_TRUE(other) << bound.out;
  expect_part_only(play_emf(other), 4, "enhanced metafile in another process");
  DeleteEnhMetaFile(other);
  DeleteFileA(emf.c_str());
  close_drawing();
}

// Part names come from other programs: one whose rectangle is empty gives no picture
// of any kind (and no crash), and the drawing still serves a proper part after it.
TEST_F(DrawingLink, APartWithAnEmptyRectangleGivesNoPicture) {
  CMainDoc *doc = drawing();
  ASSERT_TRUE(doc);
  const struct {
    CLIPFORMAT cf;
    DWORD tymed;
  } formats[] = {{CF_ENHMETAFILE, TYMED_ENHMF}, {CF_METAFILEPICT, TYMED_MFPICT}, {CF_BITMAP, TYMED_GDI}};
  auto pictures = [&](const char *name, bool expected) {
    SCOPED_TRACE(name);
    IOleObject *object = nullptr;
    std::wstring part = wide(name);
    ASSERT_EQ(doc->GetContainer()->GetObject(part.data(), BINDSPEED_INDEFINITE, nullptr, IID_IOleObject,
                                             reinterpret_cast<void **>(&object)),
              S_OK);
    IDataObject *data = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data)), S_OK);
    for (const auto &f : formats) {
      FORMATETC want{f.cf, nullptr, DVASPECT_CONTENT, -1, f.tymed};
      STGMEDIUM m{};
      const HRESULT hr = data->GetData(&want, &m);
      EXPECT_EQ(SUCCEEDED(hr), expected) << "format " << f.cf << ": " << std::hex << hr;
      if (SUCCEEDED(hr))
        ReleaseStgMedium(&m);
      else
        EXPECT_EQ(m.tymed, DWORD(TYMED_NULL));
    }
    data->Release();
    object->Release();
  };
  for (const char *empty : {"(10.000000,10.000000)-(10.000000,10.000000)!5000,3535",
                            "(10.000000,10.000000)-(50.000000,10.000000)!5000,3535",
                            "(10.000000,10.000000)-(10.000000,90.000000)!5000,3535"})
    pictures(empty, false);
  pictures(kPart, true);
}

} // namespace
