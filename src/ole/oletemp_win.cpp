#include <windows.h>

#include <cstring>

#include "files/olefmt.h"
#include "ole/oleblock.h"
#include "settings/syspath.h"

namespace {
char temp_name[MAX_PATH + 16];
}

const char *OleTempFileName() { return temp_name; }

const char *MakeOleTempFileName() {
  char work[262] = "";
  sys_path('R', 4, work);
  char made[MAX_PATH + 16] = "";
  if (work[0] && GetTempFileNameA(work, "KlOLE", 0, made) && made[0])
    std::strcpy(temp_name, made);
  else if (!JoinPath(work, "KlOLE.$$$", temp_name, sizeof temp_name))
    std::strcpy(temp_name, "KlOLE.$$$");
  return temp_name;
}
