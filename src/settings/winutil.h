// Window, keyboard and timing utilities shared by the engine, the dialogs and the shell.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <winnetwk.h>

int win_pump(HWND window);             // dispatches every waiting message (a quit stays pending); 0
int win_center(HWND window, int mode); // 1 moved, 0 not (it would leave the desktop)
int win_edge(HWND window, int left, int top, int right, int bottom, int sunken, int edges);
int win_edges(HWND window, int left, int top, int right, int bottom, int sunken, int edges, int depth);
// The painting of win_edges into a DC: for each edge of edges (1 top, 2 bottom, 4 left,
// 8 right) a black band and depth bevel bands; edges 0 paints nothing.
void win_edgesdc(HDC dc, int left, int top, int right, int bottom, int sunken, int edges, int depth);
intptr_t win_waitcur(); // toggles the wait cursor
int win_rectmap(HWND from, HWND to, RECT *rect);
int win_ptmap(HWND from, HWND to, int *x, int *y);
int win_rect2client(HWND window, HWND parent, RECT *rect);
HBRUSH win_ctlcolor(HWND dialog, UINT message, HDC dc, HWND control);
int win_transblt(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent);
int win_tvtext(HWND tree, HTREEITEM item, char *buf, int size);
HTREEITEM win_tvfind(HWND tree, HTREEITEM parent, HTREEITEM after, const char *text);
int pth_browse(OPENFILENAMEA *ofn); // 1 chosen, 2 cancelled or too small, 0 no shell
int pth_netpath(NETRESOURCEA *resource, char *out /*[262]*/);
// The platform family the program runs on.
bool os_isnt();
bool os_iswin32s();
bool os_is9x();
#endif

// Whether key vk is down now, from the asynchronous key state: it sees a key while no
// messages are pumped. Tests put their own reader in place (null puts it back).
bool sys_keydown(int vk);
void sys_setkeydown(bool (*reader)(int vk));
// The one Esc poll of long work (packing, the grid, element display): 27 while Esc is
// down, else 0.
int sys_escpoll();
// VK_ESCAPE while Esc is down, whatever else is held; otherwise the lowest virtual-key
// code that is down; 0 when none.
int sys_anykey();
int sys_clrkeys();          // all keys up; 0
int sys_modkeys();          // 1 Shift, 2 Caps Lock, 8 Alt, 16 Ctrl
int sys_delay(uint32_t ms); // busy-waits; 0
int sys_beep3();
// -1 reads the input-mode word; 0, 1, 2 set it (2 also turns line kinds 6 and up into 1);
// other values give -1.
int sys_inmode(int mode);
// Validates every heap of the process: the count, or at a failure 0 after telling the
// user (the first five times).
int hep_check();
