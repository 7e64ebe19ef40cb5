// Watches the GDI calls of the display layer while they still draw for real.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "display/view/gdi.h"

struct GdiRecord {
  std::vector<std::vector<POINT>> lines; // every polyline drawn, as MoveToEx/LineTo would make them
  std::vector<POINT> pixels;
  std::vector<std::vector<int>> arcs;     // the nine Arc arguments after the DC
  std::vector<std::vector<int>> ellipses; // boxes
  std::vector<LOGFONTA> fonts;
  std::vector<HGDIOBJ> created;
  std::map<HGDIOBJ, int> deleted; // deletion count by handle
  std::vector<HGDIOBJ> selected;
  std::vector<int> rops;
  int extpens = 0;
  std::vector<std::vector<DWORD>> extstyles;
  int calls = 0;         // drawing calls
  bool fakesize = false; // report horzsize and horzres instead of the real device sizes
  int horzsize = 0, horzres = 0;
  POINT cur = {0, 0};
  bool open = false;
  void clear() { *this = GdiRecord{}; }
};

extern GdiRecord rec;
void rec_start(); // installs the recording calls (and clears rec)
void rec_stop();  // back to the real calls
