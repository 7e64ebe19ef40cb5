#include "input/calc.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "input/numkey.h"
#include "settings/strutil.h"

double ClcMemA = 0, ClcMemC = 0, ClcMemD = 0, ClcMemL = 0, ClcMemS = 0;

namespace {

constexpr double TOL = 1e-8;
constexpr double TO_DEG = 57.29577951308232;
constexpr double TO_RAD = 0.017453292519943295;

// One evaluation: the work copy of the text and the shared position in it.
struct Eval {
  char buf[CLC_MAXTEXT + 1];
  const char *pos;
  int err = 0;

  void blanks() {
    while (*pos == ' ')
      ++pos;
  }
  // A value that is not a finite number (an overflowing literal or product, a root of
  // a negative number) is a syntax error where it arises, so nothing typed ever
  // reaches a point or a length as infinity or NaN.
  double finite(double v) {
    if (std::isfinite(v))
      return v;
    if (!err)
      err = CLC_SYNTAX;
    return 0;
  }
  bool take(const char *op) {
    const size_t n = std::strlen(op);
    if (std::strncmp(pos, op, n) != 0)
      return false;
    pos += n;
    return true;
  }

  double conditional();
  double logical();
  double relational();
  double additive();
  double multiplicative();
  double primary();
  double name();
  static double function(int id, double a, double b);
};

double Eval::conditional() {
  const double c = logical();
  blanks();
  if (*pos != '?')
    return c;
  ++pos;
  const double t = logical();
  blanks();
  if (*pos != ':') {
    if (!err)
      err = CLC_SYNTAX;
    return 0;
  }
  ++pos;
  const double f = logical();
  return c != 0 ? t : f;
}

double Eval::logical() {
  double a = relational();
  for (;;) {
    blanks();
    if (take("&&")) {
      const double b = relational();
      a = (a != 0 && b != 0) ? 1 : 0;
    } else if (take("||")) {
      const double b = relational();
      a = (a != 0 || b != 0) ? 1 : 0;
    } else {
      return a;
    }
  }
}

double Eval::relational() {
  double a = additive();
  for (;;) {
    blanks();
    int op;
    if (take("=="))
      op = 0;
    else if (take("!=") || take("<>") || take("><"))
      op = 1;
    else if (take(">="))
      op = 4;
    else if (take("<="))
      op = 5;
    else if (take("="))
      op = 0;
    else if (take(">"))
      op = 2;
    else if (take("<"))
      op = 3;
    else
      return a;
    const double b = additive();
    bool r = false;
    switch (op) {
    case 0: r = std::fabs(a - b) <= TOL; break;
    case 1: r = std::fabs(a - b) > TOL; break;
    case 2: r = a > b; break;
    case 3: r = a < b; break;
    case 4: r = a - b + TOL >= 0; break;
    case 5: r = a - b - TOL <= 0; break;
    }
    a = r ? 1 : 0;
  }
}

double Eval::additive() {
  double a = multiplicative();
  for (;;) {
    blanks();
    if (*pos == '+') {
      ++pos;
      a = finite(a + multiplicative());
    } else if (*pos == '-') {
      ++pos;
      a = finite(a - multiplicative());
    } else {
      return a;
    }
  }
}

double Eval::multiplicative() {
  double a = primary();
  for (;;) {
    blanks();
    if (*pos == '*') {
      ++pos;
      a = finite(a * primary());
    } else if (*pos == '/') {
      ++pos;
      const double b = primary();
      a = (a == 0 || b == 0) ? 0 : finite(a / b);
    } else {
      return a;
    }
  }
}

bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
int hex_digit(char c) {
  if (is_digit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

double Eval::primary() {
  if (err)
    return 0;
  blanks();
  const char c = *pos;
  if (is_digit(c) || c == '.') {
    if (pos[1] == 'x' || pos[1] == 'X') {
      // Accumulated in a double: a long literal grows large, never wraps.
      pos += 2;
      double v = 0;
      for (int d; (d = hex_digit(*pos)) >= 0; ++pos)
        v = v * 16 + d;
      return finite(v);
    }
    char *end = nullptr;
    const double v = std::strtod(pos, &end);
    if (end == pos) {
      err = CLC_SYNTAX;
      return 0;
    }
    pos = end;
    return finite(v);
  }
  if (c == '(') {
    ++pos;
    const double v = conditional();
    blanks();
    if (*pos != ')') {
      if (!err)
        err = CLC_SYNTAX;
      return 0;
    }
    ++pos;
    return v;
  }
  if (c == '-') {
    ++pos;
    return -primary();
  }
  if (c == '+') {
    ++pos;
    return primary();
  }
  if ((c == 's' || c == 'S') && (pos[1] == 'd' || pos[1] == 'D')) {
    pos += 2;
    double v = 0;
    int len = 0;
    if (num_dms(pos, &v, &len) != 0) {
      err = CLC_SYNTAX;
      return 0;
    }
    pos += len;
    return v;
  }
  if (is_alpha(c))
    return name();
  err = CLC_SYNTAX;
  return 0;
}

const char *const NAMES[16] = {"abs", "acos", "asin", "atan", "atan2", "cos", "hypot", "ma",
                               "mc",  "md",   "ml",   "ms",   "pai",   "sin", "sqrt",  "tan"};

double Eval::name() {
  char key[9] = {};
  int n = 0;
  while (is_alpha(*pos) || is_digit(*pos)) {
    if (n < 8) {
      char ch = *pos;
      if (ch >= 'A' && ch <= 'Z')
        ch = static_cast<char>(ch - 'A' + 'a');
      key[n++] = ch;
    }
    ++pos;
  }
  int id = 0;
  for (int i = 0; i < 16; ++i) {
    const int cmp = std::strcmp(NAMES[i], key);
    if (cmp == 0) {
      id = i + 1;
      break;
    }
    if (cmp > 0)
      break;
  }
  switch (id) {
  case 0:
    err = CLC_UNKNOWN;
    return 0;
  case 8: return ClcMemA;
  case 9: return ClcMemC;
  case 10: return ClcMemD;
  case 11: return ClcMemL;
  case 12: return ClcMemS;
  case 13: return 3.141592653589793;
  default: break;
  }
  blanks();
  if (*pos != '(') {
    err = CLC_SYNTAX;
    return 0;
  }
  ++pos;
  const double a = conditional();
  double b = 0;
  const bool two = id == 5 || id == 7;
  if (two) {
    blanks();
    if (*pos != ',') {
      if (!err)
        err = CLC_SYNTAX;
      return 0;
    }
    ++pos;
    b = conditional();
  }
  blanks();
  if (*pos != ')') {
    if (!err)
      err = CLC_SYNTAX;
    return 0;
  }
  ++pos;
  return finite(function(id, a, b));
}

double Eval::function(int id, double a, double b) {
  switch (id) {
  case 1: return std::fabs(a);
  case 2: return std::acos(a) * TO_DEG;
  case 3: return std::asin(a) * TO_DEG;
  case 4: return std::atan(a) * TO_DEG;
  case 5: return std::atan2(a, b) * TO_DEG;
  case 6: return std::cos(a * TO_RAD);
  case 7: return std::hypot(a, b); // no overflow of the squares on the way
  case 14: return std::sin(a * TO_RAD);
  case 15: return std::sqrt(a);
  case 16: return std::sin(a * TO_RAD) / std::cos(a * TO_RAD);
  }
  return 0;
}

} // namespace

int clc_eval(int, const char **text, double *value) {
  const char *src = *text;
  const size_t len = std::strlen(src);
  if (len > static_cast<size_t>(CLC_MAXTEXT)) {
    // Too long for the work copy: refused whole, nothing read.
    *value = 0;
    return CLC_SYNTAX;
  }
  Eval e;
  std::memcpy(e.buf, src, len + 1);
  for (size_t i = 0; i < len; ++i)
    if (sjis_ispair(e.buf + i)) {
      *value = 0;
      return CLC_DOUBLE;
    }
  for (size_t i = 0; i < len; ++i)
    if (e.buf[i] == '\t')
      e.buf[i] = ' ';
  e.pos = e.buf;
  const double v = e.finite(e.conditional());
  if (!e.err)
    e.blanks();
  *value = v;
  *text = src + (e.pos - e.buf);
  return e.err;
}
