#include "settings/prefs.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

PrfValue prf_valslot;
int32_t CpntDelDsp = 13;
uint32_t OkynDelay = 0;
int32_t OkynNotFlat = 0;

namespace {

const char *const sections[PRF_SECTIONS] = {
    "",         "SYSTEMU",     "ELMINFO",     "CHAINFO",     "DIMINFO",     "SYSCOLOR",    "FILES",
    "FBROINFO", "KOUSAINFO",   "PLOTTER",     "FONTINFO",    "LINEWIDTH",   "PAINT",       "DSPLINPITCH",
    "PRNLINPITCH", "PLTLINPITCH", "HIDESET", "CENTERLINE", "CLOUDFORMSET", "CHARATEXT", "CMDETC",
    "PENTYPECMD", "CROSLINE",  "MIDDLELIN",   "MODIFY",      "SEALINFO"};

char settings_path[264];

// strtol with base 0 as a 32-bit long does it: saturating at the 32-bit range.
int32_t strtol32(const char *text) {
  long long v = std::strtoll(text, nullptr, 0);
  if (v > INT32_MAX)
    return INT32_MAX;
  if (v < INT32_MIN)
    return INT32_MIN;
  return static_cast<int32_t>(v);
}

} // namespace

const char *prf_section(int no) { return no >= 0 && no < PRF_SECTIONS ? sections[no] : ""; }

int prf_parse(int type, const char *text, PrfValue &v) {
  switch (type) {
  case PRF_LONG: {
    int32_t l = strtol32(text);
    v.l = l == INT32_MIN ? INT32_MAX : (l < 0 ? -l : l);
    return 0;
  }
  case PRF_SHORT: {
    int32_t l = strtol32(text);
    v.s = l >= 32767 || l <= -32767 ? 0 : static_cast<int16_t>(l);
    return 0;
  }
  case PRF_ULONG:
    v.ul = static_cast<uint32_t>(strtol32(text));
    return 0;
  case PRF_FLOAT:
    v.f = static_cast<float>(std::strtod(text, nullptr));
    return 0;
  case PRF_DOUBLE:
    v.d = std::strtod(text, nullptr);
    return 0;
  case PRF_CHAR:
    v.str[0] = text[0];
    return 0;
  case PRF_STRING:
    std::strncpy(v.str, text, sizeof v.str - 1);
    v.str[sizeof v.str - 1] = '\0';
    return 0;
  }
  return -1;
}

void prf_format(int type, const PrfValue &v, char *out, std::size_t size) {
  switch (type) {
  case PRF_LONG:
    std::snprintf(out, size, "%d", static_cast<int>(v.l));
    break;
  case PRF_SHORT:
    std::snprintf(out, size, "%d", static_cast<int>(v.s));
    break;
  case PRF_ULONG:
    std::snprintf(out, size, "%ld", static_cast<long>(static_cast<int32_t>(v.ul)));
    break;
  case PRF_FLOAT:
    std::snprintf(out, size, "%f", static_cast<double>(v.f));
    break;
  case PRF_DOUBLE:
    std::snprintf(out, size, "%lf", v.d);
    break;
  case PRF_CHAR:
    std::snprintf(out, size, "%c", v.str[0]);
    break;
  case PRF_STRING:
    std::snprintf(out, size, "%s", v.str);
    break;
  default:
    if (size)
      out[0] = '\0';
  }
}

const char *prf_path() { return settings_path; }

void prf_setpath(const char *path) {
  std::strncpy(settings_path, path ? path : "", sizeof settings_path - 1);
  settings_path[sizeof settings_path - 1] = '\0';
}
