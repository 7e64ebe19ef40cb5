// A second start's command line opened in this instance: its files, or the symbol
// source it names (only checked), with the status the second start reads.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "database/undo.h"
#include "files/filecmd.h"
#include "files/sealread.h"
#include "settings/appwin.h"
#include "settings/msgout.h"
#include "settings/syspath.h"
#include "shell/dde/handover.h"
#include "shell/drawwin/viewwin.h"

namespace {

// One word of a command line: quoted stretches when the text holds a quote, else
// words between single blanks. A word that does not fit word (size bytes with its
// NUL) comes back empty with *toolong set: a cut name would open another file.
const char *next_word(const char *p, bool quoted, char *word, std::size_t size, bool *toolong) {
  std::size_t n = 0;
  *toolong = false;
  if (quoted) {
    while (*p && *p != '"')
      p++;
    if (!*p)
      return nullptr;
    p++;
    while (*p && *p != '"') {
      if (n + 1 < size)
        word[n++] = *p;
      else
        *toolong = true;
      p++;
    }
    if (*p == '"')
      p++;
    while (*p == ' ')
      p++;
  } else {
    if (!*p)
      return nullptr;
    while (*p && *p != ' ') {
      if (n + 1 < size)
        word[n++] = *p;
      else
        *toolong = true;
      p++;
    }
    if (*p == ' ')
      p++;
  }
  word[n] = '\0';
  if (*toolong)
    word[0] = '\0';
  return p;
}

} // namespace

int fil_cmdopen(const char *text) {
  HWND main = app_hmain();
  if (main && !IsWindowEnabled(main)) {
    reg_action(120);
    return 0;
  }
  const char *p = text ? text : "";
  while (*p == ' ')
    p++;
  const bool quoted = std::strchr(p, '"') != nullptr;
  char names[2][262] = {};
  int nnames = 0;
  bool symbol = false;
  char word[262];
  bool toolong = false;
  for (int words = 0; words < 20 && (p = next_word(p, quoted, word, sizeof word, &toolong)); words++) {
    if (toolong) {
      msg_board(1, "%s", "ファイル名が長すぎるため開けません。");
      continue;
    }
    if (word[0] == '/' || word[0] == '-') {
      if ((word[1] == 'F' || word[1] == 'f') && (word[2] == '\0' || word[2] == ' '))
        symbol = true;
      continue;
    }
    if (!word[0])
      continue;
    if (nnames == 2) {
      reg_action(120);
      msg_board(0, "編集可能な図面数は %d図面までです。", 2);
      continue;
    }
    char found[262] = "";
    if (pth_find(word, found) == 1)
      std::snprintf(names[nnames], sizeof names[nnames], "%s", found);
    else
      std::snprintf(names[nnames], sizeof names[nnames], "%s", word);
    nnames++;
  }
  if (!symbol) {
    for (int i = 0; i < nnames; i++)
      fil_open(1, names[i]);
    HandoverBusy = 0;
    return 0;
  }
  // The symbol source: only checked here; recording is back on for both drawings after.
  if (!vwin_active()) {
    reg_action(110);
    msg_board(0, "シンボル配置元図面がオープンされていません。");
  } else if (!nnames) {
    reg_action(130);
    msg_board(0, "シンボル配置元図面がオープンされていません。");
  } else if (GetFileAttributesA(names[0]) == INVALID_FILE_ATTRIBUTES) {
    reg_action(130);
    msg_board(0, "指定されたファイルは存在しません。");
  } else {
    int was[2];
    for (int d = 0; d < 2; d++)
      was[d] = und_stop(d) == 0;
    const int kind = slf_probe(names[0]);
    if (kind == -1) {
      reg_action(130);
      msg_err(30150, names[0]);
    } else if (kind == 0) {
      reg_action(140);
      msg_err(30150, names[0]);
    }
    for (int d = 0; d < 2; d++)
      if (was[d])
        und_strt(d);
  }
  HandoverBusy = 0;
  return 0;
}
