// Lines of the key file: each input line is read as a key assignment and as a
// shortcut-menu record. A key line written back fits or is refused, and reads as the
// same assignment.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/units/keyrec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
  size_t pos = 0;
  while (pos <= in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos)
      end = in.size();
    std::string line = in.substr(pos, end - pos);
    pos = end + 1;
    if (line.find('\0') != std::string::npos)
      continue;
    KeyItem k;
    if (key_rec('R', line.data(), line.size() + 1, &k) != 1)
      abort();
    char out[128];
    const KeyItem kept = k;
    if (key_rec('W', out, sizeof out, &k) == 1) {
      KeyItem back;
      key_rec('R', out, sizeof out, &back);
      if ((back.key & 0xff) != (kept.key & 0xff) || back.mods != kept.mods)
        abort();
    }
    ShortcutItem s;
    if (scm_parse(line.c_str(), &s) && (s.kind < 0 || s.kind > 2 || s.level < 0 || s.level > 4))
      abort();
  }
  return 0;
}
