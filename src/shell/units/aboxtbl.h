// The attribute box's fixed tables and rules: its fields, the texts of the
// processing modes, the steps of line ends and pick modes, the element-count text and
// the placement of the fields. No windows here; the box itself is in abox_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int ABOX_ID = 20000;    // control id of field 0
constexpr int ABOX_MODES_MAX = 5; // processing-mode buttons at most
constexpr int ABOX_FIELDS_MAX = 8 + ABOX_MODES_MAX;
constexpr int ABOX_MODE_TEXTS = 8; // texts per processing-mode button at most
constexpr int ABOX_KINDS = 10;     // input kinds with processing modes 1..10

enum AboxClass : int { ABOX_COMBO, ABOX_BUTTON, ABOX_OWNERBUTTON };

struct AboxFieldDef {
  AboxClass cls;
  int variant; // combo fields: 0 layer, 1 pen, 2 line type; buttons 0
  int items;   // list items of a combo box
  int cells;   // width in character cells
  int lines;   // list height in lines (1 for buttons)
  const char *caption;
};

// The count of processing-mode buttons kept in use: m inside 2..5, else 2.
int abox_modecount(uint32_t m);
// Fills the field table for m processing-mode buttons (8 + m fields); the count.
int abox_fields(int m, AboxFieldDef *out /*[ABOX_FIELDS_MAX]*/);

// Texts of processing-mode button 1..5 for input kind 1..10: the count (0: no such
// choice) and, when texts is given, the texts.
int abox_modetexts(int kind, int button, const char *const **texts);
// The next or previous choice of a list of n texts (an unknown choice counts as 0).
int abox_modestep(uint32_t choice, int n, int forward);
// Whether the flags word shows processing-mode button 1..5.
bool abox_modeshown(int button, uint32_t flags);

// Line ends 0, 1, 2, 4, 5, 6 in a ring (3 skipped).
int abox_endstep(int value, int forward);
// Pick modes 0..3, or 0..4 with the grid on, in a ring (names: PickModeNames, snapmark.h).
int abox_pickstep(int mode, int forward, bool grid);

// The element-count text by display choice: 0 percent used ("%5.1f", 0 without
// capacity), 1 used ("%5d"), 2 free ("%5d").
void abox_countfmt(uint32_t choice, uint32_t used, uint32_t capacity, char *text, std::size_t size);

struct AboxMetrics {
  int cw, lh, bx, by; // character width, line height, border sizes
};
struct AboxRect {
  int x, y, cx, cy;
};
// Places count fields: line 0 one row, else two rows with the second starting at
// field split; combo boxes' heights adjusted (widened: the layer list shows names).
// out[i] gets field i, client the box's client size.
void abox_layout(const AboxMetrics &mt, const AboxFieldDef *fields, int count, int line, int split, bool widened,
                 AboxRect *out, AboxRect *client);
