#include "commands/text/textrule.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "geometry/geo.h"
#include "input/rubber.h"
#include "settings/strutil.h"

int txt_valid(const char *text) {
  if (!text)
    return 1;
  int n = 0;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p && n <= TXT_MAXBYTES;) {
    if (sjis_islead(*p) && p[1]) {
      p += 2, n += 2;
      continue;
    }
    if (std::strchr("@^[]_|", *p))
      return 2;
    ++p, ++n;
  }
  return n == 0 || n > TXT_MAXBYTES ? 1 : 0;
}

int txt_box(uint16_t attr, double w, double h, double angle, double x, double y, GuideShape *list) {
  const int hb = (attr >> 7) & 3, vb = (attr >> 5) & 3;
  const double x0 = hb == 1 ? -w / 2 : hb == 2 ? -w : 0;
  const double y0 = vb == 1 ? -h / 2 : vb == 2 ? -h : 0;
  const GeoPoint base{x, y};
  const GeoPoint corner[4] = {{x + x0, y + y0}, {x + x0 + w, y + y0}, {x + x0 + w, y + y0 + h}, {x + x0, y + y0 + h}};
  GeoPoint r[4];
  for (int i = 0; i < 4; i++)
    if (geo_rotate(&base, &corner[i], &r[i], angle) != 0)
      return 1;
  for (int i = 0; i < 4; i++) {
    const GeoPoint &a = r[i], &b = r[(i + 1) % 4];
    list[i] = GuideShape{2, a.x, a.y, b.x, b.y, 0};
  }
  list[4] = GuideShape{uint32_t(-1), 0, 0, 0, 0, 0};
  return 0;
}

namespace {

struct DateFormat {
  const char *label, *form;
  bool monthfirst;
};
// Label 3 has the full-width middle dot, its sample the half-width one.
const DateFormat Formats[DATE_FORMATS] = {
    {"YYYY年MM月DD日", "%d年%s月%s日", false}, {"YYYY/MM/DD", "%d/%s/%s", false},
    {"YYYY.MM.DD", "%d.%s.%s", false},         {"YYYY・MM・DD", "%d･%s･%s", false},
    {"MM/DD/YYYY", "%s/%s/%d", true},          {"YYYY-MM-DD", "%d-%s-%s", false},
};

void local_today(int *y, int *m, int *d) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  *y = t.tm_year + 1900, *m = t.tm_mon + 1, *d = t.tm_mday;
}

DateClock Clock = local_today;

void two(int v, char out[16]) { std::snprintf(out, 16, v < 10 ? "0%d" : "%d", v); }

} // namespace

const char *date_label(int format) {
  return format >= 0 && format < DATE_FORMATS ? Formats[format].label : nullptr;
}

int date_istext(const char *text) {
  if (!text)
    return 0;
  for (const DateFormat &f : Formats)
    if (std::strcmp(text, f.label) == 0)
      return 1;
  return 0;
}

void date_sample(int format, int year, int month, int day, char *out, std::size_t size) {
  if (!out || size == 0)
    return;
  out[0] = 0;
  if (format < 0 || format >= DATE_FORMATS)
    return;
  char mm[16], dd[16];
  two(month, mm);
  two(day, dd);
  const DateFormat &f = Formats[format];
  if (f.monthfirst)
    std::snprintf(out, size, f.form, mm, dd, year);
  else
    std::snprintf(out, size, f.form, year, mm, dd);
}

void date_setclock(DateClock clock) { Clock = clock ? clock : local_today; }
void date_today(int *year, int *month, int *day) { Clock(year, month, day); }
