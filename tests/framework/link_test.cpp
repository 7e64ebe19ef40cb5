// Linking to a document: a document with a path is registered in the running object
// table under its file moniker (and follows a save under a new name), its items are
// found by name through its item container, a copy carries "Link Source" naming file,
// item and class, and another process (olectr) binds file and file!item monikers.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/doctempl.h"
#include "framework/oledata.h"
#include "framework/oledoc.h"
#include "framework/oleinit.h"
#include "framework/olesrv.h"
#include "framework/winapp.h"
#include "settings/answers.h"

namespace {

CWinApp &app() {
  static CWinApp a("InkLinkTest");
  return a;
}

// Not registered with COM: a file moniker of a document that no longer runs finds nothing.
const CLSID kClass = {0x5b1e7a31, 0x2c4d, 0x4f0e, {0x9a, 0x61, 0x0c, 0x33, 0x7d, 0x18, 0x42, 0xe5}};

std::string tempPath(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::wstring wide(const std::string &s) { return std::wstring(s.begin(), s.end()); }

std::string narrow(const wchar_t *w) {
  std::string s;
  for (; w && *w; ++w)
    s += char(*w);
  return s;
}

struct Boxes {
  std::vector<std::string> texts;
  Boxes() {
    ui_setresponder([this](const UiQuestion &q) {
      texts.push_back(q.text ? q.text : "");
      return IDOK;
    });
  }
  ~Boxes() { ui_setresponder(nullptr); }
};

// A part of the document named "<cx>,<cy>": its extent.
class PartItem : public COleServerItem {
public:
  PartItem(COleServerDoc *doc, SIZE extent) : COleServerItem(doc, TRUE) { m_sizeExtent = extent; }
  BOOL OnDraw(CDC *, SIZE &size) override {
    size = m_sizeExtent;
    return TRUE;
  }
};

class LinkDoc : public COleServerDoc {
public:
  LinkDoc() {
    m_bAutoDelete = FALSE;
    EnableCompoundFile();
  }
  COleServerItem *OnGetEmbeddedItem() override { return new PartItem(this, SIZE{7000, 5000}); }
  COleServerItem *OnGetLinkedItem(const char *name) override {
    if (COleServerItem *item = COleServerDoc::OnGetLinkedItem(name))
      return item;
    long cx = 0, cy = 0;
    char rest = 0;
    if (std::sscanf(name, "%ld,%ld%c", &cx, &cy, &rest) != 2 || cx <= 0 || cy <= 0)
      return nullptr;
    auto *item = new PartItem(this, SIZE{cx, cy});
    item->SetItemName(name);
    return item;
  }
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_text;
    else
      ar >> m_text;
  }
  size_t ItemCount() const { return GetItems().size(); }
  CString m_text = "linked";
};

IMoniker *fileMoniker(const std::string &path) {
  IMoniker *m = nullptr;
  CreateFileMoniker(wide(path).c_str(), &m);
  return m;
}

bool running(const std::string &path) {
  IRunningObjectTable *rot = nullptr;
  if (FAILED(GetRunningObjectTable(0, &rot)))
    return false;
  IMoniker *m = fileMoniker(path);
  const bool yes = m && rot->IsRunning(m) == S_OK;
  if (m)
    m->Release();
  rot->Release();
  return yes;
}

std::string displayName(IMoniker *m) {
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

// The moniker and class of a "Link Source" stream.
bool readLinkSource(IStream *stream, std::string &name, CLSID &clsid) {
  const LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  IMoniker *m = nullptr;
  if (FAILED(OleLoadFromStream(stream, IID_IMoniker, reinterpret_cast<void **>(&m))) || !m)
    return false;
  name = displayName(m);
  m->Release();
  return SUCCEEDED(ReadClassStm(stream, &clsid));
}

struct Outcome {
  DWORD code = 999;
  std::string out;
};

// Runs olectr and serves our OLE calls and clipboard while it runs.
Outcome olectr(const std::string &args) {
  Outcome r;
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  const std::string outPath = tempPath("olectr_link_out.txt");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  std::string cmd = "\"" + dir + INK_OLECTR + "\" " + args;
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
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
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

// The test's server: a template whose documents the factory serves.
class Server : public COleTemplateServer {
public:
  Server() : tmpl(0, nullptr, nullptr, nullptr) { ConnectTemplate(kClass, &tmpl, FALSE); }
  CMultiDocTemplate tmpl;
};

class LinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    app();
    ASSERT_TRUE(AfxOleInit());
    for (const std::string &p : paths)
      DeleteFileA(p.c_str());
  }
  void TearDown() override {
    for (const std::string &p : paths)
      DeleteFileA(p.c_str());
  }
  // A document of the server's template.
  void attach(LinkDoc &doc) { server.tmpl.AddDocument(&doc); }
  Server server;
  const std::vector<std::string> paths = {tempPath("link_a.lnd"), tempPath("link_b.lnd"), tempPath("link_c.lnd")};
};

TEST_F(LinkTest, ADocumentRunsUnderItsPathAndFollowsASaveUnderANewName) {
  const std::string &a = paths[0], &b = paths[1], &c = paths[2];
  LinkDoc doc;
  attach(doc);
  ASSERT_TRUE(doc.OnNewDocument());
  // Without a path: the class is known, nothing runs, no moniker.
  EXPECT_TRUE(IsEqualCLSID(doc.GetClassID(), kClass));
  EXPECT_FALSE(doc.IsRegistered());
  EXPECT_EQ(doc.GetMoniker(OLEGETMONIKER_TEMPFORUSER), nullptr);

  ASSERT_TRUE(doc.OnSaveDocument(a.c_str()));
  doc.SetPathName(a.c_str());
  EXPECT_TRUE(running(a));
  EXPECT_STREQ(doc.GetMonikerName().GetString(), a.c_str());
  // The table holds the document's item container.
  {
    IRunningObjectTable *rot = nullptr;
    ASSERT_EQ(GetRunningObjectTable(0, &rot), S_OK);
    IMoniker *m = fileMoniker(a);
    IUnknown *found = nullptr;
    ASSERT_EQ(rot->GetObject(m, &found), S_OK);
    IOleItemContainer *container = nullptr;
    EXPECT_EQ(found->QueryInterface(IID_IOleItemContainer, reinterpret_cast<void **>(&container)), S_OK);
    IOleObject *object = nullptr;
    EXPECT_EQ(found->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&object)), S_OK);
    if (object)
      object->Release();
    if (container)
      container->Release();
    found->Release();
    m->Release();
    rot->Release();
  }

  // Saved under a new name: found there only.
  ASSERT_TRUE(doc.OnSaveDocument(b.c_str()));
  doc.SetPathName(b.c_str());
  EXPECT_FALSE(running(a));
  EXPECT_TRUE(running(b));
  // A copy saved elsewhere does not move the document.
  doc.m_bRemember = FALSE;
  ASSERT_TRUE(doc.OnSaveDocument(c.c_str()));
  EXPECT_TRUE(running(b));
  EXPECT_FALSE(running(c));
  // Saved again in place: still there.
  doc.m_bRemember = TRUE;
  ASSERT_TRUE(doc.OnSaveDocument(b.c_str()));
  EXPECT_TRUE(running(b));

  doc.OnCloseDocument();
  EXPECT_FALSE(running(b));
}

TEST_F(LinkTest, AnOpenedDocumentRunsUnderItsPathAndASecondClaimIsRefused) {
  const std::string &b = paths[1];
  {
    LinkDoc made;
    ASSERT_TRUE(made.OnSaveDocument(b.c_str()));
    made.OnCloseDocument();
  }
  Boxes boxes;
  LinkDoc first, second;
  attach(first);
  attach(second);
  ASSERT_TRUE(first.OnOpenDocument(b.c_str()));
  EXPECT_TRUE(first.IsRegistered());
  EXPECT_TRUE(running(b));
  EXPECT_TRUE(boxes.texts.empty());
  // Another document claiming the same name: the first keeps it, the user is told.
  EXPECT_FALSE(second.RegisterIfServerAttached(b.c_str(), TRUE));
  EXPECT_FALSE(second.IsRegistered());
  EXPECT_EQ(boxes.texts, std::vector<std::string>{AFX_TEXT_FAILED_TO_NOTIFY});
  EXPECT_TRUE(running(b));
  // Closed: gone from the table.
  first.OnCloseDocument();
  EXPECT_FALSE(running(b));
  second.OnCloseDocument();
}

TEST_F(LinkTest, ADocumentOfNoServerIsNeverRegistered) {
  LinkDoc doc; // in no template
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_TRUE(doc.OnSaveDocument(paths[0].c_str()));
  EXPECT_FALSE(doc.IsRegistered());
  EXPECT_FALSE(running(paths[0]));
  doc.OnCloseDocument();
}

TEST_F(LinkTest, TheItemContainerFindsItemsByName) {
  LinkDoc doc;
  attach(doc);
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_TRUE(doc.OnSaveDocument(paths[0].c_str()));
  IOleItemContainer *container = doc.GetContainer();
  const size_t before = doc.ItemCount();

  struct Case {
    const wchar_t *name;
    HRESULT result;
    LONG cx, cy;
  } cases[] = {
      {L"3000,2000", S_OK, 3000, 2000},
      {L"40,50", S_OK, 40, 50},
      {L"nothing", MK_E_NOOBJECT, 0, 0},
      {L"", MK_E_NOOBJECT, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(narrow(c.name));
    EXPECT_EQ(container->IsRunning(const_cast<LPOLESTR>(c.name)), c.result == S_OK ? S_OK : MK_E_NOOBJECT);
    IOleObject *object = nullptr;
    ASSERT_EQ(container->GetObject(const_cast<LPOLESTR>(c.name), BINDSPEED_INDEFINITE, nullptr, IID_IOleObject,
                                   reinterpret_cast<void **>(&object)),
              c.result);
    if (c.result != S_OK) {
      EXPECT_EQ(object, nullptr);
      continue;
    }
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, c.cx);
    EXPECT_EQ(size.cy, c.cy);
    CLSID clsid = CLSID_NULL;
    EXPECT_EQ(object->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClass));
    // The part a link names keeps its size.
    SIZEL other{1, 1};
    EXPECT_NE(object->SetExtent(DVASPECT_CONTENT, &other), S_OK);
    // Its moniker: the file's, joined with the item's name.
    IMoniker *full = nullptr;
    ASSERT_EQ(object->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_OBJFULL, &full), S_OK);
    EXPECT_EQ(displayName(full), paths[0] + "!" + narrow(c.name));
    full->Release();
    // The item lives while a link holds it, the same item for the same name.
    EXPECT_EQ(doc.ItemCount(), before + 1);
    IOleObject *again = nullptr;
    ASSERT_EQ(container->GetObject(const_cast<LPOLESTR>(c.name), BINDSPEED_INDEFINITE, nullptr, IID_IOleObject,
                                   reinterpret_cast<void **>(&again)),
              S_OK);
    EXPECT_EQ(again, object);
    EXPECT_EQ(doc.ItemCount(), before + 1);
    again->Release();
    object->Release();
    EXPECT_EQ(doc.ItemCount(), before);
  }
  // IsRunning made items nobody holds: they go with the document.

  // Display names: a delimiter, then the name to the end (names may hold delimiters).
  struct Parse {
    const wchar_t *text;
    HRESULT result;
    const char *shown;
  } parses[] = {
      {L"!3000,2000", S_OK, "!3000,2000"},
      {L"3000,2000", S_OK, "!3000,2000"},
      {L"!nothing", MK_E_NOOBJECT, nullptr},
      {L"!", MK_E_SYNTAX, nullptr},
  };
  for (const Parse &p : parses) {
    SCOPED_TRACE(narrow(p.text));
    IMoniker *m = nullptr;
    ULONG eaten = 99;
    ASSERT_EQ(container->ParseDisplayName(nullptr, const_cast<LPOLESTR>(p.text), &eaten, &m), p.result);
    if (p.result != S_OK) {
      EXPECT_EQ(m, nullptr);
      EXPECT_EQ(eaten, 0u);
      continue;
    }
    EXPECT_EQ(eaten, ULONG(wcslen(p.text)));
    EXPECT_EQ(displayName(m), p.shown);
    m->Release();
  }

  // A file moniker joined with an item moniker binds to the item in the running document.
  {
    IMoniker *file = fileMoniker(paths[0]), *item = nullptr, *full = nullptr;
    ASSERT_EQ(CreateItemMoniker(L"!", L"640,480", &item), S_OK);
    ASSERT_EQ(CreateGenericComposite(file, item, &full), S_OK);
    IBindCtx *ctx = nullptr;
    ASSERT_EQ(CreateBindCtx(0, &ctx), S_OK);
    IOleObject *object = nullptr;
    HRESULT hr = full->BindToObject(ctx, nullptr, IID_IOleObject, reinterpret_cast<void **>(&object));
    // Wine's composite looks only in the running object table: the documented next step
    // binds the item with the file to its left.
    if (hr == E_INVALIDARG)
      hr = item->BindToObject(ctx, file, IID_IOleObject, reinterpret_cast<void **>(&object));
    ASSERT_EQ(hr, S_OK);
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 640);
    EXPECT_EQ(size.cy, 480);
    object->Release();
    // The file moniker alone: the document's own object.
    ASSERT_EQ(file->BindToObject(ctx, nullptr, IID_IOleObject, reinterpret_cast<void **>(&object)), S_OK);
    EXPECT_EQ(object, doc.GetInterface());
    object->Release();
    ctx->Release();
    full->Release();
    item->Release();
    file->Release();
  }
  doc.OnCloseDocument();
}

TEST_F(LinkTest, ACopyCarriesTheLinkOnlyWhenTheDocumentHasAMoniker) {
  LinkDoc doc;
  attach(doc);
  ASSERT_TRUE(doc.OnNewDocument());
  COleServerItem *embedded = doc.GetEmbeddedItem();
  ASSERT_TRUE(embedded);
  STGMEDIUM m{};
  // No path, no moniker: no link.
  EXPECT_FALSE(embedded->GetLinkSourceData(&m));
  auto offers = [](COleDataSource *source, CLIPFORMAT cf) {
    FORMATETC f{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
    return source->GetDataObject()->QueryGetData(&f) == S_OK;
  };
  COleDataSource *copy = embedded->OnGetClipboardData(TRUE, nullptr, nullptr);
  EXPECT_FALSE(offers(copy, COleServerItem::cfLinkSource));
  EXPECT_TRUE(offers(copy, COleServerItem::cfObjectDescriptor));
  copy->InternalRelease();

  ASSERT_TRUE(doc.OnSaveDocument(paths[0].c_str()));
  struct Case {
    const char *item; // null: the embedded item, which has no name
    std::string shown;
  } cases[] = {{nullptr, paths[0]}, {"1200,900", paths[0] + "!1200,900"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.item ? c.item : "embedded");
    COleServerItem *item = c.item ? doc.OnGetLinkedItem(c.item) : embedded;
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->GetLinkSourceData(&m));
    ASSERT_EQ(m.tymed, DWORD(TYMED_ISTREAM));
    std::string name;
    CLSID clsid = CLSID_NULL;
    ASSERT_TRUE(readLinkSource(m.pstm, name, clsid));
    EXPECT_EQ(name, c.shown);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClass));
    ReleaseStgMedium(&m);

    copy = item->OnGetClipboardData(TRUE, nullptr, nullptr);
    EXPECT_TRUE(offers(copy, COleServerItem::cfLinkSource));
    EXPECT_TRUE(offers(copy, COleServerItem::cfLinkSourceDescriptor));
    copy->InternalRelease();
    // Asked without the link: none.
    copy = item->OnGetClipboardData(FALSE, nullptr, nullptr);
    EXPECT_FALSE(offers(copy, COleServerItem::cfLinkSource));
    copy->InternalRelease();
  }
  doc.OnCloseDocument();
}

TEST_F(LinkTest, AnotherProcessBindsTheFileAndItsParts) {
  LinkDoc doc;
  attach(doc);
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_TRUE(doc.OnSaveDocument(paths[0].c_str()));
  const std::string cls = AfxStringFromCLSID(kClass).GetString();

  Outcome part = olectr("bind \"" + paths[0] + "\" 3000,2000");
  EXPECT_EQ(part.code, 0u) << part.out;
  EXPECT_NE(part.out.find("extent 3000 2000"), std::string::npos) << part.out;
  EXPECT_NE(part.out.find("class " + cls), std::string::npos) << part.out;

  Outcome whole = olectr("bind \"" + paths[0] + "\"");
  EXPECT_EQ(whole.code, 0u) << whole.out;
  EXPECT_NE(whole.out.find("extent 7000 5000"), std::string::npos) << whole.out;

  Outcome none = olectr("bind \"" + paths[0] + "\" nothing");
  EXPECT_EQ(none.code, 3u) << none.out;

  // The copy on the clipboard: its link names the part and binds to it.
  COleServerItem *item = doc.OnGetLinkedItem("1200,900");
  ASSERT_TRUE(item);
  COleDataSource *copy = item->OnGetClipboardData(TRUE, nullptr, nullptr);
  copy->SetClipboard();
  Outcome link = olectr("link");
  EXPECT_EQ(link.code, 0u) << link.out;
  EXPECT_NE(link.out.find("class " + cls), std::string::npos) << link.out;
  EXPECT_NE(link.out.find("!1200,900"), std::string::npos) << link.out;
  EXPECT_NE(link.out.find("extent 1200 900"), std::string::npos) << link.out;
  OleSetClipboard(nullptr);

  // Closed: nothing runs under the file any more.
  doc.OnCloseDocument();
  Outcome closed = olectr("bind \"" + paths[0] + "\" 3000,2000");
  EXPECT_EQ(closed.code, 3u) << closed.out;
}

} // namespace
