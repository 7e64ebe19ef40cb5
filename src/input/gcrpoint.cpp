#include "input/gcrpoint.h"

InputPointsRecord InputPoints[2];
PointRetainRecord PointRetain;

uint32_t gcr_dwgset(uint32_t mask, int32_t cur) {
  if (mask == 0)
    return 3;
  if (mask == GCR_CURONLY || mask == GCR_CURDWG) {
    if (PointRetain.on)
      return PointRetain.drawings & 3;
    return cur == 0 || cur == 1 ? 1u << cur : 0;
  }
  return mask & 3;
}

int gcr_snapkind(int code, uint32_t pickmode, uint32_t snapoff) {
  int kind;
  switch (code) {
  case 504:
    kind = 8;
    break;
  case 502:
    kind = pickmode == 3 ? 7 : 6;
    break;
  case 47:
    kind = 6;
    break;
  case 500: {
    static const int by_mode[5] = {0, 5, 1, 2, 3};
    kind = pickmode <= 4 ? by_mode[pickmode] : 0;
    break;
  }
  default:
    return -1;
  }
  return snapoff == 1 ? 0 : kind;
}

int gcr_keydigit(int code) {
  if (code >= 48 && code <= 57)
    return code;
  if (code >= 96 && code <= 105)
    return code - 48;
  if (code == 110 || code == 190)
    return 110;
  return 0;
}
