// Records of the menu file: each line of the input is read as a CADMENU record
// text; the record written back reads as the same record, its labels never end in
// a lead byte and make a status line that fits its buffer, and the group list and
// page walks over the records end inside the array.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/cmdl/menurec.h"
#include "settings/strutil.h"

namespace {
// Whether a label ends inside a double-byte character.
bool cut_inside(const char *s) {
  size_t i = 0, n = std::strlen(s);
  while (i < n)
    i += sjis_islead(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i > n;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
  static MenuFileRecord recs[MNU_MAX];
  int count = 0;
  size_t pos = 0;
  while (pos <= in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos)
      end = in.size();
    std::string line = in.substr(pos, end - pos);
    pos = end + 1;
    char text[256] = {};
    std::strncpy(text, line.c_str(), sizeof text - 1);
    MenuFileRecord r;
    cmd_mnurec('r', text, &r);
    if (std::strlen(r.shortlabel) > 9 || std::strlen(r.longlabel) > 15)
      std::abort();
    // Only a text that itself ends in a lone lead byte keeps one (a short label
    // always ends at a comma, which a lead byte would have taken as its trail).
    const size_t tl = std::strlen(text), ll = std::strlen(r.longlabel);
    if (cut_inside(r.shortlabel) ||
        (cut_inside(r.longlabel) && (tl < ll || std::strcmp(text + tl - ll, r.longlabel) != 0)))
      std::abort();
    if (count < MNU_COUNTMAX)
      recs[count++] = r;
    char status[32];
    cmd_statustext(r.shortlabel, r.longlabel, status);
    // A record whose short label is plain single-byte text without a comma reads back
    // as itself.
    bool plain = !std::strchr(r.shortlabel, ',');
    for (const char *p = r.shortlabel; *p; p++)
      plain = plain && static_cast<unsigned char>(*p) < 0x80;
    if (plain) {
      char out[80];
      cmd_mnurec('w', out, &r);
      MenuFileRecord back;
      cmd_mnurec('r', out, &back);
      if (back.parent != r.parent || back.child != r.child || back.next != r.next || back.command != r.command ||
          back.value != r.value || std::strcmp(back.shortlabel, r.shortlabel) != 0)
        std::abort();
    }
  }
  MenuArray = recs;
  MenuCount = count;
  mnu_resetpages();
  mnu_groups();
  int32_t slots[MNU_SLOTS];
  for (int page = -1; page < count; page++)
    for (int n = mnu_chain(page, slots), k = 0; k < n; k++)
      if (slots[k] < 0 || slots[k] >= count)
        std::abort();
  MenuArray = nullptr;
  MenuCount = 0;
  return 0;
}
