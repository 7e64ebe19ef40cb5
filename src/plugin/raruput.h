// Placing of the usual seal: what the preview shares with it.
#pragma once

#include <cstdint>

// Set while a placing runs: the preview then shows date placeholders as today's date.
extern int32_t Raru_DateActive;
// 1 and today's date in the placeholder's form (out: 80 bytes) when text holds a date
// placeholder, else 0.
int Raru_FormatDate(const char *text, char *out);
