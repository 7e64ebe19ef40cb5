// Group walks of the copy engine that the transforms need as well.
#pragma once

#include "database/record.h"

// Scale number of a dimension node of a drawing: -1 for a record that is not one
// (subkind 1); else the first non-zero scale number of its members in member order
// (a member node searched the same way, ending the walk when it gives 0 or more), the
// last value seen when none ends it (0 when every member has scale number 0). Each
// record is visited at most once; a member that cannot be read ends the walk.
int cpy_grplayer(int drawing, const ElementRecord *node);
