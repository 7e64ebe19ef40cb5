// Placing the usual seal, and the delete, move and scale of placed seals.
#pragma once

#include <cstdint>
#include <cstdio>

#include "hoststub/klhost.h"

// Set while a placing runs: the preview then shows date placeholders as today's date.
extern int32_t Raru_DateActive;
// 1 and today's date in the placeholder's form (out: 80 bytes) when text holds a date
// placeholder and a placing runs, else 0.
int Raru_FormatDate(const char *text, char *out);
// Takes today's date from the clock: month and day with two digits when twoDigits.
void Raru_SetToday(int twoDigits);

// The work of Raru_Put after the gate: places the usual seal; 0, or the refusal box's
// result.
int Raru_PutRaru();
// Picks the drawing and the position and writes the seal; returns when done or ended.
void Raru_PlaceLoop(std::FILE *seal);
// Writes the seal's elements at position: 0, -1 when the header cannot be read, 1 when
// a write failed.
int Raru_WriteBody(int drawing, const KlhPoint &position, double scale, std::FILE *seal);
// Outline of kind 1 (rectangle size.width x size.height) or 2 (circle of radius
// size.width about centre) centred on the cursor; any other kind gives the end mark only.
void Raru_MakeRubberShape(RubberShape *shapes /*[5]*/, KlhPoint *offset, const KlhPoint &centre, const KlhSize &size,
                          int kind);

// The workers of Raru_Del, Raru_Move and Raru_Ratio: the input code that ended them, or
// the host's result.
int Raru_DeleteRaru();
int Raru_MoveRaru();
int Raru_ScaleRaru();
// 1 when the seal's attribute holds the user's encrypted password and name.
int Raru_IsOwnRaru(int drawing, int seal);
