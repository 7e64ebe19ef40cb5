// A drawing shown in place in olectr's window: the laid-out program, started for the
// embedding, puts its drawing view into olectr's window at the place olectr gives,
// offers its menus to olectr's frame, and takes the view back when olectr ends the
// in-place activation.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../common/watchdog.h"
#include "framework/appole.h"
#include "framework/olesrv.h"
#include "inkproc.h"

namespace {

using namespace inkproc;

const char kExe[] = "inkforge.exe";

std::string clsidText() {
  LPOLESTR w = nullptr;
  StringFromCLSID(*GetAppClsid(), &w);
  char s[64] = "";
  WideCharToMultiByte(CP_ACP, 0, w, -1, s, sizeof s, nullptr, nullptr);
  CoTaskMemFree(w);
  return s;
}

class InkInPlace : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    const std::string exe = full(std::string(INK_PROGRAM_DIR) + "/inkforge.exe");
    ASSERT_TRUE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), exe.c_str()));
  }
  void SetUp() override { ASSERT_TRUE(waitForProcesses(kExe, 0, 5000)) << "an editor is left from before"; }
  void TearDown() override { closeServers(kExe, "DazuVerur"); }
  testing_watchdog::Watchdog dog{240000};
};

TEST_F(InkInPlace, ADrawingIsShownInPlaceInOlectrAndGoesBack) {
  Child ctr;
  ASSERT_TRUE(ctr.start("\"" + full(INK_OLECTR) + "\" embed create " + clsidText() +
                            " hostnames olectr doc inplace 6000 " INK_PICTURE_DIR "/inplace_olectr.png deactivate release",
                        "inkinplace_out.txt"));
  const DWORD t0 = GetTickCount();
  while (ctr.output().find("window ") == std::string::npos && WaitForSingleObject(ctr.process, 100) == WAIT_TIMEOUT &&
         GetTickCount() - t0 < 90000) {
  }
  const std::string during = ctr.output();
  ASSERT_TRUE(ctr.has("inplace 00000000")) << during;
  EXPECT_TRUE(ctr.has("uiactive")) << during;
  // The object's window is a child of olectr's window.
  EXPECT_TRUE(ctr.has("window 1")) << during;
  // The menus: a menu made in another process cannot be used under Wine
  // (ERROR_INVALID_MENU_HANDLE), so there olectr keeps its own.
  if (during.find("menu 00000000") == std::string::npos) {
    EXPECT_TRUE(ctr.has("menu 80070579 olectr &File")) << during;
  }

  HWND wnd = findWindow("olectr.exe", "olectr in place");
  ASSERT_TRUE(wnd);
  // The drawing's view, a window of the editor's process, at olectr's place for it.
  HWND object = GetWindow(wnd, GW_CHILD);
  ASSERT_TRUE(object);
  DWORD pid = 0;
  GetWindowThreadProcessId(object, &pid);
  const std::vector<DWORD> editors = processes(kExe);
  ASSERT_EQ(editors.size(), 1u);
  EXPECT_EQ(pid, editors[0]);
  RECT r{};
  GetWindowRect(object, &r);
  MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 420);
  EXPECT_EQ(r.bottom, 320);
  EXPECT_TRUE(IsWindowVisible(object));
  // The drawing's view fills the in-place window.
  HWND view = GetWindow(object, GW_CHILD);
  ASSERT_TRUE(view);
  EXPECT_TRUE(IsWindowVisible(view));
  RECT vr{};
  GetWindowRect(view, &vr);
  EXPECT_EQ(vr.right - vr.left, 400);
  EXPECT_EQ(vr.bottom - vr.top, 300);
  EXPECT_EQ(ctr.finish(60000), 0u) << ctr.output();
  // Whether the drawing's view is seen painted over olectr's grey is printed and kept
  // in the picture, not asserted: under Wine the placed, visible view of another
  // process is not seen there yet (fwsrv's view in a drawing window is).
  EXPECT_NE(ctr.output().find("painted "), std::string::npos) << ctr.output();
  EXPECT_TRUE(ctr.has("deactivated 00000000 1")) << ctr.output();
  EXPECT_TRUE(ctr.has("menu olectr &File")) << ctr.output();
  // Nothing keeps the editor once the object is released.
  EXPECT_TRUE(waitForProcesses(kExe, 0, 10000));
}

} // namespace
