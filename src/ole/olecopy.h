// The engine's entry points into the objects of the current view: area copies of the
// drawing, object mode and the object commands. Each runs on the view object of the
// current view of the current drawing and does nothing when there is none.
#pragma once

int OleCopyViewArea();     // the whole visible area of the view; 0
int OleCopyPickedArea();   // an area the user picks; 0
int OleToggleObjectMode(); // 0
int OleCutItem();          // 0
int OleCopyItem();         // 0
int OlePasteAtPoint();     // 0
int OlePasteLinkAtPoint(); // 0
int OleDeleteItem();       // 0
int OleClearItems();       // 0
int OleItemToFront();      // 0
int OleItemToBack();       // 0
int OleItemProperties();   // 0
int OleHasItems();         // 1 when the view's drawing holds objects, else 0
// The selected object of the current view is marked modified and shown again in
// every view of the current drawing.
void UpdateSelectedItem();

// What the entry points ask of the view class, which enters the call when it exists.
enum OleViewOp {
  OLEV_COPYVIEW,
  OLEV_COPYPICK,
  OLEV_OBJMODE,
  OLEV_CUT,
  OLEV_COPY,
  OLEV_PASTE,
  OLEV_PASTELINK,
  OLEV_DELETE,
  OLEV_CLEAR,
  OLEV_FRONT,
  OLEV_BACK,
  OLEV_PROPS,
  OLEV_HASITEMS,
  OLEV_UPDATESEL,
};
// Runs op on the current view: its answer, 0 without a view.
extern int (*OleViewCall)(int op);
