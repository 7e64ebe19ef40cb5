#include <windows.h>

#include <vector>

#include "framework/archive.h"

std::string AfxWideToShiftJis(const unsigned char *bytes, size_t chars) {
  if (chars == 0)
    return {};
  std::vector<wchar_t> wide(chars);
  for (size_t i = 0; i < chars; ++i)
    wide[i] = wchar_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
  int n = WideCharToMultiByte(932, 0, wide.data(), int(chars), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(932, 0, wide.data(), int(chars), out.data(), n, "?", nullptr);
  return out;
}
