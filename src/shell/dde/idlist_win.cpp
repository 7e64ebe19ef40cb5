#include "shell/dde/idlist.h"

#include <cstring>

namespace {

const uint8_t *bytes_of(LPCITEMIDLIST list) { return reinterpret_cast<const uint8_t *>(list); }

// Both calls hand out a counted reference or fail.
IdlShell calls = {SHGetMalloc, SHGetDesktopFolder};

IMalloc *shell_malloc() {
  IMalloc *m = nullptr;
  return calls.getmalloc && SUCCEEDED(calls.getmalloc(&m)) ? m : nullptr;
}

LPITEMIDLIST copy_of(IMalloc *m, const void *bytes, size_t n) {
  auto *p = static_cast<uint8_t *>(m->Alloc(n + 2));
  if (!p)
    return nullptr;
  std::memcpy(p, bytes, n);
  p[n] = p[n + 1] = 0;
  return reinterpret_cast<LPITEMIDLIST>(p);
}

} // namespace

IdlShell &idl_shell() { return calls; }

size_t idl_size(LPCITEMIDLIST list) { return idl_bytes(bytes_of(list)); }
int idl_count(LPCITEMIDLIST list) { return idl_items(bytes_of(list)); }

void idl_free(LPITEMIDLIST list) {
  if (!list)
    return;
  if (IMalloc *m = shell_malloc()) {
    m->Free(list);
    m->Release();
  }
}

IdlHolder::IdlHolder() : alloc_(shell_malloc()) {}

IdlHolder::~IdlHolder() {
  if (alloc_) {
    if (list_)
      alloc_->Free(list_);
    alloc_->Release();
  }
}

bool IdlHolder::take(const void *a, size_t na, const void *b, size_t nb) {
  // Sizes add up in size_t: two long lists must not wrap into a short allocation.
  if (!alloc_ || na > IDL_MAXSIZE || nb > IDL_MAXSIZE || na + nb > IDL_MAXSIZE)
    return false;
  auto *p = static_cast<uint8_t *>(alloc_->Alloc(na + nb + 2));
  if (!p)
    return false;
  std::memset(p, 0, na + nb + 2);
  if (na)
    std::memcpy(p, a, na);
  if (nb)
    std::memcpy(p + na, b, nb);
  if (list_)
    alloc_->Free(list_);
  list_ = reinterpret_cast<LPITEMIDLIST>(p);
  return true;
}

bool IdlHolder::set(const void *bytes, size_t length) {
  if (!bytes && length)
    return false;
  return take(bytes, length, nullptr, 0);
}

bool IdlHolder::set(LPCITEMIDLIST list) {
  const size_t n = idl_size(list);
  return n ? take(list, n, nullptr, 0) : false;
}

bool IdlHolder::set(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  const size_t a = idl_size(first), b = idl_size(second);
  return a || b ? take(first, a, second, b) : false;
}

LPITEMIDLIST idl_leading(LPCITEMIDLIST list, int n) {
  const size_t bytes = idl_leadbytes(bytes_of(list), n);
  if (!bytes || bytes > IDL_MAXSIZE)
    return nullptr;
  IMalloc *m = shell_malloc();
  if (!m)
    return nullptr;
  LPITEMIDLIST out = copy_of(m, list, bytes);
  m->Release();
  return out;
}

bool idl_equal(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  // Lists of different lengths never name one folder: the shell is not asked.
  if (!first || !second || idl_count(first) != idl_count(second))
    return false;
  IMalloc *m = shell_malloc();
  if (!m)
    return false;
  m->Release();
  IShellFolder *desk = nullptr;
  if (!calls.desktop || FAILED(calls.desktop(&desk)) || !desk)
    return false;
  const HRESULT hr = desk->CompareIDs(0, first, second);
  desk->Release();
  // A failed comparison is no equality, whatever its code.
  return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

bool idl_isspecial(int folder, LPCITEMIDLIST list) {
  LPITEMIDLIST special = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &special)) || !special)
    return false;
  const bool same = idl_equal(special, list);
  idl_free(special);
  return same;
}

bool idl_inspecial(int folder, LPCITEMIDLIST list) {
  LPITEMIDLIST special = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &special)) || !special)
    return false;
  LPITEMIDLIST lead = idl_leading(list, idl_count(special));
  const bool in = idl_equal(lead, special);
  idl_free(lead);
  idl_free(special);
  return in;
}

bool idl_indocs(LPCITEMIDLIST list) {
  return idl_inspecial(CSIDL_PERSONAL, list) || idl_inspecial(CSIDL_COMMON_DOCUMENTS, list);
}

bool idl_incomputer(LPCITEMIDLIST list) {
  return idl_inspecial(CSIDL_DRIVES, list) || idl_inspecial(CSIDL_NETWORK, list);
}

bool idl_ineither(LPCITEMIDLIST list) { return idl_indocs(list) || idl_incomputer(list); }

std::string idl_name(LPCITEMIDLIST list) {
  if (!list)
    return "";
  SHFILEINFOA info = {};
  if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info,
                      SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES))
    return "";
  return info.szDisplayName;
}

std::string idl_path(LPCITEMIDLIST list) {
  WCHAR wide[MAX_PATH] = L"";
  if (!list || !SHGetPathFromIDListW(list, wide) || !wide[0])
    return "";
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1)
    return "";
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, &out[0], n, nullptr, nullptr);
  out.resize(size_t(n - 1));
  return out;
}

LPITEMIDLIST idl_frompath(const char *path) {
  if (!path || !path[0])
    return nullptr;
  // A longer path is refused whole: cut short it would name another folder.
  WCHAR wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, MAX_PATH))
    return nullptr;
  IShellFolder *desk = nullptr;
  if (!calls.desktop || FAILED(calls.desktop(&desk)) || !desk)
    return nullptr;
  LPITEMIDLIST list = nullptr;
  if (FAILED(desk->ParseDisplayName(nullptr, nullptr, wide, nullptr, &list, nullptr)))
    list = nullptr;
  desk->Release();
  return list;
}
