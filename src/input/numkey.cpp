#include "input/numkey.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "input/calc.h"
#include "settings/params.h"
#include "settings/strutil.h"

int num_declen(const char *text) {
  int n = 0;
  if (text[0] == '+' || text[0] == '-')
    n = 1;
  while ((text[n] >= '0' && text[n] <= '9') || text[n] == '.')
    ++n;
  if (n == 0 || text[n] == '\0')
    return static_cast<int>(std::strlen(text));
  return n;
}

int num_dms(const char *text, double *value, int *length) {
  const int len = num_declen(text);
  *length = len;
  if (len == 0)
    return 1;
  // Degrees up to 4 characters (sign included), minutes and seconds up to 2 each.
  static const int widest[3] = {4, 2, 2};
  char field[3][5] = {};
  int nf = 0, at = 0;
  for (int i = 0; i < len; ++i) {
    if (text[i] == '.') {
      if (i + 1 == len)
        break; // a trailing '.' adds no field
      if (++nf >= 3)
        return 1;
      at = 0;
      continue;
    }
    if (at >= widest[nf])
      return 1;
    field[nf][at++] = text[i];
  }
  const double deg = std::atof(field[0]);
  const double min = std::atof(field[1]);
  const double sec = std::atof(field[2]);
  if (min > 59.9 || sec > 59.9)
    return 1;
  if (text[0] == '-')
    *value = deg - min / 60 - sec / 3600;
  else
    *value = deg + min / 60 + sec / 3600;
  return 0;
}

int str_sbonly(const char *text) {
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p)
    if (sjis_islead(*p) || (*p >= 0xA1 && *p <= 0xDF))
      return -1;
  return 0;
}

int scl_ratio(int mode, int dwg, int index, double *value) {
  if (mode != 0 && mode != 1)
    return 1;
  if (dwg < 0 || dwg >= DWG_COUNT)
    return 2;
  if (index < 0 || index >= SCALE_COUNT)
    return 3;
  static DrawingEnvRecord env;
  if (sys_dwgenv('R', dwg, &env) != 0)
    return 2;
  const double a = env.scales[index].num, b = env.scales[index].den;
  const double a0 = env.scales[0].num, b0 = env.scales[0].den;
  if (a == 0 || b == 0 || a0 == 0 || b0 == 0)
    return 3;
  *value *= mode == 0 ? (b / a) / (b0 / a0) : (a / b) / (a0 / b0);
  return 0;
}

namespace {
const char *skip(const char *p) {
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}
} // namespace

int num_fields(const char *text, int n, double *values, int *count) {
  const char *p = skip(text);
  int taken = 0;
  for (int i = 0; i < n; ++i) {
    p = skip(p);
    if (*p == '\0')
      break;
    if (*p == ',') {
      p = skip(p + 1);
      if (*p == '\0') {
        ++taken;
        break;
      }
      if (*p == ',' || i == 0) {
        ++taken;
        continue;
      }
    }
    double v = 0;
    const int err = clc_eval(0, &p, &v);
    if (err) {
      *count = taken;
      return err;
    }
    values[i] = v;
    ++taken;
  }
  *count = taken;
  return 0;
}

int num_intparse(const char *text, int32_t *value) {
  double v = 0;
  if (text[0] == 'x') {
    int d;
    for (const char *p = text + 1;; ++p) {
      const char c = *p;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        break;
      v = v * 16 + d;
    }
  } else if (text[0] != '\0') {
    const char *p = text;
    const int err = clc_eval(0, &p, &v);
    if (err)
      return err;
  }
  if (v >= -32768 && v <= 10000) {
    *value = static_cast<int32_t>(v);
    return 0;
  }
  *value = 0;
  return -1;
}
