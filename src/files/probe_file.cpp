// fil_probe's file side: the path, its extension and the bytes read.
#include <cstdio>
#include <cstring>

#include "files/probe.h"
#include "settings/strutil.h"

int fil_probe(int mode, int *kind, char *folder, char *name, char *text, char *text2, char *text3) {
  char texts[3][FIL_TEXTBUF] = {};
  int k = FIL_NOFILE;
  if (folder)
    str_upper(folder);
  if (name)
    str_upper(name);
  char path[PATH_BUF];
  int len = -1;
  if (!(name && name[0] == '.') && (folder || name))
    len = std::snprintf(path, sizeof path, "%s%s", folder ? folder : "", name ? name : "");
  if (len > 0 && std::size_t(len) < sizeof path) {
    // The extension: the last dot within the last four characters.
    const char *ext = "";
    for (int i = len - 1; i >= 0 && i >= len - 4; i--)
      if (path[i] == '.') {
        ext = path + i;
        break;
      }
    if (std::FILE *fp = std::fopen(path, "rb")) {
      static uint8_t head[FIL_SCANMAX];
      std::size_t n = std::fread(head, 1, sizeof head, fp);
      std::fclose(fp);
      k = fil_probebuf(ext, head, n, texts);
    }
  }
  if (kind)
    *kind = k;
  if (mode >= 0) {
    if (text)
      std::snprintf(text, FIL_PROBEBUF, "%s,%s,%s", texts[0], texts[1], texts[2]);
  } else {
    char *outs[3] = {text, text2, text3};
    for (int i = 0; i < 3; i++)
      if (outs[i])
        std::memcpy(outs[i], texts[i], FIL_TEXTBUF);
  }
  return k;
}
