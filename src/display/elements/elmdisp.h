// Element display: database records drawn into the open views of the current drawing.
#pragma once

#include <cstdint>

constexpr uint32_t DSP_ONE = 0x80000000u; // bit 31 of first: cleared before use

// Draws elements first, first + 1, ... (count of them; count below 1 draws one
// and descends into groups), or, when first is 0, the numbers of list (count
// entries; -1 a hole, -2 the end; groups descended). colour -1: each element's
// pen colour. Draws into every open view of the current drawing whose bit is set
// in mask. Esc abandons the walk, as does a change of the database while the
// keyboard is polled. 0.
int dsp_elms(uint32_t mask, uint16_t cellfilter, int32_t colour, uint32_t first, int32_t count,
             const int32_t *list = nullptr);
