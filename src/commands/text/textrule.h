// The rules of the text and date-stamp commands that need no window: what a typed
// text may hold, the frame that follows the cursor while a text is placed, and the
// date formats with their samples.
#pragma once

#include <cstddef>
#include <cstdint>

struct GuideShape;

constexpr int TXT_MAXBYTES = 64; // a dialog text holds at most this many bytes

// A typed text: 0 usable; 1 empty or longer than TXT_MAXBYTES bytes; 2 it holds one
// of "@^[]_|" (single-byte characters only: a trail byte never counts).
int txt_valid(const char *text);

// The four sides of a text's box (width w along the text, height h) as line entries
// of a guide list ending with kind -1 (five entries): the box placed by the
// horizontal (bits 7-8) and vertical (bits 5-6) base of attr, rotated by angle about
// (x, y). 0, or 1 when a corner cannot be rotated (list untouched).
int txt_box(uint16_t attr, double w, double h, double angle, double x, double y, GuideShape *list);

// The date formats: the label shown and written as the text, and the form of the sample.
constexpr int DATE_FORMATS = 6;
const char *date_label(int format);    // null outside 0..5
int date_istext(const char *text);     // 1 when text is exactly one of the labels
// The sample of format for a day: year with "%d", month and day with two digits.
// Empty for a format outside 0..5.
void date_sample(int format, int year, int month, int day, char *out, std::size_t size);

// The day the samples show: the local date, unless a test set a clock.
using DateClock = void (*)(int *year, int *month, int *day);
void date_setclock(DateClock clock); // null: the local date again
void date_today(int *year, int *month, int *day);
