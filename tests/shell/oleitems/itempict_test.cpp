// Pictures of a drawing for other programs, made by the drawing's server item in the
// started editor: the enhanced metafile, the metafile picture and the bitmap of a
// fixture drawing (a frame, a circle, a text) played back and looked at pixel by
// pixel; the view they borrow; the copies that outlive the drawing on the clipboard,
// also as a second program (olectr) sees them.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/elements.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "framework/doctempl.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "input/gcr.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/srvritem.h"
#include "../../common/editorpump.h"
#include "../../common/screencap.h"
#include "../../common/watchdog.h"
#include "settings/appstate.h"

namespace {

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

int add_line(double x1, double y1, double x2, double y2) {
  ElementRecord r = blank(LIN);
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return elm_add(0, 0, -1, &r, nullptr);
}

int add_circle(double cx, double cy, double radius) {
  ElementRecord r = blank(ARC);
  r.arc.cx = cx, r.arc.cy = cy, r.arc.r = radius;
  r.arc.start = 0, r.arc.end = 360;
  r.arc.attr = 0x11;
  return elm_add(0, 0, -1, &r, nullptr);
}

int add_text(double x, double y, const char *text) {
  ElementRecord r = blank(CHR);
  r.chr.x = float(x), r.chr.y = float(y);
  r.chr.height = 20, r.chr.width = 15, r.chr.spacing = 2;
  r.chr.attr = 1;
  r.chr.count = int16_t(std::strlen(text));
  return elm_add(0, 0, -1, &r, text);
}

// The sheet of the fixture: 420 x 297 at the origin.
constexpr double SHEET_W = 420.0, SHEET_H = 297.0;
// The circle: centre and radius.
constexpr double CX = 210.0, CY = 148.5, CR = 60.0;

// A picture played into white, read pixel by pixel; world points of the whole sheet
// map onto its width and height.
struct Image {
  int w = 0, h = 0;
  int slack = 2; // pixels around a point that may hold its ink
  std::vector<uint32_t> px;
  uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF; }
  // Something not white within two pixels of the world point.
  bool inked(double wx, double wy) const {
    const int x = int(wx / SHEET_W * w), y = int((SHEET_H - wy) / SHEET_H * h);
    for (int dy = -slack; dy <= slack; dy++)
      for (int dx = -slack; dx <= slack; dx++)
        if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h && at(x + dx, y + dy) != 0xFFFFFF)
          return true;
    return false;
  }
  bool inkedIn(double x1, double y1, double x2, double y2) const {
    for (double y = y1; y <= y2; y += 1.0)
      for (double x = x1; x <= x2; x += 1.0)
        if (inked(x, y))
          return true;
    return false;
  }
};

// Calls play with a memory context on a white 32-bit image of w x h.
template <class F> Image paint(int w, int h, F play) {
  Image img;
  img.w = w, img.h = h;
  img.px = dib_paint(w, h, play);
  return img;
}

Image play_emf(HENHMETAFILE emf, int w, int h) {
  return paint(w, h, [&](HDC dc, const RECT &r) { PlayEnhMetaFile(dc, emf, &r); });
}

// A metafile picture plays its own mapping onto the extent's pixels.
Image play_wmf(HMETAFILE wmf, int w, int h) {
  return paint(w, h, [&](HDC dc, const RECT &) { PlayMetaFile(dc, wmf); });
}

SIZE screen_pixels(SIZE him) {
  HDC screen = GetDC(nullptr);
  const SIZE px = {MulDiv(him.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
                   MulDiv(him.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
  ReleaseDC(nullptr, screen);
  return px;
}

// The fixture's marks: the frame, the circle's edge, the text; white inside the circle
// and in the sheet's corners.
void expect_fixture(const Image &img, const char *what) {
  ASSERT_FALSE(img.px.empty());
  SCOPED_TRACE(what);
  EXPECT_TRUE(img.inked(10, CY)) << "left frame line";
  EXPECT_TRUE(img.inked(CX, 287)) << "top frame line";
  EXPECT_TRUE(img.inked(CX + CR, CY)) << "circle's right";
  EXPECT_TRUE(img.inked(CX, CY - CR)) << "circle's bottom";
  EXPECT_TRUE(img.inked(CX - CR * 0.7071, CY + CR * 0.7071)) << "circle's upper left";
  EXPECT_FALSE(img.inked(CX, CY)) << "circle's centre";
  EXPECT_TRUE(img.inkedIn(40, 40, 110, 60)) << "text";
  for (const auto &corner : {std::pair<double, double>{2, 2}, {418, 2}, {2, 295}, {418, 295}})
    EXPECT_FALSE(img.inked(corner.first, corner.second)) << corner.first << "," << corner.second;
}

std::string temp_file(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

std::string read_file(const std::string &path) {
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

// olectr as a second program; this process serves the clipboard while it waits.
Outcome olectr(const std::string &args) {
  Outcome r;
  std::string ctr = INK_OLECTR;
  if (ctr[0] == '/')
    ctr = "Z:" + ctr;
  const std::string outPath = temp_file("itempict_out.txt");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + ctr + "\" " + args;
  const bool started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  if (!started)
    return r;
  CloseHandle(pi.hThread);
  bool ended = false;
  for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < 60000;) {
    ended = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0;
    pump();
  }
  if (!ended) {
    ADD_FAILURE() << "olectr hangs: " << args;
    TerminateProcess(pi.hProcess, 998);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &r.code);
  CloseHandle(pi.hProcess);
  r.out = read_file(outPath);
  DeleteFileA(outPath.c_str());
  return r;
}

bool listed(const std::string &list, const std::string &name) {
  return list.find(" " + name + " ") != std::string::npos;
}

HENHMETAFILE emf_of_file(const std::string &path) {
  const std::string bytes = read_file(path);
  return bytes.empty() ? nullptr : SetEnhMetaFileBits(UINT(bytes.size()), reinterpret_cast<const BYTE *>(bytes.data()));
}

HMETAFILE wmf_of_file(const std::string &path) {
  const std::string bytes = read_file(path);
  return bytes.empty() ? nullptr : SetMetaFileBitsEx(UINT(bytes.size()), reinterpret_cast<const BYTE *>(bytes.data()));
}

// Picks fed to the engine's input wait.
std::vector<InputEvent> events;
size_t delivered = 0;

int play(InputEvent *next) {
  if (delivered >= events.size())
    return 0;
  *next = events[delivered++];
  return 1;
}

InputEvent click(int code, int x = 0, int y = 0) { return InputEvent{code, 0, 0, x, y, 0}; }

class ItemPictures : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;
  CMainDoc *doc = nullptr;
  CKLSrvrItem *item = nullptr;
  testing_watchdog::Watchdog dog{240000};

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    ui_setresponder([](const UiQuestion &q) {
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_YESNOCANCEL)
        return IDNO; // a drawing closes without being stored
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
    ASSERT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    SheetRecord s{};
    sys_sheet('R', 0, &s);
    s.width = SHEET_W, s.height = SHEET_H, s.originx = s.originy = 0.0;
    sys_sheet('W', 0, &s);
    ASSERT_GT(add_line(10, 10, 410, 10), 0);
    ASSERT_GT(add_line(410, 10, 410, 287), 0);
    ASSERT_GT(add_line(410, 287, 10, 287), 0);
    ASSERT_GT(add_line(10, 287, 10, 10), 0);
    ASSERT_GT(add_circle(CX, CY, CR), 0);
    ASSERT_GT(add_text(40, 40, "INK"), 0);
    doc = FindDocOfDrawing(0);
    ASSERT_TRUE(doc);
    item = static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem());
    ASSERT_TRUE(item);
    item->UpdateItemRect(nullptr, nullptr); // the whole sheet, 10000 x 7071
  }
  void TearDown() override {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    OleSetClipboard(nullptr);
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }

  static HRESULT get(COleDataSource *source, CLIPFORMAT cf, DWORD tymed, STGMEDIUM &m) {
    FORMATETC f = {cf, nullptr, DVASPECT_CONTENT, -1, tymed};
    m = STGMEDIUM{};
    return source->GetDataObject()->GetData(&f, &m);
  }
  // The drawing's window closed without a store.
  static void close_drawing() {
    if (HWND v = vew_hwnd(0, 0))
      SendMessageA(GetParent(v), WM_CLOSE, 0, 0);
    pump(3);
    ASSERT_EQ(vew_hwnd(0, 0), nullptr);
  }
};

TEST_F(ItemPictures, TheEnhancedMetafileIsFramedToTheExtentAndShowsTheDrawing) {
  ASSERT_EQ(item->GetExtent().cx, 10000);
  ASSERT_EQ(item->GetExtent().cy, 7071);
  ViewXform before;
  vew_frame('r', 0, 0, &before);
  STGMEDIUM m;
  ASSERT_EQ(get(item->GetDataSource(), CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
  ASSERT_EQ(m.tymed, DWORD(TYMED_ENHMF));
  EXPECT_FALSE(m.pUnkForRelease);
  EXPECT_EQ(item->m_renderFormat, 0u);
  EXPECT_EQ(doc->m_renderTarget, nullptr);

  // The frame: the extent in physical 0.01 mm of the view's device.
  HWND v = doc->GetViews().front()->m_hWnd;
  HDC vdc = GetDC(v);
  const double a = GetDeviceCaps(vdc, HORZSIZE) * 100.0 / GetDeviceCaps(vdc, HORZRES);
  const double b = GetDeviceCaps(vdc, VERTSIZE) * 100.0 / GetDeviceCaps(vdc, VERTRES);
  const double c = 2540.0 / GetDeviceCaps(vdc, LOGPIXELSX), d = 2540.0 / GetDeviceCaps(vdc, LOGPIXELSY);
  ReleaseDC(v, vdc);
  ENHMETAHEADER head{};
  ASSERT_TRUE(GetEnhMetaFileHeader(m.hEnhMetaFile, sizeof head, &head));
  EXPECT_EQ(head.rclFrame.left, 0);
  EXPECT_EQ(head.rclFrame.top, 0);
  EXPECT_EQ(head.rclFrame.right, LONG(10000 * a / c));
  EXPECT_EQ(head.rclFrame.bottom, LONG(7071 * b / d));
  // "application\0item\0\0"
  std::vector<char> desc(GetEnhMetaFileDescriptionA(m.hEnhMetaFile, 0, nullptr));
  ASSERT_GE(desc.size(), 2u);
  GetEnhMetaFileDescriptionA(m.hEnhMetaFile, UINT(desc.size()), desc.data());
  EXPECT_STREQ(desc.data(), app->m_strAppName.GetString());

  expect_fixture(play_emf(m.hEnhMetaFile, 420, 297), "enhanced metafile");
  ReleaseStgMedium(&m);

  // The view keeps its own transform after lending it.
  STGMEDIUM again;
  ASSERT_EQ(get(item->GetDataSource(), CF_ENHMETAFILE, TYMED_ENHMF, again), S_OK);
  ViewXform after;
  vew_frame('r', 0, 0, &after);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0);
  ReleaseStgMedium(&again);
}

TEST_F(ItemPictures, TheMetafilePictureCarriesTheExtentAndShowsTheDrawing) {
  STGMEDIUM m;
  ASSERT_EQ(get(item->GetDataSource(), CF_METAFILEPICT, TYMED_MFPICT, m), S_OK);
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m.hMetaFilePict));
  ASSERT_TRUE(pict);
  EXPECT_EQ(pict->mm, MM_ANISOTROPIC);
  EXPECT_EQ(pict->xExt, 10000);
  EXPECT_EQ(pict->yExt, 7071);
  const SIZE px = screen_pixels(SIZE{10000, 7071});
  expect_fixture(play_wmf(pict->hMF, px.cx, px.cy), "metafile picture");
  GlobalUnlock(m.hMetaFilePict);
  ReleaseStgMedium(&m);
}

TEST_F(ItemPictures, TheBitmapHasTheExtentsPixelsAndNoUndefinedMargin) {
  // A picture larger than the main window: white still reaches the bitmap's corners.
  RECT main{};
  GetWindowRect(app_hmain(), &main);
  const int wide = std::max(int(main.right - main.left), int((main.bottom - main.top) * SHEET_W / SHEET_H)) + 120;
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  ASSERT_TRUE(item->OnSetExtent(DVASPECT_CONTENT, SIZE{MulDiv(wide, 2540, ppi), 1}));
  const SIZE ext = item->GetExtent();
  const SIZE px = screen_pixels(ext);
  ASSERT_GT(px.cy, main.bottom - main.top);
  STGMEDIUM m;
  ASSERT_EQ(get(item->GetDataSource(), CF_BITMAP, TYMED_GDI, m), S_OK);
  ASSERT_EQ(m.tymed, DWORD(TYMED_GDI));
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(m.hBitmap, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmWidth, px.cx);
  EXPECT_EQ(bm.bmHeight, px.cy);
  Image img = paint(px.cx, px.cy, [&](HDC dc, const RECT &) {
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, m.hBitmap);
    BitBlt(dc, 0, 0, px.cx, px.cy, src, 0, 0, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
  });
  // Drawn at the view's own pixels, then stretched onto the bitmap.
  RECT client{};
  GetClientRect(vew_hwnd(0, 0), &client);
  img.slack = 2 + px.cx / (client.right > 0 ? client.right : 1);
  expect_fixture(img, "bitmap");
  // The far corner pixel itself, beyond the main window's size.
  EXPECT_EQ(img.at(px.cx - 1, px.cy - 1), 0xFFFFFFu);
  ReleaseStgMedium(&m);

  // A medium that already holds a bitmap is not drawn into.
  FORMATETC f = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
  STGMEDIUM given{};
  given.tymed = TYMED_GDI;
  given.hBitmap = CreateBitmap(1, 1, 1, 1, nullptr);
  EXPECT_FALSE(item->RenderBitmap(&f, &given));
  EXPECT_FALSE(item->OnRenderData(&f, &given));
  DeleteObject(given.hBitmap);
  // A target device named by the request answers for the drawing; one whose
  // description runs past its own end is refused.
  std::vector<uint8_t> td(12, 0);
  for (char16_t ch : std::u16string(u"DISPLAY"))
    td.push_back(uint8_t(ch)), td.push_back(0);
  td.push_back(0), td.push_back(0);
  td[0] = uint8_t(td.size());
  td[6] = 12; // the device name
  f.ptd = reinterpret_cast<DVTARGETDEVICE *>(td.data());
  STGMEDIUM onDisplay{};
  EXPECT_TRUE(item->RenderBitmap(&f, &onDisplay));
  ReleaseStgMedium(&onDisplay);
  td[0] = uint8_t(td.size() - 2); // the name's end left outside
  STGMEDIUM cut{};
  EXPECT_FALSE(item->RenderBitmap(&f, &cut));
  EXPECT_FALSE(cut.hBitmap);
  f.ptd = nullptr;
  // Nor is another aspect, or an enhanced metafile into a held handle.
  f.dwAspect = DVASPECT_ICON;
  STGMEDIUM none{};
  EXPECT_FALSE(item->RenderBitmap(&f, &none));
  FORMATETC e = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM held{};
  held.tymed = TYMED_ENHMF;
  held.hEnhMetaFile = reinterpret_cast<HENHMETAFILE>(1);
  EXPECT_FALSE(item->RenderEnhMetaFile(&e, &held));
}

TEST_F(ItemPictures, AClosedViewLendsToTheNextOpenOneAndNoneGivesNoPicture) {
  item->m_view = 7; // recorded, never opened
  STGMEDIUM m;
  ASSERT_EQ(get(item->GetDataSource(), CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
  expect_fixture(play_emf(m.hEnhMetaFile, 420, 297), "through view 0");
  ReleaseStgMedium(&m);

  // With no window for any view of the drawing, no picture and no crash.
  HWND kept[VIEW_COUNT];
  for (int v = 0; v < VIEW_COUNT; v++) {
    kept[v] = vewtbl[0][v].view;
    vewtbl[0][v].view = nullptr;
  }
  const struct {
    CLIPFORMAT cf;
    DWORD tymed;
  } cases[] = {{CF_ENHMETAFILE, TYMED_ENHMF}, {CF_METAFILEPICT, TYMED_MFPICT}, {CF_BITMAP, TYMED_GDI}};
  for (const auto &c : cases) {
    STGMEDIUM none;
    EXPECT_TRUE(FAILED(get(item->GetDataSource(), c.cf, c.tymed, none))) << c.cf;
    EXPECT_EQ(doc->m_renderTarget, nullptr);
  }
  for (int v = 0; v < VIEW_COUNT; v++)
    vewtbl[0][v].view = kept[v];
}

TEST_F(ItemPictures, ASourceCutLooseAnswersFromWhatItCached) {
  COleDataSource *source = item->OnGetClipboardData(FALSE, nullptr, nullptr);
  ASSERT_TRUE(source);
  ASSERT_EQ(item->DataSources().size(), 1u);
  item->ReleaseDataSources();
  EXPECT_TRUE(item->DataSources().empty());
  EXPECT_EQ(static_cast<CKLItemDelayDataSource *>(source)->m_pOwner, nullptr);
  // The drawing goes; the pictures stay with the data source.
  close_drawing();
  ASSERT_EQ(FindDocOfDrawing(0), nullptr);
  STGMEDIUM m;
  ASSERT_EQ(get(source, CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
  expect_fixture(play_emf(m.hEnhMetaFile, 420, 297), "cached enhanced metafile");
  ReleaseStgMedium(&m);
  ASSERT_EQ(get(source, CF_BITMAP, TYMED_GDI, m), S_OK);
  ReleaseStgMedium(&m);
  ASSERT_EQ(get(source, CF_METAFILEPICT, TYMED_MFPICT, m), S_OK);
  ReleaseStgMedium(&m);
  source->InternalRelease();
}

TEST_F(ItemPictures, ClosingTheDrawingKeepsItsCopysPicturesOnTheClipboard) {
  COleDataSource *source = item->OnGetClipboardData(TRUE, nullptr, nullptr);
  ASSERT_TRUE(source);
  source->SetClipboard();
  ASSERT_EQ(COleDataSource::GetClipboardOwner(), source);
  close_drawing();
  ASSERT_EQ(FindDocOfDrawing(0), nullptr);
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);

  // Another program gets both metafiles, and they show the drawing.
  const std::string emf = temp_file("itempict.emf"), wmf = temp_file("itempict.wmf");
  DeleteFileA(emf.c_str());
  DeleteFileA(wmf.c_str());
  Outcome e = olectr("get CF_ENHMETAFILE \"" + emf + "\"");
  ASSERT_EQ(e.code, 0u) << e.out;
  HENHMETAFILE got = emf_of_file(emf);
  ASSERT_TRUE(got);
  expect_fixture(play_emf(got, 420, 297), "kept enhanced metafile");
  DeleteEnhMetaFile(got);
  Outcome w = olectr("get CF_METAFILEPICT \"" + wmf + "\"");
  ASSERT_EQ(w.code, 0u) << w.out;
  EXPECT_NE(w.out.find("8 10000 7071"), std::string::npos) << w.out;
  HMETAFILE mf = wmf_of_file(wmf);
  ASSERT_TRUE(mf);
  const SIZE px = screen_pixels(SIZE{10000, 7071});
  expect_fixture(play_wmf(mf, px.cx, px.cy), "kept metafile picture");
  DeleteMetaFile(mf);
  DeleteFileA(emf.c_str());
  DeleteFileA(wmf.c_str());
}

TEST_F(ItemPictures, CopyingTheViewOffersTheEmbeddingAndThePicturesOfWhatItShows) {
  HWND v = vew_hwnd(0, 0);
  ASSERT_TRUE(v);
  ASSERT_EQ(vew_setwin(0, 0, 0, -5, -5, SHEET_W + 5, SHEET_H + 5), 0);
  RECT client{};
  GetClientRect(v, &client);
  double want[4];
  vew_dev2w(0, 0, client.left, client.top, &want[0], &want[1]);
  vew_dev2w(0, 0, client.right, client.bottom, &want[2], &want[3]);
  int part = 0;
  ASSERT_TRUE(item->CopyAreaToClipboard(PICT_BITMAP | PICT_METAFILE | PICT_ENHMETAFILE, &part, 0));
  EXPECT_EQ(item->m_view, 0);
  double got[4];
  item->GetItemRect(got);
  EXPECT_DOUBLE_EQ(got[0], std::min(want[0], want[2]));
  EXPECT_DOUBLE_EQ(got[1], std::max(want[1], want[3]));
  EXPECT_DOUBLE_EQ(got[2], std::max(want[0], want[2]));
  EXPECT_DOUBLE_EQ(got[3], std::min(want[1], want[3]));
  ASSERT_EQ(item->DataSources().size(), 1u);
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), item->DataSources()[0]);

  const Outcome list = olectr("list");
  ASSERT_EQ(list.code, 0u) << list.out;
  for (const char *name : {"Embed Source", "Object Descriptor", "CF_ENHMETAFILE", "CF_METAFILEPICT", "CF_BITMAP"})
    EXPECT_TRUE(listed(list.out, name)) << name << "\n" << list.out;
  EXPECT_FALSE(listed(list.out, "CF_TEXT")) << list.out;

  // The enhanced metafile holds the circle where the view shows it.
  const std::string emf = temp_file("itempict_view.emf");
  DeleteFileA(emf.c_str());
  Outcome e = olectr("get CF_ENHMETAFILE \"" + emf + "\"");
  ASSERT_EQ(e.code, 0u) << e.out;
  HENHMETAFILE pic = emf_of_file(emf);
  ASSERT_TRUE(pic);
  const int w = client.right, h = client.bottom;
  const Image img = play_emf(pic, w, h);
  int32_t px = 0, py = 0;
  vew_w2dev(0, 0, CX + CR, CY, &px, &py);
  const int32_t rx = px, ry = py;
  bool ink = false;
  for (int dy = -2; dy <= 2; dy++)
    for (int dx = -2; dx <= 2; dx++)
      if (px + dx >= 0 && px + dx < w && py + dy >= 0 && py + dy < h)
        ink = ink || img.at(px + dx, py + dy) != 0xFFFFFF;
  EXPECT_TRUE(ink) << "circle's right at " << px << "," << py;
  vew_w2dev(0, 0, CX, CY, &px, &py);
  if (px >= 0 && px < w && py >= 0 && py < h) {
    EXPECT_EQ(img.at(px, py), 0xFFFFFFu);
  }
  DeleteEnhMetaFile(pic);
  DeleteFileA(emf.c_str());

  // Pasted into another program, the copy becomes a drawing object this editor serves,
  // once the drawing is closed (the editor holds one drawing at a time): a new document
  // whose picture shows the same area. Closing first puts the copy's data onto the
  // clipboard as it stands.
  const SIZE copied = item->GetExtent();
  item->ReleaseDataSources();
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  close_drawing();
  const std::string served = temp_file("itempict_served.emf");
  DeleteFileA(served.c_str());
  const std::string servedWmf = temp_file("itempict_served.wmf");
  DeleteFileA(servedWmf.c_str());
  Outcome p =
      olectr("embed paste verb -3 extent emf \"" + served + "\" mfpict \"" + servedWmf + "\" release");
  ASSERT_EQ(p.code, 0u) << p.out;
  EXPECT_NE(p.out.find("extent " + std::to_string(copied.cx) + " " + std::to_string(copied.cy)),
            std::string::npos)
      << p.out;
  HENHMETAFILE other = emf_of_file(served);
  ASSERT_TRUE(other);
  const Image img2 = play_emf(other, w, h);
  px = rx, py = ry;
  ink = false;
  for (int dy = -2; dy <= 2; dy++)
    for (int dx = -2; dx <= 2; dx++)
      if (px + dx >= 0 && px + dx < w && py + dy >= 0 && py + dy < h)
        ink = ink || img2.at(px + dx, py + dy) != 0xFFFFFF;
  EXPECT_TRUE(ink) << "served circle's right at " << px << "," << py;
  EXPECT_NE(p.out.find("mfpict 8 " + std::to_string(copied.cx) + " " + std::to_string(copied.cy)), std::string::npos)
      << p.out;
  HMETAFILE wmf = wmf_of_file(servedWmf);
  ASSERT_TRUE(wmf);
  const SIZE wpx = screen_pixels(copied);
  const Image img3 = play_wmf(wmf, wpx.cx, wpx.cy);
  // The metafile picture's scaling comes from the serving editor's own view, so its
  // rounding may put the circle a few pixels from where this view draws it.
  ink = false;
  for (int dy = -5; dy <= 5; dy++)
    for (int dx = -5; dx <= 5; dx++)
      if (px + dx >= 0 && px + dx < img3.w && py + dy >= 0 && py + dy < img3.h)
        ink = ink || img3.at(px + dx, py + dy) != 0xFFFFFF;
  EXPECT_TRUE(ink) << "served metafile picture's circle at " << px << "," << py;
  DeleteMetaFile(wmf);
  DeleteFileA(servedWmf.c_str());
  DeleteEnhMetaFile(other);
  DeleteFileA(served.c_str());
}

TEST_F(ItemPictures, APickedRectangleIsCopiedAndAnAbandonedPickCopiesNothing) {
  ASSERT_EQ(vew_setwin(0, 0, 0, -5, -5, SHEET_W + 5, SHEET_H + 5), 0);
  uint32_t mode = 0, off = 0;
  sys_pickmode('W', &mode, &off); // points where they are clicked
  CmdLevel = 1;
  gcr_setsource(play);
  struct Reset {
    ~Reset() {
      gcr_setsource(nullptr);
      CmdLevel = -1;
    }
  } reset;
  int part = 0;
  events = {click(500, 40, 30), click(500, 160, 110)};
  delivered = 0;
  ASSERT_TRUE(item->CopyAreaToClipboard(PICT_ENHMETAFILE, &part, 1));
  double a[2], b[2];
  vew_dev2w(0, 0, 40, 30, &a[0], &a[1]);
  vew_dev2w(0, 0, 160, 110, &b[0], &b[1]);
  double got[4];
  item->GetItemRect(got);
  EXPECT_DOUBLE_EQ(got[0], std::min(a[0], b[0]));
  EXPECT_DOUBLE_EQ(got[1], std::max(a[1], b[1]));
  EXPECT_DOUBLE_EQ(got[2], std::max(a[0], b[0]));
  EXPECT_DOUBLE_EQ(got[3], std::min(a[1], b[1]));
  ASSERT_EQ(item->DataSources().size(), 1u);
  COleDataSource *source = item->DataSources()[0];
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), source);
  STGMEDIUM m;
  ASSERT_EQ(get(source, CF_ENHMETAFILE, TYMED_ENHMF, m), S_OK);
  ReleaseStgMedium(&m);
  EXPECT_TRUE(FAILED(get(source, CF_BITMAP, TYMED_GDI, m))); // not asked for
  OleSetClipboard(nullptr);
  ASSERT_TRUE(item->DataSources().empty());

  // Cancelled at the second corner, or the input ended: nothing changes hands.
  for (const std::vector<InputEvent> &script :
       {std::vector<InputEvent>{click(500, 40, 30), click(27)}, std::vector<InputEvent>{click(500, 40, 30)}}) {
    events = script;
    delivered = 0;
    EXPECT_FALSE(item->CopyAreaToClipboard(PICT_ENHMETAFILE, &part, 1));
    double now[4];
    item->GetItemRect(now);
    EXPECT_EQ(std::memcmp(now, got, sizeof now), 0);
    EXPECT_TRUE(item->DataSources().empty());
    EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  }
}

} // namespace
