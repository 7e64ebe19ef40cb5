#include "plugin/raruput.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "files/sealfmt.h"
#include "plugin/plugsys.h"
#include "plugin/rarucfg.h"
#include "plugin/rarudisp.h"
#include "plugin/rarudlg.h"
#include "plugin/rarufont.h"
#include "plugin/rarustr.h"

int32_t Raru_DateActive = 0;

namespace {

char DayText[8], MonthText[8];
int Year = 0;

const char M_NOSEAL[] = "通常使用する印鑑がありません。";
const char M_REFUSED[] = "この図面には押印できません。";
const char T_STAMP[] = "押印";
const char P_DRAWING[] = "< 押印する図面を指定して下さい >";
const char P_POSITION[] = "< 押印する位置を指定して下さい >";

constexpr long MAX_FILE = SLF_HEADSIZE + long(SLF_MAXELM) * SLF_RECSIZE;

bool accepted(int code) { return code == KLH_ACCEPT || code == KLH_ENTER; }

// The seal file's bytes (header and at most 10000 records); false when no header.
bool readseal(std::FILE *f, RaruSeal *seal) {
  std::vector<uint8_t> bytes(MAX_FILE);
  std::rewind(f);
  const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  if (n == 0)
    return false;
  raru_sealparse(bytes.data(), n, seal);
  return true;
}

// Header text field (up to its NUL within width) into out (width + 1 bytes).
void field(const uint8_t *head, int off, int width, char *out) { raru_copycut(out, width + 1, reinterpret_cast<const char *>(head + off), width); }

// Finds needle in text at a character start (Shift-JIS: a lead byte's second byte is
// never a start).
bool contains(const char *text, const char *needle) {
  const std::size_t n = std::strlen(needle);
  for (const char *p = text; *p;) {
    if (std::strncmp(p, needle, n) == 0)
      return true;
    const auto c = static_cast<unsigned char>(*p);
    p += ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && p[1] ? 2 : 1;
  }
  return false;
}

// A valid scale b[0] / a[0] of the drawing's layer, or 0.
double layerscale(int view, int drawing) {
  int16_t a[64] = {}, b[64] = {};
  KlhAtrLayScal(view, drawing, a, b);
  if (a[0] == 0)
    return 0;
  const double s = double(b[0]) / double(a[0]);
  return std::isfinite(s) && s > 0 ? s : 0;
}

struct Placing {
  int level = 0;
  char name[25] = {}, owner[25] = {}, password[21] = {}, plain[20] = {};
  uint16_t kind = 0;
  KlhSize size{};
};

bool permitted(const Placing &p, int drawing) {
  int seals = 0;
  return KlhPermitStampix(drawing, p.level, p.name, p.owner, p.plain) != 0 && KlhNumSeals(drawing, &seals) != 0;
}

// Writes the seal at pt as one node; true when all of it was written. A failure after
// the node was opened closes it and takes back what was written.
bool place(const Placing &p, int drawing, const KlhPoint &pt, double scale, std::FILE *f) {
  int seals = 0, level = 0;
  if (!KlhPermitStampix(drawing, p.level, p.name, p.owner, p.plain) || !KlhNumSeals(drawing, &seals) ||
      seals >= 9 || !KlhFigPowerLevel(drawing, &level) || level > p.level)
    return false;
  const int node = KlhRaruNodeOpen(drawing, 1, p.level, p.name);
  if (node <= 0)
    return false;
  char attr[48];
  std::snprintf(attr, sizeof attr, "%s%s", p.password, p.owner);
  const KlhSize scaled{p.size.width * scale, p.size.height * scale};
  bool ok = KlhWriteRaruArea(drawing, p.kind, &pt, &scaled, 0.0) > 0 && Raru_WriteBody(drawing, pt, scale, f) == 0 &&
            KlhWriteAtr(drawing, 0, attr) > 0;
  if (ok) {
    KlhAtrDisp();
    if (KlhRaruNodeClose(drawing, node) != 0)
      return true;
  } else if (KlhRaruNodeClose(drawing, node) == 0) {
    return false;
  }
  KlhDelRaru(drawing, node);
  return false;
}

} // namespace

void Raru_SetToday(int twoDigits) {
  const std::time_t t = plg_sys.now(nullptr);
  std::tm today{};
  if (const std::tm *lt = std::localtime(&t))
    today = *lt;
  Year = today.tm_year + 1900;
  std::snprintf(DayText, sizeof DayText, today.tm_mday < 10 && twoDigits == 1 ? "0%d" : "%d", today.tm_mday);
  std::snprintf(MonthText, sizeof MonthText, twoDigits == 1 ? "%02d" : "%d", today.tm_mon + 1);
}

int Raru_FormatDate(const char *text, char *out) {
  out[0] = '\0';
  if (!Raru_DateActive || !text)
    return 0;
  static const struct {
    const char *placeholder, *format;
    bool monthFirst;
  } rows[] = {
      {"YYYY年MM月DD日", "%d年%s月%s日", false}, {"YYYY/MM/DD", "%d/%s/%s", false},
      {"YYYY.MM.DD", "%d.%s.%s", false},         {"YYYY・MM・DD", "%d･%s･%s", false},
      {"MM/DD/YYYY", "%s/%s/%d", true},          {"YYYY-MM-DD", "%d-%s-%s", false},
  };
  for (const auto &r : rows) {
    if (!contains(text, r.placeholder))
      continue;
    if (r.monthFirst)
      std::snprintf(out, 80, r.format, MonthText, DayText, Year);
    else
      std::snprintf(out, 80, r.format, Year, MonthText, DayText);
    return 1;
  }
  return 0;
}

void Raru_MakeRubberShape(RubberShape *s, KlhPoint *offset, const KlhPoint &centre, const KlhSize &size, int kind) {
  int n = 0;
  if (kind == 1) {
    const double w = size.width, h = size.height;
    const double lines[4][4] = {{0, 0, 0, h}, {0, h, w, h}, {w, h, w, 0}, {w, 0, 0, 0}};
    for (const auto &l : lines) {
      s[n] = RubberShape{KLH_RUBLINE, {l[0], l[1], l[2], l[3], 0}};
      n++;
    }
    *offset = KlhPoint{w / 2, h / 2};
  } else if (kind == 2) {
    s[n++] = RubberShape{KLH_RUBARC, {centre.x, centre.y, size.width, 0, 360}};
    *offset = centre;
  } else {
    *offset = KlhPoint{0, 0};
  }
  s[n] = RubberShape{KLH_RUBEND, {0, 0, 0, 0, 0}};
}

int Raru_WriteBody(int drawing, const KlhPoint &pt, double scale, std::FILE *f) {
  RaruSeal seal;
  if (!readseal(f, &seal))
    return -1;
  const double ox = slf_get<double>(seal.header, SLF_OFF_ORIGINX), oy = slf_get<double>(seal.header, SLF_OFF_ORIGINY);
  const double dx = pt.x - ox * scale, dy = pt.y - oy * scale;
  for (int i = 0; i < seal.count; i++) {
    const uint8_t *r = seal.records.data() + std::size_t(i) * SLF_RECSIZE;
    const int kind = slf_get<int16_t>(r, 4);
    int ok = 1;
    if (kind == 2) {
      const KlhPoint a{slf_get<double>(r, 20) * scale + dx, slf_get<double>(r, 28) * scale + dy};
      const KlhPoint b{slf_get<double>(r, 36) * scale + dx, slf_get<double>(r, 44) * scale + dy};
      ok = KlhWriteLine(drawing, 0, 3, 1, 0, 0, &a, &b);
    } else if (kind == 4) {
      const KlhPoint c{slf_get<double>(r, 20) * scale + dx, slf_get<double>(r, 28) * scale + dy};
      const double angles[2] = {slf_get<double>(r, 44), slf_get<double>(r, 52)};
      ok = KlhWriteArc(drawing, 0, 3, 1, 0, 0, &c, slf_get<double>(r, 36) * scale, angles);
    } else if (kind == 8) {
      char text[80], date[80];
      raru_jointext(seal, i, text);
      const KlhPoint p{slf_get<float>(r, 20) * scale + dx, slf_get<float>(r, 24) * scale + dy};
      KlhTextSize sz{slf_get<float>(r, 28) * scale, slf_get<float>(r, 32) * scale, slf_get<float>(r, 36) * scale,
                     slf_get<float>(r, 40), slf_get<float>(r, 44)};
      const unsigned attr = slf_get<uint16_t>(r, 48);
      const int vbase = (attr >> 5) & 3, hbase = (attr >> 7) & 3;
      if (Raru_FormatDate(text, date))
        ok = KlhWriteRaruDate(drawing, &p, 3, vbase, hbase, &sz, date);
      else
        ok = KlhWriteText(drawing, 0, &p, 3, vbase, hbase, 0, &sz, text);
    }
    if (ok <= 0)
      return 1;
  }
  return 0;
}

void Raru_PlaceLoop(std::FILE *f) {
  int current = 0, open = 0;
  KlhAtrCfig(0, &current);
  KlhGetDtbCount(&open);
  uint8_t head[SLF_HEADSIZE] = {};
  std::rewind(f);
  if (std::fread(head, 1, sizeof head, f) == 0)
    return;
  KlhAtrOpen(1);
  Placing p;
  p.level = slf_get<int16_t>(head, SLF_OFF_PERMIT);
  field(head, SLF_OFF_NAME, 24, p.name);
  field(head, SLF_OFF_OWNER, 24, p.owner);
  field(head, SLF_OFF_PASSWORD, 20, p.password);
  KlhAnalyzePasswd(p.password, p.plain);
  p.kind = slf_get<uint16_t>(head, SLF_OFF_OUTLINE);
  p.size = KlhSize{slf_get<double>(head, SLF_OFF_WIDTH), slf_get<double>(head, SLF_OFF_HEIGHT)};

  int view = 0, drawing = current, code = 0;
  double x = 0, y = 0;
  for (;;) {
    // The drawing, unless only one is open (then view 0 of the current one).
    if (open != 1) {
      KlhMsgPrint(0, P_DRAWING);
      const int rc = KlhInpPikpnt(0, &view, &drawing, &x, &y, &code);
      KlhMsgPrint(128, P_DRAWING);
      if (rc == 0 || code == KLH_END || code == KLH_ABORT)
        return;
      if (!accepted(code))
        continue;
      if (!permitted(p, drawing)) {
        KlhMsgWarn(M_REFUSED);
        continue;
      }
    } else {
      view = 0;
      drawing = current;
    }
    const double scale = layerscale(view, drawing);
    if (scale == 0) {
      KlhMsgWarn(M_REFUSED);
      if (open == 1)
        return;
      continue;
    }
    const KlhSize scaled{p.size.width * scale, p.size.height * scale};
    RubberShape shapes[5];
    KlhPoint offset{}, centre{0, 0};
    Raru_MakeRubberShape(shapes, &offset, centre, scaled, p.kind);
    // The position.
    bool again = false;
    for (;;) {
      KlhMsgPrint(0, P_POSITION);
      KlhStartRub(KLH_RUBSHAPE, 0, &offset, shapes);
      int pv = 0, pd = drawing;
      const int rc = KlhInpPikpnt(1, &pv, &pd, &x, &y, &code);
      KlhMsgPrint(128, P_POSITION);
      if (rc == 0 || code == KLH_END || code == KLH_ABORT) {
        KlhStartRub(KLH_RUBSTOP);
        return;
      }
      if (code == KLH_BACK) {
        if (open != 1) {
          KlhStartRub(KLH_RUBSTOP);
          again = true;
          break;
        }
        continue;
      }
      if (!accepted(code))
        continue;
      KlhStartRub(KLH_RUBSTOP);
      if (place(p, drawing, KlhPoint{x, y}, scale, f))
        return;
      KlhMsgWarn(M_REFUSED);
    }
    if (!again)
      return;
  }
}

int Raru_PutRaru() {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  const HWND owner = KlhWinMainFrameGet();
  char path[RARU_PATH];
  std::FILE *f = raru_join(path, s.sealFolder, s.defaultFile) && s.defaultFile[0] ? std::fopen(path, "rb") : nullptr;
  if (!f)
    return plg_msgbox(owner, M_NOSEAL, T_STAMP, MB_ICONWARNING);
  uint8_t head[SLF_HEADSIZE] = {};
  if (std::fread(head, 1, sizeof head, f) == 0) {
    std::fclose(f);
    return 0;
  }
  if (!raru_fieldeq(head + SLF_OFF_OWNER, 24, s.userName, sizeof s.userName) ||
      !raru_fieldeq(head + SLF_OFF_PASSWORD, 20, s.cryptPassword, sizeof s.cryptPassword)) {
    std::fclose(f);
    return plg_msgbox(owner, M_NOSEAL, T_STAMP, MB_ICONWARNING);
  }
  Raru_SetToday(s.sealDate);
  Raru_DateActive = 1;
  if (s.sealCheck) {
    Raru_SysPreviewFile('W', s.defaultFile);
    Raru_SysListFolder('W', s.sealFolder);
    Raru_RegisterDispClass();
    if (Raru_Dialog(IDD_RARU_CONFIRM, owner) != 1) {
      std::fclose(f);
      Raru_DateActive = 0;
      return 0;
    }
  }
  Raru_PlaceLoop(f);
  std::fclose(f);
  Raru_DateActive = 0;
  return 0;
}
