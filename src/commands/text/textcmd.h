// The text commands: placing typed texts (195) and date stamps (196), the default
// text size (197), resizing (187) and editing (198) placed texts, and their dialogs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ElementRecord;

// The text entry dialog (template 1455) over the dialog text: 0 OK, -1 Cancel.
INT_PTR CALLBACK txt_dlgproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);
void txt_setmode(int mode); // 0 entry, 1 edit ("修正"); other values are ignored
void txt_settext(const char *text); // cut to 64 bytes, never inside a character
void txt_gettext(char *out, std::size_t size);
int txt_expandflag(); // 1 when the text is to become strokes

// The date dialog (template 1458): 0 OK, -1 Cancel.
INT_PTR CALLBACK date_dlgproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);
int date_chosen();                            // the format the dialog starts with
void date_gettext(char *out, std::size_t size); // the label chosen at the last OK

// The default text size dialog (template 1472): 0 OK, -1 Cancel.
INT_PTR CALLBACK chr_defproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);

// Turns a text into line and arc elements of drawing dwg with the attributes of the
// CHR record rec (position, sizes, angle, slant, attribute word; its pen's width and
// colour). 0; 700 when nothing could be added or an add failed, in which case the
// strokes already added are taken out again.
int32_t cm_textexp(int32_t dwg, const ElementRecord &rec, const char *text);

int32_t cm_text();    // 195
int32_t cm_date();    // 196
int32_t cm_chrdef();  // 197
int32_t cm_txtsize(); // 187
int32_t cm_textedit(); // 198

// Enters the text commands into the command table.
void cm_texttable();
