// CMDL command lines from another program: each input line is split into words, the
// words stay inside the line and the slots after them are empty, and every element
// kind formats into the reply buffer, terminated, with the text cut at a character.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/cmdl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
  size_t pos = 0;
  while (pos <= in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos)
      end = in.size();
    std::string line = in.substr(pos, end - pos) + "\r\n";
    pos = end + 1;
    char buf[CMDL_LINEMAX + 3] = {};
    std::strncpy(buf, line.c_str(), CMDL_LINEMAX);
    const size_t len = std::strlen(buf);
    char *w[CMDL_WORDS + 1];
    if (dde_token(buf, w) != CMDL_WORDS + 1)
      std::abort();
    for (char *word : w)
      if (*word && (word < buf || word >= buf + len))
        std::abort();
    dde_word(w[0]);
    bool ok = true;
    ElementRecord rec{};
    const uint16_t kinds[] = {PNT, LIN, ARC, CHR, NOD};
    const long k = dde_int(w[1]);
    rec.kind = kinds[((k % 5) + 5) % 5];
    rec.lin.x1 = dde_real(w[2], &ok);
    rec.lin.y1 = dde_real(w[3], &ok);
    std::string text = std::string(w[4]) + std::string(1200, 'x') + w[4];
    char out[CMDL_REPLYMAX];
    dde_fmtelm(static_cast<int32_t>(dde_int(w[1])), &rec, text.c_str(), out, sizeof out);
    if (std::strlen(out) >= sizeof out)
      std::abort();
    dde_unquote(w[4]);
  }
  return 0;
}
