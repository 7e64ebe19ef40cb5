// The interactive selection the editing commands run before they act: windows
// dragged one after another, then single picks added or removed.
#pragma once

#include <cstdint>

// mode bits: 0x2 / 0x4 window relation, 0x8 partial (bit 31 on crossing picks),
// 0x100 honour the element filter, 0x400 one window only, 0x800 filter copy from the
// start, 0x4000 Esc with a selection starts again. dmask 0x80000000: the drawing of
// the last accepted pick. The list holds no hole at the end and is followed by the
// end mark. The input code that ended it.
int sel_pick(uint32_t dmask, uint32_t mode, int32_t *dwg, int32_t *count, double corners[4]);
// Single picks into the selection of drawing d: 500, 9, 27, 32, 527, or 800 (700) when
// the command ended at the point or at a question.
int sel_addpick(int32_t d, uint32_t mode);
int sel_winget(double out[4]); // corners of the last window walked; 0
int sel_dragrel(const double corners[4]); // 1 dragged rightwards (or straight), 2 leftwards
int sel_dragok();                          // the drag-direction rule is off: 0

// Colours of the selection.
constexpr int32_t SEL_PICKCOLOUR = 13;
constexpr int32_t SEL_SELCOLOUR = 14;
