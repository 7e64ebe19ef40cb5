// Placing is not built yet: the date flag is never set, so no text is replaced.
#include "plugin/raruput.h"

int32_t Raru_DateActive = 0;

int Raru_FormatDate(const char *, char *out) {
  out[0] = '\0';
  return 0;
}
