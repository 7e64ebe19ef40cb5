#include "ole/ole1rec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/msgfile.h"

namespace {
constexpr int BOARD = 2;
}

const Ole1StatusRow Ole1StatusTable[] = {
    {3, BOARD, 30600},
    {4, BOARD, 30601},
    {5, BOARD, 30602},
    {6, BOARD, 30603},
    {7, BOARD, 30604},
    {8, BOARD, 30605},
    {9, BOARD, 30606},
    {10, BOARD, 30607},
    {11, BOARD, 30608},
    {12, BOARD, 30609},
    {13, BOARD, 30610},
    {14, BOARD, 30611},
    {15, BOARD, 30612},
    {16, BOARD, 30613},
    {17, BOARD, 30614},
    {18, BOARD, 30615},
    {19, BOARD, 30616},
    {20, BOARD, 30617},
    {21, BOARD, 30618},
    {22, BOARD, 30619},
    {23, BOARD, 30620},
    {24, BOARD, 30621},
    {25, BOARD, 30622},
    {26, BOARD, 30623},
    {27, BOARD, 30624},
    {28, BOARD, 30625},
    {29, BOARD, 30626},
    {30, BOARD, 30627},
    {31, BOARD, 30628},
    {32, BOARD, 30629},
    {33, BOARD, 30630},
    {34, BOARD, 30631},
    {35, BOARD, 30632},
    {36, BOARD, 30633},
    {37, BOARD, 30634},
    {38, BOARD, 30635},
    {39, BOARD, 30636},
    {40, BOARD, 30637},
    {41, BOARD, 30638},
    {42, BOARD, 30639},
    {43, BOARD, 30640},
    {44, BOARD, 30641},
    {45, BOARD, 30642},
    {46, BOARD, 30643},
    {47, BOARD, 30644},
    {48, BOARD, 30645},
    {49, BOARD, 30646},
    {50, BOARD, 30647},
    {51, BOARD, 30648},
    {52, BOARD, 30649},
    {53, BOARD, 30650},
    {54, BOARD, 30651},
    {55, BOARD, 30652},
    {56, BOARD, 30653},
    {OLE1_ST_NOMEMORY, BOARD, 20026},
    {1000, BOARD, 30750},
    {OLE1_ST_UNKNOWN, BOARD, 30699},
    {OLE1_ST_NORESPONSE, BOARD, 201},
    {OLE1_ST_OWNCLASS, BOARD, 30701},
    {OLE1_ST_NOTSTARTED, BOARD, 30702},
    {30602, BOARD, 30602},
    {-1, 0, 0},
};

int ole1_statusmsg(int status, int *board) {
  const Ole1StatusRow *unknown = nullptr;
  for (const Ole1StatusRow *r = Ole1StatusTable; r->status != -1; ++r) {
    if (r->status == status) {
      if (board)
        *board = r->board;
      return r->message;
    }
    if (r->status == OLE1_ST_UNKNOWN)
      unknown = r;
  }
  if (board)
    *board = unknown->board;
  return unknown->message;
}

int ole1_namenumber(const char *name) {
  if (!name)
    return -1;
  const char *dash = std::strrchr(name, '-');
  if (!dash || dash[1] < '0' || dash[1] > '9')
    return -1;
  char *end = nullptr;
  const long n = std::strtol(dash + 1, &end, 10);
  if (*end || n < 0 || n > 0x7fffffffL - 1)
    return -1;
  return int(n);
}

int ole1_docname(int dwg, const char *const *names, int count, char *out, std::size_t cap) {
  int next = 0;
  for (int i = 0; i < count; ++i) {
    const int n = names ? ole1_namenumber(names[i]) : -1;
    if (n >= 0 && n + 1 > next)
      next = n + 1;
  }
  if (out && cap)
    std::snprintf(out, cap, "%s%02d-%d", "KIVOLANTDOC#", dwg, next);
  return next;
}

int ole1_readname(Ole1ReadFn read, void *ctx, char *buf, std::size_t cap) {
  if (buf && cap)
    buf[0] = '\0';
  uint8_t raw[4];
  if (!read || !buf || cap == 0 || read(ctx, raw, 4) != 4)
    return 0;
  const uint32_t len = uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 | uint32_t(raw[3]) << 24;
  // An over-long name is not read in part: what follows it would be read as an object.
  if (len == 0 || len > cap)
    return 0;
  if (read(ctx, buf, len) != len || buf[len - 1] != '\0' || std::memchr(buf, 0, len) != buf + len - 1) {
    buf[0] = '\0';
    return 0;
  }
  return 1;
}

int ole1_linkstrings(const uint8_t *data, std::size_t len, char *out, std::size_t cap, std::size_t *used) {
  if (!data || !out)
    return 0;
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    const void *z = pos < len ? std::memchr(data + pos, 0, len - pos) : nullptr;
    if (!z)
      return 0;
    pos = std::size_t(static_cast<const uint8_t *>(z) - data) + 1;
  }
  if (pos + 1 > cap)
    return 0;
  std::memcpy(out, data, pos);
  out[pos] = '\0';
  if (used)
    *used = pos + 1;
  return 1;
}

void ole1_linkparts(const char *link, const char **cls, const char **doc, const char **item) {
  const char *c = link ? link : "";
  const char *d = c + std::strlen(c) + 1;
  const char *i = d + std::strlen(d) + 1;
  if (cls)
    *cls = c;
  if (doc)
    *doc = d;
  if (item)
    *item = i;
}

namespace {
int32_t hundredths(double mm) {
  const double v = std::fabs(mm) * 100.0;
  return v >= 2147483647.0 || !(v == v) ? 2147483647 : int32_t(v);
}
} // namespace

Ole1Bounds ole1_himetric(const double rect[4]) {
  return Ole1Bounds{0, 0, hundredths(rect[2] - rect[0]), -hundredths(rect[3] - rect[1])};
}

void ole1_placeat(const Ole1Bounds &b, double x, double y, double rect[4]) {
  const double w = std::fabs(double(b.right) - double(b.left)) / 100.0;
  const double h = std::fabs(double(b.bottom) - double(b.top)) / 100.0;
  rect[0] = x;
  rect[1] = y - h;
  rect[2] = x + w;
  rect[3] = y;
}

std::size_t ole1_verbtext(const char *verb, const char *cls, char *out, std::size_t cap) {
  static const char object[] = "オブジェクト(&V)";
  const bool v = verb && *verb, c = cls && *cls;
  if (v && c)
    return msg_format(out, cap, "%s %s %s", verb, cls, object);
  if (c)
    return msg_format(out, cap, "Edit %s %s", cls, object);
  return msg_format(out, cap, "%s %s", v ? verb : "Edit", object);
}

const char *ole1_updatetext(int option) {
  if (option == 0)
    return "自動";
  if (option == 2)
    return "手動";
  return "ロック";
}
