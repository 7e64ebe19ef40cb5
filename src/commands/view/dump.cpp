#include "commands/view/dump.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "database/store.h"
#include "input/calc.h"
#include "settings/msgfile.h"
#include "settings/msgreg.h"

namespace {

const char TYPE_ERROR[] = "要素タイプエラー！！";
const char UNKNOWN_NAME[] = "なんだこりゃ";

// Appends piece to the line in dst, cut at a whole character.
void append(char *dst, const char *piece) {
  std::size_t len = std::strlen(dst);
  msg_copy(dst + len, DMP_LINESIZE - len, piece);
}

void append_label(char *dst, int n, ...) {
  const char *text = dmp_msgtext(n);
  char piece[DMP_LINESIZE] = "";
  va_list ap;
  va_start(ap, n);
  msg_vformatreg(piece, sizeof piece, text ? text : "", dmp_regconv(n), ap);
  va_end(ap);
  append(dst, piece);
}

template <class T> T at(const ElementRecord &r, int offset) {
  T v;
  std::memcpy(&v, reinterpret_cast<const uint8_t *>(&r) + offset, sizeof v);
  return v;
}

const uint8_t *bytes(const ElementRecord &r, int offset) { return reinterpret_cast<const uint8_t *>(&r) + offset; }

bool is_kind(uint16_t k) {
  switch (k) {
  case PNT: case LIN: case ARC: case CHR: case MSKBOX: case LIN | MSKBOX: case ARC | MSKBOX: case ATR: case NOD:
    return true;
  default:
    return false;
  }
}

// Mask bit of a listed kind, 0 for kinds listed whatever the mask or not known.
uint32_t kind_bit(uint16_t k) {
  switch (k) {
  case PNT: return DMP_PNT;
  case LIN: case LIN | MSKBOX: return DMP_LIN;
  case ARC: case ARC | MSKBOX: return DMP_ARC;
  case CHR: return DMP_CHR;
  case ATR: return DMP_ATR;
  case NOD: return DMP_NOD;
  default: return 0;
  }
}

int kind_label(uint16_t k) {
  switch (k) {
  case PNT: return 31953;
  case LIN: case LIN | MSKBOX: return 31954;
  case ARC: case ARC | MSKBOX: return 31955;
  case CHR: return 31956;
  case NOD: return 31957;
  case ATR: return 31958;
  default: return 0;
  }
}

// Kind names are padded so that the information starts in one column.
constexpr std::size_t KIND_WIDTH = 8;

struct Writer {
  DumpLines &out;
  int line = 0;
  char *next() { return line < DMP_LINES ? out.text[line++] : nullptr; }
  void label(int n, ...) {
    char *dst = next();
    if (!dst)
      return;
    const char *text = dmp_msgtext(n);
    va_list ap;
    va_start(ap, n);
    msg_vformatreg(dst, DMP_LINESIZE, text ? text : "", dmp_regconv(n), ap);
    va_end(ap);
  }
  void text(const char *s) {
    if (char *dst = next())
      msg_copy(dst, DMP_LINESIZE, s);
  }
  // Bytes as "%.2x " in lines of at most 20.
  void hex(const uint8_t *p, int n) {
    for (int i = 0; i < n; i += 20) {
      char *dst = next();
      if (!dst)
        return;
      for (int j = i; j < n && j < i + 20; j++)
        std::snprintf(dst + 3 * (j - i), 4, "%.2x ", p[j]);
    }
  }
  // Bytes as text up to the first NUL; other control bytes show as '.', and a lead
  // byte left without its trail byte is dropped.
  void chars(const uint8_t *p, int n) {
    char buf[DMP_LINESIZE] = "";
    int len = 0;
    for (int i = 0; i < n && p[i] && len < DMP_LINESIZE - 1; i++)
      buf[len++] = p[i] < 0x20 || p[i] == 0x7F ? '.' : char(p[i]);
    buf[len] = 0;
    text(buf);
  }
};

void attr_lines(Writer &w, uint16_t a) {
  w.label(31916, a);
  w.label(31920, a & 15, (a >> 4) & 15);
  w.label(31921, (a >> 8) & 7, (a >> 11) & 7);
  w.label(31922, (a >> 15) & 1, (a >> 14) & 1);
}

void words_lines(Writer &w, const ElementRecord &r, int offset) {
  int32_t a = at<int32_t>(r, offset), b = at<int32_t>(r, offset + 4);
  if (a >= 1 && b >= 1)
    w.label(31976, a, b);
  if (r.kind & MSKBOX)
    w.label(31977);
}

const char *class_name(uint16_t code) {
  if (code >= 100 && code <= 1300 && code % 100 == 0)
    return dmp_msgtext(31937 + code / 100 - 1);
  if (code == 1500)
    return dmp_msgtext(31984);
  return UNKNOWN_NAME;
}

bool named(const ElementRecord &r, const char *name) {
  std::size_t n = std::strlen(name) + 1;
  return std::memcmp(bytes(r, 28), name, n) == 0;
}

void node_lines(Writer &w, const ElementRecord &r) {
  w.label(31967);
  w.label(31936, r.nod.child, r.nod.attr);
  if (r.subkind != 1 && r.encsub != 1) {
    int n = r.subkind == 4 ? 31950 : r.subkind == 2 ? 31951 : r.subkind == 8 ? 31970 : 0;
    const char *name = n ? dmp_msgtext(n) : UNKNOWN_NAME;
    w.text(name ? name : "");
    w.hex(bytes(r, 28), 44);
    w.chars(bytes(r, 28), 44);
  } else {
    uint16_t code = at<uint16_t>(r, 28);
    const char *name = class_name(code);
    w.label(31968, int(code), name ? name : "");
    if (code >= 100 && code <= 400) {
      w.label(31918, at<double>(r, 30), at<double>(r, 38));
      w.label(31919, at<double>(r, 46), at<double>(r, 54));
    } else if (code >= 500 && code <= 700) {
      w.label(31923, at<double>(r, 30), at<double>(r, 38));
      w.label(31924, at<double>(r, 46));
      w.label(31925, at<double>(r, 54), at<double>(r, 62));
    }
    w.label(31969, int(at<uint16_t>(r, 70)));
  }
  if (r.subkind == 2)
    w.label(31979, at<uint32_t>(r, 72), at<uint32_t>(r, 76));
  else if (r.subkind == 4 && named(r, "COMPOUND-TEXT"))
    w.label(31978, at<double>(r, 72));
  else if (r.subkind == 4 && named(r, "HIDELINE"))
    w.label(31980, at<uint32_t>(r, 72), at<uint32_t>(r, 76));
}

} // namespace

void dmp_label(char *dst, int n, ...) {
  const char *text = dmp_msgtext(n);
  va_list ap;
  va_start(ap, n);
  msg_vformatreg(dst, DMP_LINESIZE, text ? text : "", dmp_regconv(n), ap);
  va_end(ap);
}

int dmp_listline(int32_t n, const ElementRecord &r, uint32_t mask, char *dst) {
  dst[0] = 0;
  char head[16];
  std::snprintf(head, sizeof head, "%5d  ", int(n));
  append(dst, head);
  if (r.flags & ELM_CONT) {
    append_label(dst, 31952, r.cont.next);
    return 1;
  }
  if (uint32_t bit = kind_bit(r.kind)) {
    if (!(mask & bit)) {
      dst[0] = 0;
      return 0;
    }
    append_label(dst, kind_label(r.kind));
  } else if (r.kind == MSKBOX) {
    append_label(dst, 31971);
  } else {
    append(dst, TYPE_ERROR);
  }
  std::size_t len = std::strlen(dst);
  std::size_t width = std::strlen(head) + KIND_WIDTH;
  while (len < width && len < DMP_LINESIZE - 1)
    dst[len++] = ' ';
  dst[len] = 0;
  if (r.kind & NOD)
    append_label(dst, 31959, r.depth, r.subkind, r.encsub, r.parent, r.next, r.nod.child, r.nod.attr);
  else
    append_label(dst, 31960, r.depth, r.subkind, r.encsub, r.parent, r.next);
  bool contshown = false;
  if ((r.kind & (CHR | ATR)) && elm_cont(r) >= 1) {
    append_label(dst, 31961, elm_cont(r));
    contshown = true;
  }
  if (r.flags & ELM_ERASED)
    append(dst, (r.kind & NOD) ? "  削除" : contshown ? " 削除" : "              削除");
  return 1;
}

int dmp_listlines(int db, int32_t start, uint32_t mask, const std::function<void(const char *)> &add) {
  int lines = 0;
  if (db < 0 || db > 1 || start < 1)
    return 0;
  const int64_t last = DbCtl[db].count1;
  for (int64_t n = start; n <= last && lines < DMP_LISTMAX; n++) {
    const ElementRecord *r = dtb_get(db, int32_t(n));
    if (!r)
      continue;
    char line[DMP_LINESIZE];
    if (!dmp_listline(int32_t(n), *r, mask, line))
      continue;
    add(line);
    lines++;
  }
  return lines;
}

int dmp_elemlines(const ElementRecord &r, DumpLines &out, DumpLinks &links) {
  std::memset(&out, 0, sizeof out);
  links.parent = r.parent;
  links.next = r.next;
  links.child = r.kind == NOD && !(r.flags & ELM_CONT) ? r.nod.child : 0;
  const bool cont = r.flags & ELM_CONT;
  if (cont ? r.flags != ELM_CONT : !is_kind(r.kind)) {
    msg_copy(out.text[0], DMP_LINESIZE, TYPE_ERROR);
    return 0;
  }
  Writer w{out};
  w.label(31912, int(r.flags), int(r.subkind), int(r.encsub));
  if (r.flags & ELM_ERASED)
    append(out.text[0], " 削除");
  w.label(31913, int(r.kind), int(r.depth), int(r.layer));
  w.label(31914, int(r.cells), r.parent, r.next);
  int count_label = (!cont && r.kind == NOD && r.subkind == 2) ? 31982 : (!cont && r.kind == ATR) ? 31983 : 31975;
  w.label(count_label, r.members & 0xFF, r.members >> 8);
  if (cont) {
    w.label(31965);
    w.label(31935);
    w.hex(bytes(r, 20), CONT_PIECE);
    w.chars(bytes(r, 20), CONT_PIECE);
    w.label(31934, r.cont.next);
    return 1;
  }
  switch (r.kind) {
  case PNT:
    w.label(31962);
    w.label(31915, r.pnt.x, r.pnt.y);
    w.label(31916, int(r.pnt.attr));
    w.label(31917, r.pnt.attr & 15, (r.pnt.attr >> 4) & 0xFF);
    break;
  case LIN:
  case LIN | MSKBOX:
    w.label(31963);
    w.label(31918, r.lin.x1, r.lin.y1);
    w.label(31919, r.lin.x2, r.lin.y2);
    attr_lines(w, r.lin.attr);
    words_lines(w, r, 54);
    break;
  case ARC:
  case ARC | MSKBOX:
    w.label(31964);
    w.label(31923, r.arc.cx, r.arc.cy);
    w.label(31924, r.arc.r);
    w.label(31925, r.arc.start, r.arc.end);
    attr_lines(w, r.arc.attr);
    words_lines(w, r, 62);
    break;
  case CHR: {
    const uint16_t a = r.chr.attr;
    w.label(31965);
    w.label(31926, double(r.chr.x), double(r.chr.y));
    w.label(31927, double(r.chr.height), double(r.chr.width));
    w.label(31928, double(r.chr.spacing), double(r.chr.angle));
    w.label(31929, double(r.chr.slant));
    w.label(31916, int(a));
    w.label(31930, a & 15, (a >> 4) & 1);
    w.label(31931, (a >> 5) & 3, (a >> 7) & 3, (a >> 9) & 7);
    w.label(31932, int(r.chr.count));
    w.label(31933);
    w.hex(bytes(r, 52), CHR_PIECE0);
    w.chars(bytes(r, 52), CHR_PIECE0);
    w.label(31934, r.chr.cont);
    char tail[9] = "";
    std::memcpy(tail, bytes(r, 72), 8);
    w.label(31981, tail);
    break;
  }
  case ATR:
    w.label(31966);
    w.label(31932, int(r.atr.len));
    w.hex(bytes(r, 22), ATR_PIECE0);
    w.chars(bytes(r, 22), ATR_PIECE0);
    w.label(31934, r.atr.cont);
    break;
  case MSKBOX:
    w.label(31971);
    w.label(31972, at<double>(r, 24), at<double>(r, 32));
    w.label(31973, at<double>(r, 40), at<double>(r, 48));
    w.label(31974, at<double>(r, 56));
    break;
  case NOD:
    node_lines(w, r);
    break;
  }
  return 1;
}

int dmp_number(const char *text, uint32_t count1, int32_t *value) {
  char buf[DMP_LINESIZE + 1] = "";
  std::strncpy(buf, text ? text : "", DMP_LINESIZE);
  const char *p = buf;
  double v = 0;
  if (clc_eval(0, &p, &v) != 0)
    return 0;
  if (!(v >= 1.0 && v <= 10000.0 && v <= double(count1)))
    return 0;
  *value = int32_t(v);
  return 1;
}
