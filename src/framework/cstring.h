// A byte string for Shift-JIS texts: double-byte characters are units wherever a
// position or a case matters (a trail byte is never folded or matched alone).
#pragma once

#include <string>

class CString {
public:
  CString() = default;
  CString(const char *s) : s_(s ? s : "") {}
  CString(const char *s, int n) : s_(s ? s : "", s ? size_t(n) : 0) {}
  CString(const std::string &s) : s_(s) {}

  int GetLength() const { return int(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  const char *GetString() const { return s_.c_str(); }
  operator const char *() const { return s_.c_str(); }
  char GetAt(int i) const { return s_[size_t(i)]; }
  const std::string &str() const { return s_; }

  CString &operator=(const char *s) { return s_ = s ? s : "", *this; }
  CString &operator+=(const char *s) { return s_ += s ? s : "", *this; }
  CString &operator+=(const CString &s) { return s_ += s.s_, *this; }
  CString &operator+=(char c) { return s_ += c, *this; }
  friend CString operator+(const CString &a, const char *b) { return CString(a) += b; }
  friend CString operator+(const char *a, const CString &b) { return CString(a) += b; }
  friend CString operator+(const CString &a, const CString &b) { return CString(a) += b; }
  friend bool operator==(const CString &a, const char *b) { return a.s_ == (b ? b : ""); }
  friend bool operator==(const CString &a, const CString &b) { return a.s_ == b.s_; }

  int Compare(const char *s) const;
  int CompareNoCase(const char *s) const; // ASCII letters folded, trail bytes exact
  CString Left(int n) const;
  CString Mid(int first, int n = -1) const;
  CString Right(int n) const;
  int Find(char c, int start = 0) const; // a character, never a trail byte
  int Find(const char *sub, int start = 0) const;
  int ReverseFind(char c) const;
  void MakeUpper(); // single-byte letters only
  void MakeLower();
  void Format(const char *format, ...);
  // Room for at least n bytes plus NUL; ReleaseBuffer cuts at n or at the first NUL.
  char *GetBuffer(int n);
  void ReleaseBuffer(int n = -1);

private:
  std::string s_;
};

// True for a Shift-JIS lead byte.
inline bool AfxIsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Same file: letters compared without case, '/' and '\' alike, double-byte
// characters as units. Null counts as empty.
bool AfxComparePath(const char *a, const char *b);
