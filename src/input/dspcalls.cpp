// Fills the display's calls into the input loop: the feedback erase the views need
// when they scroll and the snap mark's silent search. It runs while the program
// loads, so every program and test has them before main.
#include "display/view/inputcalls.h"
#include "display/marks/snapmark.h"
#include "input/gcr.h"
#include "input/gcrsnap.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  SnapSearch = &gcr_snappnt;
#ifdef _WIN32
  InputCall.clrfb = &gcr_clrfb; // the get-point loop runs on Windows only
#endif
  return true;
}();
} // namespace
