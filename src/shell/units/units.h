// The docked units around the drawing area (command panel, attribute box, tool
// window and five tool-bar hosts), their UNITINFO settings and the frame layout.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int UNIT_COUNT = 10;

struct UnitRecord {
  uint32_t shown; // 1 shown, 0 hidden
  uint16_t side;  // 0 floating; tool bars 1 top, 2 bottom, 3 left, 4 right
  uint16_t line;  // layout choice
  int32_t left, top;
};

struct UnitInfoBlock {
  uint32_t layout; // 0 the tool-bar layout; the command-panel layout is never chosen
  UnitRecord unit[UNIT_COUNT];
  uint16_t bigicon;
};
extern UnitInfoBlock UnitInfo;

struct PanelSettings {
  uint32_t quickstart, cmdhwidth, cmdvwidth;
  uint32_t sizekind[3], sizerat[3], widthrat[3];
};
extern PanelSettings PanelSet;

// Reads the settings and the unit records the last run wrote, and creates every unit;
// 1, 0 after showing why on the board.
int pnl_startup();
// Writes the ten unit records to UNITINFO (the next start takes them back) and destroys
// the units. 1.
int pnl_shutdown();
// Lays out the tool bars, the message window and the MDI client in the frame. 1.
int pnl_arrange();
uint32_t pnl_layout();
uint16_t pnl_bigicon();
uint16_t pnl_side(int i);
uint16_t pnl_line(int i);
// 0 when i is outside 0..9 or the unit does not exist in the layout, else its display flag.
uint32_t pnl_shown(int i);
int pnl_toggle(int i);
// Line choice of unit i := v; a docked unit other than 0 is laid out again. 1, 0 for a bad unit.
int pnl_setline(int i, uint16_t v);
// A floating unit (side 0) keeps its window's screen left and top: 1, else 0.
int pnl_savepos(HWND window, int i);
// Copies record i; 0, 1 for a bad unit.
int pnl_unitget(int i, UnitRecord *out);
int pnl_unitcmd();
// The tool-bar host window of bar b.
HWND pnl_host(int b);
// Test seam: the unit whose creation start-up treats as failed (0, 1, 2, 3 for the
// hosts), -1 none.
extern int PnlFailUnit;
// Set by pnl_startup once every unit exists, cleared by pnl_shutdown; pnl_arrange does
// nothing before. Tests that make their units themselves set it.
extern bool PnlStarted;
