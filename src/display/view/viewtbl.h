// The window side of the view table: views of both drawings, their windows,
// zoom, scroll and repaint.
#pragma once

#include <windows.h>

#include "display/view/view.h"

// One view of a drawing; in memory only (window handles).
struct ViewRecord {
  HWND view;  // the drawing window; null = slot free
  HWND frame; // its child frame, titled with the view title
  ViewXform xf;
};
extern ViewRecord vewtbl[2][VIEW_COUNT];
extern uint32_t vewmask[2];

// When on, view frames are titled with text instead of the drawing name.
struct ViewTitleOverrideRecord {
  uint32_t on;
  char text[262];
};
extern ViewTitleOverrideRecord ViewTitleOverride;

HWND vew_hwnd(int dwg, int view);
HWND vew_frm(int dwg, int view);
int vew_setfrm(HWND frame, int dwg, int view);
HWND vew_byfrm(HWND frame);
int vew_ofwnd(HWND wnd, int32_t *dwg, int32_t *view);
int vew_setdev(HWND wnd, int dwg, int view, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int vew_setwin(int dwg, int view, uint32_t flags, double x1, double y1, double x2, double y2);
int vew_frame(int op, int dwg, int view, ViewXform *buf);
int vew_select(int view);
uint32_t vew_mask(int dwg);
int vew_free(int dwg);
int dwg_free();
int vew_remove(int dwg, int view);
int vew_count();
int vew_shown();
int dwg_count();
int vew_title(int op, int dwg, int view, char *text, int size);
int vew_settitle(uint32_t on, const char *text);
void vew_pixsize();

int vew_dev2w(int dwg, int view, int32_t px, int32_t py, double *x, double *y);
int vew_w2dev(int dwg, int view, double x, double y, int32_t *px, int32_t *py);
int vew_pix2w(int dwg, int view, uint32_t axis, int32_t pixels, double *length);
int vew_w2pix(int dwg, int view, uint32_t axis, double length, int32_t *pixels);
int vew_scroll(int dwg, int view, double dx, double dy);
int vew_pan(int dwg, int view, int32_t px, int32_t py);
int vew_zoom(int dwg, int view, double factor);
int vew_zoomat(int dwg, int view, double factor);
int vew_redraw(int dwg, int view);
int vew_refit(int dwg, int view);
HWND vew_atpoint(int32_t *dwg, int32_t *view, int32_t sx, int32_t sy);
