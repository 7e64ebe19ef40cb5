// A link to a seal file that no editor has open: olectr binds the file's moniker
// joined with a part's name, COM finds the program's class through the file's
// extension and starts the laid-out program, which opens the file and hands out the
// part; shown, the drawing's window comes up in the editor.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/watchdog.h"
#include "framework/appole.h"
#include "framework/olesrv.h"
#include "inkproc.h"

namespace {

using namespace inkproc;

const char kExe[] = "inkforge.exe";
const char kPart[] = "(0.000000,297.000000)-(210.000000,148.500000)!5000,3535";

std::string program() { return full(std::string(INK_PROGRAM_DIR) + "/inkforge.exe"); }

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The visible MDI child of the editor's main window, and its title.
HWND drawingWindow(HWND main, std::string &title) {
  HWND client = FindWindowExA(main, nullptr, "MDIClient", nullptr);
  for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w)) {
      char t[262] = "";
      GetWindowTextA(w, t, sizeof t);
      title = t;
      return w;
    }
  return nullptr;
}

class InkLink : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    ASSERT_TRUE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), program().c_str()));
  }
  void SetUp() override { ASSERT_TRUE(waitForProcesses(kExe, 0, 5000)) << "an editor is left from before"; }
  void TearDown() override { closeServers(kExe, "DazuVerur"); }
  testing_watchdog::Watchdog dog{240000};
};

TEST_F(InkLink, ALinkToAClosedSealFileStartsTheEditorAndShowsThePart) {
  const std::string seal = tempFile("inklink.ksl"), emf = tempFile("inklink.emf");
  ASSERT_TRUE(CopyFileA(INK_SEAL_FIXTURE, seal.c_str(), FALSE));
  DeleteFileA(emf.c_str());
  // The extension names the program's class: nothing else tells a seal file's class.
  CLSID found = CLSID_NULL;
  const std::wstring wseal(seal.begin(), seal.end());
  ASSERT_EQ(GetClassFile(wseal.c_str(), &found), S_OK);
  EXPECT_TRUE(IsEqualCLSID(found, *GetAppClsid()));

  Child ctr;
  ASSERT_TRUE(ctr.start("\"" + full(INK_OLECTR) + "\" linkshow " + seal + " " + kPart + " " + emf + " 15000",
                        "inklink_out.txt"));
  const DWORD t0 = GetTickCount();
  while (!ctr.has("shown 00000000") && WaitForSingleObject(ctr.process, 100) == WAIT_TIMEOUT &&
         GetTickCount() - t0 < 90000) {
  }
  ASSERT_TRUE(ctr.has("shown 00000000")) << ctr.output();
  // The part, as the link names it, at its extent, with its picture.
  EXPECT_TRUE(ctr.has("extent 5000 3535")) << ctr.output();
  EXPECT_TRUE(ctr.output().find("frame ") != std::string::npos) << ctr.output();
  WIN32_FILE_ATTRIBUTE_DATA attr{};
  ASSERT_TRUE(GetFileAttributesExA(emf.c_str(), GetFileExInfoStandard, &attr));
  EXPECT_GT(attr.nFileSizeLow, 100u);

  // The editor shows the file's drawing in a window of its own.
  HWND main = nullptr, child = nullptr;
  std::string title;
  while (GetTickCount() - t0 < 90000 && !child) {
    main = findWindow(kExe, "", "DazuVerur");
    child = main ? drawingWindow(main, title) : nullptr;
    if (!child)
      Sleep(100);
  }
  ASSERT_TRUE(child) << "no drawing window shown";
  EXPECT_NE(lower(title).find("inklink"), std::string::npos) << title;
  // One drawing window: the document made for the link has no empty window beside it.
  int shown = 0;
  for (HWND w = GetWindow(GetParent(child), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    shown += IsWindowVisible(w) ? 1 : 0;
  EXPECT_EQ(shown, 1);
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r{};
  const std::vector<uint32_t> px = screen_capture(main, r);
  write_png(INK_PICTURE_DIR "/inklink_shown.png", r.right - r.left, r.bottom - r.top, px);

  EXPECT_EQ(ctr.finish(60000), 0u) << ctr.output();
  // Shown, the drawing is the user's: it stays when the link lets go (olectr's release
  // of the object is a call the editor has answered before olectr ended).
  EXPECT_TRUE(IsWindow(child) && IsWindowVisible(child));
  DeleteFileA(emf.c_str());
  closeServers(kExe, "DazuVerur");
  DeleteFileA(seal.c_str());
}

} // namespace
