#include "shell/handover.h"

#include <windows.h>

int HandoverBusy = 0;

long reg_action(unsigned long code) {
  if (code != 1)
    HandoverBusy = 0;
  HKEY key;
  LONG r = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", 0, nullptr, 0, KEY_WRITE, nullptr,
                           &key, nullptr);
  if (r != ERROR_SUCCESS)
    return r;
  const DWORD value = DWORD(code);
  r = RegSetValueExA(key, "Action", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  const LONG closed = RegCloseKey(key);
  return r != ERROR_SUCCESS ? r : closed;
}
