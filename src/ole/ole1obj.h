// Objects of the older OLE client layer held in drawings: the per-drawing record, the
// object records and the operations on single objects. Include ole/ole1h.h first.
#pragma once

#include "ole/ole1h.h"

#include <cstdint>
#include <cstdio>

#include "ole/ole1doc.h"
#include "ole/ole1view.h"

// One object; its client part comes first, so the library's client pointer is the record.
struct Ole1Object {
  OLECLIENT client;
  int32_t dwg, view;
  LPOLEOBJECT obj;
  int32_t kind;   // 1 linked, 2 embedded, 3 static picture
  int32_t update; // a link's update option (0 automatic)
  double rect[4]; // drawing units
  ATOM name;      // object (document) name
  ATOM link;      // a link's document name
  HGLOBAL linkData;
  int32_t selected;
  int32_t release; // a release is pending
  int32_t marked;  // to be redrawn / renamed
  Ole1Object *next;
};

enum : int32_t { OLE1_LINKED = 1, OLE1_EMBEDDED = 2, OLE1_STATIC = 3 };

struct Ole1DocRecord {
  int32_t cOleWait; // pending operations
  int32_t count;    // objects
  Ole1Object *first;
  LHCLIENTDOC doc;
  int32_t viewMode; // 2: notifications go to notify
  HWND notify;
};
extern Ole1DocRecord Ole1Doc[2];

// A stream over an open file, as the library reads and writes objects.
struct Ole1Stream {
  OLESTREAM base;
  std::FILE *fp;
};
// A stream over fp with the layer's table (null before InitOle1Client).
Ole1Stream Ole1FileStream(std::FILE *fp);

// Layer globals set at start-up.
struct Ole1ClientGlobals {
  UINT objectLink, native, ownerLink; // clipboard formats
  LPOLECLIENTVTBL clientTable;
  LPOLESTREAMVTBL streamTable;
  char className[32]; // "KIVO LANT"
  int dpiX, dpiY;
  int busy;           // the busy timer runs
  int timedOut;       // the last wait ran out
  HWND retry;         // a shown retry dialog
  Ole1Object *active; // the object an open server shows
};
extern Ole1ClientGlobals Ole1Cli;

// The library's callback for every object.
int CALLBACK OleCliCallBack(LPOLECLIENT client, OLE_NOTIFICATION notification, LPOLEOBJECT obj);
void ObjectRelease(Ole1Object *o);
// The status of a call: 0 done (also waiting for release, counted), 2 busy, else the
// status, reported. A trace line names the call.
int OleTraceCall(int status, const char *call, int dwg);
// Waits until the object is no longer busy: as Ole1WaitDoc.
int Ole1WaitObject(int dwg, LPOLEOBJECT obj);
// The busy timer (id 2 on the main window): when it runs out the wait ends.
void Ole1BusyStart();
void Ole1BusyStop();
// The older list form: two names (at most 32 and 200 bytes), a 32-byte head and a
// 32-bit value, from fp. 1, or 0 when a name is over-long or bytes are missing.
int Ole1ReadOldEntry(std::FILE *fp, char name[32], char link[200], uint8_t head[32], int32_t *value);

Ole1Object *PreItemCreate(int dwg);
// Finishes a record and appends it to its drawing: rect, else the object's bounds,
// else a rectangle placed at (px, py). 1, or 0 (reported) and the record is not listed.
int PostItemCreate(int dwg, int view, Ole1Object *o, int kind, const double *rect, LPOLEOBJECT obj, double px,
                   double py);
void ConvertToClient(Ole1Object *o, const RECT &bounds, double px, double py);
RECT BoundsToHimetric(const Ole1Object *o);
// The object's document name, "" without one.
void Ole1ObjectName(const Ole1Object *o, char *out, int cap);
// The next document name of the drawing's objects.
void Ole1NextDocName(int dwg, char *out, int cap);
// Frees a record that is not (or no longer) listed.
void Ole1FreeRecord(Ole1Object *o);

// Deletes (erase 1) or releases the object, unlists, redraws and frees it: the next.
Ole1Object *ObjDelete(int dwg, Ole1Object *o, int erase);
// Pastes the clipboard's object at a point the user gives: 1 pasted, 0 not.
int ObjPaste(int embed);
// Puts the selected object on the clipboard: 1, else 0.
int ObjCopy();
// The object's link data into buf (cap bytes), or into its own link data when buf is
// null: 1, else 0.
int ObjCliGetData(Ole1Object *o, char *buf, std::size_t cap);
int ObjChangeLinkData(Ole1Object *o, const char *cls, const char *doc, const char *item);
void ObjMove(Ole1Object *o, const double rect[4]);
int ObjCliSetBounds(Ole1Object *o, const double rect[4]);
int ExecuteVerb(Ole1Object *o, int verb);
// Reads one object as ObjWrite writes it: 1, or 0 and the object is not made.
int ObjRead(int dwg, Ole1Stream *s, Ole1Object *o);
int ObjWrite(Ole1Stream *s, Ole1Object *o);
// The object item of the edit menu (position pos of menu) for the drawing's selection.
void UpdateObjectMenuItem(HMENU menu, UINT pos, UINT id, int dwg);
int ObjFreeze(Ole1Object *o);
void ObjShowZOrder(int dwg);
// The drawing's selected object, or null.
Ole1Object *Ole1Selected(int dwg);
// Redraws the object's rectangle in every open view of its drawing.
void Ole1Redraw(const Ole1Object *o);

// Link options.
int CALLBACK Ole1LinkCallback(void *);
int Ole1AlwaysYes();
// "<class display name>\t<document>\t<item>\t<update option text>" of a link.
int Ole1LinkText(Ole1Object *o, char *out, int cap);
// "参照" (browse) and "リンク元の変更" (change source) file choosers; the second gives
// the path in 300 bytes of global memory, null when cancelled.
int Ole1BrowseFile(HWND owner, const char *cls, char *path, int cap);
HGLOBAL Ole1ChangeSourceFile(HWND owner, const char *cls, const char *current);

// Frames in views.
void Ole1DrawFrame(int dwg, int view, HDC dc, const Ole1Object *o);
// The object under a device point of a view, or null.
Ole1Object *Ole1HitTest(int dwg, int view, POINT p);
// The handle or body of a selected object's frame at p: cursor kind 5..9 and its code
// (1..8 the handles, 9 a move), 0 none.
int Ole1FramePart(int dwg, int view, const Ole1Object *o, POINT p, int *cursor);
// Drags a frame from p with the mouse held (a capture loop); on release moves or
// resizes the object. 1 changed, 0 not.
int Ole1FrameDrag(int dwg, int view, Ole1Object *o, int part, POINT p);
// A new device rectangle after dragging part from `from` to `to`.
RECT Ole1DragRect(const RECT &r, int part, POINT from, POINT to);
// The object's rectangle in a view's device coordinates, normalised.
RECT Ole1DeviceRect(int dwg, int view, const Ole1Object *o);
