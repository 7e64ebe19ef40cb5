#include "files/sealname.h"

#include <cstdint>
#include <cstring>

#include "files/sealfmt.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/strutil.h"

int slf_namebad(const char *name, int *pos) {
  if (pos)
    *pos = -1;
  const std::size_t len = std::strlen(name);
  if (len < 1 || len > SLF_NAMEMAX + 1)
    return 0;
  for (char bad : {'@', '^', '[', ']', '_', '|'}) {
    for (const char *p = name; *p; p += sjis_charlen(p)) {
      if (*p == bad) {
        if (pos)
          *pos = int(p - name);
        return 0;
      }
    }
  }
  return 1;
}

int slf_namechk(const char *name, int *pos) {
  if (!name || !slf_namebad(name, pos))
    return 0;
  uint8_t hdr[SLF_HEADSIZE] = {};
  std::memcpy(hdr + SLF_OFF_NAME, name, std::strlen(name));
  sys_sealhdr('W', hdr);
  return 1;
}

int (*SlfNameDialog)(const UiQuestion &q);

int slf_askname() {
  uint8_t hdr[SLF_HEADSIZE];
  sys_sealhdr('R', hdr);
  char text[64] = {};
  std::memcpy(text, hdr + SLF_OFF_NAME, 24); // the field may lack its NUL
  // The dialog stays open until the name is valid; a script that never gives one ends.
  for (int tries = 0; tries < 100; ++tries) {
    UiQuestion q{};
    q.kind = UI_DIALOG;
    q.heading = "印鑑名";
    q.text = "印鑑名：";
    q.dialog = SLF_NAMEDLG;
    q.reply = text;
    q.replysize = sizeof text;
    // Without a dialog (native builds) an unanswered question is a cancel.
    if (ui_ask(q, SlfNameDialog) != 1)
      return -1;
    text[sizeof text - 1] = '\0';
    if (slf_namechk(text, nullptr))
      return 1;
  }
  return -1;
}
