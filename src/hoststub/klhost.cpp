// Stand-in for the host CAD's interface library: answers from a script the tests set
// up through the hst_ functions, keeps what the plug-in writes and logs every call.
#define KLHOST_BUILD
#include "hoststub/klhtest.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

struct Drawing {
  bool used = false;
  HstDrawing d{};
  std::vector<HstSeal> seals; // seal number = index + 1
};

struct Failure {
  std::string name;
  int nth; // 0 every call
  int rc;
};

struct Host {
  Drawing drawings[HST_DRAWINGS];
  int count = 0, current = 0;
  COLORREF back = RGB(255, 255, 255);
  HWND main = nullptr;
  std::deque<HstInput> input;
  std::vector<std::string> log;
  std::vector<Failure> failures;
  int lastColor = 0, lastPicked = 0, rubForm = -1;
  int defLevel = 0;
  char defName[24] = {};
  // A node opened by KlhRaruNodeOpen collects its area and attribute until closed.
  int openDrawing = -1;
  HstSeal open{};
} H;

// Printable text of a string argument.
std::string quote(const char *s) {
  if (!s)
    return "null";
  return "\"" + std::string(s) + "\"";
}
std::string num(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}
std::string pt(const KlhPoint *p) { return p ? "(" + num(p->x) + "," + num(p->y) + ")" : "null"; }
std::string ptr(const void *p) { return p ? "&" : "null"; }

// Records one call with its arguments and result; an injected failure answers in
// place of the work.
class Call {
public:
  explicit Call(const char *name) : name_(name) {}
  Call &arg(const std::string &s) {
    args_ += (n_++ ? "," : "") + s;
    return *this;
  }
  Call &arg(int v) { return arg(std::to_string(v)); }
  Call &argd(double v) { return arg(num(v)); }
  // True when an injected failure answers this call; its result goes to rc.
  bool failed(int *rc) {
    for (auto it = H.failures.begin(); it != H.failures.end(); ++it) {
      if (it->name != name_)
        continue;
      if (it->nth == 0) {
        *rc = it->rc;
        return true;
      }
      if (--it->nth == 0) {
        *rc = it->rc;
        H.failures.erase(it);
        return true;
      }
    }
    return false;
  }
  int done(int rc) {
    H.log.push_back(name_ + "(" + args_ + ") = " + std::to_string(rc));
    return rc;
  }
  // Logs and gives the injected result, or runs the work.
  template <typename F> int run(F work) {
    int rc;
    if (failed(&rc))
      return done(rc);
    return done(work());
  }

private:
  std::string name_, args_;
  int n_ = 0;
};

Drawing *drawing(int d) { return d >= 0 && d < HST_DRAWINGS && H.drawings[d].used ? &H.drawings[d] : nullptr; }
HstSeal *seal(int d, int n) {
  Drawing *dr = drawing(d);
  return dr && n >= 1 && n <= static_cast<int>(dr->seals.size()) ? &dr->seals[n - 1] : nullptr;
}
// Attribute element number of seal n: the host keeps them apart from seal numbers.
constexpr int ATTR_BASE = 1000;

void copycut(char *dst, const char *src, size_t size) {
  size_t n = src ? strnlen(src, size - 1) : 0;
  std::memcpy(dst, src ? src : "", n);
  dst[n] = '\0';
}

// Password encryption: length and up to 12 bytes, chained with a key, written as
// 18 six-bit characters (108 bits, the last 4 zero).
const char ALPHA[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz#$";
constexpr int PWMAX = 12, ENCLEN = 18;
const uint8_t KEY[PWMAX + 1] = {0x5A, 0x13, 0xC7, 0x2E, 0x91, 0x6B, 0x38, 0xE4, 0x0D, 0xB2, 0x47, 0x7F, 0xA9};

int encrypt(const char *in, char *out) {
  char pw[PWMAX + 2];
  size_t len = strnlen(in, PWMAX + 1);
  std::memcpy(pw, in, len);
  pw[len] = '\0';
  out[0] = '\0';
  if (len == 0)
    return 1;
  if (len > PWMAX)
    return 0;
  uint8_t b[PWMAX + 1] = {};
  b[0] = static_cast<uint8_t>(len) ^ KEY[0];
  for (int i = 1; i <= PWMAX; i++) {
    uint8_t p = i <= static_cast<int>(len) ? static_cast<uint8_t>(pw[i - 1]) : 0;
    b[i] = p ^ KEY[i] ^ b[i - 1];
  }
  for (int c = 0; c < ENCLEN; c++) {
    int v = 0;
    for (int k = 0; k < 6; k++) {
      int bit = c * 6 + k;
      if (bit < 8 * (PWMAX + 1) && (b[bit / 8] >> (bit % 8) & 1))
        v |= 1 << k;
    }
    out[c] = ALPHA[v];
  }
  out[ENCLEN] = '\0';
  return 1;
}

int decrypt(const char *in, char *out) {
  char enc[ENCLEN + 2];
  const size_t n = strnlen(in, ENCLEN + 1);
  std::memcpy(enc, in, n);
  enc[n] = '\0';
  out[0] = '\0';
  if (n != ENCLEN)
    return 0;
  uint8_t b[PWMAX + 2] = {};
  for (int c = 0; c < ENCLEN; c++) {
    const char *at = std::strchr(ALPHA, enc[c]);
    if (!at || !*at)
      return 0;
    int v = static_cast<int>(at - ALPHA);
    for (int k = 0; k < 6; k++)
      if (v >> k & 1) {
        int bit = c * 6 + k;
        if (bit >= 8 * (PWMAX + 1))
          return 0; // padding bits are zero in every encrypted text
        b[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
      }
  }
  int len = b[0] ^ KEY[0];
  if (len < 1 || len > PWMAX)
    return 0;
  char pw[PWMAX + 1] = {};
  for (int i = 1; i <= PWMAX; i++) {
    uint8_t p = b[i] ^ KEY[i] ^ b[i - 1];
    if ((i <= len) != (p != 0))
      return 0;
    pw[i - 1] = static_cast<char>(p);
  }
  std::memcpy(out, pw, len + 1);
  return 1;
}

} // namespace

// --- test control -----------------------------------------------------------

KLHAPI void KLHCALL hst_reset() { H = Host{}; }

KLHAPI int KLHCALL hst_setdrawing(int d, const HstDrawing *dr) {
  if (d < 0 || d >= HST_DRAWINGS || !dr)
    return 0;
  H.drawings[d].used = true;
  H.drawings[d].d = *dr;
  if (H.count < d + 1)
    H.count = d + 1;
  return 1;
}
KLHAPI void KLHCALL hst_setcurrent(int d) { H.current = d; }
KLHAPI void KLHCALL hst_setbackcolor(COLORREF colour) { H.back = colour; }
KLHAPI void KLHCALL hst_setmainwnd(HWND wnd) { H.main = wnd; }

KLHAPI int KLHCALL hst_addseal(int d, const HstSeal *s) {
  Drawing *dr = drawing(d);
  if (!dr || !s || dr->seals.size() >= HST_SEALS)
    return 0;
  dr->seals.push_back(*s);
  return static_cast<int>(dr->seals.size());
}
KLHAPI int KLHCALL hst_getseal(int d, int n, HstSeal *out) {
  HstSeal *s = seal(d, n);
  if (!s || !out)
    return 0;
  *out = *s;
  return 1;
}
KLHAPI int KLHCALL hst_sealcount(int d) {
  Drawing *dr = drawing(d);
  return dr ? static_cast<int>(dr->seals.size()) : 0;
}
KLHAPI void KLHCALL hst_queue(const HstInput *in) {
  if (in)
    H.input.push_back(*in);
}
KLHAPI int KLHCALL hst_queued() { return static_cast<int>(H.input.size()); }
KLHAPI void KLHCALL hst_fail(const char *function, int nth, int rc) {
  if (function)
    H.failures.push_back({function, nth, rc});
}
KLHAPI int KLHCALL hst_logcount() { return static_cast<int>(H.log.size()); }
KLHAPI int KLHCALL hst_logline(int i, char *buf, int size) {
  if (i < 0 || i >= static_cast<int>(H.log.size()))
    return -1;
  const std::string &s = H.log[i];
  if (buf && size > 0)
    copycut(buf, s.c_str(), static_cast<size_t>(size));
  return static_cast<int>(s.size());
}
KLHAPI void KLHCALL hst_logclear() { H.log.clear(); }
KLHAPI int KLHCALL hst_lastcolor() { return H.lastColor; }
KLHAPI int KLHCALL hst_defaultseal(char *name, int *level) {
  if (name)
    std::memcpy(name, H.defName, sizeof H.defName);
  if (level)
    *level = H.defLevel;
  return H.defName[0] != '\0';
}
KLHAPI int KLHCALL hst_rubform() { return H.rubForm; }

// --- the host interface -------------------------------------------------------

KLHAPI HWND KLHCALL KlhWinMainFrameGet() {
  Call c("KlhWinMainFrameGet");
  int rc;
  if (c.failed(&rc)) {
    c.done(0);
    return nullptr;
  }
  c.done(H.main != nullptr);
  return H.main;
}

KLHAPI int KLHCALL KlhEncryptPasswd(const char *password, char *out) {
  Call c("KlhEncryptPasswd");
  c.arg(quote(password)).arg(ptr(out));
  return c.run([&] {
    if (!password || !out)
      return 0;
    return encrypt(password, out);
  });
}

KLHAPI int KLHCALL KlhAnalyzePasswd(const char *encrypted, char *out) {
  Call c("KlhAnalyzePasswd");
  c.arg(quote(encrypted)).arg(ptr(out));
  return c.run([&] {
    if (!encrypted || !out)
      return 0;
    return decrypt(encrypted, out);
  });
}

KLHAPI int KLHCALL KlhRaruColor(int colour) {
  Call c("KlhRaruColor");
  c.arg(colour);
  return c.run([&] {
    H.lastColor = colour;
    return 1;
  });
}

KLHAPI int KLHCALL KlhSetDefautRaru(int level, int word34, const char *group, const char *name,
                                    const char *password, const char *owner) {
  Call c("KlhSetDefautRaru");
  c.arg(level).arg(word34).arg(quote(group)).arg(quote(name)).arg(quote(password)).arg(quote(owner));
  return c.run([&] {
    if (!name)
      return 0;
    copycut(H.defName, name, sizeof H.defName);
    H.defLevel = level;
    return 1;
  });
}

KLHAPI int KLHCALL KlhGetBackColorRGB(COLORREF *colour) {
  Call c("KlhGetBackColorRGB");
  c.arg(ptr(colour));
  return c.run([&] {
    if (!colour)
      return 0;
    *colour = H.back;
    return 1;
  });
}

KLHAPI int KLHCALL KlhAtrOpen(int mode) {
  Call c("KlhAtrOpen");
  c.arg(mode);
  return c.run([] { return 1; });
}

KLHAPI int KLHCALL KlhAtrCfig(int mode, int *d) {
  Call c("KlhAtrCfig");
  c.arg(mode).arg(ptr(d));
  return c.run([&] {
    if (!d)
      return 0;
    *d = H.current;
    return 1;
  });
}

KLHAPI int KLHCALL KlhGetDtbCount(int *count) {
  Call c("KlhGetDtbCount");
  c.arg(ptr(count));
  return c.run([&] {
    if (!count)
      return 0;
    *count = H.count;
    return 1;
  });
}

KLHAPI int KLHCALL KlhAtrLayer(int mode, int d, int *info, int16_t *state) {
  Call c("KlhAtrLayer");
  c.arg(mode).arg(d).arg(ptr(info)).arg(ptr(state));
  return c.run([&] {
    HstSeal *s = seal(d, H.lastPicked);
    if (!s || !info || !state)
      return 0;
    *info = s->layer;
    *state = s->layerState;
    return 1;
  });
}

KLHAPI int KLHCALL KlhAtrLayScal(int view, int d, int16_t *a, int16_t *b) {
  Call c("KlhAtrLayScal");
  c.arg(view).arg(d).arg(ptr(a)).arg(ptr(b));
  return c.run([&] {
    Drawing *dr = drawing(d);
    if (!dr || !a || !b)
      return 0;
    std::memcpy(a, dr->d.scaleA, sizeof dr->d.scaleA);
    std::memcpy(b, dr->d.scaleB, sizeof dr->d.scaleB);
    return 1;
  });
}

KLHAPI int KLHCALL KlhMsgPrint(int mode, const char *text) {
  Call c("KlhMsgPrint");
  c.arg(mode).arg(quote(text));
  return c.run([] { return 1; });
}

KLHAPI int KLHCALL KlhMsgWarn(const char *text) {
  Call c("KlhMsgWarn");
  c.arg(quote(text));
  return c.run([] { return 1; });
}

KLHAPI int KLHCALL KlhInpPikpnt(int mode, int *view, int *d, double *x, double *y, int *code) {
  Call c("KlhInpPikpnt");
  c.arg(mode).arg(ptr(view)).arg(ptr(d)).arg(ptr(x)).arg(ptr(y)).arg(ptr(code));
  return c.run([&] {
    if (!view || !d || !x || !y || !code)
      return 0;
    if (H.input.empty()) {
      *code = KLH_ABORT;
      return 0;
    }
    HstInput in = H.input.front();
    H.input.pop_front();
    *view = in.view;
    *d = in.drawing;
    *x = in.x;
    *y = in.y;
    *code = in.code;
    return static_cast<int>(in.rc);
  });
}

KLHAPI int KLHCALL KlhInpRaru(int mode, int filter, int *d, int *sealno, KlhPoint *point, int *code,
                              const char *prompt) {
  Call c("KlhInpRaru");
  c.arg(mode).arg(filter).arg(ptr(d)).arg(ptr(sealno)).arg(ptr(point)).arg(ptr(code)).arg(quote(prompt));
  return c.run([&] {
    if (!d || !sealno || !point || !code)
      return 0;
    if (H.input.empty()) {
      *code = KLH_ABORT;
      *sealno = 0;
      return 0;
    }
    HstInput in = H.input.front();
    H.input.pop_front();
    *d = in.drawing;
    *sealno = in.seal;
    *point = {in.x, in.y};
    *code = in.code;
    H.lastPicked = in.seal;
    return static_cast<int>(in.rc);
  });
}

KLHAPI int KLHCALL KlhStartRub(int form, ...) {
  Call c("KlhStartRub");
  c.arg(form);
  va_list ap;
  va_start(ap, form);
  bool ok = true;
  switch (form) {
  case KLH_RUBSHAPE: {
    int sub = va_arg(ap, int);
    const KlhPoint *off = va_arg(ap, const KlhPoint *);
    const RubberShape *list = va_arg(ap, const RubberShape *);
    c.arg(sub).arg(pt(off));
    std::string items;
    for (int i = 0; list && i < 64 && list[i].kind != KLH_RUBEND; i++) {
      items += (items.empty() ? "" : " ") + std::to_string(list[i].kind) + ":";
      for (int k = 0; k < 5; k++)
        items += (k ? "," : "") + num(list[i].v[k]);
    }
    c.arg(list ? "[" + items + "]" : "null");
    ok = off && list;
    break;
  }
  case KLH_RUBBOX: {
    int sub = va_arg(ap, int);
    double cx = va_arg(ap, double), cy = va_arg(ap, double), angle = va_arg(ap, double);
    double ratio = va_arg(ap, double);
    int n = va_arg(ap, int);
    c.arg(sub).argd(cx).argd(cy).argd(angle).argd(ratio).arg(n);
    break;
  }
  case KLH_RUBCIRCLE: {
    double cx = va_arg(ap, double), cy = va_arg(ap, double);
    c.argd(cx).argd(cy);
    break;
  }
  case KLH_RUBSTOP:
    break;
  default:
    ok = false;
  }
  va_end(ap);
  return c.run([&] {
    if (!ok)
      return 0;
    H.rubForm = form == KLH_RUBSTOP ? -1 : form;
    return 1;
  });
}

KLHAPI int KLHCALL KlhPermitStampix(int d, int level, const char *name, const char *owner, const char *password) {
  Call c("KlhPermitStampix");
  c.arg(d).arg(level).arg(quote(name)).arg(quote(owner)).arg(quote(password));
  return c.run([&] {
    Drawing *dr = drawing(d);
    return dr && name && owner && password && dr->d.permit ? 1 : 0;
  });
}

KLHAPI int KLHCALL KlhNumSeals(int d, int *count) {
  Call c("KlhNumSeals");
  c.arg(d).arg(ptr(count));
  return c.run([&] {
    Drawing *dr = drawing(d);
    if (!dr || !count)
      return 0;
    *count = static_cast<int>(dr->seals.size());
    return 1;
  });
}

KLHAPI int KLHCALL KlhFigPowerLevel(int d, int *level) {
  Call c("KlhFigPowerLevel");
  c.arg(d).arg(ptr(level));
  return c.run([&] {
    Drawing *dr = drawing(d);
    if (!dr || !level || dr->d.figFails)
      return 0;
    *level = dr->d.powerLevel;
    return 1;
  });
}

KLHAPI int KLHCALL KlhRaruNodeOpen(int d, int mode, int level, const char *name) {
  Call c("KlhRaruNodeOpen");
  c.arg(d).arg(mode).arg(level).arg(quote(name));
  return c.run([&] {
    Drawing *dr = drawing(d);
    if (!dr || !name || dr->seals.size() >= HST_SEALS)
      return 0;
    H.openDrawing = d;
    H.open = HstSeal{};
    H.open.level = level;
    copycut(H.open.name, name, sizeof H.open.name);
    H.open.layerState = 2;
    return static_cast<int>(dr->seals.size()) + 1;
  });
}

KLHAPI int KLHCALL KlhWriteRaruArea(int d, int kind, const KlhPoint *position, const KlhSize *size, double angle) {
  Call c("KlhWriteRaruArea");
  c.arg(d).arg(kind).arg(pt(position)).arg(size ? "(" + num(size->width) + "," + num(size->height) + ")" : "null");
  c.argd(angle);
  return c.run([&] {
    if (d != H.openDrawing || !drawing(d) || !position || !size)
      return 0;
    H.open.kind = static_cast<int16_t>(kind);
    H.open.origin = *position;
    H.open.size = *size;
    return 1;
  });
}

KLHAPI int KLHCALL KlhWriteLine(int d, int layer, int pen, int linekind, int s1, int s2, const KlhPoint *p1,
                                const KlhPoint *p2) {
  Call c("KlhWriteLine");
  c.arg(d).arg(layer).arg(pen).arg(linekind).arg(s1).arg(s2).arg(pt(p1)).arg(pt(p2));
  return c.run([&] { return drawing(d) && p1 && p2 ? 1 : 0; });
}

KLHAPI int KLHCALL KlhWriteArc(int d, int layer, int pen, int linekind, int s1, int s2, const KlhPoint *centre,
                               double radius, const double *angles) {
  Call c("KlhWriteArc");
  c.arg(d).arg(layer).arg(pen).arg(linekind).arg(s1).arg(s2).arg(pt(centre)).argd(radius);
  c.arg(angles ? "(" + num(angles[0]) + "," + num(angles[1]) + ")" : "null");
  return c.run([&] { return drawing(d) && centre && angles ? 1 : 0; });
}

namespace {
std::string sizes(const KlhTextSize *s) {
  if (!s)
    return "null";
  return "(" + num(s->height) + "," + num(s->width) + "," + num(s->spacing) + "," + num(s->angle) + "," +
         num(s->slant) + ")";
}
} // namespace

KLHAPI int KLHCALL KlhWriteText(int d, int layer, const KlhPoint *position, int pen, int vbase, int hbase, int font,
                                const KlhTextSize *sz, const char *text) {
  Call c("KlhWriteText");
  c.arg(d).arg(layer).arg(pt(position)).arg(pen).arg(vbase).arg(hbase).arg(font).arg(sizes(sz)).arg(quote(text));
  return c.run([&] { return drawing(d) && position && sz && text ? 1 : 0; });
}

KLHAPI int KLHCALL KlhWriteRaruDate(int d, const KlhPoint *position, int pen, int vbase, int hbase,
                                    const KlhTextSize *sz, const char *date) {
  Call c("KlhWriteRaruDate");
  c.arg(d).arg(pt(position)).arg(pen).arg(vbase).arg(hbase).arg(sizes(sz)).arg(quote(date));
  return c.run([&] { return drawing(d) && position && sz && date ? 1 : 0; });
}

KLHAPI int KLHCALL KlhWriteAtr(int d, int layer, const char *text) {
  Call c("KlhWriteAtr");
  c.arg(d).arg(layer).arg(quote(text));
  return c.run([&] {
    if (d != H.openDrawing || !drawing(d) || !text)
      return 0;
    copycut(H.open.attr, text, sizeof H.open.attr);
    return 1;
  });
}

KLHAPI int KLHCALL KlhAtrDisp() {
  Call c("KlhAtrDisp");
  return c.run([] { return 1; });
}

KLHAPI int KLHCALL KlhRaruNodeClose(int d, int node) {
  Call c("KlhRaruNodeClose");
  c.arg(d).arg(node);
  return c.run([&] {
    Drawing *dr = drawing(d);
    if (!dr || d != H.openDrawing || node != static_cast<int>(dr->seals.size()) + 1)
      return 0;
    dr->seals.push_back(H.open);
    H.openDrawing = -1;
    return node;
  });
}

KLHAPI int KLHCALL KlhSchLink(int d, int sealno, int *a, int *b, int *attr, int *dd) {
  Call c("KlhSchLink");
  c.arg(d).arg(sealno).arg(ptr(a)).arg(ptr(b)).arg(ptr(attr)).arg(ptr(dd));
  return c.run([&] {
    if (!seal(d, sealno) || !a || !b || !attr || !dd)
      return 0;
    *a = sealno;
    *b = 0;
    *attr = ATTR_BASE + sealno;
    *dd = 0;
    return 1;
  });
}

KLHAPI int KLHCALL KlhReadAtr(int d, int attr, int *mode, int *out, char *text) {
  Call c("KlhReadAtr");
  c.arg(d).arg(attr).arg(mode ? std::to_string(*mode) : "null").arg(ptr(out)).arg(ptr(text));
  return c.run([&] {
    HstSeal *s = seal(d, attr - ATTR_BASE);
    if (!s || !mode || !out || !text)
      return 0;
    *out = static_cast<int>(strnlen(s->attr, sizeof s->attr));
    copycut(text, s->attr, 44);
    return 1;
  });
}

KLHAPI int KLHCALL KlhReadRaruArea(int d, int sealno, int16_t *kind, KlhPoint *origin, KlhSize *size, double *extra) {
  Call c("KlhReadRaruArea");
  c.arg(d).arg(sealno).arg(ptr(kind)).arg(ptr(origin)).arg(ptr(size)).arg(ptr(extra));
  return c.run([&] {
    HstSeal *s = seal(d, sealno);
    if (!s || !kind || !origin || !size || !extra)
      return 0;
    *kind = s->kind;
    *origin = s->origin;
    *size = s->size;
    *extra = 0.0;
    return 1;
  });
}

KLHAPI int KLHCALL KlhDelRaru(int d, int sealno) {
  Call c("KlhDelRaru");
  c.arg(d).arg(sealno);
  return c.run([&] {
    if (!seal(d, sealno))
      return 0;
    auto &v = H.drawings[d].seals;
    v.erase(v.begin() + (sealno - 1));
    return 1;
  });
}

KLHAPI int KLHCALL KlhRaruMove(int d, int sealno, const KlhPoint *offset) {
  Call c("KlhRaruMove");
  c.arg(d).arg(sealno).arg(pt(offset));
  return c.run([&] {
    HstSeal *s = seal(d, sealno);
    if (!s || !offset)
      return 0;
    s->origin.x += offset->x;
    s->origin.y += offset->y;
    return 1;
  });
}

KLHAPI int KLHCALL KlhRaruScale(int d, int sealno, double factor) {
  Call c("KlhRaruScale");
  c.arg(d).arg(sealno).argd(factor);
  return c.run([&] {
    HstSeal *s = seal(d, sealno);
    if (!s || !(factor > 0) || !std::isfinite(factor))
      return 0;
    s->size.width *= factor;
    s->size.height *= factor;
    return 1;
  });
}
