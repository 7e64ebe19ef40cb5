// OLE documents in one process: the document as the stream "Contents" of a compound
// file, its item list, bad files, the server registration entries, the OLE lock
// count, and a server document driven through its own interfaces.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/appole.h"
#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/except.h"
#include "framework/oledoc.h"
#include "framework/olefile.h"
#include "framework/oleinit.h"
#include "framework/olesrv.h"
#include "framework/winapp.h"
#include "framework/wnd.h"
#include "settings/answers.h"

namespace {

CWinApp &app() {
  static CWinApp a("InkOleDocTest");
  return a;
}

std::string tempPath(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::wstring wide(const std::string &s) { return std::wstring(s.begin(), s.end()); }

// Message boxes are answered OK and remembered.
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

// A stored item of a document's list.
class NoteItem : public CDocItem {
  DECLARE_SERIAL(NoteItem)
public:
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_note;
    else
      ar >> m_note;
  }
  CString m_note;
};
IMPLEMENT_SERIAL(NoteItem, CDocItem, 1)

// Not stored with the list.
class BlankItem : public CDocItem {
public:
  BOOL IsBlank() const override { return TRUE; }
};

class TextDoc : public COleDocument {
public:
  TextDoc() { m_bAutoDelete = FALSE; }
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_text;
    else
      ar >> m_text;
    COleDocument::Serialize(ar);
  }
  void DeleteContents() override { m_text.Empty(); }
  CString m_text;
};

std::vector<unsigned char> streamBytes(const std::string &file, const wchar_t *name) {
  std::vector<unsigned char> bytes;
  IStorage *stg = nullptr;
  if (FAILED(StgOpenStorage(wide(file).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg)))
    return bytes;
  IStream *s = nullptr;
  if (SUCCEEDED(stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s))) {
    unsigned char buf[512];
    ULONG n = 0;
    while (s->Read(buf, sizeof buf, &n) == S_OK && n > 0)
      bytes.insert(bytes.end(), buf, buf + n);
    s->Release();
  }
  stg->Release();
  return bytes;
}

class OleDocTest : public ::testing::Test {
protected:
  void SetUp() override {
    app();
    ASSERT_TRUE(AfxOleInit());
  }
};

TEST_F(OleDocTest, DocumentAndItemsRoundTripThroughContentsStream) {
  const std::string path = tempPath("oledoc_round.stg");
  DeleteFileA(path.c_str());
  {
    TextDoc doc;
    doc.EnableCompoundFile();
    doc.m_text = "図面 text";
    auto *a = new NoteItem;
    a->m_note = "first";
    doc.AddItem(a);
    doc.AddItem(new BlankItem);
    auto *b = new NoteItem;
    b->m_note = "second";
    doc.AddItem(b);
    doc.SetModifiedFlag(TRUE);
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    EXPECT_FALSE(doc.IsModified());
  }
  // Text, then the count of stored (non-blank) items, then the items with one class record.
  const std::vector<unsigned char> bytes = streamBytes(path, L"Contents");
  const std::string text = "図面 text";
  ASSERT_GT(bytes.size(), text.size() + 5);
  EXPECT_EQ(bytes[0], text.size());
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 1 + long(text.size())), text);
  const size_t at = 1 + text.size();
  EXPECT_EQ(bytes[at], 2);
  EXPECT_EQ(bytes[at + 1], 0);
  EXPECT_EQ(bytes[at + 4], 0xFF); // new class tag
  EXPECT_EQ(bytes[at + 5], 0xFF);

  TextDoc back;
  back.EnableCompoundFile();
  ASSERT_TRUE(back.OnOpenDocument(path.c_str()));
  EXPECT_EQ(std::string(back.m_text.GetString()), text);
  ASSERT_EQ(back.GetItems().size(), 2u);
  size_t pos = 0;
  auto *first = dynamic_cast<NoteItem *>(back.GetNextItem(pos));
  auto *second = dynamic_cast<NoteItem *>(back.GetNextItem(pos));
  ASSERT_TRUE(first && second);
  EXPECT_STREQ(first->m_note.GetString(), "first");
  EXPECT_STREQ(second->m_note.GetString(), "second");
  EXPECT_EQ(first->GetDocument(), &back);
  EXPECT_EQ(back.GetNextItem(pos), nullptr);
  pos = 0;
  EXPECT_EQ(back.GetNextServerItem(pos), nullptr);
  DeleteFileA(path.c_str());
}

TEST_F(OleDocTest, BadFilesFailWithAMessageAndKeepTheDocument) {
  const std::string noContents = tempPath("oledoc_nocontents.stg");
  {
    IStorage *stg = nullptr;
    ASSERT_EQ(StgCreateDocfile(wide(noContents).c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &stg),
              S_OK);
    stg->Release();
  }
  const std::string plain = tempPath("oledoc_plain.txt");
  {
    FILE *f = std::fopen(plain.c_str(), "wb");
    std::fputs("not a compound file", f);
    std::fclose(f);
  }
  const std::string truncated = tempPath("oledoc_truncated.stg");
  {
    IStorage *stg = nullptr;
    ASSERT_EQ(StgCreateDocfile(wide(truncated).c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &stg),
              S_OK);
    IStream *s = nullptr;
    ASSERT_EQ(stg->CreateStream(L"Contents", STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, &s), S_OK);
    const unsigned char cut[] = {20, 'a', 'b'}; // a string of 20 bytes with 2 there
    s->Write(cut, sizeof cut, nullptr);
    s->Release();
    stg->Commit(STGC_DEFAULT);
    stg->Release();
  }
  const std::string missing = tempPath("oledoc_missing_file.stg");
  DeleteFileA(missing.c_str());
  for (const std::string &path : {noContents, plain, truncated, missing}) {
    SCOPED_TRACE(path);
    Boxes boxes;
    TextDoc doc;
    doc.EnableCompoundFile();
    EXPECT_FALSE(doc.OnOpenDocument(path.c_str()));
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(doc.m_lpRootStg, nullptr);
  }
  // The file that could not be read is still there, unchanged.
  EXPECT_EQ(GetFileAttributesA(plain.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  DeleteFileA(noContents.c_str());
  DeleteFileA(plain.c_str());
  DeleteFileA(truncated.c_str());
}

TEST_F(OleDocTest, UserExceptionsAreSilentOthersAreTold) {
  TextDoc doc;
  {
    Boxes boxes;
    CKLException user(1, 0);
    doc.ReportSaveLoadException("x.stg", &user, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    EXPECT_TRUE(boxes.texts.empty());
  }
  {
    Boxes boxes;
    COleException ole(STG_E_FILENOTFOUND);
    doc.ReportSaveLoadException("x.stg", &ole, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    ASSERT_EQ(boxes.texts.size(), 1u);
  }
}

// ---------------------------------------------------------------- registry

std::map<std::string, std::string> dumpKey(HKEY root, const std::string &path) {
  std::map<std::string, std::string> out;
  HKEY h;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return out;
  char name[256], data[512];
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name, d = sizeof data, type = 0;
    if (RegEnumValueA(h, i, name, &n, nullptr, &type, reinterpret_cast<BYTE *>(data), &d) != ERROR_SUCCESS)
      break;
    out[path + "|" + name] = std::string(data, d ? d - 1 : 0);
  }
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    for (auto &kv : dumpKey(root, path + "\\" + name))
      out.insert(kv);
  }
  RegCloseKey(h);
  return out;
}

TEST(OleRegistry, AppEntriesMatchTheTableAndStayTheSameWhenWrittenAgain) {
  const char *base = "Software\\InkForgeTest\\Classes";
  RegDeleteTreeA(HKEY_CURRENT_USER, base);
  HKEY root;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, base, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
            ERROR_SUCCESS);
  const char *exe = "C:\\Program Files\\inkforge\\inkforge.exe";
  ASSERT_TRUE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), exe, root));
  const std::string clsid = "CLSID\\{093D5B28-EC34-4880-847E-70145AAF3966}";
  const std::map<std::string, std::string> expected = {
      {clsid + "|", "KIVO LANT 図面"},
      {clsid + "\\LocalServer32|", "\"C:\\Program Files\\inkforge\\inkforge.exe\""},
      {clsid + "\\InprocHandler32|", "ole32.dll"},
      {clsid + "\\ProgID|", "KIVO-LANT"},
      {clsid + "\\Insertable|", ""},
      {clsid + "\\Verb\\0|", "編集(&E),0,2"},
      {clsid + "\\Verb\\1|", "開く(&O),0,2"},
      {clsid + "\\AuxUserType\\2|", "KIVO LANT"},
      {clsid + "\\AuxUserType\\3|", "KIVO LANT"},
      {clsid + "\\MiscStatus|", "32"},
      {clsid + "\\DefaultIcon|", "C:\\Program Files\\inkforge\\inkforge.exe,0"},
      {"KIVO-LANT|", "KIVO LANT 図面"},
      {"KIVO-LANT\\CLSID|", "{093D5B28-EC34-4880-847E-70145AAF3966}"},
      {"KIVO-LANT\\Insertable|", ""},
      // Seal files name the class (a file moniker finds it so); the document type
      // gets an open command.
      {".KSL|", "KIVO-LANT"},
      {"KIVO-LANT\\shell\\open\\command|", "\"C:\\Program Files\\inkforge\\inkforge.exe\" \"%1\""},
  };
  auto dump = [&] {
    std::map<std::string, std::string> got = dumpKey(root, "CLSID");
    for (const char *key : {"KIVO-LANT", ".KSL"})
      for (auto &kv : dumpKey(root, key))
        got.insert(kv);
    return got;
  };
  EXPECT_EQ(dump(), expected);
  // The document-type entries of the program replace the open command; writing the
  // class again keeps them.
  HKEY command;
  ASSERT_EQ(RegOpenKeyExA(root, "KIVO-LANT\\shell\\open\\command", 0, KEY_WRITE, &command), ERROR_SUCCESS);
  const char own[] = "inkforge.exe -e \"%1\"";
  RegSetValueExA(command, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(own), sizeof own);
  RegCloseKey(command);
  ASSERT_TRUE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), exe, root));
  std::map<std::string, std::string> again = expected;
  again["KIVO-LANT\\shell\\open\\command|"] = own;
  EXPECT_EQ(dump(), again);
  RegCloseKey(root);
  RegDeleteTreeA(HKEY_CURRENT_USER, base);
}

TEST(OleRegistry, RefusedWriteIsReportedAndStartGoesOn) {
  app();
  // Under a volatile key the registry refuses the (lasting) entries.
  const char *base = "Software\\InkForgeTestVolatile";
  RegDeleteTreeA(HKEY_CURRENT_USER, base);
  HKEY refusing;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, base, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &refusing, nullptr),
            ERROR_SUCCESS);
  EXPECT_FALSE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), "x.exe", refusing));
  COleTemplateServer server;
  server.ConnectTemplate(*GetAppClsid(), nullptr, FALSE);
  server.SetServerEntries(GetAppServerEntries());
  server.m_hRegistryRoot = refusing;
  Boxes boxes;
  EXPECT_FALSE(server.UpdateRegistry(OAT_SERVER));
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], AFX_TEXT_FAILED_TO_REGISTER);
  RegCloseKey(refusing);
  RegDeleteTreeA(HKEY_CURRENT_USER, base);
}

// ---------------------------------------------------------- lock and exit

TEST(OleLock, LastUnlockWithoutUserControlEndsTheProgram) {
  CWinApp &a = app();
  auto *main = new CWnd;
  ASSERT_TRUE(main->CreateEx(0, "STATIC", "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
  a.m_pMainWnd = main;
  HWND h = main->m_hWnd;
  const LONG before = AfxOleGetLockCount();
  AfxOleSetUserCtrl(FALSE);
  AfxOleLockApp();
  AfxOleLockApp();
  AfxOleUnlockApp();
  EXPECT_TRUE(IsWindow(h));
  AfxOleUnlockApp();
  EXPECT_EQ(AfxOleGetLockCount(), before);
  EXPECT_FALSE(IsWindow(h)); // destroyed: the program quits
  EXPECT_TRUE(AfxOleGetUserCtrl());
  MSG m;
  PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  a.m_pMainWnd = nullptr;

  // Under user control the program stays.
  auto *kept = new CWnd;
  ASSERT_TRUE(kept->CreateEx(0, "STATIC", "kept", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
  a.m_pMainWnd = kept;
  AfxOleLockApp();
  AfxOleUnlockApp();
  EXPECT_TRUE(IsWindow(kept->m_hWnd));
  ::DestroyWindow(kept->m_hWnd);
  PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  a.m_pMainWnd = nullptr;
}

// ---------------------------------------------- a server document in-process

class PlainDoc;
class PlainItem : public COleServerItem {
public:
  explicit PlainItem(COleServerDoc *doc) : COleServerItem(doc, TRUE) { m_sizeExtent = {3000, 2000}; }
  BOOL OnDraw(CDC *dc, SIZE &size) override {
    size = m_sizeExtent;
    dc->SetWindowOrg(0, 0);
    dc->SetWindowExt(size.cx, size.cy);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ old = dc->SelectObject(blue);
    dc->SelectObject(GetStockObject(NULL_PEN));
    dc->Rectangle(0, 0, size.cx + 1, size.cy + 1);
    dc->SelectObject(old);
    DeleteObject(blue);
    return TRUE;
  }
};

class PlainDoc : public COleServerDoc {
public:
  PlainDoc() { m_bAutoDelete = FALSE; }
  COleServerItem *OnGetEmbeddedItem() override { return new PlainItem(this); }
  void Serialize(CArchive &ar) override {
    if (ar.IsStoring())
      ar << m_text;
    else
      ar >> m_text;
  }
  void OnSetHostNames(const char *app, const char *obj) override { m_host = CString(app) + "|" + obj; }
  CString m_text = "plain";
  CString m_host;
};

IStorage *memoryStorage() {
  ILockBytes *bytes = nullptr;
  IStorage *stg = nullptr;
  if (SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) {
    StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &stg);
    bytes->Release();
  }
  return stg;
}

TEST_F(OleDocTest, ServerDocumentThroughItsInterfaces) {
  const CLSID clsid = {0x1234, 0x5678, 0x9abc, {1, 2, 3, 4, 5, 6, 7, 8}};
  PlainDoc doc;
  doc.SetFactory(nullptr, clsid);
  IOleObject *ole = nullptr;
  ASSERT_EQ(doc.GetInterface()->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&ole)), S_OK);
  IPersistStorage *persist = nullptr;
  ASSERT_EQ(ole->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist)), S_OK);
  IDataObject *data = nullptr;
  ASSERT_EQ(ole->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data)), S_OK);

  IStorage *stg = memoryStorage();
  ASSERT_NE(stg, nullptr);
  ASSERT_EQ(persist->InitNew(stg), S_OK);
  EXPECT_TRUE(doc.IsEmbedded());
  EXPECT_EQ(persist->IsDirty(), S_OK);
  EXPECT_EQ(ole->SetHostNames(L"Host", L"Obj"), S_OK);
  EXPECT_STREQ(doc.m_host.GetString(), "Host|Obj");

  SIZEL size{};
  ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(size.cx, 3000);
  SIZEL set{4000, 1000};
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &set), S_OK);
  ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(size.cx, 4000);
  EXPECT_EQ(size.cy, 1000);
  EXPECT_NE(ole->GetExtent(DVASPECT_ICON, &size), S_OK);

  // The metafile picture plays back blue over its whole extent.
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  STGMEDIUM m{};
  ASSERT_EQ(data->GetData(&fe, &m), S_OK);
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m.hMetaFilePict));
  EXPECT_EQ(pict->mm, MM_ANISOTROPIC);
  EXPECT_EQ(pict->xExt, 4000);
  EXPECT_EQ(pict->yExt, 1000);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 40, 10);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  RECT all{0, 0, 40, 10};
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetMapMode(mem, MM_ANISOTROPIC);
  SetViewportExtEx(mem, 40, 10, nullptr);
  PlayMetaFile(mem, pict->hMF);
  SetMapMode(mem, MM_TEXT);
  EXPECT_EQ(GetPixel(mem, 20, 5), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(mem, 38, 8), RGB(0, 0, 255));
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  GlobalUnlock(m.hMetaFilePict);
  ReleaseStgMedium(&m);
  FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);

  // Saved: class, user type and "Contents"; loaded into a new document.
  IStorage *saved = memoryStorage();
  doc.m_text = "saved text";
  ASSERT_EQ(persist->Save(saved, FALSE), S_OK);
  ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
  CLSID read = CLSID_NULL;
  ASSERT_EQ(ReadClassStg(saved, &read), S_OK);
  EXPECT_TRUE(IsEqualCLSID(read, clsid));
  IStream *contents = nullptr;
  EXPECT_EQ(saved->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents), S_OK);
  if (contents)
    contents->Release();

  PlainDoc other;
  other.SetFactory(nullptr, clsid);
  IPersistStorage *otherPersist = nullptr;
  ASSERT_EQ(other.GetInterface()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&otherPersist)), S_OK);
  ASSERT_EQ(otherPersist->Load(saved), S_OK);
  EXPECT_STREQ(other.m_text.GetString(), "saved text");
  EXPECT_FALSE(other.IsModified());

  // "Embed Source": the item stored in the document's place, with the class.
  {
    STGMEDIUM src{};
    doc.GetEmbeddedItem()->GetEmbedSourceData(&src);
    ASSERT_EQ(src.tymed, DWORD(TYMED_ISTORAGE));
    CLSID embedded = CLSID_NULL;
    EXPECT_EQ(ReadClassStg(src.pstg, &embedded), S_OK);
    EXPECT_TRUE(IsEqualCLSID(embedded, clsid));
    IStream *s = nullptr;
    ASSERT_EQ(src.pstg->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s), S_OK);
    char buf[32] = {};
    ULONG n = 0;
    s->Read(buf, sizeof buf, &n);
    s->Release();
    EXPECT_EQ(std::string(buf, n), std::string("\x0a"
                                               "saved text"));
    ReleaseStgMedium(&src);
    // "Object Descriptor": class and extent.
    STGMEDIUM od{};
    doc.GetEmbeddedItem()->GetObjectDescriptorData(nullptr, nullptr, &od);
    auto *d = static_cast<OBJECTDESCRIPTOR *>(GlobalLock(od.hGlobal));
    EXPECT_TRUE(IsEqualCLSID(d->clsid, clsid));
    EXPECT_EQ(d->sizel.cx, 4000);
    EXPECT_EQ(d->sizel.cy, 1000);
    EXPECT_LE(SIZE_T(d->cbSize), GlobalSize(od.hGlobal));
    GlobalUnlock(od.hGlobal);
    ReleaseStgMedium(&od);
  }

  // A storage without "Contents" is refused with the storage's error, no message.
  Boxes boxes;
  IStorage *empty = memoryStorage();
  PlainDoc third;
  IPersistStorage *thirdPersist = nullptr;
  ASSERT_EQ(third.GetInterface()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&thirdPersist)), S_OK);
  EXPECT_EQ(thirdPersist->Load(empty), STG_E_FILENOTFOUND);
  EXPECT_TRUE(boxes.texts.empty());

  // Unknown verbs are refused.
  EXPECT_EQ(ole->DoVerb(7, nullptr, nullptr, 0, nullptr, nullptr), OLEOBJ_S_INVALIDVERB);

  thirdPersist->Release();
  otherPersist->Release();
  empty->Release();
  saved->Release();
  stg->Release();
  data->Release();
  persist->Release();
  ole->Release();
}

struct Sink : IAdviseSink {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  void STDMETHODCALLTYPE OnDataChange(FORMATETC *, STGMEDIUM *) override { changes++; }
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker *) override {}
  void STDMETHODCALLTYPE OnSave() override { saves++; }
  void STDMETHODCALLTYPE OnClose() override { closes++; }
  ULONG refs = 1;
  int changes = 0, saves = 0, closes = 0;
};

class CountedDoc : public PlainDoc {
public:
  explicit CountedDoc(bool *gone) : m_gone(gone) { m_bAutoDelete = TRUE; }
  ~CountedDoc() override { *m_gone = true; }
  bool *m_gone;
};

TEST_F(OleDocTest, CloseTellsTheSinksAndTheDocumentGoesWithItsLastReference) {
  bool gone = false;
  auto *doc = new CountedDoc(&gone);
  doc->m_bCloseOnRelease = TRUE;
  IOleObject *ole = nullptr;
  ASSERT_EQ(doc->GetInterface()->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&ole)), S_OK);
  IDataObject *data = nullptr;
  ASSERT_EQ(ole->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data)), S_OK);
  IStorage *stg = memoryStorage();
  IPersistStorage *persist = nullptr;
  ASSERT_EQ(ole->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist)), S_OK);
  ASSERT_EQ(persist->InitNew(stg), S_OK);
  Sink sink;
  DWORD oleConnection = 0, dataConnection = 0;
  ASSERT_EQ(ole->Advise(&sink, &oleConnection), S_OK);
  FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  ASSERT_EQ(data->DAdvise(&fe, ADVF_NODATA, &sink, &dataConnection), S_OK);
  doc->NotifyChanged();
  EXPECT_EQ(sink.changes, 1);
  ASSERT_EQ(persist->Save(stg, TRUE), S_OK);
  ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
  EXPECT_EQ(sink.saves, 1);
  EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_EQ(sink.closes, 1);
  EXPECT_FALSE(gone);       // the container still holds it
  EXPECT_EQ(sink.refs, 1u); // the holders let go of the sink
  persist->Release();
  data->Release();
  ole->Release();
  EXPECT_TRUE(gone);
  stg->Release();
}

} // namespace
