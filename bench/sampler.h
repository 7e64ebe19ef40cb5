// A sampling profiler for benchmarks, with nothing to install: a thread stops the
// measured thread every millisecond and counts where it stood. A sample outside the
// program (a system DLL, Wine's own side) also names the program's code that called
// out: the first return address into the program found on the stopped stack (one
// that follows a call instruction). save() writes
//   <module> <address relative to the module> <samples> [<caller relative to the program>]
// lines; tools/profsyms.py turns them into functions with the program's symbols.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

class Sampler {
public:
  explicit Sampler(const char *path) : path_(path) {
    if (!path_)
      return;
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(
        reinterpret_cast<const char *>(exe_) + reinterpret_cast<const IMAGE_DOS_HEADER *>(exe_)->e_lfanew);
    exe_end_ = DWORD64(exe_) + nt->OptionalHeader.SizeOfImage;
    const NT_TIB *tib = reinterpret_cast<NT_TIB *>(NtCurrentTeb());
    stack_base_ = DWORD64(tib->StackBase);
    stack_limit_ = DWORD64(tib->StackLimit); // committed from here up; Wine's own stack lies elsewhere
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
  static constexpr size_t STACK_COPY = 4096;

  bool in_exe(DWORD64 a) const { return a >= DWORD64(exe_) && a < exe_end_; }

  // A return address into the program: the bytes before it are a call.
  bool after_call(DWORD64 a) const {
    if (!in_exe(a) || a < DWORD64(exe_) + 0x1000)
      return false;
    const auto *p = reinterpret_cast<const unsigned char *>(a);
    return p[-5] == 0xE8 || (p[-6] == 0xFF && p[-5] == 0x15) || (p[-2] == 0xFF && (p[-1] & 0xF8) == 0xD0) ||
           (p[-3] == 0xFF && (p[-2] & 0x38) == 0x10) || (p[-6] == 0xFF && (p[-5] & 0x38) == 0x10);
  }

  DWORD64 caller(const unsigned char *stack, size_t n) const {
    for (size_t i = 0; i + 8 <= n; i += 8) {
      DWORD64 v;
      std::memcpy(&v, stack + i, 8);
      if (after_call(v))
        return v;
    }
    return 0;
  }

  static DWORD WINAPI run(void *self) {
    auto *s = static_cast<Sampler *>(self);
    static unsigned char copy[STACK_COPY];
    while (!s->stop_) {
      Sleep(1);
      if (s->paused_ || SuspendThread(s->target_) == DWORD(-1))
        continue;
      CONTEXT c = {};
      c.ContextFlags = CONTEXT_CONTROL;
      const bool got = GetThreadContext(s->target_, &c) != 0;
      size_t n = 0;
      if (got && !s->in_exe(c.Rip) && c.Rsp >= s->stack_limit_ && c.Rsp < s->stack_base_) {
        n = size_t(s->stack_base_ - c.Rsp);
        if (n > STACK_COPY)
          n = STACK_COPY;
        std::memcpy(copy, reinterpret_cast<const void *>(c.Rsp), n); // no lock taken while it is stopped
      }
      ResumeThread(s->target_); // before anything that may take a lock the stopped thread holds
      if (got && s->n_ < CAP)
        s->samples_[s->n_++] = {c.Rip, n ? s->caller(copy, n) : 0};
    }
    return 0;
  }
  void save() const {
    FILE *f = std::fopen(path_, "w");
    if (!f)
      return;
    std::map<std::pair<DWORD64, DWORD64>, long> hits;
    for (size_t i = 0; i < n_; i++)
      hits[samples_[i]]++;
    for (const auto &h : hits) {
      HMODULE m = nullptr;
      char name[MAX_PATH] = "?";
      if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<const char *>(h.first.first), &m))
        GetModuleFileNameA(m, name, sizeof name);
      const char *base = name;
      for (const char *p = name; *p; p++)
        if (*p == '\\' || *p == '/')
          base = p + 1;
      std::fprintf(f, "%s %llx %ld", base, (unsigned long long)(h.first.first - DWORD64(m)), h.second);
      if (h.first.second)
        std::fprintf(f, " %llx", (unsigned long long)(h.first.second - DWORD64(exe_)));
      std::fputc('\n', f);
    }
    std::fclose(f);
  }
  const char *path_;
  HMODULE exe_ = GetModuleHandleA(nullptr);
  DWORD64 exe_end_ = 0, stack_base_ = 0, stack_limit_ = 0;
  HANDLE target_ = nullptr, thread_ = nullptr;
  volatile bool stop_ = false, paused_ = true; // until pause(false)
  static constexpr size_t CAP = 1 << 20;
  std::vector<std::pair<DWORD64, DWORD64>> samples_ = std::vector<std::pair<DWORD64, DWORD64>>(CAP);
  size_t n_ = 0;
};
