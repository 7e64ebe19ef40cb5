// The seal name: checked, then kept as the current seal header that the next save
// starts from.
#pragma once

constexpr int SLF_NAMEDLG = 1461; // the seal-name dialog

// A name of 1 to 21 bytes without "@", "^", "[", "]", "_" or "|" (looked for in this
// order, double-byte characters passed over): 1. Else 0, and for a forbidden
// character *pos gets its byte offset (-1 for a bad length).
int slf_namebad(const char *name, int *pos);
// Checks the name and, when valid, makes the current seal header all zero but the
// name. 1 stored; 0 not (*pos as slf_namebad, may be null).
int slf_namechk(const char *name, int *pos);
// Asks for the seal name in dialog 1461, proposing the current header's name, until
// a valid name is given or the question is cancelled: 1 stored, -1 cancelled.
int slf_askname();

struct UiQuestion;
// The real seal-name dialog behind slf_askname's question (set by the Windows side;
// null where no dialog exists): 1 a valid name stored (its text in q.reply), -1 cancelled.
extern int (*SlfNameDialog)(const UiQuestion &q);
// Puts the Windows dialog behind SlfNameDialog (Windows builds only).
void slf_namewin();
