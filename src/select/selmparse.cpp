#include <cstring>

#include "select/popup.h"
#include "settings/msgfile.h"
#include "settings/strutil.h"

namespace {
constexpr char UNDEFINED[] = "未定義 ";
constexpr int TEXT_MAX = 128; // the item text is read from a copy this long

bool blank(char c) { return c == ' '; }
} // namespace

int selm_parse(const char *itemtext, const char *keys, bool titled, SelMenuParts *out) {
  if (!itemtext || !keys || !out)
    return -1;
  std::memset(out, 0, sizeof *out);
  char buf[TEXT_MAX];
  msg_copy(buf, sizeof buf, itemtext);

  const char *items = buf;
  const char *eq = std::strchr(buf, '=');
  if (eq) {
    items = eq + 1;
    while (blank(*items))
      items++;
  }
  if (!titled) {
    if (!eq)
      return -1;
    const std::size_t len = static_cast<std::size_t>(items - buf);
    char head[TEXT_MAX];
    std::memcpy(head, buf, len);
    head[len] = '\0';
    msg_copy(out->title, sizeof out->title, head);
  }

  while (blank(*keys))
    keys++;
  if (*keys == '-') {
    out->defkey = keys[1];
    keys += keys[1] ? 2 : 1;
  } else {
    out->defkey = keys[0];
  }
  const std::size_t n = std::strlen(keys);
  if (n < 1 || n > SELM_MAXITEMS - 1)
    return -1;
  std::memcpy(out->keys, keys, n);
  out->count = static_cast<int>(n);

  const char *p = items;
  for (int i = 0; i < out->count; i++) {
    while (blank(*p))
      p++;
    if (!*p) {
      msg_copy(out->items[i], SELM_SLOT, UNDEFINED);
      continue;
    }
    const char *end = p;
    while (*end && !blank(*end))
      end += sjis_charlen(end);
    const std::size_t len = static_cast<std::size_t>(end - p);
    char token[TEXT_MAX];
    std::memcpy(token, p, len);
    token[len] = '\0';
    msg_copy(out->items[i], SELM_SLOT, token);
    p = end;
  }
  return 0;
}
