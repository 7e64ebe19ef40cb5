// Names of linked parts of a drawing: "(x1,y1)-(x2,y2)!cx,cy", the part's corners in
// drawing units (upper left, lower right, y up) and its extent in HIMETRIC. The names
// come from containers, so reading them checks syntax and range.
#pragma once

#include <cstdint>
#include <string>

// Extent of an item before anything is known of it (HIMETRIC).
constexpr int32_t ITEM_DEFAULT_CX = 10000;
constexpr int32_t ITEM_DEFAULT_CY = 7071;
// Largest extent a name may carry (100 m).
constexpr int32_t ITEM_MAX_EXTENT = 10000000;

struct ItemNameParts {
  double x1, y1, x2, y2;
  int32_t cx, cy;
};

// Swaps the corners so that x1 <= x2 and y1 >= y2; r = x1, y1, x2, y2.
void item_order(double r[4]);
// The name of a part; the corners are ordered first.
std::string item_fmtname(double x1, double y1, double x2, double y2, int32_t cx, int32_t cy);
// The parts of a valid name: the syntax holds (no signs or exponents, the four
// coordinates digits and points, the extent digits), the coordinates are finite and
// the extent lies within 0..ITEM_MAX_EXTENT. false otherwise, out untouched.
bool item_parsename(const char *name, ItemNameParts &out);
inline bool item_validname(const char *name) {
  ItemNameParts p;
  return item_parsename(name, p);
}
// Size of the extent text's block; the text with its NUL never runs past it.
constexpr size_t ITEM_EXTENTTEXT_SIZE = 128;
// The text offered as CF_TEXT: "<ORVIK FX (x1, y1)-(x2, y2)>" with the part's corners as
// given. A longer text than the block holds is cut at ITEM_EXTENTTEXT_SIZE - 1 characters.
void item_extenttext(double x1, double y1, double x2, double y2, char out[ITEM_EXTENTTEXT_SIZE]);
// Height of a whole-sheet item of width cx: cx * |h| / |w| truncated. A sheet without
// width, or a height beyond 32 bits, gives the default extent in both.
void item_sheetextent(int32_t cx, double w, double h, int32_t &outCx, int32_t &outCy);
