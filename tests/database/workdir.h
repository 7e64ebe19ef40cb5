// A fresh work folder per test, and the calls of the journal and the pack that
// tests stand in for.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define ink_getpid _getpid
#else
#include <unistd.h>
#define ink_getpid getpid
#endif

#include "database/dbsys.h"
#include "settings/syspath.h"

struct WorkDir {
  std::filesystem::path dir;
  WorkDir() {
    static std::atomic<int> seq{0};
    dir = std::filesystem::temp_directory_path() /
          ("inkwork_" + std::to_string(ink_getpid()) + "_" + std::to_string(seq++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  ~WorkDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  // The folder with a trailing separator, as the system path table holds it.
  std::string folder() const {
    std::string s = dir.string();
    return s + (s.find('\\') != std::string::npos ? "\\" : "/");
  }
  std::string file(const char *name) const { return (dir / name).string(); }
  bool exists(const char *name) const { return std::filesystem::exists(dir / name); }
};

inline std::vector<unsigned char> file_bytes(const std::string &path) {
  std::vector<unsigned char> v;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    unsigned char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      v.insert(v.end(), buf, buf + n);
    std::fclose(f);
  }
  return v;
}

// Messages the journal and the pack showed: warnings as n, errors as -n.
inline std::vector<int> &shown() {
  static std::vector<int> v;
  return v;
}

inline void quiet_hooks(const std::string &workfolder) {
  dbs_reset();
  sys_pathset(4, workfolder.c_str());
  DbSysHooks &h = dbs_hooks();
  h.warn = [](int n) { shown().push_back(n); };
  h.error = [](int n) { shown().push_back(-n); };
  h.startfail = [] { shown().push_back(-1); };
  h.line = [](int, int, int, int, int) {};
  h.waitcur = [] {};
  h.attrbox = [] {};
  h.escape = [] { return 0; };
  // Native runs have no expansion of the table; both read the raw entry.
  h.workfolder = [](char *out) { std::snprintf(out, 262, "%s", sys_pathraw(4)); };
  shown().clear();
}
