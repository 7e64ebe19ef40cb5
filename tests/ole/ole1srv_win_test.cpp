// The older OLE server in the started editor, driven through the stand-in libraries'
// control functions as an OLE 1 client would: open, names, the object and its
// formats, native data out and in, registration and exit.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../common/watchdog.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "ole/ole1clip.h"
#include "ole/ole1srv.h"
#include "ole1stub/ole1stub.h"
#include "settings/answers.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "../common/editorpump.h"

namespace {

std::string class_value(const char *key) {
  char buf[MAX_PATH] = "";
  LONG n = sizeof buf;
  return RegQueryValueA(HKEY_CLASSES_ROOT, key, buf, &n) == ERROR_SUCCESS ? std::string(buf) : std::string("<none>");
}

std::vector<uint8_t> global_bytes(HGLOBAL h) {
  const auto *p = static_cast<const uint8_t *>(GlobalLock(h));
  std::vector<uint8_t> b(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return b;
}

O1sServerFn server_call() {
  HMODULE m = GetModuleHandleA("olesvr32.dll");
  return m ? reinterpret_cast<O1sServerFn>(reinterpret_cast<void *>(GetProcAddress(m, "o1s_server"))) : nullptr;
}

TEST(Ole1Server, AClientOpensADrawingAndMovesNativeDataBothWays) {
  testing_watchdog::Watchdog dog(60000);
  const std::string dir = here(), work = dir + "work\\", sys = dir + "inkforge.sys";
  CreateDirectoryA(work.c_str(), nullptr);
  DeleteFileA(sys.c_str());
  WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
  ui_setresponder([](const UiQuestion &q) { return q.kind == UI_MSGBOX ? IDNO : 0; });
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "KIVO-LANT");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "*.kl");
  auto *app = new VODOreVer;
  app->m_hInstance = GetModuleHandleA(nullptr);
  app->m_lpCmdLine = const_cast<char *>("");
  ASSERT_TRUE(app->InitInstance());
  pump(5);

  ASSERT_EQ(ole1_srvstart("-Embedding"), 1);
  EXPECT_EQ(Ole1Srv.embedding, 1);
  EXPECT_NE(Ole1Srv.server, 0);
  EXPECT_EQ(Ole1Srv.doc, 0); // no document name on the command line
  EXPECT_EQ(class_value("KIVO-LANT"), "KIVO LANT 図面");
  EXPECT_EQ(class_value("*.kl"), "KIVO-LANT");
  EXPECT_EQ(class_value("KIVO-LANT\\protocol\\StdFileEditing\\verb\\0"), "EDIT");
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, sizeof program);
  EXPECT_EQ(class_value("KIVO-LANT\\protocol\\StdFileEditing\\Server"), program);
  const UINT native = Ole1ClipFormat(OLE1_NATIVE), link = Ole1ClipFormat(OLE1_OWNERLINK);
  ASSERT_NE(native, 0u);
  ASSERT_NE(link, 0u);

  O1sServerFn srv = server_call();
  ASSERT_TRUE(srv);
  ASSERT_EQ(vew_mask(0), 0u);
  EXPECT_EQ(srv("open", "first", 0, nullptr), 0);
  pump(3);
  EXPECT_NE(vew_mask(0), 0u); // a new drawing
  EXPECT_EQ(Ole1Srv.dwg, 0);
  EXPECT_EQ(srv("open", "second", 0, nullptr), 4);

  void *docname = const_cast<char *>("Report.doc");
  EXPECT_EQ(srv("names", "Writer", 0, &docname), 0);
  char title[300] = "";
  GetWindowTextA(vew_frm(0, 0), title, sizeof title);
  EXPECT_NE(std::string(title).find("Writerの図 [Report.doc]"), std::string::npos) << title;

  ASSERT_EQ(srv("getobject", "item", 0, nullptr), 0);
  EXPECT_EQ(srv("protocol", "StdFileEditing", 0, nullptr), 1);
  EXPECT_EQ(srv("protocol", "StdExecute", 0, nullptr), 0);
  // Native, OwnerLink, metafile picture, bitmap, end.
  const long chain[][2] = {{0, long(native)}, {long(native), long(link)}, {long(link), 3}, {3, 2}, {2, 0}};
  for (const auto &c : chain)
    EXPECT_EQ(srv("enum", nullptr, c[0], nullptr), c[1]) << c[0];

  // Native data out: what the builder makes of the same drawing and rectangle.
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.lin.x2 = 20, r.lin.y2 = 10, r.lin.attr = 0x11;
  for (int i = 0; i < 12; i++) {
    r.lin.y1 = i;
    ASSERT_GT(elm_add(0, 0, -1, &r, nullptr), 0);
  }
  const double area[4] = {0, 0, 25, 25};
  std::memcpy(Ole1Srv.rect, area, sizeof area);
  Ole1Srv.device = RECT{0, 0, 99, 99};
  void *data = nullptr;
  ASSERT_EQ(srv("getdata", nullptr, long(native), &data), 0);
  ASSERT_TRUE(data);
  HGLOBAL same = RenderOle1Data(0, area, OLE1_NATIVE, &Ole1Srv.device);
  ASSERT_TRUE(same);
  EXPECT_EQ(global_bytes(HGLOBAL(data)), global_bytes(same));
  GlobalFree(same);
  EXPECT_EQ(srv("getdata", nullptr, 7, &data), 19);

  // Native data in: too short is refused and the drawing stays.
  const uint32_t count = DbCtl[0].count1;
  void *tiny = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 1000);
  EXPECT_EQ(srv("setdata", nullptr, long(native), &tiny), 19);
  EXPECT_EQ(DbCtl[0].count1, count);
  EXPECT_EQ(srv("setdata", nullptr, 3, &tiny), 12); // not a format it takes
  GlobalFree(tiny);
  EXPECT_EQ(srv("objrelease", nullptr, 0, nullptr), 0);
  EXPECT_EQ(Ole1Srv.busy, 0);

  // The release wait serves the server's queue and messages until the client lets go.
  const std::string log = dir + "ole1calls.log";
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("INK_OLE1_LOG", log.c_str());
  ASSERT_EQ(srv("getobject", "item", 0, nullptr), 0);
  ASSERT_EQ(Ole1Srv.busy, 1);
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    server_call()("objrelease", nullptr, 0, nullptr);
  });
  ole1_srvwait();
  KillTimer(nullptr, timer);
  EXPECT_EQ(Ole1Srv.busy, 0);
  // The server document hears of saving, renaming and closing its drawing.
  const intptr_t doc = Ole1Srv.doc;
  ASSERT_NE(doc, 0);
  ole1_srvsaved();
  ole1_srvrenamed("C:\\seals\\A.KSL");
  ole1_srvclosed();
  EXPECT_EQ(Ole1Srv.doc, 0);
  SetEnvironmentVariableA("INK_OLE1_LOG", nullptr);
  std::vector<std::string> calls;
  {
    std::ifstream in(log);
    for (std::string l; std::getline(in, l);)
      calls.push_back(l.substr(0, l.find('(')));
  }
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], "OleUnblockServer");
  const std::vector<std::string> tail(calls.end() - 3, calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"OleSavedServerDoc", "OleRenameServerDoc", "OleRevokeServerDoc"}));

  // A second start leaves the registration as it finds it.
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "KIVO-LANT", REG_SZ, "changed", 7), ERROR_SUCCESS);
  ASSERT_EQ(ole1_srvstart("/Embedded Drawing.kl"), 1);
  EXPECT_EQ(Ole1Srv.embedding, 2);
  EXPECT_EQ(class_value("KIVO-LANT"), "changed");

  // Exit destroys the main window.
  HWND main = app_hmain();
  EXPECT_EQ(srv("exit", nullptr, 0, nullptr), 0);
  pump(3);
  EXPECT_FALSE(IsWindow(main));
  delete app;
  ui_setresponder(nullptr);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "KIVO-LANT");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "*.kl");
}

} // namespace
