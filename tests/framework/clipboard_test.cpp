// The OLE clipboard as another process sees it: olectr, a second process under the
// same Wine prefix and display, lists and fetches what our data source offers,
// before and after the flush, and puts pictures that we read back.
#include <gtest/gtest.h>

#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/metadc.h"
#include "framework/oledata.h"
#include "framework/oleinit.h"

namespace {

std::string tempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::vector<unsigned char> readAll(const std::string &path) {
  std::vector<unsigned char> out;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      out.insert(out.end(), buf, buf + n);
    std::fclose(f);
  }
  return out;
}

struct Outcome {
  DWORD code = 999;
  std::string out;
};

// Runs olectr and serves our clipboard window and OLE calls while it runs.
Outcome olectr(const std::string &args) {
  Outcome r;
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  std::string outPath = tempFile("olectr_out.txt");
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
  DWORD start = GetTickCount();
  for (;;) {
    DWORD w = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 500, QS_ALLINPUT);
    if (w == WAIT_OBJECT_0)
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
  std::vector<unsigned char> text = readAll(outPath);
  r.out.assign(text.begin(), text.end());
  DeleteFileA(outPath.c_str());
  return r;
}

const char kText[] = "INKFORGE クリップボード";

// Whether the EMF bytes hold a LineTo record besides the header and the end.
bool hasLineTo(const std::vector<unsigned char> &emf) {
  size_t at = 0;
  bool line = false;
  while (at + 8 <= emf.size()) {
    uint32_t type, size;
    std::memcpy(&type, &emf[at], 4);
    std::memcpy(&size, &emf[at + 4], 4);
    if (size < 8)
      return false;
    line |= type == EMR_LINETO;
    at += size;
  }
  return line && at == emf.size();
}

bool g_sourceGone = false;

class CPictureSource : public COleDataSource {
public:
  ~CPictureSource() override { g_sourceGone = true; }
  int renders = 0;
  BOOL OnRenderData(FORMATETC *f, STGMEDIUM *medium) override {
    if (f->cfFormat != CF_ENHMETAFILE || !(f->tymed & TYMED_ENHMF))
      return COleDataSource::OnRenderData(f, medium);
    CMetaFileDC dc;
    RECT frame{0, 0, 2000, 1000};
    if (!dc.CreateEnhanced(nullptr, nullptr, &frame, "test\0line\0\0"))
      return FALSE;
    dc.MoveTo(5, 5);
    dc.LineTo(60, 30);
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = dc.CloseEnhanced();
    medium->pUnkForRelease = nullptr;
    ++renders;
    return medium->hEnhMetaFile != nullptr;
  }
};

void expectBothFormats(const char *when) {
  Outcome list = olectr("list");
  EXPECT_EQ(list.code, 0u) << when;
  EXPECT_NE(list.out.find(" CF_TEXT "), std::string::npos) << when << ": " << list.out;
  EXPECT_NE(list.out.find(" CF_ENHMETAFILE "), std::string::npos) << when << ": " << list.out;

  std::string textPath = tempFile("olectr_text.bin");
  ASSERT_EQ(olectr("get CF_TEXT \"" + textPath + "\"").code, 0u) << when;
  std::vector<unsigned char> text = readAll(textPath);
  EXPECT_EQ(std::string(text.begin(), text.end()), kText) << when;

  std::string emfPath = tempFile("olectr_pic.emf");
  ASSERT_EQ(olectr("get CF_ENHMETAFILE \"" + emfPath + "\"").code, 0u) << when;
  EXPECT_TRUE(hasLineTo(readAll(emfPath))) << when;
  DeleteFileA(textPath.c_str());
  DeleteFileA(emfPath.c_str());
}

TEST(Clipboard, AnotherProcessSeesDataBeforeAndAfterTheFlush) {
  ASSERT_TRUE(AfxOleInit());
  g_sourceGone = false;
  auto *src = new CPictureSource;
  size_t n = sizeof kText;
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(GlobalLock(text), kText, n);
  GlobalUnlock(text);
  src->CacheGlobalData(CF_TEXT, text);
  FORMATETC pict{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  src->DelayRenderData(CF_ENHMETAFILE, &pict);

  src->SetClipboard();
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), src);
  expectBothFormats("while ours");
  EXPECT_GE(src->renders, 1);

  COleDataSource::FlushClipboard();
  EXPECT_TRUE(g_sourceGone); // the clipboard held the only reference
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  expectBothFormats("after the flush");
}

TEST(Clipboard, PicturesPutByAnotherProcess) {
  ASSERT_TRUE(AfxOleInit());
  // An enhanced metafile.
  CMetaFileDC emfDc;
  ASSERT_TRUE(emfDc.CreateEnhanced(nullptr, nullptr, nullptr, nullptr));
  emfDc.MoveTo(1, 1);
  emfDc.LineTo(40, 20);
  HENHMETAFILE emf = emfDc.CloseEnhanced();
  std::vector<unsigned char> bits(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, UINT(bits.size()), bits.data());
  DeleteEnhMetaFile(emf);
  std::string emfPath = tempFile("olectr_put.emf");
  FILE *f = std::fopen(emfPath.c_str(), "wb");
  std::fwrite(bits.data(), 1, bits.size(), f);
  std::fclose(f);
  ASSERT_EQ(olectr("putemf \"" + emfPath + "\"").code, 0u);

  COleDataObject obj;
  ASSERT_TRUE(obj.AttachClipboard());
  EXPECT_TRUE(obj.IsDataAvailable(CF_ENHMETAFILE));
  STGMEDIUM m{};
  FORMATETC fe{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  ASSERT_TRUE(obj.GetData(CF_ENHMETAFILE, &m, &fe));
  ASSERT_EQ(m.tymed, DWORD(TYMED_ENHMF));
  std::vector<unsigned char> back(GetEnhMetaFileBits(m.hEnhMetaFile, 0, nullptr));
  GetEnhMetaFileBits(m.hEnhMetaFile, UINT(back.size()), back.data());
  EXPECT_TRUE(hasLineTo(back));
  ReleaseStgMedium(&m);
  obj.Release();
  DeleteFileA(emfPath.c_str());

  // A metafile picture with its mapping mode and extent.
  CMetaFileDC wmfDc;
  ASSERT_TRUE(wmfDc.Create());
  wmfDc.MoveTo(0, 0);
  wmfDc.LineTo(100, 50);
  HMETAFILE wmf = wmfDc.Close();
  std::vector<unsigned char> wbits(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, UINT(wbits.size()), wbits.data());
  DeleteMetaFile(wmf);
  std::string wmfPath = tempFile("olectr_put.wmf");
  f = std::fopen(wmfPath.c_str(), "wb");
  std::fwrite(wbits.data(), 1, wbits.size(), f);
  std::fclose(f);
  ASSERT_EQ(olectr("putwmf \"" + wmfPath + "\" 8 2540 1270").code, 0u);
  ASSERT_TRUE(obj.AttachClipboard());
  HGLOBAL pictBlock = obj.GetGlobalData(CF_METAFILEPICT);
  ASSERT_NE(pictBlock, nullptr);
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(pictBlock));
  EXPECT_EQ(pict->mm, 8);
  EXPECT_EQ(pict->xExt, 2540);
  EXPECT_EQ(pict->yExt, 1270);
  EXPECT_EQ(GetMetaFileBitsEx(pict->hMF, 0, nullptr), wbits.size());
  DeleteMetaFile(pict->hMF);
  GlobalUnlock(pictBlock);
  GlobalFree(pictBlock);

  // And olectr reads the picture back the same.
  Outcome got = olectr("get CF_METAFILEPICT \"" + wmfPath + ".out\"");
  EXPECT_EQ(got.code, 0u);
  EXPECT_EQ(got.out.substr(0, got.out.find_first_of("\r\n")), "8 2540 1270");
  EXPECT_EQ(readAll(wmfPath + ".out"), wbits);
  DeleteFileA(wmfPath.c_str());
  DeleteFileA((wmfPath + ".out").c_str());
}

TEST(Clipboard, FormatRegisteredOnce) {
  CLIPFORMAT format = 0;
  CLIPFORMAT first = AfxOleRegisterFormat(format, "KIVOLANT");
  EXPECT_NE(first, 0);
  EXPECT_EQ(format, first);
  CLIPFORMAT kept = 0x1234;
  EXPECT_EQ(AfxOleRegisterFormat(kept, "KIVOLANT"), 0x1234);
  EXPECT_TRUE(AfxOleInit());
  EXPECT_TRUE(AfxOleInit()); // once per process; the second call does nothing
}

} // namespace
