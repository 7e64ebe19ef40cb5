// Input guides and rubber-band previews. A command declares a guide before it asks for
// a point: the guide constrains the point (rub_apply) and chooses the figure that
// follows the cursor (rub_draw). Guide record and constraints are pure; drawing needs
// the Windows side.
#pragma once

#include <cstdint>

struct ElementRecord;

// The guide record: the mode word, then a parameter area packed per mode (i32 and f64
// fields one after another, little-endian, no padding). Copied whole by rub_state and
// by the command levels.
constexpr int RUB_PARAMS = 228;
struct InputGuide {
  int32_t mode; // -1 suspended, 0 none
  uint8_t p[RUB_PARAMS];
};
static_assert(sizeof(InputGuide) == 232);
extern InputGuide Guide;

// One entry of the guide's shape lists: kind 2 a line (a, b)-(c, d), 18 a line whose
// second end follows the cursor, 34 one whose first end does, 4 an arc (centre a, b,
// radius c, angles d, e). A caller's list ends with kind word -1.
struct GuideShape {
  uint32_t kind;
  double a, b, c, d, e;
};
constexpr int GUIDE_LISTMAX = 50;
extern GuideShape GuideListA[GUIDE_LISTMAX];
extern GuideShape GuideListB[GUIDE_LISTMAX];
extern int32_t GuideListCount;
extern double GuideAngle;       // degrees, modes 97..106
extern int32_t GuideListLimit;  // element-list limit word; 32000 after start-up

// Field access of the parameter area at a byte offset.
int32_t rub_i32(const InputGuide &g, int off);
double rub_f64(const InputGuide &g, int off);

// Declaring a guide. Every form stores the mode word first, so a refused mode still
// replaces the previous one; 1 for a mode the form does not lay out (nothing else
// changes then), else 0.
int rub_start(int32_t mode); // -1, 0; any other mode is refused
// 1, 10, 11: the angle is stored only for kinds 4 and 5; modes 10 and 11 store width.
int rub_startline(int32_t mode, int32_t kind, double rx, double ry, double angle, double width = 0);
// 2, 7, 8, 9, 14 (sub-kind only for 14).
int rub_startratio(int32_t mode, int32_t kind, double rx, double ry, double angle, double ratio, int32_t sub = 0);
int rub_startpt(int32_t mode, double x, double y);                                  // 3, 4, 18
int rub_start2pt(int32_t mode, double x1, double y1, double x2, double y2);         // 5, 6, 20
int rub_startkd(int32_t mode, int32_t kind, double rx, double ry, double d1, double d2); // 12, 16, 22
int rub_startf(int32_t mode, const double *v, int n); // 13 (3 values), 19 (9), 24 (14)
int rub_start3i(int32_t mode, int32_t k1, int32_t k2, int32_t k3, const double v[6]); // 17, 21
int rub_startk8(int32_t mode, int32_t kind, const double v[8]);                       // 23
struct GuideMulti {
  int32_t kind, n; // n above 5 counts as 5
  double l1[5], l2[5], l3[5], l4[5], l5[5];
  int32_t l6[5];
};
int rub_startmulti(int32_t mode, const GuideMulti &m); // 25
int rub_startword(int32_t mode, int32_t k);            // 30
// 97, 99: word is the database for 99; the guide angle is taken for kind 4.
int rub_startdrag(int32_t mode, int32_t kind, double rx, double ry, int32_t word, double angle);
// 98: the list is copied into GuideListA; the guide angle is taken for kind 4.
int rub_startlist(int32_t mode, int32_t kind, double rx, double ry, const GuideShape *list, double angle);
int rub_startturnl(int32_t mode, double px, double py, double tx, double ty, double base,
                   const GuideShape *list); // 100
int rub_startturn(int32_t mode, double px, double py, int32_t db, double tx, double ty, double base); // 101
int rub_startlistf(int32_t mode, double angle, double rx, double ry, const GuideShape *list);        // 102
int rub_startdragf(int32_t mode, double angle, double rx, double ry, int32_t db);                    // 103
int rub_startrotl(int32_t mode, int32_t kind, const double v[4], const GuideShape *list);            // 104
int rub_startscale(int32_t mode, double px, double py, int32_t db, double angle, double scale, int32_t word); // 105
int rub_startortho(int32_t mode, double angle, double x1, double y1, double x2, double y2, const GuideShape *a,
                   const GuideShape *b); // 106

// The point constrained by the current guide. 0.
int rub_apply(double x, double y, double *outx, double *outy);
// 'r'/'R' copies the record out, 'w'/'W' in; other values do nothing. 0.
int rub_state(char op, InputGuide *buf);

// The state of the previews, one for the program.
struct PreviewState {
  int32_t poll;    // input code that stopped the last element walk
  int32_t shown;   // 0 nothing of a walk shown; n first n list entries drawn; -1 a pass drew none
  int32_t drawn;   // group members drawn by the last drawing pass
  int32_t erased;  // group members removed so far by the removing pass
  double sine, cosine; // of the turning angle of modes 100 and 101
  int32_t lastpen; // colour word of the last preview
};
extern PreviewState Preview;
extern int32_t RubDragMode, RubDragTotal, RubDrawnCount;
extern int32_t RubElemLimit; // preview element limit; 32000 after start-up

// How the element walks look for input between elements: an input code, or 0. A poll
// of the message queue costs tens of microseconds under Wine, so the default asks the
// input wait at the first entry of a pass and then at most once a millisecond;
// rub_pollevery asks every time (scripted input).
typedef int (*RubPollFn)(bool first);
extern RubPollFn RubPoll;
int rub_pollslice(bool first);
int rub_pollevery(bool first);

// Draws the preview of the current guide for the cursor point in one view of the
// current drawing (XOR: a second call at the same point removes it). *poll gets the
// input code that interrupted an element walk, 0 when none. 0, or the code of a failed
// construction.
int rub_draw(uint32_t viewmask, int32_t view, double x, double y, int32_t *poll);
// Sets the preview's shown count; returns it.
int rub_shown(int32_t n);
int rub_lastpen();
int rub_bulgearc(int32_t kind, uint32_t viewbit, double x, double y);

// Group walkers: db carries the database in its low 4 bits and 0x8000 when removing.
// 0, or -1 when the walk stopped (element limit or input).
int rub_dragmove(int32_t db, uint32_t viewbit, int32_t group, double dx, double dy, int32_t attr, int32_t colour);
int rub_dragrot(int32_t db, uint32_t viewbit, int32_t group, double tx, double ty, double angle);
int rub_dragxf(int32_t db, uint32_t viewbit, int32_t group, double cx, double cy, double angle, double scale,
               double dx, double dy, int32_t attr, int32_t colour);
int rub_rotline(uint32_t viewbit, double x1, double y1, double x2, double y2);
int rub_rotarc(uint32_t viewbit, double angle, double cx, double cy, double r, double start, double end);
int rub_xfline(uint32_t viewbit, const ElementRecord &line, double cx, double cy, double angle, double scale,
               double dx, double dy, int32_t attr, int32_t colour);
int rub_xfarc(uint32_t viewbit, const ElementRecord &arc, double cx, double cy, double angle, double scale,
              double dx, double dy, int32_t attr, int32_t colour);
