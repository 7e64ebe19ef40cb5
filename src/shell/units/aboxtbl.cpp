#include "shell/units/aboxtbl.h"

#include <cstdio>

namespace {

const char *const dirs[] = {"自由", "水平", "垂直", "角度"};
const char *const layers[] = {"同ﾚｲﾔ", "現ﾚｲﾔ"};
const char *const ltypes[] = {"同線種", "現線種"};
const char *const points[] = {"自由点", "固定点"};
const char *const aligns[] = {"左側", "中央", "右側"};
const char *const fonts[] = {"ﾍﾞｸﾄﾙ", "和文1", "和文2", "欧文"};
const char *const groups[] = {"単独", "ｸﾞﾙｰﾌﾟ"};

struct ModeList {
  const char *const *texts;
  int count;
};
#define LIST(a)                                                                                                        \
  { a, int(sizeof a / sizeof a[0]) }
// Buttons 1 and 2 of kinds 1..10; buttons 3..5 have no lists.
const ModeList modes[ABOX_KINDS][2] = {
    {LIST(dirs), {}},   {LIST(ltypes), LIST(layers)}, {LIST(dirs), LIST(layers)}, {LIST(dirs), LIST(layers)},
    {LIST(points), {}}, {LIST(aligns), LIST(fonts)},  {LIST(layers), {}},         {LIST(groups), {}},
    {LIST(dirs), {}},   {LIST(layers), {}},
};
#undef LIST

const char *const captions[5] = {"処理モード1", "処理モード2", "処理モード3", "処理モード4", "処理モード5"};

} // namespace

int abox_modecount(uint32_t m) { return m >= 2 && m <= ABOX_MODES_MAX ? int(m) : 2; }

int abox_fields(int m, AboxFieldDef *out) {
  m = abox_modecount(uint32_t(m));
  int n = 0;
  out[n++] = {ABOX_COMBO, 0, 64, 5, 16, "レイヤ番号"};
  out[n++] = {ABOX_COMBO, 1, 12, 5, 12, "ペン番号"};
  out[n++] = {ABOX_COMBO, 2, 6, 10, 6, "線種"};
  out[n++] = {ABOX_BUTTON, 0, 0, 2, 1, "左線端"};
  out[n++] = {ABOX_BUTTON, 0, 0, 2, 1, "右線端"};
  out[n++] = {ABOX_OWNERBUTTON, 0, 0, 6, 1, "ポイントモード"};
  for (int k = 0; k < m; k++)
    out[n++] = {ABOX_BUTTON, 0, 0, 6, 1, captions[k]};
  out[n++] = {ABOX_BUTTON, 0, 0, 7, 1, "要素数"};
  out[n++] = {ABOX_BUTTON, 0, 0, 3, 1, "ハイライト表示"};
  return n;
}

int abox_modetexts(int kind, int button, const char *const **texts) {
  if (kind < 1 || kind > ABOX_KINDS || button < 1 || button > 2)
    return 0;
  const ModeList &l = modes[kind - 1][button - 1];
  if (texts)
    *texts = l.texts;
  return l.count;
}

int abox_modestep(uint32_t choice, int n, int forward) {
  if (n <= 0)
    return 0;
  const int c = choice < uint32_t(n) ? int(choice) : 0;
  return forward ? (c + 1) % n : (c + n - 1) % n;
}

bool abox_modeshown(int button, uint32_t flags) {
  static const uint32_t bits[ABOX_MODES_MAX] = {0x1100, 1u << 13, 1u << 14, 1u << 15, 1u << 16};
  return button >= 1 && button <= ABOX_MODES_MAX && (flags & bits[button - 1]) != 0;
}

int abox_endstep(int value, int forward) {
  static const int ring[6] = {0, 1, 2, 4, 5, 6};
  int i = 0;
  while (i < 6 && ring[i] != value)
    i++;
  if (i == 6) // 3 or a stray value: its neighbours in the ring
    return forward ? (value == 3 ? 4 : 0) : (value == 3 ? 2 : 6);
  return ring[forward ? (i + 1) % 6 : (i + 5) % 6];
}

int abox_pickstep(int mode, int forward, bool grid) {
  const int n = grid ? 5 : 4;
  if (mode < 0 || mode >= n)
    return forward ? 0 : n - 1;
  return forward ? (mode + 1) % n : (mode + n - 1) % n;
}

void abox_countfmt(uint32_t choice, uint32_t used, uint32_t capacity, char *text, std::size_t size) {
  if (choice == 1) {
    std::snprintf(text, size, "%5d", int(used));
  } else if (choice == 2) {
    std::snprintf(text, size, "%5d", int(capacity > used ? capacity - used : 0));
  } else {
    const double pct = capacity ? 100.0 * double(used) / double(capacity) : 0.0;
    std::snprintf(text, size, "%5.1f", pct);
  }
}

void abox_layout(const AboxMetrics &mt, const AboxFieldDef *fields, int count, int line, int split, bool widened,
                 AboxRect *out, AboxRect *client) {
  int right = 0;
  for (int i = 0; i < count; i++) {
    const AboxFieldDef &f = fields[i];
    AboxRect &r = out[i];
    r.cx = (mt.cw + 2 * mt.bx) * f.cells;
    r.cy = (mt.lh + 4 * mt.by) * f.lines;
    const bool second = line != 0 && i >= split;
    const bool first_in_row = i == 0 || (line != 0 && i == split);
    if (first_in_row)
      r.x = 6 * mt.bx;
    else
      r.x = out[i - 1].x + out[i - 1].cx + (line != 0 ? 2 * mt.by : 2 * mt.bx);
    r.y = second ? mt.lh + 14 * mt.by : 6 * mt.by;
    if (f.cls == ABOX_COMBO)
      r.cy += 2 * (mt.lh + 4 * mt.by) - 6 * mt.by + (widened ? 1 : -16);
    if (r.x + r.cx > right)
      right = r.x + r.cx;
  }
  client->x = client->y = 0;
  if (line == 0) {
    client->cx = right + 3 * mt.bx;
    client->cy = mt.lh + 16 * mt.by;
  } else {
    client->cx = right + 6 * mt.bx;
    client->cy = 2 * (mt.lh + 11 * mt.by);
  }
}
