#include "fonttest_util.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#endif

void put_file(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> get_file(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void make_dir(const std::string &path) {
#ifdef _WIN32
  _mkdir(path.c_str());
#else
  mkdir(path.c_str(), 0777);
#endif
}

namespace {
CountedIo *Counter;
FchIo Saved;
int c_open(const char *path, int flags, int mode) {
  Counter->opens++;
  return fch_rtio().open(path, flags, mode);
}
int c_read(int fd, void *buf, unsigned count) {
  Counter->reads++;
  if (Counter->fail_reads)
    return -1;
  int n = fch_rtio().read(fd, buf, count);
  Counter->bytes += n > 0 ? n : 0;
  return n;
}
int32_t c_lseek(int fd, int32_t off, int origin) {
  Counter->seeks++;
  return fch_rtio().lseek(fd, off, origin);
}
int c_close(int fd) {
  Counter->closes++;
  return fch_rtio().close(fd);
}
} // namespace

CountedIo::CountedIo() {
  Counter = this;
  FchIo io{c_open, c_read, c_lseek, c_close};
  Saved = fch_setio(&io);
}
CountedIo::~CountedIo() {
  fch_setio(&Saved);
  Counter = nullptr;
}

static std::string pt(GlyphPt p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

int RecordSink::add(std::string s) {
  log.push_back(std::move(s));
  return stop_after >= 0 && static_cast<int>(log.size()) > stop_after ? 2 : 0;
}
int RecordSink::width(int tenths) {
  width_seen = tenths;
  return 0;
}
int RecordSink::move(GlyphPt p) { return add("M " + pt(p)); }
int RecordSink::line(GlyphPt a, GlyphPt b) { return add("L " + pt(a) + " " + pt(b)); }
int RecordSink::polyline(const GlyphPt *pts, int n) {
  std::string s = "P";
  for (int i = 0; i < n; i++)
    s += " " + pt(pts[i]);
  return add(s);
}
int RecordSink::hqmove(GlyphPt p) { return add("H " + pt(p)); }
int RecordSink::arc(int op, int r, int s, int e, GlyphPt from, GlyphPt to) {
  return add("A" + std::to_string(op) + " " + std::to_string(r) + " " + std::to_string(s) + " " + std::to_string(e) +
             " " + pt(from) + ">" + pt(to));
}
int RecordSink::circle(int r, int a, GlyphPt at) {
  return add("C " + std::to_string(r) + " " + std::to_string(a) + " " + pt(at));
}

void Bitmap::line(int x0, int y0, int x1, int y1) {
  int dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
  for (;;) {
    if (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h)
      px[y0 * w + x0] = 1;
    if (x0 == x1 && y0 == y1)
      break;
    int e2 = 2 * err;
    if (e2 >= dy)
      err += dy, x0 += sx;
    if (e2 <= dx)
      err += dx, y0 += sy;
  }
}

std::string Bitmap::pbm() const {
  std::string s = "P1\n" + std::to_string(w) + " " + std::to_string(h) + "\n";
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++)
      s += px[y * w + x] ? '1' : '0';
    s += '\n';
  }
  return s;
}

namespace {
struct DrawSink : GlyphSink {
  Bitmap *bm;
  int x0, cell;
  bool std_set;
  GlyphPt pen{0, 0};
  int px(GlyphPt p) const { return x0 + (std_set ? p.x * (cell - 1) / 14 : p.x * (cell - 1) / FNT_HQ_CELL); }
  int py(GlyphPt p) const { return cell - 1 - (std_set ? p.y * (cell - 1) / 16 : p.y * (cell - 1) / FNT_HQ_CELL); }
  void seg(GlyphPt a, GlyphPt b) { bm->line(px(a), py(a), px(b), py(b)); }
  int line(GlyphPt a, GlyphPt b) override {
    seg(a, b);
    return 0;
  }
  int polyline(const GlyphPt *p, int n) override {
    for (int i = 1; i < n; i++)
      seg(p[i - 1], p[i]);
    return 0;
  }
};
} // namespace

Bitmap render(const std::string &sjis, int cell) {
  Bitmap bm(cell * static_cast<int>(sjis.size() / 2), cell);
  for (size_t i = 0; i + 1 < sjis.size(); i += 2) {
    DrawSink s;
    s.bm = &bm;
    s.x0 = static_cast<int>(i / 2) * cell;
    s.cell = cell;
    s.std_set = Fonts.loaded == 1;
    int lead = static_cast<uint8_t>(sjis[i]), trail = static_cast<uint8_t>(sjis[i + 1]);
    if (s.std_set)
      fnt_stddecode(lead, trail, s);
    else
      fnt_hqglyph(lead, trail, s);
  }
  return bm;
}
