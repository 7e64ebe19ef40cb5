// Older objects in a drawing's object block, through ole32's converter.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/olefmt.h"
#include "ole/ole1conv.h"
#include "files/oleblock.h"
#include "settings/syspath.h"

namespace {

void u32(std::string *s, uint32_t v) { s->append(reinterpret_cast<const char *>(&v), 4); }

// An embedded object as ole32 writes it in the older stream form: a storage of a
// class the registry knows, with native data.
std::string embedded(const char *native) {
  IStorage *stg = nullptr;
  if (FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &stg)))
    return {};
  CLSID cls;
  CLSIDFromProgID(L"Scripting.Dictionary", &cls);
  WriteClassStg(stg, cls);
  IStream *st = nullptr;
  stg->CreateStream(L"\1Ole10Native", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &st);
  const DWORD n = DWORD(std::strlen(native));
  st->Write(&n, 4, nullptr);
  st->Write(native, n, nullptr);
  st->Release();
  stg->Commit(0);
  std::string out;
  const HRESULT hr = ole1_fromstorage(stg, &out);
  stg->Release();
  return hr == S_OK ? out : std::string();
}

// The same with a stream version ole32 does not read.
std::string unreadable() {
  std::string s = embedded("XYZ");
  if (!s.empty())
    s[1] = 0x06;
  return s;
}

std::string native(IStorage *stg) {
  IStream *st = nullptr;
  if (FAILED(stg->OpenStream(L"\1Ole10Native", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &st)))
    return {};
  DWORD n = 0;
  char buf[64] = {};
  st->Read(&n, 4, nullptr);
  st->Read(buf, n < sizeof buf ? n : sizeof buf, nullptr);
  st->Release();
  return std::string(buf, n < sizeof buf ? n : sizeof buf);
}

struct Taken {
  std::vector<std::vector<double>> rects;
  std::vector<DWORD> aspects;
  std::vector<std::string> natives;
};

bool take(void *ctx, IStorage *stg, const double rect[4], DWORD aspect) {
  auto *t = static_cast<Taken *>(ctx);
  STATSTG st{};
  if (FAILED(stg->Stat(&st, STATFLAG_NONAME)))
    return false;
  t->rects.emplace_back(rect, rect + 4);
  t->aspects.push_back(aspect);
  t->natives.push_back(native(stg));
  return true;
}

struct Com {
  Com() { OleInitialize(nullptr); }
  ~Com() { OleUninitialize(); }
};

} // namespace

TEST(Ole1Conv, StreamOfAnEmbeddedObjectBecomesAStorage) {
  Com com;
  const std::string s = embedded("ABCD");
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.size(), ole1_streamlen(reinterpret_cast<const uint8_t *>(s.data()), s.size()));
  IStorage *stg = nullptr;
  const HRESULT hr = ole1_tostorage(reinterpret_cast<const uint8_t *>(s.data()), s.size(), &stg);
  ASSERT_EQ(S_OK, hr) << std::hex << hr;
  EXPECT_EQ("ABCD", native(stg));
  stg->Release();
  EXPECT_EQ(E_INVALIDARG, ole1_tostorage(nullptr, 0, &stg));
}

TEST(Ole1Conv, ListSkipsWhatCannotBeConvertedAndReadsOn) {
  Com com;
  const std::string good = embedded("ONE"), bad = unreadable(), other = embedded("TWO");
  ASSERT_FALSE(good.empty());
  ASSERT_FALSE(bad.empty());
  const double r1[4] = {10, -10, 60, -40}, r2[4] = {1, 2, 3, 4}, r3[4] = {5, 6, 7, 8};
  std::string data;
  u32(&data, 3);
  ole1_entryput(&data, "KIVOLANTDOC#00-0", "StdFileEditing", reinterpret_cast<const uint8_t *>(good.data()), good.size(), r1, 2);
  ole1_entryput(&data, "KIVOLANTDOC#00-1", "StdFileEditing", reinterpret_cast<const uint8_t *>(bad.data()), bad.size(), r2, 2);
  ole1_entryput(&data, "KIVOLANTDOC#00-2", "StdFileEditing", reinterpret_cast<const uint8_t *>(other.data()), other.size(), r3, 2);
  Taken t;
  int taken = 0;
  const int rc = ole1_readlist(reinterpret_cast<const uint8_t *>(data.data()), data.size(), take, &t, &taken);
  ASSERT_EQ(2, taken);
  EXPECT_EQ(0, rc); // one was refused
  EXPECT_EQ(10.0, t.rects[0][0]);
  EXPECT_EQ(5.0, t.rects[1][0]);
  EXPECT_EQ(DWORD(DVASPECT_CONTENT), t.aspects[1]);
  EXPECT_EQ("ONE", t.natives[0]);
  EXPECT_EQ("TWO", t.natives[1]);

  // A name longer than its buffer ends the list there.
  std::string cut;
  u32(&cut, 2);
  ole1_entryput(&cut, "KIVOLANTDOC#00-0", "StdFileEditing", reinterpret_cast<const uint8_t *>(good.data()), good.size(), r1, 2);
  ole1_entryput(&cut, std::string(40, 'n').c_str(), "StdFileEditing", reinterpret_cast<const uint8_t *>(good.data()), good.size(), r3, 2);
  Taken t2;
  EXPECT_EQ(0, ole1_readlist(reinterpret_cast<const uint8_t *>(cut.data()), cut.size(), take, &t2, &taken));
  EXPECT_EQ(1, taken);
}

TEST(OleTempName, MadeInTheWorkFolder) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string work = std::string(dir) + "inkoletmp";
  CreateDirectoryA(work.c_str(), nullptr);
  char keep[262] = "";
  sys_path('R', 4, keep);
  sys_pathset(4, work.c_str());
  const std::string made = MakeOleTempFileName();
  EXPECT_EQ(made, OleTempFileName());
  const std::string base = made.substr(made.find_last_of('\\') + 1);
  EXPECT_EQ(0u, base.find("KlO")) << made; // the system keeps three letters of the prefix
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(made.c_str()));
  DeleteFileA(made.c_str());

  // A work folder that does not exist: the fixed name there.
  sys_pathset(4, (work + "\\missing").c_str());
  EXPECT_EQ(work + "\\missing\\KlOLE.$$$", std::string(MakeOleTempFileName()));
  sys_pathset(4, "");
  EXPECT_STREQ("KlOLE.$$$", MakeOleTempFileName());
  sys_pathset(4, keep);
  RemoveDirectoryA(work.c_str());
}
