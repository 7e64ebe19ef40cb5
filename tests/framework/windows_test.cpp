// Window objects, the application object and WinMain.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/except.h"
#include "framework/frame.h"
#include "framework/view.h"
#include "framework/winapp.h"
#include "framework/wnd.h"
#include "mdihost.h"
#include "settings/answers.h"

namespace {

struct Responder {
  std::vector<UiQuestion> asked;
  std::vector<std::string> texts;
  int answer = IDOK;
  Responder() {
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q);
      texts.push_back(q.text);
      return answer;
    });
  }
  ~Responder() { ui_setresponder(nullptr); }
};

// A plain framework window that counts its messages and can throw from OnSize.
class Probe : public CWnd {
public:
  int messages = 0, sizes = 0;
  HWND edit = nullptr;
  enum { none, user, file, standard, other } throwInSize = none;
  bool failCreate = false;

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    messages++;
    return CWnd::WindowProc(msg, wp, lp);
  }

protected:
  int OnCreate(LPCREATESTRUCTA cs) override {
    if (failCreate)
      throw std::runtime_error("no");
    if (CWnd::OnCreate(cs) == -1)
      return -1;
    // A control made while this window is being created stays the system's own.
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, m_hWnd, nullptr, nullptr, nullptr);
    return 0;
  }
  void OnSize(UINT type, int cx, int cy) override {
    sizes++;
    switch (throwInSize) {
    case user:
      throw CKLException(1, 0);
    case file:
      throw CFileException(CFileException::diskFull, 112, "d.ksl");
    case standard:
      throw std::runtime_error("size");
    case other:
      throw 42;
    case none:
      break;
    }
    CWnd::OnSize(type, cx, cy);
  }
};

bool create_top(CWnd &w) {
  return w.CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr);
}

class Windows : public ::testing::Test {
protected:
  void SetUp() override { test_app(); }
};

TEST_F(Windows, UserDataOfTheProgramSurvivesItsMessages) {
  Probe w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, nullptr));
  SetWindowLongPtrA(w.m_hWnd, GWLP_USERDATA, 0x5EA1C0DE);
  const int before = w.messages;
  const UINT msgs[] = {WM_SIZE,  WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN,
                       WM_KEYUP, WM_CHAR,      WM_COMMAND,     WM_TIMER,     WM_USER + 9};
  for (int i = 0; i < 100; i++)
    w.SendMessage(msgs[i % 10], 0, MAKELPARAM(i, i));
  for (int i = 0; i < 5; i++) {
    w.Invalidate();
    w.UpdateWindow();
    MoveWindow(w.m_hWnd, 10 + i, 10, 300 + i, 200, TRUE);
  }
  pump();
  EXPECT_GE(w.messages - before, 100);
  EXPECT_EQ(GetWindowLongPtrA(w.m_hWnd, GWLP_USERDATA), 0x5EA1C0DE);
}

TEST_F(Windows, OnlyTheFrameworksOwnWindowsHaveObjects) {
  auto *w = new Probe;
  ASSERT_TRUE(create_top(*w));
  HWND wnd = w->m_hWnd;
  EXPECT_EQ(CWnd::FromHandlePermanent(wnd), w);
  ASSERT_NE(w->edit, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(w->edit), nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(GetDesktopWindow()), nullptr);
  w->DestroyWindow();
  EXPECT_EQ(w->m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(wnd), nullptr);
  delete w;
}

TEST_F(Windows, AnExceptionInAHandlerStaysInTheWindowProcedure) {
  Responder r;
  Probe w;
  ASSERT_TRUE(create_top(w));
  const struct {
    decltype(Probe::throwInSize) kind;
    size_t reported;
  } cases[] = {{Probe::user, 0}, {Probe::file, 1}, {Probe::standard, 1}, {Probe::other, 1}};
  int width = 300;
  for (const auto &c : cases) {
    r.asked.clear();
    w.throwInSize = c.kind;
    const int sizes = w.sizes;
    MoveWindow(w.m_hWnd, 10, 10, ++width, 200, TRUE);
    EXPECT_EQ(w.sizes, sizes + 1);
    EXPECT_EQ(r.asked.size(), c.reported) << int(c.kind);
  }
  EXPECT_EQ(r.texts[0], "ディスクがいっぱいで d.ksl に書き込めません。");
  // The window goes on working.
  w.throwInSize = Probe::none;
  MoveWindow(w.m_hWnd, 10, 10, 250, 150, TRUE);
  RECT rc;
  GetWindowRect(w.m_hWnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 250);
}

TEST_F(Windows, AnExceptionInOnCreateFailsTheCreation) {
  Responder r;
  Probe w;
  w.failCreate = true;
  EXPECT_FALSE(create_top(w));
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(r.asked.size(), 1u);
}

// An edit control taken over: messages reach the object, then the control's own procedure.
class EditHook : public CWnd {
public:
  std::string typed;

protected:
  void OnChar(UINT ch, UINT repeat, UINT flags) override {
    typed += char(ch);
    if (ch != 'x')
      CWnd::OnChar(ch, repeat, flags);
  }
};

TEST_F(Windows, DefaultGoesToTheProcedureTheWindowHad) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  {
    EditHook hook;
    ASSERT_TRUE(hook.SubclassWindow(edit));
    EXPECT_FALSE(EditHook().SubclassWindow(edit)); // one object per window
    for (char c : std::string("axb"))
      SendMessageA(edit, WM_CHAR, WPARAM(c), 1);
    EXPECT_EQ(hook.typed, "axb");
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "ab");
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), &hook);
  } // the object goes with its window
  EXPECT_FALSE(IsWindow(edit));
}

// The program's main frame class, registered the program's way (DefWindowProc as the
// class procedure).
class MainFrame : public CMDIFrameWnd {
public:
  std::vector<std::string> seen;

protected:
  int OnCreate(LPCREATESTRUCTA cs) override {
    seen.push_back("create");
    return CMDIFrameWnd::OnCreate(cs);
  }
  void OnPaletteChanged(HWND) override { seen.push_back("palette changed"); }
  BOOL OnQueryNewPalette() override { return seen.push_back("query palette"), TRUE; }
  void OnDropFiles(HDROP) override { seen.push_back("drop"); }
  void OnInitMenu(HMENU) override { seen.push_back("init menu"); }
};

TEST_F(Windows, MdiFrameMessagesReachTheProgram) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = "InkFwTestMain";
  ASSERT_TRUE(AfxRegisterClass(&wc));
  ASSERT_TRUE(AfxRegisterClass(&wc)); // already there is fine

  auto *f = new MainFrame;
  const RECT r = {0, 0, 600, 400};
  ASSERT_TRUE(f->Create("InkFwTestMain", "インク工房", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, 0));
  CLIENTCREATESTRUCT ccs = {nullptr, 16000};
  f->m_hWndMDIClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                       f->m_hWnd, reinterpret_cast<HMENU>(3244), nullptr, &ccs);
  ASSERT_NE(f->m_hWndMDIClient, nullptr);
  f->SendMessage(WM_PALETTECHANGED, 0);
  f->SendMessage(WM_QUERYNEWPALETTE);
  f->SendMessage(WM_DROPFILES, 0);
  f->SendMessage(WM_INITMENU, 0);
  EXPECT_EQ(f->seen, (std::vector<std::string>{"create", "palette changed", "query palette", "drop", "init menu"}));
  // Default() of the frame is DefFrameProc: sizing lays the MDI client over the client area.
  MoveWindow(f->m_hWnd, 0, 0, 640, 480, TRUE);
  RECT fc, cc;
  GetClientRect(f->m_hWnd, &fc);
  GetClientRect(f->m_hWndMDIClient, &cc);
  EXPECT_EQ(cc.right, fc.right);
  EXPECT_EQ(cc.bottom, fc.bottom);
  // A menu that does not load fails the creation (and the object is gone).
  EXPECT_FALSE((new MainFrame)->Create("InkFwTestMain", "x", WS_OVERLAPPEDWINDOW, r, nullptr, 9999));
  f->DestroyWindow();
}

class LoopApp : public CWinApp {
public:
  using CWinApp::CWinApp;
  std::vector<std::string> calls;
  bool init = true;
  BOOL InitInstance() override { return calls.push_back("InitInstance"), init; }
  int Run() override { return calls.push_back("Run"), 17; }
  int ExitInstance() override { return calls.push_back("ExitInstance"), 3; }
};

TEST_F(Windows, WinMainRunsInitInstanceThenRun) {
  char tail[] = "-Embedding a.ksl";
  {
    LoopApp app("loop");
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(nullptr), tail, SW_SHOWMINIMIZED), 17);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "Run"}));
    EXPECT_EQ(app.m_lpCmdLine, tail);
    EXPECT_EQ(app.m_nCmdShow, SW_SHOWMINIMIZED);
    EXPECT_TRUE(app.RunEmbedded());
  }
  EXPECT_EQ(AfxGetApp(), &test_app());
  LoopApp refusing("loop");
  refusing.init = false;
  EXPECT_EQ(AfxWinMain(GetModuleHandleA(nullptr), tail, SW_SHOW), 3);
  EXPECT_EQ(refusing.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
}

TEST_F(Windows, EmbeddingIsAWholeSwitch) {
  const struct {
    const char *tail;
    bool embedded;
  } cases[] = {{"/Embedding", true}, {"a.ksl /embedding", true}, {"-EMBEDDING", true},
               {"Embedding", false}, {"/Embeddingx", false},     {"", false}};
  for (const auto &c : cases) {
    std::string tail = c.tail;
    test_app().m_lpCmdLine = tail.data();
    EXPECT_EQ(bool(test_app().RunEmbedded()), c.embedded) << c.tail;
  }
  test_app().m_lpCmdLine = nullptr;
  EXPECT_FALSE(test_app().RunEmbedded());
}

TEST_F(Windows, ProfileValuesAreKeptInTheApplicationsFile) {
  char dir[MAX_PATH], file[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  GetTempFileNameA(dir, "ink", 0, file);
  CWinApp app("profile");
  app.m_strProfileName = file;
  EXPECT_EQ(app.GetProfileInt("Environment", "OLE2 SetItemName", 0), 0u);
  EXPECT_TRUE(app.WriteProfileInt("Environment", "OLE2 SetItemName", 1));
  EXPECT_TRUE(app.WriteProfileString("Environment", "Name", "印影"));
  EXPECT_EQ(app.GetProfileInt("Environment", "OLE2 SetItemName", 0), 1u);
  EXPECT_EQ(app.GetProfileString("Environment", "Name"), "印影");
  EXPECT_EQ(app.GetProfileString("Environment", "Missing", "def"), "def");
  DeleteFileA(file);
}

TEST_F(Windows, MessageBoxesGoThroughTheAnswersLayer) {
  Responder r;
  r.answer = IDNO;
  EXPECT_EQ(AfxMessageBox("保存しますか?", MB_YESNO), IDNO);
  ASSERT_EQ(r.asked.size(), 1u);
  EXPECT_EQ(r.asked[0].kind, UI_MSGBOX);
  EXPECT_STREQ(r.asked[0].heading, "InkFwTest");
  EXPECT_EQ(r.texts[0], "保存しますか?");
  EXPECT_EQ(r.asked[0].flags, UINT(MB_YESNO));
}

} // namespace
