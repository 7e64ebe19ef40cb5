// State of the OLE layer that the display reads.
#pragma once

#include <cstdint>

// The drawing an OLE container edits as an embedded object (-1 none) and its names.
struct EmbeddedDrawingRecord {
  int32_t dwg;
  char object[262];
  char host[262];
};
extern EmbeddedDrawingRecord EmbeddedDrawing;

// 1 while object mode is on (CMainView::ToggleObjectMode): objects are neither
// opened, deleted nor placed, and the tool-bar buttons it governs are disabled.
extern uint32_t ObjectMode;

// 1 while a view is rendered into a metafile or bitmap (clipboard, OLE), else 0.
extern uint32_t OffscreenOutput;
// 1 while such a rendering draws in black only (the cursor block asks for it).
extern uint32_t OffscreenMono;

// Message of an OLE status that the status table does not list.
constexpr int OLE_MSG_UNKNOWN = 30698;
