#include <windows.h>

#include <cstdio>
#include <cstring>

#include "files/olefmt.h"
#include "files/oleblock.h"
#include "settings/syspath.h"

namespace {
char temp_name[MAX_PATH + 16];
}

const char *OleTempFileName() { return temp_name; }

void MakeOleTempName(char *out, unsigned cap) {
  char work[262] = "";
  sys_path('R', 4, work);
  char made[MAX_PATH + 16] = "";
  if (work[0] && GetTempFileNameA(work, "KlOLE", 0, made) && made[0] && std::strlen(made) < cap)
    std::strcpy(out, made);
  else if (!JoinPath(work, "KlOLE.$$$", out, cap))
    std::snprintf(out, cap, "%s", "KlOLE.$$$");
}

const char *MakeOleTempFileName() {
  MakeOleTempName(temp_name, sizeof temp_name);
  return temp_name;
}
