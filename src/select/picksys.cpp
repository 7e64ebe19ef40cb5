#include "select/picksys.h"

namespace {
PickSysHooks hooks = pck_platform();
}

PickSysHooks &pck_hooks() { return hooks; }
void pck_reset() { hooks = pck_platform(); }
