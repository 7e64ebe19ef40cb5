#include "shell/dde/dde.h"

#include <cstring>

BOOL ddes_regtype() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "KIVO-LANT\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return FALSE;
  RegCloseKey(key);
  char exe[512 + 16] = "";
  const DWORD n = GetModuleFileNameA(nullptr, exe, 512);
  exe[n < 512 ? n : 511] = '\0';
  std::strcat(exe, " -e \"%1\"");
  const char *const entries[4][2] = {
      {"KIVO-LANT\\shell\\open\\command", exe},
      {"KIVO-LANT\\shell\\open\\ddeexec", "[FileOpen(\"%1\")]"},
      {"KIVO-LANT\\shell\\open\\ddeexec\\application", "KIVOLANT"},
      {"KIVO-LANT\\shell\\open\\ddeexec\\topic", "System"},
  };
  for (const auto &e : entries)
    if (RegSetValueA(HKEY_CLASSES_ROOT, e[0], REG_SZ, e[1], DWORD(std::strlen(e[1]))) != ERROR_SUCCESS)
      return FALSE;
  return TRUE;
}
