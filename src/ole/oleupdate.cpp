#include "ole/oleupdate.h"

#include "ole/olecopy.h"

void OleUpdateSelected() { UpdateSelectedItem(); }
