// CMDL command lines from another program: each input line is split into words, the
// words stay inside the line and the slots after them are empty, and every element
// kind formats into the reply buffer, terminated, with the text cut at a character.
// Then the lines run through the interpreter on a fresh in-memory drawing, with the
// user's input stubbed: the reply stays terminated inside its buffer, every result
// is one of the three, and nothing runs on top of a running command.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/cmdl/cmdl.h"
#include "display/view/view.h"
#include "fuzzstore.h"

namespace {
int Code = 500; // the next input code of the stubs
int next() {
  const int c = Code;
  Code = c == 500 ? 27 : c == 27 ? 800 : 500;
  return c;
}
const CmdlEdges kStubs = {
    [](const char *prompt, uint32_t, int32_t *dwg, int32_t *elem, double *x, double *y) {
      *dwg = 0;
      *elem = static_cast<int32_t>(std::strlen(prompt));
      *x = *y = 1;
      return next();
    },
    [](double *x, double *y) {
      *x = 2;
      *y = 3;
      return next();
    },
    [](char *buf, int size) {
      std::strncpy(buf, "typed", static_cast<size_t>(size) - 1);
      return next() == 500 ? 13 : 27;
    },
    [](const char *text) {
      if (std::strlen(text) > CMDL_LINEMAX)
        std::abort();
    },
    nullptr,
    nullptr,
    nullptr,
};

void interpret(const std::string &in) {
  fuzz_freshstore();
  dwg_setcur(0);
  DrawingEnvRecord env;
  sys_dwgenv('r', 0, &env);
  env.chr.height = 5;
  env.chr.width = 4;
  sys_dwgenv('w', 0, &env);
  dde_reset();
  dde_setedges(&kStubs);
  size_t pos = 0;
  while (pos < in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos)
      end = in.size();
    const int r = dde_cmdldata(in.data() + pos, end - pos);
    pos = end + 1;
    if (r != CMDL_ACK && r != CMDL_BUSY && r != CMDL_NONE)
      std::abort();
    if (std::memchr(dde_replytext(), '\0', CMDL_REPLYMAX) == nullptr || dde_state().running)
      std::abort();
  }
  dde_setedges(nullptr);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
  interpret(in);
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
