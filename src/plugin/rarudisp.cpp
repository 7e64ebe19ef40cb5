#include "plugin/rarudisp.h"

#include <cstdio>
#include <vector>

#include "hoststub/klhost.h"
#include "plugin/plugsys.h"
#include "plugin/rarucfg.h"
#include "plugin/raruput.h"
#include "plugin/rarustr.h"

namespace {

int Registered = 0;

class GdiCanvas : public RaruCanvas {
public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void line(int x1, int y1, int x2, int y2) override {
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
  }
  void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) override { Arc(dc_, l, t, r, b, xs, ys, xe, ye); }

private:
  HDC dc_;
};

// The preview file's bytes: header and at most 10000 records.
bool readseal(RaruSeal *seal) {
  char name[RARU_PATH], folder[RARU_PATH], path[RARU_PATH];
  Raru_SysPreviewFile('R', name);
  Raru_SysListFolder('R', folder);
  name[RARU_PATH - 1] = folder[RARU_PATH - 1] = '\0';
  if (!raru_join(path, folder, name))
    return false;
  std::FILE *f = std::fopen(path, "rb");
  if (!f)
    return false;
  std::vector<uint8_t> bytes(256 + std::size_t(RARU_TEXTMAX) * 80);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  raru_sealparse(bytes.data(), got, seal);
  return true;
}

} // namespace

int Raru_RegisterDispClass() {
  // The plug-in's dialogs create the control with the plug-in's module handle.
  HINSTANCE inst = plg_module ? plg_module : GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  if (GetClassInfoA(inst, RARU_DISPCLASS, &wc))
    return Registered;
  wc = WNDCLASSA{};
  wc.lpfnWndProc = RaruDisp_WndProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = RARU_DISPCLASS;
  Registered = RegisterClassA(&wc) ? 1 : 0;
  return Registered;
}

LRESULT CALLBACK RaruDisp_WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT)
    RaruDisp_Paint(wnd);
  return DefWindowProcA(wnd, msg, wp, lp);
}

void RaruDisp_Paint(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  RECT r;
  GetClientRect(wnd, &r);
  RaruDisp_PaintDC(dc, r.right - r.left, r.bottom - r.top);
  EndPaint(wnd, &ps);
}

void RaruDisp_PaintDC(HDC dc, int cw, int ch) {
  RaruSeal seal;
  if (!readseal(&seal))
    return;
  RECT r = {1, 1, cw - 1, ch - 1};
  const int W = r.right - r.left, H = r.bottom - r.top;
  COLORREF back = RGB(255, 255, 255);
  KlhGetBackColorRGB(&back);
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (!raru_fit(seal, W, H, r.bottom, &RaruPreview))
    return;
  RaruSettings s;
  Raru_SysSettings('R', &s);
  const COLORREF colour = s.sealColor == 0 ? RGB(255, 0, 0) : s.sealColor == 1 ? RGB(255, 255, 255) : RGB(0, 0, 0);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  GdiCanvas canvas(dc);
  raru_drawseal(canvas, RaruPreview, seal, RaruDisp_Text);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void RaruDisp_Text(RaruCanvas &c, const RaruView &v, const char *text, double x, double y, double h, double w, double p,
                   unsigned attr) {
  char date[80];
  if (Raru_DateActive && Raru_FormatDate(text, date))
    text = date;
  RaruFont_DrawString(c, v, text, x, y, h, w, p, attr);
}
