#include "framework/cstring.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

unsigned char fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// Compares byte by byte, folding only bytes that are single-byte characters.
int compare(const char *a, const char *b, bool nocase, bool slashes) {
  const auto *p = reinterpret_cast<const unsigned char *>(a ? a : "");
  const auto *q = reinterpret_cast<const unsigned char *>(b ? b : "");
  for (;;) {
    unsigned char x = *p, y = *q;
    if (AfxIsLeadByte(x) && p[1] && AfxIsLeadByte(y) && q[1]) {
      if (x != y || p[1] != q[1])
        return x != y ? int(x) - int(y) : int(p[1]) - int(q[1]);
      p += 2, q += 2;
      continue;
    }
    if (nocase)
      x = fold(x), y = fold(y);
    if (slashes)
      x = x == '/' ? '\\' : x, y = y == '/' ? '\\' : y;
    if (x != y || !x)
      return int(x) - int(y);
    p++, q++;
  }
}

} // namespace

int CString::Compare(const char *s) const { return compare(s_.c_str(), s, false, false); }
int CString::CompareNoCase(const char *s) const { return compare(s_.c_str(), s, true, false); }

CString CString::Left(int n) const { return CString(s_.substr(0, size_t(std::clamp(n, 0, GetLength())))); }

CString CString::Mid(int first, int n) const {
  first = std::clamp(first, 0, GetLength());
  if (n < 0)
    n = GetLength() - first;
  return CString(s_.substr(size_t(first), size_t(std::clamp(n, 0, GetLength() - first))));
}

CString CString::Right(int n) const {
  n = std::clamp(n, 0, GetLength());
  return CString(s_.substr(s_.size() - size_t(n)));
}

int CString::Find(char c, int start) const {
  for (int i = 0; i < GetLength(); i++) {
    if (i >= start && s_[size_t(i)] == c)
      return i;
    if (AfxIsLeadByte(static_cast<unsigned char>(s_[size_t(i)])) && i + 1 < GetLength())
      i++;
  }
  return -1;
}

int CString::Find(const char *sub, int start) const {
  const size_t n = std::strlen(sub ? sub : "");
  for (int i = 0; i < GetLength(); i++) {
    if (i >= start && s_.compare(size_t(i), n, sub ? sub : "") == 0)
      return i;
    if (AfxIsLeadByte(static_cast<unsigned char>(s_[size_t(i)])) && i + 1 < GetLength())
      i++;
  }
  return -1;
}

int CString::ReverseFind(char c) const {
  int found = -1;
  for (int i = 0; i < GetLength(); i++) {
    if (s_[size_t(i)] == c)
      found = i;
    else if (AfxIsLeadByte(static_cast<unsigned char>(s_[size_t(i)])) && i + 1 < GetLength())
      i++;
  }
  return found;
}

void CString::MakeUpper() {
  for (size_t i = 0; i < s_.size(); i++) {
    auto c = static_cast<unsigned char>(s_[i]);
    if (AfxIsLeadByte(c) && i + 1 < s_.size())
      i++;
    else if (c >= 'a' && c <= 'z')
      s_[i] = char(c - 32);
  }
}

void CString::MakeLower() {
  for (size_t i = 0; i < s_.size(); i++) {
    auto c = static_cast<unsigned char>(s_[i]);
    if (AfxIsLeadByte(c) && i + 1 < s_.size())
      i++;
    else if (c >= 'A' && c <= 'Z')
      s_[i] = char(c + 32);
  }
}

void CString::Format(const char *format, ...) {
  va_list ap, again;
  va_start(ap, format);
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, format, ap);
  va_end(ap);
  s_.assign(size_t(n > 0 ? n : 0), '\0');
  if (n > 0)
    std::vsnprintf(s_.data(), size_t(n) + 1, format, again);
  va_end(again);
}

char *CString::GetBuffer(int n) {
  if (n > GetLength())
    s_.resize(size_t(n));
  return s_.data();
}

void CString::ReleaseBuffer(int n) {
  if (n < 0)
    n = int(std::strlen(s_.c_str()));
  s_.resize(size_t(std::min(n, GetLength())));
}

bool AfxComparePath(const char *a, const char *b) { return compare(a, b, true, true) == 0; }
