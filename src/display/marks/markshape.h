// The figure of the snap mark, drawn by gdi_shape; the snap-mark code writes it.
#pragma once

#include <cstdint>

#pragma pack(push, 4)
struct MarkShapePart {
  uint32_t type; // 1 line, 2 arc, 3 filled ellipse; 0 or less ends the table
  union {
    struct {
      int32_t a, b, c, d; // pixel offsets from the mark point, y down
    } box;
    struct {
      int32_t r;
      double start, end; // degrees
    } arc;
  };
};
#pragma pack(pop)
static_assert(sizeof(MarkShapePart) == 24);

constexpr int MARK_SHAPE_PARTS = 10;
extern MarkShapePart MarkShapeTable[MARK_SHAPE_PARTS];
