// Item-ID lists with the shell: the holder's allocations, leading items, comparison,
// paths and names, and the special folders a list lies in.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/dde/idlist.h"

namespace {

std::vector<uint8_t> list_of(std::initializer_list<size_t> payloads) {
  std::vector<uint8_t> out;
  for (size_t n : payloads) {
    const size_t cb = n + 2;
    out.push_back(uint8_t(cb & 0xff));
    out.push_back(uint8_t(cb >> 8));
    for (size_t i = 0; i < n; i++)
      out.push_back(uint8_t('a' + i % 26));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}
LPCITEMIDLIST idl(const std::vector<uint8_t> &v) { return reinterpret_cast<LPCITEMIDLIST>(v.data()); }

// The task allocator, counting what goes through it.
struct CountingMalloc : IMalloc {
  int allocs = 0, frees = 0;
  std::vector<size_t> sizes;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void *STDMETHODCALLTYPE Alloc(SIZE_T n) override {
    allocs++;
    sizes.push_back(n);
    return CoTaskMemAlloc(n);
  }
  void *STDMETHODCALLTYPE Realloc(void *p, SIZE_T n) override { return CoTaskMemRealloc(p, n); }
  void STDMETHODCALLTYPE Free(void *p) override {
    frees++;
    CoTaskMemFree(p);
  }
  SIZE_T STDMETHODCALLTYPE GetSize(void *) override { return SIZE_T(-1); }
  int STDMETHODCALLTYPE DidAlloc(void *) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}
} counting;

int desktops_asked = 0;

class IdList : public ::testing::Test {
protected:
  IdlShell saved = idl_shell();
  void SetUp() override {
    counting = CountingMalloc();
    desktops_asked = 0;
  }
  void TearDown() override { idl_shell() = saved; }
  void count_calls() {
    idl_shell().getmalloc = [](IMalloc **out) { return *out = &counting, S_OK; };
    idl_shell().desktop = [](IShellFolder **out) {
      desktops_asked++;
      return SHGetDesktopFolder(out);
    };
  }
};

std::string folder_of_test() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\'));
}

TEST_F(IdList, TheHolderCopiesJoinsAndFreesWithTheShellsAllocator) {
  count_calls();
  const auto a = list_of({4, 10, 1}), b = list_of({6});
  {
    IdlHolder h;
    EXPECT_EQ(h.get(), nullptr);
    ASSERT_TRUE(h.set(a.data(), a.size() - 2));
    EXPECT_EQ(idl_count(h.get()), 3);
    EXPECT_EQ(std::memcmp(h.get(), a.data(), a.size()), 0);
    EXPECT_EQ(counting.sizes.back(), a.size());
    // From a list: the old one goes.
    ASSERT_TRUE(h.set(idl(b)));
    EXPECT_EQ(counting.frees, 1);
    EXPECT_EQ(std::memcmp(h.get(), b.data(), b.size()), 0);
    // Two lists: the first, then the second, then one terminator.
    ASSERT_TRUE(h.set(idl(a), idl(b)));
    EXPECT_EQ(idl_count(h.get()), 4);
    EXPECT_EQ(idl_size(h.get()), idl_size(idl(a)) + idl_size(idl(b)));
    EXPECT_EQ(counting.sizes.back(), idl_size(idl(a)) + idl_size(idl(b)) + 2);
    // Nothing to hold: the list stays.
    const int before = counting.allocs;
    EXPECT_FALSE(h.set(nullptr));
    EXPECT_FALSE(h.set(nullptr, nullptr));
    EXPECT_EQ(counting.allocs, before);
    EXPECT_EQ(idl_count(h.get()), 4);
  }
  EXPECT_EQ(counting.frees, counting.allocs); // the holder frees its list
}

TEST_F(IdList, TwoLongListsAreNotJoinedIntoAShortAllocation) {
  count_calls();
  // 40000 + 30000 bytes: in 16 bits the sum would wrap to 4464.
  const auto a = list_of({39998}), b = list_of({29998}), small = list_of({2});
  IdlHolder h;
  ASSERT_TRUE(h.set(idl(small)));
  const int before = counting.allocs;
  EXPECT_FALSE(h.set(idl(a), idl(b)));
  EXPECT_EQ(counting.allocs, before);
  EXPECT_EQ(idl_count(h.get()), 1); // the old list is kept
  // Each alone fits.
  EXPECT_TRUE(h.set(idl(a)));
  EXPECT_EQ(idl_size(h.get()), 40000u);
}

TEST_F(IdList, LeadingItemsCopyUpToTheCountAndNoFurther) {
  count_calls();
  const auto a = list_of({4, 10, 1});
  LPITEMIDLIST all = idl_leading(idl(a), 3);
  ASSERT_TRUE(all);
  EXPECT_EQ(std::memcmp(all, a.data(), a.size()), 0);
  LPITEMIDLIST one = idl_leading(idl(a), 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(idl_count(one), 1);
  EXPECT_EQ(idl_size(one), 6u);
  EXPECT_EQ(idl_leading(idl(a), 4), nullptr);
  EXPECT_EQ(idl_leading(idl(a), 0), nullptr);
  EXPECT_EQ(idl_leading(nullptr, 1), nullptr);
  idl_free(all);
  idl_free(one);
  EXPECT_EQ(counting.frees, counting.allocs);
}

TEST_F(IdList, ListsOfDifferentCountsDifferWithoutAskingTheShell) {
  LPITEMIDLIST c = idl_frompath("C:\\");
  ASSERT_TRUE(c);
  LPITEMIDLIST again = idl_frompath("C:\\");
  LPITEMIDLIST drives = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
  count_calls();
  EXPECT_FALSE(idl_equal(c, drives));
  EXPECT_EQ(desktops_asked, 0);
  EXPECT_FALSE(idl_equal(c, nullptr));
  EXPECT_EQ(desktops_asked, 0);
  // Same counts: the shell decides.
  EXPECT_TRUE(idl_equal(c, again));
  EXPECT_EQ(desktops_asked, 1);
  idl_shell() = saved;
  idl_free(c);
  idl_free(again);
  idl_free(drives);
}

TEST_F(IdList, AFoldersPathGivesAListWithThatPath) {
  const std::string dir = folder_of_test();
  LPITEMIDLIST list = idl_frompath(dir.c_str());
  ASSERT_TRUE(list) << dir;
  EXPECT_EQ(lstrcmpiA(idl_path(list).c_str(), dir.c_str()), 0) << idl_path(list);
  EXPECT_FALSE(idl_name(list).empty());
  EXPECT_EQ(idl_path(nullptr), "");
  EXPECT_EQ(idl_name(nullptr), "");
  EXPECT_EQ(idl_frompath(""), nullptr);
  EXPECT_EQ(idl_frompath(nullptr), nullptr);
  EXPECT_EQ(idl_frompath((dir + "\\no such folder").c_str()), nullptr);
  idl_free(list);
}

TEST_F(IdList, AnOverLongPathGivesNoList) {
  // A folder whose path is MAX_PATH - 1 characters long, made through the long-path
  // prefix: a longer path that begins with it must not be cut back to it.
  const std::string base = folder_of_test() + "\\longpath";
  std::string fits = base + "\\" + std::string(100, 'a');
  fits += "\\" + std::string(MAX_PATH - 1 - fits.size() - 1, 'b');
  ASSERT_EQ(fits.size(), size_t(MAX_PATH - 1));
  std::string made = base;
  for (size_t at = base.size(); at != std::string::npos; at = fits.find('\\', at + 1)) {
    made = fits.substr(0, at);
    const std::wstring wide = L"\\\\?\\" + std::wstring(made.begin(), made.end());
    CreateDirectoryW(wide.c_str(), nullptr);
  }
  const std::wstring wfits = L"\\\\?\\" + std::wstring(fits.begin(), fits.end());
  ASSERT_TRUE(CreateDirectoryW(wfits.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  LPITEMIDLIST ok = idl_frompath(fits.c_str());
  ASSERT_TRUE(ok);
  idl_free(ok);
  EXPECT_EQ(idl_frompath((fits + "c").c_str()), nullptr);
  EXPECT_EQ(idl_frompath((fits + "\\ccc").c_str()), nullptr);
}

TEST_F(IdList, TheDocumentsFolderAndTheDrivesAreFoundInTheirPlaces) {
  // A folder inside the documents, reached through the documents' own list.
  LPITEMIDLIST docs = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &docs), S_OK);
  const std::string path = idl_path(docs);
  ASSERT_FALSE(path.empty());
  const std::string sub = path + (path.back() == '\\' ? "" : "\\") + "inkidl";
  CreateDirectoryA(sub.c_str(), nullptr);
  IShellFolder *desk = nullptr, *folder = nullptr;
  ASSERT_EQ(SHGetDesktopFolder(&desk), S_OK);
  ASSERT_EQ(desk->BindToObject(docs, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&folder)), S_OK);
  LPITEMIDLIST rel = nullptr;
  WCHAR name[] = L"inkidl";
  ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, name, nullptr, &rel, nullptr), S_OK);
  IdlHolder inside;
  ASSERT_TRUE(inside.set(docs, rel));
  EXPECT_EQ(idl_count(inside.get()), idl_count(docs) + 1);
  EXPECT_EQ(lstrcmpiA(idl_path(inside.get()).c_str(), sub.c_str()), 0) << idl_path(inside.get());

  EXPECT_TRUE(idl_isspecial(CSIDL_PERSONAL, docs));
  EXPECT_TRUE(idl_indocs(docs));
  EXPECT_TRUE(idl_indocs(inside.get()));
  EXPECT_FALSE(idl_isspecial(CSIDL_PERSONAL, inside.get()));
  EXPECT_TRUE(idl_ineither(inside.get()));
  LPITEMIDLIST c = idl_frompath("C:\\");
  ASSERT_TRUE(c);
  EXPECT_TRUE(idl_incomputer(c));
  EXPECT_TRUE(idl_ineither(c));
  EXPECT_FALSE(idl_indocs(c));
  EXPECT_FALSE(idl_isspecial(CSIDL_DRIVES, c));
  EXPECT_FALSE(idl_name(c).empty());
  idl_free(rel);
  idl_free(c);
  idl_free(docs);
  folder->Release();
  desk->Release();
}

} // namespace
