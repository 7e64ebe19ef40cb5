// Until the object layer exists both copies are the display's plain area copy.
#include "ole/olecopy.h"

#include "display/areacopy_win.h"

int OleCopyViewArea() { return clp_copy(nullptr); }
int OleCopyPickedArea() { return clp_copycmd(); }
