// The expression evaluator and the keyboard coordinate line over arbitrary typed text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input/calc.h"
#include "input/kpos.h"
#include "input/numkey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const char *s = text.c_str();
  const char *p = s;
  double v = 0;
  clc_eval(0, &p, &v);
  if (p < s || p > s + text.size())
    __builtin_trap();
  KposLine l;
  kpos_parse(s, 1, &l);
  double x = 1, y = 2;
  kpos_apply(l, 13, 2, 0, 0, &x, &y);
  double vals[4];
  int count = 0;
  num_fields(s, 4, vals, &count);
  int32_t iv = 0;
  num_intparse(s, &iv);
  int len = 0;
  num_dms(s, &v, &len);
  return 0;
}
