// The enhanced metafile of a drawing of 10,000 elements as a consumer asks for it
// through the drawing's data (warm: the first request is not counted). Goal: under
// 200 ms under Wine. Runs the editor in this process, so it is started from the
// program folder (its data files and fonts beside it):
//   cd <build>/program && wine64 ../bench/itempict_bench.exe [rounds]
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchclock.h"
#include "database/elements.h"
#include "files/filecmd.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/srvritem.h"

namespace {

void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// Lines, circles and short texts spread over an A3 sheet.
int fill(int count) {
  int made = 0;
  for (int i = 0; i < count; i++) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    const double x = 10 + (i * 37) % 400, y = 10 + (i * 53) % 277;
    const char *text = nullptr;
    switch (i % 10) {
    case 0:
      r.kind = ARC;
      r.arc.cx = x, r.arc.cy = y, r.arc.r = 3 + i % 7;
      r.arc.start = 0, r.arc.end = i % 20 == 0 ? 360 : 135;
      r.arc.attr = 0x11;
      break;
    case 5:
      r.kind = CHR;
      r.chr.x = float(x), r.chr.y = float(y);
      r.chr.height = 4, r.chr.width = 3, r.chr.spacing = 1;
      r.chr.attr = 1;
      text = "KL";
      r.chr.count = 2;
      break;
    default:
      r.kind = LIN;
      r.lin.x1 = x, r.lin.y1 = y, r.lin.x2 = x + 8, r.lin.y2 = y + (i % 5);
      r.lin.attr = 0x11;
    }
    if (elm_add(0, 0, ELM_NODRAW, &r, text) > 0)
      made++;
  }
  return made;
}

} // namespace

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
  ui_setresponder([](const UiQuestion &q) {
    std::fprintf(stderr, "asked: %s\n", q.text ? q.text : "");
    return q.kind == UI_MSGBOX ? IDNO : 0;
  });
  VODOreVer app;
  app.m_hInstance = GetModuleHandleA(nullptr);
  app.m_lpCmdLine = const_cast<char *>("");
  if (!app.InitInstance())
    return 1;
  pump();
  if (fil_open(0, nullptr) != 0)
    return 2;
  pump();
  SheetRecord s{};
  sys_sheet('R', 0, &s);
  s.width = 420.0, s.height = 297.0, s.originx = s.originy = 0.0;
  sys_sheet('W', 0, &s);
  const int made = fill(10000);
  CMainDoc *doc = FindDocOfDrawing(0);
  auto *item = doc ? static_cast<CKLSrvrItem *>(doc->GetEmbeddedItem()) : nullptr;
  if (!item)
    return 3;
  item->UpdateItemRect(nullptr, nullptr);
  IDataObject *data = item->GetDataSource()->GetDataObject();
  FORMATETC f = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  double worst = 0, total = 0;
  UINT bytes = 0;
  for (int i = 0; i <= rounds; i++) {
    STGMEDIUM m{};
    const double t0 = bench_now();
    const HRESULT hr = data->GetData(&f, &m);
    const double t = bench_now() - t0;
    if (FAILED(hr)) {
      std::fprintf(stderr, "no picture: %08lx\n", hr);
      return 4;
    }
    bytes = GetEnhMetaFileBits(m.hEnhMetaFile, 0, nullptr);
    ReleaseStgMedium(&m);
    if (i == 0)
      continue; // warming up
    total += t;
    worst = t > worst ? t : worst;
  }
  std::printf("enhanced metafile of %d elements (%u bytes): mean %8.2f ms, worst %8.2f ms (%d rounds)\n", made, bytes,
              total / rounds * 1e3, worst * 1e3, rounds);
  std::printf("goal: under 200 ms: %s\n", total / rounds < 0.2 ? "met" : "NOT met");
  PostMessageA(app_hmain(), WM_COMMAND, 10105, 0);
  app.Run();
  return 0;
}
