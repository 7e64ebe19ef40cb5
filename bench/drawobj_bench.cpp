// How long a container takes to create a drawing object of the editor, ask its
// extent, store it and release it (the editor starts for each object and ends after
// it). The program must be registered first (inkembed_test does it, or a normal start).
//   drawobj_bench [runs]     prints each run and the median in milliseconds
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "benchclock.h"
#include "framework/appole.h"

namespace {

HRESULT one_object(SIZEL &size) {
  IOleObject *object = nullptr;
  HRESULT hr = CoCreateInstance(*GetAppClsid(), nullptr, CLSCTX_LOCAL_SERVER, IID_IOleObject,
                                reinterpret_cast<void **>(&object));
  ILockBytes *bytes = nullptr;
  IStorage *stg = nullptr;
  if (SUCCEEDED(hr))
    hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  if (SUCCEEDED(hr))
    hr = StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg);
  IPersistStorage *persist = nullptr;
  if (SUCCEEDED(hr))
    hr = object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist));
  if (SUCCEEDED(hr))
    hr = persist->InitNew(stg);
  if (SUCCEEDED(hr))
    hr = object->GetExtent(DVASPECT_CONTENT, &size);
  if (SUCCEEDED(hr))
    hr = OleSave(persist, stg, TRUE);
  if (SUCCEEDED(hr))
    hr = persist->SaveCompleted(nullptr);
  if (persist)
    persist->Release();
  if (object) {
    object->Close(OLECLOSE_NOSAVE);
    object->Release();
  }
  if (stg)
    stg->Release();
  if (bytes)
    bytes->Release();
  return hr;
}

} // namespace

int main(int argc, char **argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  if (FAILED(OleInitialize(nullptr)))
    return 2;
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    const double t0 = bench_now();
    SIZEL size{};
    const HRESULT hr = one_object(size);
    const double ms = (bench_now() - t0) * 1000.0;
    if (FAILED(hr)) {
      std::fprintf(stderr, "run %d failed: %08lx\n", i + 1, static_cast<unsigned long>(hr));
      OleUninitialize();
      return 1;
    }
    std::printf("run %d: %.1f ms (extent %ld x %ld)\n", i + 1, ms, size.cx, size.cy);
    times.push_back(ms);
    Sleep(500); // the server of this run ends
  }
  std::sort(times.begin(), times.end());
  if (!times.empty())
    std::printf("median %.1f ms over %d runs (goal: under 2000 ms warm)\n", times[times.size() / 2], runs);
  OleUninitialize();
  return 0;
}
