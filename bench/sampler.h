// A sampling profiler for benchmarks, with nothing to install: a thread stops the
// measured thread every millisecond and counts where it stood. save() writes
//   <module> <address relative to the module> <samples>
// lines; tools/profsyms.py turns them into functions with the program's symbols.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <vector>

class Sampler {
public:
  explicit Sampler(const char *path) : path_(path) {
    if (!path_)
      return;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &target_, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~Sampler() {
    if (!thread_)
      return;
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(target_);
    save();
  }
  void pause(bool p) { paused_ = p; }

private:
  static DWORD WINAPI run(void *self) {
    auto *s = static_cast<Sampler *>(self);
    while (!s->stop_) {
      Sleep(1);
      if (s->paused_ || SuspendThread(s->target_) == DWORD(-1))
        continue;
      CONTEXT c = {};
      c.ContextFlags = CONTEXT_CONTROL;
      const bool got = GetThreadContext(s->target_, &c) != 0;
      ResumeThread(s->target_); // before anything that may take a lock the stopped thread holds
      if (got && s->n_ < CAP)
        s->rips_[s->n_++] = c.Rip;
    }
    return 0;
  }
  void save() const {
    FILE *f = std::fopen(path_, "w");
    if (!f)
      return;
    std::map<DWORD64, long> hits;
    for (size_t i = 0; i < n_; i++)
      hits[rips_[i]]++;
    for (const auto &h : hits) {
      HMODULE m = nullptr;
      char name[MAX_PATH] = "?";
      if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<const char *>(h.first), &m))
        GetModuleFileNameA(m, name, sizeof name);
      const char *base = name;
      for (const char *p = name; *p; p++)
        if (*p == '\\' || *p == '/')
          base = p + 1;
      std::fprintf(f, "%s %llx %ld\n", base, (unsigned long long)(h.first - DWORD64(m)), h.second);
    }
    std::fclose(f);
  }
  const char *path_;
  HANDLE target_ = nullptr, thread_ = nullptr;
  volatile bool stop_ = false, paused_ = true; // until pause(false)
  static constexpr size_t CAP = 1 << 20;
  std::vector<DWORD64> rips_ = std::vector<DWORD64>(CAP);
  size_t n_ = 0;
};
