// A fresh folder per test that stands for the plug-in's folder, and the registry key
// of the mirror removed around each test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hoststub/klhtest.h"
#include "plugin/plugsys.h"
#include "plugin/rarucfg.h"

inline std::string &plug_module_path() {
  static std::string s;
  return s;
}

class PluginWork : public ::testing::Test {
protected:
  std::filesystem::path dir;

  void SetUp() override {
    static int seq = 0;
    dir = std::filesystem::temp_directory_path() /
          ("stampix_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(seq++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    plug_module_path() = (dir / "stampix.dll").string();
    plg_sys = plg_rtsys();
    plg_sys.modulepath = [](char *buf, DWORD size) -> DWORD {
      const std::string &s = plug_module_path();
      if (s.size() + 1 > size)
        return 0;
      std::memcpy(buf, s.c_str(), s.size() + 1);
      return DWORD(s.size());
    };
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix");
    hst_reset();
  }
  void TearDown() override {
    plg_sys = plg_rtsys();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string folder() const { return dir.string(); }
  std::string path(const char *name) const { return (dir / name).string(); }
  void write(const char *name, const std::vector<uint8_t> &bytes) const {
    FILE *f = std::fopen(path(name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  void write(const char *name, const std::string &text) const {
    write(name, std::vector<uint8_t>(text.begin(), text.end()));
  }
  void config(const std::string &lines) const { write("SEALCONFIG.SYS", "[SYSTEM]\r\n" + lines); }
  std::string key(const char *k) const {
    char buf[300];
    GetPrivateProfileStringA("SYSTEM", k, "<none>", buf, sizeof buf, path("SEALCONFIG.SYS").c_str());
    return buf;
  }
  static RaruSettings settings() {
    RaruSettings s;
    Raru_SysSettings('R', &s);
    return s;
  }
  // A registry value of the mirror: its bytes, or "<none>".
  static std::string regvalue(const char *name, DWORD *size = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "<nokey>";
    char buf[64] = {};
    DWORD n = sizeof buf, type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buf), &n);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
      return "<none>";
    if (size)
      *size = n;
    return std::string(buf, n);
  }
};
