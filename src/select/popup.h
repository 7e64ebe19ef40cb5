// Choice pop-ups that ask for one key while a command runs: the prompt pop-up at the
// mouse cursor ("KL-SELMENU") and the choice bar along the bottom of the MDI client
// ("KL-SelMenu_Frame" with one "KL-SelMenu_Ctrl" button per item).
#pragma once

#include <cstdint>

// Shows text at the cursor until a click or an accepted key: the typed character when it
// is one of keys, 27 Esc, 13 Enter, 9 Tab, 28..31 arrows, 258/259 page keys, 500 left
// click, 501 right click, 700 closed otherwise, 800 when the program is quitting; -1
// without MDI client or text, -2 when the window cannot be created, -3 when its class
// cannot be registered. word and the two ints are not used; index (optional) gets the
// command id - 1500 of a WM_COMMAND, else -1.
int selm_popup(int word, const char *text, int, int, const char *keys, int32_t *index);
// A choice bar titled by message title (below 1: the item text before its '=') with the
// items of the text ("1:A 2:B ..."), one per key of keys ("-" and a key first makes
// that key the default, else the first key is): the chosen item's key, the default key
// for Enter, 27 Esc, 501 right click, a typed key of keys; -1 for a missing text, a key
// string of no or more than 19 keys, or no title.
int selm_menu(int title, const char *items, const char *keys);
// The bar itself with n (1..20) item texts: 500 after a click on an item (index = its
// position from 0), 501, 27, a typed key of keys, defkey for Enter, 700 when closed
// otherwise, 800 when the program is quitting; -1 without MDI client, title or items or
// for n outside 1..20; -2 when the bar cannot be created; -3 or 1001 when the bar's or
// the buttons' class cannot be registered.
int selm_bar(int word, const char *title, const char *const *items, int n, const char *keys, int32_t *index,
             char defkey);
// 1 when desktop composition is on, else 0 (asked once).
int selm_dwmon();

constexpr int SELM_MAXITEMS = 20;
constexpr int SELM_SLOT = 132;    // bytes of one button text
constexpr int SELM_TITLEMAX = 79; // bytes of a title taken from the item text

// selm_menu's reading of its texts.
struct SelMenuParts {
  char title[SELM_TITLEMAX + 1];            // from the item text (title message below 1)
  char items[SELM_MAXITEMS - 1][SELM_SLOT]; // the item of each key
  char keys[SELM_MAXITEMS];                 // the keys offered
  int count;
  char defkey;
};
// Splits the item text (already the undefined-item list when the message was missing)
// and the key string; titled says the title comes from a message, else it is the text
// before the items. 0, or -1 for a bad key string or a missing title.
int selm_parse(const char *itemtext, const char *keys, bool titled, SelMenuParts *out);
