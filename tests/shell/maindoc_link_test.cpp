// Links to drawings in the started editor: a drawing the engine opened has no path, so
// its copies offer no link; a document saved under a path runs under it (and under the
// next name after a save under a new name, and no longer once closed), its copies carry
// "Link Source" naming file, part and class, and the file!part moniker, bound here or
// by olectr in another process, reaches a linked item presenting that part.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/store.h"
#include "display/viewtbl.h"
#include "files/filecmd.h"
#include "framework/appole.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "settings/answers.h"
#include "shell/app.h"
#include "shell/appsvc.h"
#include "shell/docview.h"
#include "shell/srvritem.h"
#include "../common/editorpump.h"

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

} // namespace
