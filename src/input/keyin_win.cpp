#include "input/keyin.h"

#include <cstdio>
#include <cstring>

#include "input/calc.h"
#include "input/gcr.h"
#include "input/inputcalls.h"
#include "input/numkey.h"

int keyin_line(uint32_t mask, int maxlen, char *buffer) {
  if (!buffer || maxlen < 1)
    return -1;
  KeyinMask = mask;
  return inc_lineinput(nullptr, buffer, maxlen, keyin_filter);
}

int num_keyin(int, int, uint32_t mask, int maxlen, char *buffer, int n, double *values, int *count) {
  for (;;) {
    const int code = keyin_line(mask, maxlen, buffer);
    if (buffer && maxlen >= 1)
      buffer[maxlen - 1] = '\0';
    if (code < 0 || code >= 1000 || !buffer || buffer[0] == '\0' || code == 27) {
      *count = 0;
      return code;
    }
    if (num_fields(buffer, n, values, count) == 0)
      return code;
    // An expression error: the line is asked for again.
  }
}

int num_intkey(int, uint32_t mask, int maxlen, char *buffer, int32_t *value) {
  for (;;) {
    const int code = keyin_line(mask, maxlen, buffer);
    if (code == 27 || code == 501 || code < 0 || code >= 1000)
      return code;
    buffer[maxlen] = '\0';
    const int r = num_intparse(buffer, value);
    if (r == 0)
      return code;
    if (r == -1)
      return -1;
  }
}

LRESULT edt_selall(HWND dialog, int control) {
  HWND edit = GetDlgItem(dialog, control);
  SetActiveWindow(dialog);
  SetFocus(edit);
  return SendMessageA(edit, EM_SETSEL, 0, -1);
}

int edt_numfld(HWND dialog, int control, const char *format, void *value, int type, double minimum, double maximum) {
  const int kind = type & ~0xC000;
  static const int widest[3] = {5, 10, 15};
  if (kind < 0 || kind > 2 || !value)
    return 0;
  if (!(type & 0x8000)) {
    char text[CLC_MAXTEXT + 1] = {};
    if (GetDlgItemTextA(dialog, control, text, widest[kind] + 1) == 0)
      return 0;
    const char *p = text;
    double v = 0;
    if (clc_eval(0, &p, &v) != 0 || !(v >= minimum && v <= maximum))
      return 0;
    // A value the variable cannot hold fails like one out of the bounds.
    static const double lo[3] = {-32768.0, -2147483648.0, -1.7976931348623157e308};
    static const double hi[3] = {32767.0, 2147483647.0, 1.7976931348623157e308};
    if (v < lo[kind] || v > hi[kind])
      return 0;
    if (kind == 0)
      *static_cast<int16_t *>(value) = static_cast<int16_t>(v);
    else if (kind == 1)
      *static_cast<int32_t *>(value) = static_cast<int32_t>(v);
    else
      *static_cast<double *>(value) = v;
  }
  if (!(type & 0x4000) && format) {
    char text[64];
    if (kind == 0)
      std::snprintf(text, sizeof text, format, static_cast<int>(*static_cast<int16_t *>(value)));
    else if (kind == 1)
      std::snprintf(text, sizeof text, format, static_cast<int>(*static_cast<int32_t *>(value)));
    else
      std::snprintf(text, sizeof text, format, *static_cast<double *>(value));
    SetDlgItemTextA(dialog, control, text);
  }
  return 1;
}
