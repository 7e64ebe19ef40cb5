// The document, child frame and view classes of drawing windows. Drawing windows
// are not built yet: these hold no drawing and draw nothing.
#pragma once

#include "framework/document.h"
#include "framework/frame.h"
#include "framework/view.h"

class CMainDoc : public CDocument {};
class CSplitFrame : public CMDIChildWnd {};
class CMainView : public CView {
public:
  void OnDraw(HDC) override {}
};
