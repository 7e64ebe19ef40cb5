// How long a container takes to create an embedded object of the test server
// fwsrv, ask its extent and release it (the server process starts for each object
// and ends after it). Register the server first: fwsrv -RegServer.
//   embed_bench [runs]     prints each run and the median in milliseconds
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "benchclock.h"

namespace {
// fwsrv's class (tests/framework/fwsrv_ids.h).
const CLSID kFwSrv = {0x0ef02770, 0x3978, 0x49fd, {0xb6, 0xc7, 0x90, 0x9c, 0x8c, 0xc2, 0xa7, 0x4d}};
} // namespace

int main(int argc, char **argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  if (FAILED(OleInitialize(nullptr)))
    return 2;
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    const double t0 = bench_now();
    IOleObject *object = nullptr;
    HRESULT hr =
        CoCreateInstance(kFwSrv, nullptr, CLSCTX_LOCAL_SERVER, IID_IOleObject, reinterpret_cast<void **>(&object));
    SIZEL size{};
    if (SUCCEEDED(hr))
      hr = object->GetExtent(DVASPECT_CONTENT, &size);
    if (object)
      object->Release();
    const double ms = (bench_now() - t0) * 1000.0;
    if (FAILED(hr)) {
      std::fprintf(stderr, "run %d failed: %08lx\n", i + 1, static_cast<unsigned long>(hr));
      OleUninitialize();
      return 1;
    }
    std::printf("run %d: %.1f ms (extent %ld x %ld)\n", i + 1, ms, size.cx, size.cy);
    times.push_back(ms);
    Sleep(300); // the server of this run ends
  }
  std::sort(times.begin(), times.end());
  if (!times.empty())
    std::printf("median %.1f ms over %d runs (goal: under 1000 ms warm)\n", times[times.size() / 2], runs);
  OleUninitialize();
  return 0;
}
