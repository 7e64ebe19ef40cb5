// Records of the menu file: each line of the input is read as a CADMENU record
// text; the record written back reads as the same record, and its labels make a
// status line that fits its buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/menurec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
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
    char status[32];
    cmd_statustext(r.shortlabel, r.longlabel, status);
    // A record whose short label is plain single-byte text without a comma reads back
    // as itself (a label cut inside a double-byte character need not).
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
  return 0;
}
