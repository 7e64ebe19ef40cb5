#include "settings/strutil.h"

#include <cstring>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Copies n bytes of src and a NUL into dst when they fit; else empties dst.
int put(char *dst, std::size_t dstsize, const char *src, std::size_t n) {
  if (dstsize == 0)
    return 1;
  if (n + 1 > dstsize) {
    dst[0] = '\0';
    return 1;
  }
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return 0;
}

// End of the folder part as the shell's "remove file name" leaves it.
std::size_t dir_end(const char *path) {
  const char *p = path;
  const char *cut = path;
  if (*p == '\\')
    cut = ++p;
  if (*p == '\\')
    cut = ++p;
  while (*p) {
    if (*p == '\\') {
      cut = p;
    } else if (*p == ':') {
      cut = ++p;
      if (*p == '\\')
        cut++;
      continue;
    }
    p += sjis_charlen(p);
  }
  return static_cast<std::size_t>(cut - path);
}

bool has_drive(const char *path) {
  unsigned char c = static_cast<unsigned char>(path[0]);
  return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

} // namespace

int str_trim(int flags, char *text) {
  char *s = text;
  if (flags & (TRIM_LEAD | TRIM_WORD))
    while (is_blank(*s))
      s++;
  std::size_t n = std::strlen(s);
  if (flags & TRIM_WORD) {
    std::size_t i = 0;
    while (s[i] && !is_blank(s[i]))
      i += sjis_charlen(s + i);
    n = i;
  }
  if (flags & TRIM_TRAIL) {
    // Only whole characters: a trail byte is never a blank, so a plain scan is safe.
    while (n > 0 && is_blank(s[n - 1]))
      n--;
  }
  std::memmove(text, s, n);
  text[n] = '\0';
  return 0;
}

int str_upper(char *text) {
  for (char *p = text; *p; p += sjis_charlen(p))
    if (!sjis_ispair(p) && *p >= 'a' && *p <= 'z')
      *p = static_cast<char>(*p - 'a' + 'A');
  return 0;
}

int str_lower(char *text) {
  for (char *p = text; *p; p += sjis_charlen(p))
    if (!sjis_ispair(p) && *p >= 'A' && *p <= 'Z')
      *p = static_cast<char>(*p - 'A' + 'a');
  return 0;
}

int str_dblamp(const char *src, char *dst, std::size_t size) {
  // Copy whole characters only, at most size bytes.
  std::size_t len = 0;
  bool cut = false;
  while (src[len]) {
    std::size_t cl = sjis_charlen(src + len);
    if (len + cl > size) {
      cut = true;
      break;
    }
    len += cl;
  }
  std::memmove(dst, src, len);
  dst[len] = '\0';
  if (cut)
    return 0;
  for (std::size_t i = 0; dst[i];) {
    if (sjis_ispair(dst + i)) {
      i += 2;
      continue;
    }
    if (dst[i] == '&') {
      if (len + 1 > size)
        return 0;
      std::memmove(dst + i + 1, dst + i, len - i + 1);
      len++;
      i += 2;
      continue;
    }
    i++;
  }
  return 1;
}

const char *pth_findext(const char *path) {
  const char *last = nullptr;
  const char *p = path;
  while (*p) {
    if (*p == '\\' || *p == ' ')
      last = nullptr;
    else if (*p == '.')
      last = p;
    p += sjis_charlen(p);
  }
  return last ? last : p;
}

const char *pth_findname(const char *path) {
  const char *name = path;
  for (const char *p = path; *p; p += sjis_charlen(p)) {
    if (sjis_ispair(p))
      continue;
    if ((*p == '\\' || *p == '/' || *p == ':') && p[1] && p[1] != '\\' && p[1] != '/')
      name = p + 1;
  }
  return name;
}

bool pth_endsbs(const char *path) {
  const char *last = nullptr;
  for (const char *p = path; *p; p += sjis_charlen(p))
    last = p;
  return last && !sjis_ispair(last) && *last == '\\';
}

int pth_dir(const char *path, char *dst, std::size_t dstsize) {
  std::size_t n = dir_end(path);
  bool addbs = false;
  if (n > 0) {
    std::string head(path, n);
    addbs = !pth_endsbs(head.c_str());
  }
  if (n + addbs + 1 > dstsize)
    return put(dst, dstsize, path, dstsize); // empties dst, gives 1
  std::memmove(dst, path, n);
  if (addbs)
    dst[n++] = '\\';
  dst[n] = '\0';
  return 0;
}

int pth_dirnodrv(const char *path, char *dst, std::size_t dstsize) {
  int r = pth_dir(path, dst, dstsize);
  if (r == 0 && has_drive(dst))
    std::memmove(dst, dst + 2, std::strlen(dst + 2) + 1);
  return r;
}

int pth_fname(const char *path, char *dst, std::size_t dstsize) {
  const char *name = pth_findname(path);
  return put(dst, dstsize, name, std::strlen(name));
}

int pth_title(const char *path, char *dst, std::size_t dstsize) {
  const char *name = pth_findname(path);
  return put(dst, dstsize, name, static_cast<std::size_t>(pth_findext(name) - name));
}

int pth_ext(const char *path, char *dst, std::size_t dstsize) {
  const char *ext = pth_findext(path);
  return put(dst, dstsize, ext, std::strlen(ext));
}

int pth_noext(const char *path, char *dst, std::size_t dstsize) {
  return put(dst, dstsize, path, static_cast<std::size_t>(pth_findext(path) - path));
}

int pth_renext(char *path, std::size_t pathsize, const char *ext) {
  std::size_t keep = static_cast<std::size_t>(pth_findext(path) - path);
  std::size_t n = std::strlen(ext);
  if (keep + n + 1 > pathsize)
    return 1;
  std::memmove(path + keep, ext, n + 1);
  return 0;
}

int pth_drive(const char *path, char *dst, std::size_t dstsize) {
  if (!has_drive(path)) {
    if (dstsize)
      dst[0] = '\0';
    return -1;
  }
  return put(dst, dstsize, path, 2) ? -1 : 0;
}

std::string pth_addbs(const std::string &s) {
  if (s.empty() || pth_endsbs(s.c_str()))
    return s;
  return s + '\\';
}

namespace {
// Byte length of a leading ' ' or full-width blank at p, or 0.
std::size_t blank_at(const char *p) {
  if (*p == ' ')
    return 1;
  if (static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x40)
    return 2;
  return 0;
}
} // namespace

std::string str_trimjs(const std::string &s) {
  const char *p = s.c_str();
  std::size_t b = 0;
  while (std::size_t k = blank_at(p + b))
    b += k;
  // Walk forward by characters so a trail byte never ends the scan early.
  std::size_t end = b;
  for (std::size_t i = b; p[i];) {
    std::size_t k = blank_at(p + i);
    std::size_t cl = k ? k : sjis_charlen(p + i);
    i += cl;
    if (!k)
      end = i;
  }
  return s.substr(b, end - b);
}

std::vector<std::string> str_split(const std::string &s) {
  std::vector<std::string> out;
  if (s.empty())
    return out;
  std::size_t start = 0;
  for (;;) {
    std::size_t i = s.find(';', start);
    if (i == std::string::npos) {
      if (start < s.size())
        out.push_back(s.substr(start));
      break;
    }
    out.push_back(s.substr(start, i - start));
    start = i + 1;
  }
  return out;
}

std::string pth_chgext(const std::string &path, const std::string &ext) {
  std::size_t dot = path.rfind('.');
  std::string base = dot == std::string::npos ? path : path.substr(0, dot);
  std::size_t edot = ext.find('.');
  return base + (edot == std::string::npos ? ext : ext.substr(edot));
}
