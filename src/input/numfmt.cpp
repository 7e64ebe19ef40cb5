#include "input/numfmt.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "settings/params.h"
#ifdef _WIN32
#include "input/inpkind.h"
#endif

namespace {

int decimals() {
#ifdef _WIN32
  uint32_t rec[INP_KINDWORDS] = {};
  if (inp_kind('r', 5, rec) == 0)
    return static_cast<int>(rec[3] > NUM_BARDEC ? NUM_BARDEC : rec[3]);
#endif
  // Without the input-kind table (native builds) the decimals it is given at start-up.
  DimAttrs dim;
  sys_dimatr('r', &dim);
  return dim.decimals;
}

} // namespace

int num_barfmtd(double value, char *text, int n, int zeromode) {
  if (!text || !std::isfinite(value))
    return 1;
  const std::size_t len = strnlen(text, NUM_BARTEXT + 1);
  if (len > NUM_BARTEXT)
    return 1;
  const char *bar1 = static_cast<const char *>(std::memchr(text, '|', len));
  const char *bar2 = bar1 ? static_cast<const char *>(std::memchr(bar1 + 1, '|', len - (bar1 + 1 - text))) : nullptr;
  if (!bar2)
    return 1;
  n = n < 0 ? 0 : n > NUM_BARDEC ? NUM_BARDEC : n;

  // Half a unit of the last place added to the magnitude, then cut there: halves go away
  // from zero on both sides. The extra printed places absorb the addition's rounding
  // (1.235 + 0.005 is 1.2399999...).
  const double mag = std::fabs(value) + 0.5 / std::pow(10.0, n);
  char num[400];
  int w = std::snprintf(num, sizeof num, "%.*f", n + 9, mag);
  if (w < 0 || w >= static_cast<int>(sizeof num) - 1)
    return 1;
  char *dot = std::strchr(num, '.');
  if (n == 0)
    *dot = '\0';
  else
    dot[n + 1] = '\0';
  if (zeromode == 2 && std::strchr(num, '.')) {
    std::size_t k = std::strlen(num);
    while (k > 0 && num[k - 1] == '0')
      num[--k] = '\0';
    if (k > 0 && num[k - 1] == '.')
      num[--k] = '\0';
  }
  // No "-0.00": the sign only where a digit is left that is not zero.
  const bool neg = value < 0 && std::strpbrk(num, "123456789");

  const std::size_t head = bar1 + 1 - text, tail = len - (bar2 - text), nlen = std::strlen(num) + (neg ? 1 : 0);
  if (head + nlen + tail > NUM_BARTEXT)
    return 1;
  char out[NUM_BARTEXT + 1];
  std::memcpy(out, text, head);
  char *p = out + head;
  if (neg)
    *p++ = '-';
  std::memcpy(p, num, std::strlen(num));
  p += std::strlen(num);
  std::memcpy(p, bar2, tail);
  p[tail] = '\0';
  std::memcpy(text, out, head + nlen + tail + 1);
  return 0;
}

int num_barfmt(double value, char *text) {
  DimAttrs dim;
  sys_dimatr('r', &dim);
  return num_barfmtd(value, text, decimals(), dim.zeromode);
}
