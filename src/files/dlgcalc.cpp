#include "files/dlgcalc.h"

#include <cmath>
#include <cstring>
#include <numeric>

#include "geometry/geo.h"

int dlg_gridset(GridRecord *g, uint32_t mode, double first, double second) {
  if (!(first >= 0.001 && first <= 1e13))
    return 1000;
  if (mode == 2) {
    if (!(second >= 0.000001 && second <= 89.999999))
      return 1001;
    g->kind = 2;
    g->pitchx = g->pitchy = first;
    g->angle = second;
    g->spare = 360.0 - second;
    g->a1x = deg_cos(second) * first;
    g->a1y = deg_sin(second) * first;
    g->a2x = deg_cos(360.0 - second) * first;
    g->a2y = deg_sin(360.0 - second) * first;
    return 0;
  }
  if (!(second >= 0.001 && second <= 1e13))
    return 1001;
  g->kind = 1;
  g->pitchx = first;
  g->pitchy = second;
  g->a1x = deg_cos(0) * first;
  g->a1y = deg_sin(0) * second;
  g->a2x = deg_cos(270) * first;
  g->a2y = deg_sin(270) * second;
  return 0;
}

const PaperRow PaperTable[DLG_PAPERS] = {
    {125, "A0", 1189, 841}, {126, "A1", 841, 594},  {127, "A2", 594, 420},      {128, "A3", 420, 297},
    {129, "A4", 297, 210},  {148, "A4タテ", 210, 297}, {130, "B0", 1456, 1030},  {131, "B1", 1030, 728},
    {132, "B2", 728, 515},  {133, "B3", 515, 364},  {134, "B4", 364, 257},      {135, "任意サイズ", 0, 0},
};

int dlg_nfmatch(const SheetRecord &sheet) {
  const double w = sheet.width * sheet.scale, h = sheet.height * sheet.scale;
  for (int i = 0; i < DLG_CUSTOM; i++)
    if (std::fabs(PaperTable[i].width - w) < 1.0 && std::fabs(PaperTable[i].height - h) < 1.0)
      return i;
  return DLG_CUSTOM;
}

int dlg_nfindex(long value) { return value >= 0 && value <= 11 ? int(value) : 3; }

int dlg_nfarea(double pw, double ph, int num, int den, double *aw, double *ah) {
  const double scale = double(num) / double(den);
  *aw = pw / scale;
  *ah = ph / scale;
  const auto ok = [](double v) { return v >= 0.001 && v <= 99999999.0; };
  return ok(*aw) && ok(*ah) ? 0 : 1;
}

bool dlg_nfhdrok(const uint8_t *hdr, std::size_t size) {
  static const char version[] = "MAR TOVEN SX V4.0";
  return hdr && size == sizeof(DrawingEnvRecord) && std::memcmp(hdr + 4, version, sizeof version) == 0 &&
         hdr[25] == 8;
}

void dlg_nfratios(ScalePair pairs[SCALE_COUNT], int num, int den) {
  const int64_t oldnum = pairs[0].num, oldden = pairs[0].den;
  for (int i = 1; i < SCALE_COUNT; i++) {
    int64_t a = int64_t(pairs[i].num) * num * oldden;
    int64_t b = int64_t(pairs[i].den) * den * oldnum;
    if (a > 0 && b > 0) {
      const int64_t g = std::gcd(a, b);
      a /= g;
      b /= g;
    }
    if (a >= 1 && a <= 32767 && b >= 1 && b <= 32767)
      pairs[i] = ScalePair{int16_t(a), int16_t(b)};
    else
      pairs[i] = ScalePair{int16_t(num), int16_t(den)};
  }
  pairs[0] = ScalePair{int16_t(num), int16_t(den)};
}

void dlg_palette(int back, int seal, uint32_t palette[PALETTE_COUNT]) {
  static const uint32_t white[8] = {0x800080, 0xFF00FF, 0x00D7FF, 0x000000, 0xFFFFFF, 0x808000, 0xDCF8FF, 0x000000};
  static const uint32_t black[8] = {0xFF00FF, 0x00A5FF, 0x00FFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFF00, 0x000000};
  std::memcpy(palette + 12, back ? black : white, sizeof white);
  palette[2] = seal == 0 ? 0x0000FF : back ? 0xFFFFFF : 0x000000;
}

bool dlg_syslenok(double v) { return v >= 0.001 && v <= 1000.0; }
