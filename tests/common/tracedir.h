// A test run in a fresh current directory, where the debug trace writes "debug.lst".
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/dbgtrace.h"

class TraceDir : public ::testing::Test {
protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    const auto *unit = ::testing::UnitTest::GetInstance();
    dir_ = std::filesystem::temp_directory_path() /
           ("ink-trace-" + std::string(unit->current_test_info()->test_suite_name()) + "-" +
            unit->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    dbg_close();
    dbg_mode = 0;
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  // The trace file's bytes as written (text mode: CR LF on Windows).
  static std::string trace_bytes() {
    std::ifstream in("debug.lst", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path old_, dir_;
};
