#include "ole/oleupdate.h"

void OleUpdateSelected() {}
