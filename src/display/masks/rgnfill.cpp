#include "display/masks/rgnfill.h"

#include <algorithm>
#include <memory>
#include <new>

#include "database/store.h"
#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "settings/params.h"
#include "display/view/viewstate.h"

int rgn_todev(int32_t count, const GeoPoint *world, POINT *dev) {
  for (int32_t i = 0; i < count; ++i) {
    int32_t x, y;
    drw_w2d(world[i].x, world[i].y, &x, &y);
    dev[i] = POINT{x, y};
  }
  return 0;
}

int rgn_op(int op, HRGN *rgn, int32_t count, const POINT *pts) {
  if (op < 0 || op > 2 || count < 1)
    return 1;
  HRGN poly = CreatePolygonRgn(pts, int(count), WINDING);
  if (!poly)
    return 1;
  if (op == 0) {
    *rgn = poly;
    return 0;
  }
  const int rc = *rgn ? CombineRgn(*rgn, *rgn, poly, op == 1 ? RGN_XOR : RGN_AND) : ERROR;
  DeleteObject(poly);
  return rc == ERROR ? 1 : 0;
}

int rgn_fill(HDC dc, int d, const ElementRecord *node, int32_t colour) {
  const int32_t room = rgn_capacity();
  if (room <= 0 || d < 0 || d >= DB_COUNT)
    return 1;
  std::unique_ptr<GeoPoint[]> world(new (std::nothrow) GeoPoint[std::size_t(room)]());
  std::unique_ptr<POINT[]> dev(new (std::nothrow) POINT[std::size_t(room)]());
  if (!world || !dev)
    return 1;

  uint16_t map[20] = {};
  sys_colmap('r', map);
  const bool override = colour == map[14] || colour == map[13] || colour == map[16];

  int32_t list[RGN_CHAINS];
  const int32_t nchains = rgn_chains(d, node, list);
  if (nchains <= 0)
    return 1;

  HRGN rgn = nullptr;
  int32_t pen = 1;
  int rc = 0;
  for (int32_t i = 0; i < nchains && rc == 0; ++i) {
    const ElementRecord *ch = list[i] == 0 ? node : dtb_get(d, list[i]);
    int32_t n = 0;
    if (!ch || rgn_chain(d, ch, &n, world.get(), room, &pen) != 0) {
      rc = 1;
      break;
    }
    rgn_todev(n, world.get(), dev.get());
    rc = rgn_op(i == 0 ? 0 : 1, &rgn, n, dev.get());
  }
  // Printed and off-screen output keeps inside the world clip rectangle.
  double c[4];
  if (rc == 0 && (OutputKind == 1 || OutputKind == 4 || OffscreenOutput == 1) &&
      dsp_clipget(&c[0], &c[1], &c[2], &c[3])) {
    const GeoPoint corners[4] = {{c[0], c[1]}, {c[2], c[1]}, {c[2], c[3]}, {c[0], c[3]}};
    POINT d4[4];
    rgn_todev(4, corners, d4);
    rc = rgn_op(2, &rgn, 4, d4);
  }
  if (rc == 0) {
    if (override) {
      rc = gdi_fillrgn(1, colour, d, dc, rgn);
    } else {
      // The drawing's fill colour of the chain's pen; the fill block has eight,
      // so pens outside 1..8 take the nearest.
      const int32_t p = pen < 1 ? 1 : pen > 8 ? 8 : pen;
      rc = gdi_fillrgn(0, int(p), d, dc, rgn);
    }
  }
  if (rgn)
    DeleteObject(rgn);
  return rc ? 1 : 0;
}
