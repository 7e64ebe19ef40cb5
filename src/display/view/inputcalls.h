// What the views ask of the input loop above them. The input layer fills the table
// when the program loads (input/dspcalls.cpp); while a slot is empty the call does
// nothing. The snap mark's search is the separate SnapSearch (display/marks/snapmark.h),
// which the input layer fills the same way.
#pragma once

struct InputCalls {
  // Erases the get-point loop's XOR feedback, which a scroll would leave behind.
  int (*clrfb)();
};
extern InputCalls InputCall;

inline void vew_clrfb() {
  if (InputCall.clrfb)
    InputCall.clrfb();
}
