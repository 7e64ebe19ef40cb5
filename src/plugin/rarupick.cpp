// Delete, move and scale of placed seals: the user's own seals only, on drawings whose
// level the user's usual seal reaches.
#include <windows.h>

#include <cmath>
#include <cstring>

#include "plugin/raruput.h"
#include "plugin/rarucfg.h"
#include "plugin/rarustr.h"

namespace {

const char P_SEAL[] = "< 印鑑を指定して下さい >";
const char P_MOVE[] = "< 移動する位置を指定して下さい >";
const char P_SCALE[] = "< 拡縮する位置を指定して下さい >";
const char M_NODELETE[] = "指定した印鑑は削除できません。";
const char M_NOMOVE[] = "指定した印鑑は移動できません。";
const char M_NOSCALE[] = "指定した印鑑は拡縮できません。";

enum class Op { del, move, scale };

struct Picked {
  int drawing = 0, seal = 0;
  int16_t kind = 0;
  KlhPoint origin{};
  KlhSize size{};
};

bool ends(int code) { return code == KLH_END || code == KLH_BACK || code == KLH_ABORT; }
bool accepted(int code) { return code == KLH_ACCEPT || code == KLH_ENTER; }

// The common pick and checks: 1 with a seal the user may change, 0 when the command
// ends (*code the input code that ended it).
int pick(Op op, const char *refusal, Picked *out, int *code) {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  KlhAtrOpen(1);
  for (;;) {
    Picked p;
    KlhPoint at{};
    *code = 0;
    const int rc = KlhInpRaru(0, 1024, &p.drawing, &p.seal, &at, code, P_SEAL);
    // The ending codes first: Esc with nothing under the cursor must end the command.
    if (ends(*code))
      return 0;
    if (rc == 0 && op != Op::move) {
      KlhMsgWarn(refusal);
      continue;
    }
    if (*code != KLH_ACCEPT || p.seal < 1)
      continue;
    int info = 0;
    int16_t state = 0;
    KlhAtrLayer(0, p.drawing, &info, &state);
    if (state < 2)
      continue;
    double extra = 0;
    // Scaling needs the outline as much as moving does.
    if (op != Op::del && !KlhReadRaruArea(p.drawing, p.seal, &p.kind, &p.origin, &p.size, &extra)) {
      KlhMsgWarn(refusal);
      continue;
    }
    int level = 0;
    if (!KlhFigPowerLevel(p.drawing, &level) || level > s.level || !Raru_IsOwnRaru(p.drawing, p.seal)) {
      KlhMsgWarn(refusal);
      continue;
    }
    *out = p;
    return 1;
  }
}

// Scale bounds of an outline: false when it cannot be scaled (no usable size).
bool bounds(const Picked &p, double *lower, double *upper) {
  const double w = p.size.width, h = p.size.height;
  if (p.kind == 1) {
    if (!(w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h)))
      return false;
    *upper = 99999999.0 / (w > h ? w : h);
    *lower = 0.001 / (w < h ? w : h);
    return true;
  }
  if (p.kind == 2) {
    if (!(w > 0 && std::isfinite(w)))
      return false;
    *upper = 99999999.0 / w;
    *lower = 0.001 / w;
    return true;
  }
  return false;
}

} // namespace

int Raru_IsOwnRaru(int drawing, int seal) {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  int a = 0, b = 0, attr = 0, d = 0;
  if (!KlhSchLink(drawing, seal, &a, &b, &attr, &d))
    return 0;
  int mode = 1, n = 0;
  char text[45] = {};
  if (!KlhReadAtr(drawing, attr, &mode, &n, text))
    return 0;
  text[44] = '\0';
  if (std::strlen(text) < 18 || std::strncmp(text, s.cryptPassword, 18) != 0 || std::strlen(s.cryptPassword) != 18)
    return 0;
  return std::strcmp(text + 18, s.userName) == 0 ? 1 : 0;
}

int Raru_DeleteRaru() {
  Picked p;
  int code = 0;
  if (!pick(Op::del, M_NODELETE, &p, &code))
    return code;
  const int rc = KlhDelRaru(p.drawing, p.seal);
  if (rc == 0)
    KlhMsgWarn(M_NODELETE);
  return rc;
}

int Raru_MoveRaru() {
  for (;;) {
    Picked p;
    int code = 0;
    if (!pick(Op::move, M_NOMOVE, &p, &code))
      return code;
    RubberShape shapes[5];
    KlhPoint offset{};
    Raru_MakeRubberShape(shapes, &offset, p.origin, p.size, p.kind);
    double x = 0, y = 0;
    bool back = false;
    for (;;) {
      KlhMsgPrint(0, P_MOVE);
      KlhStartRub(KLH_RUBSHAPE, 0, &offset, shapes);
      int view = 0, drawing = 0;
      const int rc = KlhInpPikpnt(0, &view, &drawing, &x, &y, &code);
      KlhMsgPrint(128, P_MOVE);
      if (rc == 0 || code == KLH_END || code == KLH_ABORT) {
        KlhStartRub(KLH_RUBSTOP);
        return rc == 0 ? KLH_ABORT : code;
      }
      if (code == KLH_BACK) {
        back = true;
        break;
      }
      if (accepted(code) && drawing == p.drawing)
        break;
    }
    KlhStartRub(KLH_RUBSTOP);
    if (back)
      continue;
    const KlhPoint by{x - p.origin.x, y - p.origin.y};
    if (!KlhRaruMove(p.drawing, p.seal, &by))
      KlhMsgWarn(M_NOMOVE);
  }
}

int Raru_ScaleRaru() {
  for (;;) {
    Picked p;
    int code = 0;
    if (!pick(Op::scale, M_NOSCALE, &p, &code))
      return code;
    double lower = 0, upper = 0;
    if (!bounds(p, &lower, &upper)) {
      KlhMsgWarn(M_NOSCALE);
      continue;
    }
    bool back = false;
    double factor = 0;
    for (;;) {
      KlhMsgPrint(0, P_SCALE);
      if (p.kind == 1)
        KlhStartRub(KLH_RUBBOX, 2, p.origin.x, p.origin.y, 0.0, p.size.height / p.size.width, 5);
      else
        KlhStartRub(KLH_RUBCIRCLE, p.origin.x, p.origin.y);
      int view = 0, drawing = 0;
      double x = 0, y = 0;
      const int rc = KlhInpPikpnt(0, &view, &drawing, &x, &y, &code);
      KlhMsgPrint(128, P_SCALE);
      if (rc == 0 || code == KLH_END || code == KLH_ABORT) {
        KlhStartRub(KLH_RUBSTOP);
        return rc == 0 ? KLH_ABORT : code;
      }
      if (code == KLH_BACK) {
        back = true;
        break;
      }
      if (!accepted(code) || drawing != p.drawing)
        continue;
      KlhStartRub(KLH_RUBSTOP);
      const double dist = std::hypot(x - p.origin.x, y - p.origin.y);
      const double half = p.kind == 1 ? std::hypot(p.size.width / 2, p.size.height / 2) : p.size.width;
      factor = dist / half;
      if (factor < lower || factor > upper || !std::isfinite(factor))
        continue;
      break;
    }
    if (back) {
      KlhStartRub(KLH_RUBSTOP);
      continue;
    }
    if (!KlhRaruScale(p.drawing, p.seal, factor))
      KlhMsgWarn(M_NOSCALE);
  }
}
