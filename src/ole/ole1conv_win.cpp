#include "ole/ole1conv.h"

#include <cstring>

#include "files/olefmt.h"
#include "files/sealfmt.h"

namespace {

// An older-style stream over bytes in memory: reads from them, or appends to a string.
struct MemStream {
  OLESTREAM base;
  const uint8_t *p;
  std::size_t len, pos;
  std::string *out;
};

DWORD CALLBACK memGet(LPOLESTREAM s, void *buf, DWORD n) {
  auto *m = reinterpret_cast<MemStream *>(s);
  const std::size_t left = m->len - m->pos;
  const std::size_t take = n < left ? n : left;
  std::memcpy(buf, m->p + m->pos, take);
  m->pos += take;
  return DWORD(take);
}

DWORD CALLBACK memPut(LPOLESTREAM s, const void *buf, DWORD n) {
  auto *m = reinterpret_cast<MemStream *>(s);
  if (!m->out)
    return 0;
  m->out->append(static_cast<const char *>(buf), n);
  return n;
}

OLESTREAMVTBL memTable = {memGet, memPut};

} // namespace

HRESULT ole1_tostorage(const uint8_t *stream, std::size_t len, IStorage **out) {
  *out = nullptr;
  if (!stream || len == 0)
    return E_INVALIDARG;
  IStorage *stg = nullptr;
  HRESULT hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &stg);
  if (FAILED(hr))
    return hr;
  MemStream m{{&memTable}, stream, len, 0, nullptr};
  hr = OleConvertOLESTREAMToIStorage(&m.base, stg, nullptr);
  if (SUCCEEDED(hr))
    hr = stg->Commit(STGC_OVERWRITE | STGC_CONSOLIDATE);
  if (FAILED(hr)) {
    stg->Release();
    return hr;
  }
  *out = stg;
  return S_OK;
}

int ole1_readlist(const uint8_t *data, std::size_t len, Ole1Sink sink, void *ctx, int *taken) {
  if (taken)
    *taken = 0;
  if (!data || len < 4)
    return 0;
  const uint32_t count = slf_get<uint32_t>(data, 0);
  const uint8_t *list = data + 4;
  const std::size_t size = len - 4;
  std::size_t pos = 0;
  int result = 1;
  for (uint32_t i = 0; i < count; ++i) {
    Ole1Entry e;
    if (!ole1_entry(list, size, pos, &e))
      return 0;
    pos = e.next;
    IStorage *stg = nullptr;
    if (FAILED(ole1_tostorage(list + e.stream, e.streamLength, &stg))) {
      result = 0;
      continue;
    }
    if (sink && sink(ctx, stg, e.rect, DVASPECT_CONTENT)) {
      if (taken)
        ++*taken;
    } else {
      result = 0;
    }
    stg->Release();
  }
  return result;
}

HRESULT ole1_fromstorage(IStorage *stg, std::string *out) {
  if (!stg || !out)
    return E_INVALIDARG;
  MemStream m{{&memTable}, nullptr, 0, 0, out};
  return OleConvertIStorageToOLESTREAM(stg, &m.base);
}
