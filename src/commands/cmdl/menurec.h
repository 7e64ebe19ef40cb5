// The menu-command array: the records of section CADMENU of the menu file, the
// tree that the drawing menu, the command panel and command dispatch share.
#pragma once

#include <cstdint>

constexpr int MNU_MAX = 130;      // room of the array
constexpr int MNU_COUNTMAX = 129; // largest MCOUNT a menu file may give
constexpr int MNU_SHORT = 10;     // short label with its NUL (9 bytes of text)
constexpr int MNU_LONG = 16;      // long label with its NUL (15 bytes of text)
constexpr int MNU_ID = 15000;     // menu item id of record 0

struct MenuFileRecord {
  int32_t parent;  // record whose page this one is on, -1 for a group
  int32_t child;   // first record of the sub-page, negative for a leaf
  int32_t next;    // next record on the same page, negative ends the chain
  int32_t command; // what a leaf runs; only 0..1099 run anything
  uint16_t value;  // carried, not interpreted
  char shortlabel[MNU_SHORT];
  char longlabel[MNU_LONG];
};

// The loaded array (null before loading and after freeing) and its record count.
extern MenuFileRecord *MenuArray;
extern int32_t MenuCount;

// 'r'/'R' parses text into rec: zero-filled first, a field kept only when a comma
// follows it (double-byte aware), numbers like atoi, labels cut to at most 9 and 15
// bytes at the last whole character, the long label being everything after the sixth comma. 'w'/'W' writes rec as
// such a text into text (at least 80 bytes). Any other op does nothing. 1.
int cmd_mnurec(int op, char *text, MenuFileRecord *rec);
// Page state of the command panel. The group list holds the records whose parent
// is -1 in file order (the first 20 when there are more), then -1; the page slots
// the records shown by the 20 page buttons, -1 for an empty slot.
constexpr int MNU_GROUPS = 20;
constexpr int MNU_SLOTS = 20;
extern int32_t MenuGroups[MNU_GROUPS];
extern int32_t MenuPage;     // record whose sub-page is shown, -1 the top page
extern int32_t MenuLastPage; // the page last shown, shown again at start-up
extern int32_t MenuSlots[MNU_SLOTS];

// i when it names a record of the loaded array, else -1: an index from the file
// outside the array counts as none.
int mnu_index(int32_t i);
// Group list and page slots to -1, the top page current.
void mnu_resetpages();
// Fills the group list from the array; the number of groups entered.
int mnu_groups();
// Position of record r in the group list, -1 when it is not there.
int mnu_group(int32_t r);
// The records of page (-1 the top page: the chain from record 0; else the chain
// from page's child) into slots, -1 after the chain's end. A walk stops at a
// record it has already visited. The number of records entered.
int mnu_chain(int page, int32_t slots[MNU_SLOTS]);
// The first record whose command is command, -1 when none (or no array).
int mnu_findcmd(int command);
// The status-line text " %s: %s" of a group's and an entry's short label, each
// centred in eight characters (out at least 32 bytes).
void cmd_statustext(const char *group, const char *entry, char *out);
