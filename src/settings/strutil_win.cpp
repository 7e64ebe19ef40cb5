#include <windows.h>

#include "settings/strutil.h"

bool pth_exists(const std::string &path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
