// How long a container takes to create a drawing object of the editor, ask its
// extent, store it and release it (the editor starts for each object and ends after
// it). The program must be registered first (inkembed_test does it, or a normal start).
// Each run is a container process of its own: under Wine a server may linger while
// the container that used it lives.
//   drawobj_bench [runs]                     this program as the container
//   drawobj_bench runs <olectr.exe> <file>   the test container (tests/framework)
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
  if (object)
    object->Release();
  if (stg)
    stg->Release();
  if (bytes)
    bytes->Release();
  return hr;
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "one") == 0) {
    if (FAILED(OleInitialize(nullptr)))
      return 2;
    const double t0 = bench_now();
    SIZEL size{};
    const HRESULT hr = one_object(size);
    const double ms = (bench_now() - t0) * 1000.0;
    OleUninitialize();
    if (FAILED(hr)) {
      std::fprintf(stderr, "failed: %08lx\n", static_cast<unsigned long>(hr));
      return 1;
    }
    std::printf("%.1f ms (extent %ld x %ld)\n", ms, size.cx, size.cy);
    return 0;
  }
  // With the test container: "drawobj_bench <runs> <olectr.exe> <file>" times
  // "olectr embed create <class> extent save <file> release" in its own process.
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string cmd = std::string("\"") + self + "\" one";
  if (argc > 3) {
    LPOLESTR w = nullptr;
    StringFromCLSID(*GetAppClsid(), &w);
    char clsid[64] = "";
    WideCharToMultiByte(CP_ACP, 0, w, -1, clsid, sizeof clsid, nullptr, nullptr);
    CoTaskMemFree(w);
    cmd = std::string("\"") + argv[2] + "\" embed create " + clsid + " extent save " + argv[3] + " release";
  }
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = cmd;
    const double t0 = bench_now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
      return 3;
    WaitForSingleObject(pi.hProcess, 60000);
    const double ms = (bench_now() - t0) * 1000.0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (code != 0) {
      std::fprintf(stderr, "run %d failed: %lu\n", i + 1, static_cast<unsigned long>(code));
      return 1;
    }
    std::printf("run %d: %.1f ms with the container's start and end\n", i + 1, ms);
    std::fflush(stdout);
    times.push_back(ms);
    Sleep(6000); // the server of this run ends (within 5 s of its last object)
  }
  std::sort(times.begin(), times.end());
  if (!times.empty())
    std::printf("median %.1f ms over %d runs (goal: under 2000 ms warm)\n", times[times.size() / 2], runs);
  return 0;
}
