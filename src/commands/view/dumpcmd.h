// The data dump command (1098) and its two dialogs: the list of a drawing's records
// (dialog 114) and the dump of one record (dialog 115).
#pragma once

#include <windows.h>

#include <cstdint>

#include "commands/view/dump.h"

// The dump state while the dialogs are open.
struct DumpStateRecord {
  int32_t listdwg;
  uint32_t listmask;
  int32_t liststart;
  int32_t elemdwg, elem;
  DumpLinks links;
  int32_t line; // next element-dump line to write
};
extern DumpStateRecord DumpState;

constexpr int DMP_LISTDLG = 114, DMP_ELEMDLG = 115;

// 700 when done, 800 when another command ended the element pick.
int dmp_cmd();
INT_PTR CALLBACK dmp_listdlg(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
// lp: two u32 words {drawing, element}.
INT_PTR CALLBACK dmp_elemdlg(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
int dmp_read(int dwg, int32_t elem, ElementRecord *buf); // 0 copied, 1 not found
void dmp_fill(HWND dlg);
void dmp_show(HWND dlg, int dwg, int32_t elem, ElementRecord *rec);
int dmp_goto(HWND dlg); // 1 when the typed number was taken
