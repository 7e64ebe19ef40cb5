// The object formats of the older object layer on the clipboard ("Native" and
// "OwnerLink"): the area of a drawing as object data. Native data is a 256-byte head
// (title, the two world corners, the device rectangle) and then the drawing saved as
// a seal file; the descriptor is the class, document and item names.
#pragma once

#include <windows.h>

constexpr int OLE1_NATIVE = 0;    // the object data in native form
constexpr int OLE1_OWNERLINK = 1; // the same in link form
constexpr int OLE1_EMBEDDED = 2;  // the descriptor of an embedded object

constexpr size_t OLE1_HEADSIZE = 256;
constexpr size_t OLE1_MINNATIVE = 1280; // native data shorter than this is refused
constexpr size_t OLE1_MAXDESC = 782;    // a descriptor reaching this is not built

// Registers "OwnerLink" and "Native" (the older object server's start does).
void Ole1RegFormats();
// The registered clipboard format of form, 0 while the object layer has not registered it.
UINT Ole1ClipFormat(int form);

// The object data of drawing dwg (bit 15 ignored) for the world rectangle (x1, y1, x2,
// y2) and the device rectangle: form 0 native data, 1 the link descriptor, another
// the embedded one; global memory for the clipboard, null when it cannot be made.
HGLOBAL RenderOle1Data(int dwg, const double rect[4], int form, const RECT *device = nullptr);

// The three names followed by one more zero; null when they would reach OLE1_MAXDESC bytes.
HGLOBAL ole1_descriptor(const char *document, const char *item);
// Native data of the drawing: the handle, or null with *error 1002 save failed,
// 1003 open failed, 1004 empty file, 1005 no memory, 1006 short read.
HGLOBAL ole1_native(int dwg, const double rect[4], const RECT &device, int *error);

// What native data taken back says of its rectangles; the device rectangle then
// starts at 0, 0.
struct Ole1Area {
  double rect[4];
  RECT device;
};
extern Ole1Area Ole1Taken;
// Takes native data back into drawing dwg and frees it: 0; 1001 empty handle, 1002
// cannot lock, 1003 cannot create the file, 1004 too short, 1005 short write, 1006
// the drawing did not load. The drawing is unchanged unless it is 0.
int ole1_takenative(HGLOBAL data, int dwg);
