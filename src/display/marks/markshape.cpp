#include "display/marks/markshape.h"

MarkShapePart MarkShapeTable[MARK_SHAPE_PARTS]; // empty until a shape is chosen
