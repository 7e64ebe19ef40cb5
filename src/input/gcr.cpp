#include "input/gcr.h"

int gcr_clrfb() { return -1; } // the input loop draws no feedback yet
