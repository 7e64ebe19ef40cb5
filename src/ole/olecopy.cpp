#include "ole/olecopy.h"

int (*OleViewCall)(int op);

namespace {
int run(int op) { return OleViewCall ? OleViewCall(op) : 0; }
} // namespace

int OleCopyViewArea() { return run(OLEV_COPYVIEW), 0; }
int OleCopyPickedArea() { return run(OLEV_COPYPICK), 0; }
int OleToggleObjectMode() { return run(OLEV_OBJMODE), 0; }
int OleCutItem() { return run(OLEV_CUT), 0; }
int OleCopyItem() { return run(OLEV_COPY), 0; }
int OlePasteAtPoint() { return run(OLEV_PASTE), 0; }
int OlePasteLinkAtPoint() { return run(OLEV_PASTELINK), 0; }
int OleDeleteItem() { return run(OLEV_DELETE), 0; }
int OleClearItems() { return run(OLEV_CLEAR), 0; }
int OleItemToFront() { return run(OLEV_FRONT), 0; }
int OleItemToBack() { return run(OLEV_BACK), 0; }
int OleItemProperties() { return run(OLEV_PROPS), 0; }
int OleHasItems() { return run(OLEV_HASITEMS); }
void UpdateSelectedItem() { run(OLEV_UPDATESEL); }
