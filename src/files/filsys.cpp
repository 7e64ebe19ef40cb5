#include "files/filsys.h"

namespace {
FilSysHooks hooks = fil_sysplatform();
}

FilSysHooks &fil_sys() { return hooks; }
void fil_sysreset() { hooks = fil_sysplatform(); }
