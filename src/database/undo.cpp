#include "database/undo.h"

#include "shell/appsvc_pending.h"

int und_writ(int db, int, int32_t, int, const ElementRecord *) {
  if (db == 0 || db == 1)
    DwgModFlags[db] |= 1;
  return 1;
}
