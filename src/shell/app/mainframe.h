// The editor's MDI main frame: its menu commands become command requests, it keeps
// the drop target for files, realises its palette, lays the units out when resized,
// closes the drawings when closed and runs the engine's shut-down when destroyed.
#pragma once

#include "framework/frame.h"

class CMainFrame : public CMDIFrameWnd {
public:
  CMainFrame() = default;
  ~CMainFrame() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // 1 when the caller is to stop the message, else 0 or the default frame procedure's result.
  static LRESULT DispatchCommand(HWND frame, WPARAM command, LPARAM lp);
  static void EnableSubMenu(HMENU menu, UINT flags);
  int RealizeFramePalette(BOOL background);
  HPALETTE m_palette = nullptr;

protected:
  int OnCreate(LPCREATESTRUCTA cs) override;
  void OnPaletteChanged(HWND changer) override;
  BOOL OnQueryNewPalette() override;
  void OnDropFiles(HDROP drop) override;
  void OnInitMenu(HMENU menu) override;
  // The active drawing window's view states its object commands.
  void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu) override;
};

// The window that a one-line editor asks the frame to forward button presses to.
extern HWND CaptureForward;

// The engine's shut-down, in start-up's reverse: window place, units, message window,
// GDI, marks, messages, menu file, databases and journals, fonts. 1.
int app_shutdown();
