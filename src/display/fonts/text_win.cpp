#include "display/fonts/text_win.h"

#include <cstring>

#include "display/view/gdi.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "display/view/viewstate.h"
#include "geometry/textcalls.h"
#include "settings/params.h"
#include "settings/strutil.h"

namespace {
bool is_lead(uint8_t c) { return sjis_islead(c); }
HWND measured = nullptr; // window whose DC chr_viewdc handed out

int viewlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay) {
  HDC dc = chr_viewdc();
  if (!dc)
    return 0;
  static char codes[CHR_CODEMAX];
  static ChrLayout typeface;
  chr_layoutw(dc, (attr >> 9) & 7, attr, height, width, spacing, str, &typeface, codes);
  chr_releasedc(dc);
  // A typeface that could not be made measures nothing: the stroke layout stands
  // rather than every slot collapsing onto the base point.
  if (!(typeface.width > 0))
    return 0;
  *lay = typeface;
  return 1;
}

// The layers below measure texts through geometry's table; filled while the program loads.
[[maybe_unused]] const bool filled = [] {
  TextHooks.viewlayout = &viewlayout;
  return true;
}();
} // namespace

HDC chr_viewdc() {
  measured = vew_hwnd(dwg_cur(), vew_cur()); // null: the screen
  return GetDC(measured);
}
void chr_releasedc(HDC dc) { ReleaseDC(measured, dc); }
int chr_outputkind() { return OutputKind; }

int chr_extentw(HDC dc, int face, double height, double width, const char *text, double *outh, double *outw) {
  double sx = DrawXform.xscale, sy = DrawXform.yscale;
  double cw = width * sx, ch = height * sy;
  size_t len = std::strlen(text);
  double most = chr_outputkind() == 1 ? 4000 : 9999999;
  auto estimate = [&] {
    *outh = height;
    *outw = static_cast<double>(len) * width;
    return 0;
  };
  if (!(cw >= 1 && ch >= 1 && cw <= most && ch <= most))
    return estimate();
  TypefaceEntry table[4];
  sys_typeface('r', table);
  if (face < 0 || face > 3)
    face = 0;
  char name[LF_FACESIZE];
  std::memcpy(name, table[face].name, sizeof name - 1);
  name[sizeof name - 1] = '\0';
  uint8_t style = table[face].style;
  LOGFONTA lf{};
  lf.lfHeight = -static_cast<int>(ch);
  lf.lfWidth = static_cast<int>(cw);
  lf.lfWeight = (style & 2) ? 700 : 400;
  lf.lfItalic = style & 1;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(lf.lfFaceName, name, sizeof name);
  HFONT font = gdi_calls.CreateFontIndirectA(&lf);
  if (!font) {
    *outh = *outw = 0;
    return 0;
  }
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  BOOL ok = GetTextExtentPoint32A(dc, text, static_cast<int>(len), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  if (!ok)
    return estimate();
  *outw = size.cx / sx;
  *outh = size.cy / sy;
  return 1;
}

int chr_layoutw(HDC dc, int face, uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay,
                char *codes) {
  bool own = !dc;
  if (own)
    dc = chr_viewdc();
  ChrWalk walk(lay, h, s);
  int result = 1, pos = 0, slotstart = 0;
  double prev = 0;
  for (int i = 0; i < CHR_TEXTMAX && text[i]; i++) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    ChrWalk::Markup m = walk.markup(c);
    if (m == ChrWalk::MARK_STOP)
      break;
    if (m == ChrWalk::MARK_TEXT) {
      char b[2];
      int n = 1;
      if (is_lead(c)) {
        if (i + 1 >= CHR_TEXTMAX || !text[i + 1])
          break;
        b[0] = static_cast<char>(c);
        b[1] = text[++i];
        n = 2;
      } else if (c == 0x40 && face != 3) {
        b[0] = static_cast<char>(0x83);
        b[1] = static_cast<char>(0xD3);
        n = 2;
      } else if (c == 0x5E && face != 3) {
        b[0] = static_cast<char>(0x81);
        b[1] = static_cast<char>(0x7D);
        n = 2;
      } else {
        b[0] = static_cast<char>(c);
      }
      bool full;
      if (walk.begin_char(codes + pos, &full)) {
        slotstart = pos;
        prev = 0;
      }
      if (full)
        break;
      std::memcpy(codes + pos, b, n);
      pos += n;
      codes[pos] = '\0';
      walk.count_char(n);
      double mh, mw;
      bool half = walk.half();
      if (!chr_extentw(dc, face, half ? h / 2 : h, half ? w / 2 : w, codes + slotstart, &mh, &mw))
        result = 0;
      walk.advance(mw - prev);
      prev = mw;
    }
  }
  codes[pos] = '\0';
  walk.finish(attr);
  if (own)
    chr_releasedc(dc);
  return result;
}
