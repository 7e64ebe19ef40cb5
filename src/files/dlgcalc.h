// The calculations behind the grid, new-figure and system settings dialogs, apart
// from their windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display/marks/grid.h"
#include "settings/params.h"

// Grid dialog: stores pitches (mode 1) or distance and angle (mode 2) into g.
// 0 done; 1000 the first field out of range, 1001 the second.
int dlg_gridset(GridRecord *g, uint32_t mode, double first, double second);

// New-figure dialog: the paper sizes (mm) of rows 0..11; row 11 is the custom size.
constexpr int DLG_PAPERS = 12;
constexpr int DLG_CUSTOM = 11;
struct PaperRow {
  int string; // string number of the name
  const char *name;
  double width, height;
};
extern const PaperRow PaperTable[DLG_PAPERS];

// The paper row a sheet (drawing units times its scale) fits within 1 mm, else 11.
int dlg_nfmatch(const SheetRecord &sheet);
// PAPERSIZE_INDEX as read: 0..11, anything else 3.
int dlg_nfindex(long value);
// Area lengths of a paper at numerator / denominator. 0 both in 0.001..99999999;
// else 1 (they are still set).
int dlg_nfarea(double pw, double ph, int num, int den, double *aw, double *ah);
// A template header: exactly 17680 bytes, the version text at 4 and byte 25 == 8.
bool dlg_nfhdrok(const uint8_t *hdr, std::size_t size);
// Ratio pairs 1..63 of a template rescaled to the new scale num/den from the old
// pair 0; pair 0 becomes (num, den). Products are taken in 64 bits and reduced by
// their greatest common divisor; a pair outside 1..32767 falls back to (num, den).
void dlg_nfratios(ScalePair pairs[SCALE_COUNT], int num, int den);

// System settings: palette entries 12..19 of a background, and entry 2 the seal colour.
void dlg_palette(int back, int seal, uint32_t palette[PALETTE_COUNT]);
// A length of the system settings: 0.001..1000.0.
bool dlg_syslenok(double v);
