#include "database/dbsys.h"

namespace {
DbSysHooks hooks = dbs_platform();
}

DbSysHooks &dbs_hooks() { return hooks; }
void dbs_reset() { hooks = dbs_platform(); }
