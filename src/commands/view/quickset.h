// Quick settings: pen, line kind, end styles, pick mode and layer, changed while a
// drawing command waits (they run on a level above it), and the number key-in.
#pragma once

#include <cstdint>

// Steps of the end styles 0..6; 3 is never taken.
int qs_stylenext(int v);
int qs_styleprev(int v);
// Steps of the line kind: 1..6 round, or 1, 5, 2 round for the point types (kind 4).
int qs_kindnext(int v, bool points);
int qs_kindprev(int v, bool points);
// Steps of the pick mode 0..3, with 4 (grid) while the grid is on.
int qs_picknext(int v, bool grid);
int qs_pickprev(int v, bool grid);

// The program-wide pick mode the point input reads: 0 free, 1 automatic,
// 2 reference, 3 on an element, 4 grid.
uint32_t qs_pickmode();
// Sets it, names it in the attribute box and tells the main window (1128). 0.
int qs_setpick(uint32_t mode);

// Layer n (0..63) of the current drawing becomes the current one, when the waiting
// input takes a layer. 0.
int32_t cm_layer(int n);

// One value from the one-line editor; mode and kind have no effect. The buffer holds
// the proposed value (length + 1 bytes). An empty line gives 0.0; a text that is not a
// number is asked again. Returns the code that ended the line (27 and 501 at once).
int num_keyval(int mode, int kind, uint32_t mask, int length, char *buffer, double *value);

// Enters handlers 900-907, 920-931, 940-943 and 960-966 into the command table.
void cm_quicktable();
