// Ends the whole test run when a test hangs (in a modal loop, say) longer than a limit:
// a hanging window test would otherwise stop CI until its own time-out.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace testing_watchdog {

class Watchdog {
public:
  explicit Watchdog(DWORD ms = 20000) : ms_(ms) {
    done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~Watchdog() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
  }
  Watchdog(const Watchdog &) = delete;
  Watchdog &operator=(const Watchdog &) = delete;

private:
  static DWORD WINAPI run(void *p) {
    auto *w = static_cast<Watchdog *>(p);
    if (WaitForSingleObject(w->done_, w->ms_) == WAIT_TIMEOUT) {
      const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
      std::fprintf(stderr, "watchdog: %s.%s hangs in a modal loop\n", info ? info->test_suite_name() : "?",
                   info ? info->name() : "?");
      std::fflush(stderr);
      ExitProcess(3);
    }
    return 0;
  }
  DWORD ms_;
  HANDLE done_ = nullptr, thread_ = nullptr;
};

} // namespace testing_watchdog
