// Small file helpers for the settings tests (native and under Wine).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

// A build path as the program sees it: Wine reaches the Unix root through Z:.
inline std::string host_path(const std::string &p) {
#ifdef _WIN32
  if (!p.empty() && p[0] == '/')
    return "Z:" + p;
#endif
  return p;
}

// A file in the test's temporary folder, removed again at the end of the test.
struct TempFile {
  std::string path;
  explicit TempFile(const std::string &name, const std::string &bytes = "") {
    path = ::testing::TempDir() + name;
    write(bytes);
  }
  void write(const std::string &bytes) const {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
  }
  std::string read() const {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  ~TempFile() { std::remove(path.c_str()); }
};
