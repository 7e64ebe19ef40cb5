#include "input/gcr.h"

InputEvent InputEvt = {0, -1, -1, -1, -1, 0};
uint32_t GcrEscSwitch = 0;
uint32_t GcrEnterDone = 0;
uint32_t KeyinMask = 0;

int gcr_event(int32_t *dwg, int32_t *view, int32_t *x, int32_t *y, int32_t *keys) {
  if (dwg)
    *dwg = InputEvt.dwg;
  if (view)
    *view = InputEvt.view;
  if (x)
    *x = InputEvt.x;
  if (y)
    *y = InputEvt.y;
  if (keys)
    *keys = InputEvt.keys;
  return InputEvt.code;
}

int gcr_evreset() {
  InputEvt = InputEvent{0, -1, -1, -1, -1, 0};
  return 0;
}

int gcr_evkeys() { return InputEvt.code >= 1 ? InputEvt.keys : 0; }
