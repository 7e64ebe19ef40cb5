// Documents, frames and views made by a template inside a real MDI frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/doctempl.h"
#include "framework/document.h"
#include "framework/frame.h"
#include "framework/view.h"
#include "mdihost.h"
#include "settings/answers.h"

namespace {

std::vector<std::string> calls;
int docs_alive = 0;

class LogDoc : public CDocument {
public:
  LogDoc() { calls.push_back("doc constructor"), docs_alive++; }
  ~LogDoc() override { calls.push_back("doc destructor"), docs_alive--; }
  void DeleteContents() override { calls.push_back("DeleteContents"); }
  BOOL OnNewDocument() override {
    calls.push_back("OnNewDocument");
    return CDocument::OnNewDocument() && !failNew;
  }
  BOOL OnSaveDocument(const char *path) override {
    calls.push_back(std::string("OnSaveDocument ") + (path ? path : "(none)"));
    SetModifiedFlag(FALSE);
    return TRUE;
  }
  BOOL OnCmdMsg(UINT id, int) override { return id == 4711 ? (calls.push_back("doc command"), TRUE) : FALSE; }
  static inline bool failNew = false;
};

class LogFrame : public CMDIChildWnd {
public:
  LogFrame() { calls.push_back("frame constructor"); }
  BOOL PreCreateWindow(CREATESTRUCTA &cs) override {
    calls.push_back("frame PreCreateWindow");
    if (!CMDIChildWnd::PreCreateWindow(cs))
      return FALSE;
    if (wantRect.right) {
      cs.x = wantRect.left, cs.y = wantRect.top;
      cs.cx = wantRect.right - wantRect.left, cs.cy = wantRect.bottom - wantRect.top;
    }
    return TRUE;
  }
  static inline RECT wantRect = {};
};

class LogView : public CView {
public:
  LogView() { calls.push_back("view constructor"); }
  ~LogView() override { calls.push_back("view destructor"); }
  void OnInitialUpdate() override {
    calls.push_back("OnInitialUpdate");
    CView::OnInitialUpdate();
  }
  void OnUpdate(CView *sender, LPARAM hint, CObject *obj) override {
    updates.push_back({sender, hint, obj});
    CView::OnUpdate(sender, hint, obj);
  }
  void OnPrepareDC(HDC dc) override { prepared = dc; }
  void OnDraw(HDC dc) override {
    drawnOn = dc;
    drawnPrepared = prepared == dc;
    if (const PAINTSTRUCT *ps = GetPaintStruct())
      paintRect = ps->rcPaint, sawPaint = true;
  }
  BOOL OnCmdMsg(UINT id, int) override { return id == 4710 ? (calls.push_back("view command"), TRUE) : FALSE; }
  struct Update {
    CView *sender;
    LPARAM hint;
    CObject *obj;
  };
  std::vector<Update> updates;
  HDC prepared = nullptr, drawnOn = nullptr;
  bool drawnPrepared = false, sawPaint = false;
  RECT paintRect = {};

protected:
  int OnCreate(LPCREATESTRUCTA cs) override {
    if (CView::OnCreate(cs) == -1)
      return -1;
    calls.push_back(GetDocument() ? "view OnCreate (joined)" : "view OnCreate");
    return 0;
  }
};

class DocView : public ::testing::Test {
protected:
  // One shown main frame for all: showing a top-level window under Wine takes a while.
  static void SetUpTestSuite() {
    test_app();
    frame = HostFrame::open();
  }
  static void TearDownTestSuite() { HostFrame::close(frame); }
  void SetUp() override {
    ASSERT_NE(frame, nullptr);
    tmpl = CMultiDocTemplate::Make<LogDoc, LogFrame, LogView>(110);
    calls.clear();
    LogDoc::failNew = false;
    LogFrame::wantRect = {};
  }
  void TearDown() override {
    ui_setresponder(nullptr);
    for (HWND child; (child = GetWindow(frame->m_hWndMDIClient, GW_CHILD));)
      SendMessageA(frame->m_hWndMDIClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    pump();
    delete tmpl;
    EXPECT_EQ(docs_alive, 0);
  }
  static LogView *view_of(CDocument *doc, size_t i = 0) { return static_cast<LogView *>(doc->GetViews().at(i)); }
  static CFrameWnd *frame_of(CDocument *doc, size_t i = 0) { return doc->GetViews().at(i)->GetParentFrame(); }

  static inline HostFrame *frame = nullptr;
  CMultiDocTemplate *tmpl = nullptr;
};

TEST_F(DocView, NewDocumentIsMadeInTheFrameworkOrder) {
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  ASSERT_NE(doc, nullptr);
  const std::vector<std::string> want = {"doc constructor",  "frame constructor",      "frame PreCreateWindow",
                                         "view constructor", "view OnCreate (joined)", "OnNewDocument",
                                         "DeleteContents",   "OnInitialUpdate"};
  EXPECT_EQ(calls, want);

  ASSERT_EQ(doc->GetViews().size(), 1u);
  LogView *view = view_of(doc);
  CFrameWnd *child = frame_of(doc);
  EXPECT_EQ(view->GetDocument(), doc);
  EXPECT_EQ(child->GetActiveView(), view);
  EXPECT_EQ(::GetParent(child->m_hWnd), frame->m_hWndMDIClient);
  EXPECT_EQ(frame->MDIGetActive(), child);
  EXPECT_EQ(frame->GetActiveView(), view);
  EXPECT_EQ(tmpl->GetDocuments(), std::vector<CDocument *>{doc});
  // The view fills its frame's client area; the frame has no title of its own.
  RECT fc, vc;
  ::GetClientRect(child->m_hWnd, &fc);
  ::GetClientRect(view->m_hWnd, &vc);
  EXPECT_EQ(vc.right, fc.right);
  EXPECT_EQ(vc.bottom, fc.bottom);
  EXPECT_EQ(GetWindowTextLengthA(child->m_hWnd), 0);
  EXPECT_EQ(GetWindowLongA(child->m_hWnd, GWL_STYLE) & (FWS_ADDTOTITLE | FWS_PREFIXTITLE), 0);
}

TEST_F(DocView, PreCreateWindowPlacesTheChildFrame) {
  LogFrame::wantRect = {20, 30, 420, 330};
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  ASSERT_NE(doc, nullptr);
  RECT r;
  GetWindowRect(frame_of(doc)->m_hWnd, &r);
  MapWindowPoints(nullptr, frame->m_hWndMDIClient, reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
}

TEST_F(DocView, ClosingTheLastViewDeletesTheDocument) {
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  ASSERT_NE(doc, nullptr);
  CFrameWnd *second = tmpl->CreateNewFrame(doc, nullptr);
  ASSERT_NE(second, nullptr);
  tmpl->InitialUpdateFrame(second, doc);
  ASSERT_EQ(doc->GetViews().size(), 2u);
  EXPECT_EQ(docs_alive, 1);

  calls.clear();
  frame_of(doc, 0)->DestroyWindow();
  EXPECT_EQ(docs_alive, 1);
  ASSERT_EQ(doc->GetViews().size(), 1u);
  EXPECT_EQ(doc->GetViews()[0]->GetParentFrame(), second);

  second->DestroyWindow();
  EXPECT_EQ(docs_alive, 0);
  EXPECT_TRUE(tmpl->GetDocuments().empty());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "doc destructor"), calls.end());
  EXPECT_EQ(GetWindow(frame->m_hWndMDIClient, GW_CHILD), nullptr);
}

TEST_F(DocView, CloseAsksToSaveOnlyForTheLastFrameOfAModifiedDocument) {
  std::vector<UINT> asked;
  int answer = IDCANCEL;
  ui_setresponder([&](const UiQuestion &q) {
    asked.push_back(q.flags & 0xF);
    return answer;
  });
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  CFrameWnd *second = tmpl->CreateNewFrame(doc, nullptr);
  tmpl->InitialUpdateFrame(second, doc);
  doc->SetModifiedFlag(TRUE);

  second->SendMessage(WM_CLOSE); // another frame shows it: no question
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(doc->GetViews().size(), 1u);

  CFrameWnd *last = frame_of(doc);
  last->SendMessage(WM_CLOSE); // cancelled: everything stays
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], UINT(MB_YESNOCANCEL));
  EXPECT_EQ(docs_alive, 1);
  EXPECT_TRUE(IsWindow(last->m_hWnd));

  answer = IDYES;
  calls.clear();
  last->SendMessage(WM_CLOSE);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(calls.front(), "OnSaveDocument (none)");
  EXPECT_EQ(docs_alive, 0);
}

TEST_F(DocView, FailedOpenOrNewLeavesNothingBehind) {
  std::vector<std::string> texts;
  ui_setresponder([&](const UiQuestion &q) {
    texts.push_back(q.text);
    return IDOK;
  });
  EXPECT_EQ(tmpl->OpenDocumentFile("c:\\no-such-folder\\missing.ksl"), nullptr);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("missing.ksl"), std::string::npos);

  LogDoc::failNew = true;
  EXPECT_EQ(tmpl->OpenDocumentFile(nullptr), nullptr);
  EXPECT_EQ(docs_alive, 0);
  EXPECT_TRUE(tmpl->GetDocuments().empty());
  EXPECT_EQ(GetWindow(frame->m_hWndMDIClient, GW_CHILD), nullptr);
}

TEST_F(DocView, UpdateAllViewsPassesTheHintToTheOthers) {
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  tmpl->InitialUpdateFrame(tmpl->CreateNewFrame(doc, nullptr), doc);
  LogView *a = view_of(doc, 0), *b = view_of(doc, 1);
  a->updates.clear(), b->updates.clear();
  CObject hintObject;
  doc->UpdateAllViews(a, 1, &hintObject);
  EXPECT_TRUE(a->updates.empty());
  ASSERT_EQ(b->updates.size(), 1u);
  EXPECT_EQ(b->updates[0].sender, a);
  EXPECT_EQ(b->updates[0].hint, 1);
  EXPECT_EQ(b->updates[0].obj, &hintObject);
}

TEST_F(DocView, PaintPreparesTheContextAndShowsThePaintStructure) {
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  LogView *view = view_of(doc);
  RECT part = {5, 6, 25, 16};
  ValidateRect(view->m_hWnd, nullptr);
  InvalidateRect(view->m_hWnd, &part, FALSE);
  UpdateWindow(view->m_hWnd);
  ASSERT_NE(view->drawnOn, nullptr);
  EXPECT_TRUE(view->drawnPrepared);
  EXPECT_TRUE(view->sawPaint);
  EXPECT_EQ(view->paintRect.left, 5);
  EXPECT_EQ(view->paintRect.bottom, 16);
  EXPECT_EQ(view->GetPaintStruct(), nullptr);
}

TEST_F(DocView, CommandsReachTheActiveViewAndItsDocument) {
  CDocument *doc = tmpl->OpenDocumentFile(nullptr);
  ASSERT_NE(doc, nullptr);
  calls.clear();
  frame->SendMessage(WM_COMMAND, 4710);
  frame->SendMessage(WM_COMMAND, 4711);
  EXPECT_EQ(calls, (std::vector<std::string>{"view command", "doc command"}));
}

TEST_F(DocView, ChildActivationKeepsTheFrameMenu) {
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "File");
  SetMenu(frame->m_hWnd, bar);
  CDocument *one = tmpl->OpenDocumentFile(nullptr);
  CDocument *two = tmpl->OpenDocumentFile(nullptr);
  SendMessageA(frame->m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame_of(one)->m_hWnd), 0);
  SendMessageA(frame->m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame_of(two)->m_hWnd), 0);
  EXPECT_EQ(GetMenu(frame->m_hWnd), bar);
  SetMenu(frame->m_hWnd, nullptr);
  DestroyMenu(bar);
}

} // namespace
