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
