// Seal preview drawing without the platform: the preview transform, the seal's
// lines, arcs and texts, and the high-quality stroke font laid out and drawn through
// a canvas that the window code backs with GDI (tests with a recorder).
#pragma once

#include <cstdint>
#include <vector>

// Device output of the preview, integer device points with y downward.
class RaruCanvas {
public:
  virtual ~RaruCanvas() = default;
  virtual void line(int x1, int y1, int x2, int y2) = 0;
  // As GDI Arc: bounding box, then the points that give the start and end radials;
  // drawn counter-clockwise on the screen; equal points draw the full circle.
  virtual void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) = 0;
};

// Preview transform: world (x, y) to device (trunc(s*x + ox), b - trunc(s*y + oy)).
struct RaruView {
  double s = 1, ox = 0, oy = 0;
  int b = 0;
};
extern RaruView RaruPreview;

// trunc(v) held inside the device range (NaN gives 0).
int raru_trunc(double v);
void raru_devpt(const RaruView &v, double x, double y, int *dx, int *dy);
// A world arc (degrees, counter-clockwise from start to end) on the canvas.
void raru_worldarc(RaruCanvas &c, const RaruView &v, double cx, double cy, double r, double start, double end);

// Direction of (dx, dy) in degrees in [0, 360); 0 for a null vector.
double RaruFont_AngleDeg(double dx, double dy);
// Circle through three points: 0 with centre, radius and the start and end angle of the
// counter-clockwise arc from p1 through p2 to p3 (start and end swapped when the points
// turn clockwise); 1 when they are collinear.
int RaruFont_ArcBy3Points(const double p1[2], const double p2[2], const double p3[2], double centre[2], double *r,
                          double *start, double *end);

// One character as laid out: its double-byte code and pen origin, and whether it
// stands inside brackets (half size).
struct RaruGlyphPos {
  uint16_t code;
  double x, y;
  bool half;
};
constexpr int RARU_TEXTMAX = 10000;
constexpr int RARU_BRACKETS = 9;
// Full-width double-byte code of a single byte (0: none).
uint16_t raru_widechar(uint8_t c);
// Lays a text out at (x, y): height h, width w, spacing p; attribute word bits 5-6
// vertical base, bits 7-8 horizontal base.
void raru_layout(const char *text, double x, double y, double h, double w, double p, unsigned attr,
                 std::vector<RaruGlyphPos> &out);

// One double-byte character (Shift-JIS) with its pen origin at (x, y) in world units,
// character width cw and height ch: 0 drawn or nothing to draw, 2 the font file
// could not be read (the rest of the text is left out).
int RaruFont_DrawGlyph(RaruCanvas &c, const RaruView &v, uint16_t code, double x, double y, double cw, double ch,
                       bool half);
// Lays out and draws a text; nothing while the high-quality font is not open.
void RaruFont_DrawString(RaruCanvas &c, const RaruView &v, const char *text, double x, double y, double h, double w,
                         double p, unsigned attr);

// A seal file as read: header bytes (256, or fewer when the file was short) and the
// element records it holds.
struct RaruSeal {
  uint8_t header[256] = {};
  bool fullHeader = false;
  std::vector<uint8_t> records; // count * 80 bytes
  int count = 0;
};
// Takes a file's bytes: the header and at most min(header count, 10000) records that
// the bytes hold whole.
void raru_sealparse(const uint8_t *bytes, std::size_t size, RaruSeal *seal);
// Text of the text record at index i, joined over its continuation records (links are
// element numbers; one outside the records or met before ends the text), cut at its
// total length and at 79 bytes. out holds 80 bytes.
void raru_jointext(const RaruSeal &seal, int i, char *out);
// Fits the seal into a client area of W x H pixels whose bottom row is b: from the
// outline, or from the elements' bounding box when the outline kind is not 1 or 2 or
// its size is not a positive finite number. false: nothing to draw.
bool raru_fit(const RaruSeal &seal, int W, int H, int b, RaruView *v);
// Draws the lines, arcs and texts (texts through draw_text, which may be null).
using RaruTextFn = void (*)(RaruCanvas &, const RaruView &, const char *text, double x, double y, double h, double w,
                            double p, unsigned attr);
void raru_drawseal(RaruCanvas &c, const RaruView &v, const RaruSeal &seal, RaruTextFn draw_text);
