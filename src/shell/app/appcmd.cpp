#include "shell/app/appcmd.h"

#include <cstdlib>
#include <cstring>

AppStartArgs AppArgs;

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// Copies n bytes into out when they fit with their NUL, else leaves out empty.
void take(const char *from, size_t n, char out[APP_NAMELEN], bool *toolong) {
  if (n >= size_t(APP_NAMELEN)) {
    out[0] = '\0';
    if (toolong)
      *toolong = true;
    return;
  }
  std::memcpy(out, from, n);
  out[n] = '\0';
}

} // namespace

const char *app_cmdtoken(const char *pos, char out[APP_NAMELEN], bool *toolong) {
  out[0] = '\0';
  if (toolong)
    *toolong = false;
  if (!pos)
    return nullptr;
  while (blank(*pos))
    pos++;
  if (*pos == '"') {
    const char *close = std::strchr(pos + 1, '"');
    if (!close)
      return nullptr; // an unclosed quote ends the list
    take(pos + 1, size_t(close - pos - 1), out, toolong);
    return close + 1;
  }
  const char *end = pos;
  while (*end && !blank(*end))
    end++;
  take(pos, size_t(end - pos), out, toolong);
  return *end ? end : nullptr;
}

void app_cmdparse(const char *text, AppCmdLine &out) {
  std::memset(&out, 0, sizeof out);
  out.trace = -1;
  const char *pos = text ? text : "";
  char word[APP_NAMELEN];
  for (int n = 0; n < 20 && pos && *pos; n++) {
    bool toolong = false;
    pos = app_cmdtoken(pos, word, &toolong);
    if (toolong) {
      out.toolong++; // refused, and the next word is looked at
      continue;
    }
    if (!word[0])
      break;
    if (word[0] != '/' && word[0] != '-') {
      if (out.count < 2)
        std::strcpy(out.files[out.count++], word);
      continue;
    }
    switch (word[1]) {
    case 'D':
    case 'd':
      out.trace = std::atoi(word + 2);
      break;
    case 'F':
    case 'f':
      if (word[2] == '\0' || blank(word[2])) {
        out.refuse = true;
        return;
      }
      break;
    default:
      break;
    }
  }
}

bool app_samefile(const char *a, const char *b) {
  auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
  while (*a && *b) {
    const unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    const bool lead = (ca >= 0x81 && ca <= 0x9F) || (ca >= 0xE0 && ca <= 0xFC);
    if (lead) {
      if (ca != cb || a[1] != b[1])
        return false;
      if (!a[1])
        return true;
      a += 2, b += 2;
      continue;
    }
    if (fold(ca) != fold(cb))
      return false;
    a++, b++;
  }
  return *a == *b;
}

int app_openfiles(int (*open)(int mode, const char *path)) {
  for (int i = 0; i < 2 && i < AppArgs.count; i++) {
    char *name = AppArgs.files[i];
    if (!name[0])
      continue;
    if (AppArgs.openedcount == 0) {
      std::memcpy(AppArgs.firstopened, name, sizeof AppArgs.firstopened);
      AppArgs.openedcount = 1;
    } else if (app_samefile(name, AppArgs.firstopened)) {
      name[0] = '\0'; // opened already, by the DDE open of the same file
      continue;
    }
    open(1, name);
  }
  return 0;
}
