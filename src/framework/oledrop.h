// Drag and drop: COleDropTarget turns the IDropTarget calls for a view's window into
// the view's OnDragEnter/OnDragOver/OnDragLeave/OnDrop; COleDropSource is the drag
// source's side (Esc cancels, releasing the buttons drops).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/oledata.h"
#include "framework/view.h"

class CView;

class COleDropTarget {
public:
  COleDropTarget();
  ~COleDropTarget(); // revokes
  COleDropTarget(const COleDropTarget &) = delete;
  COleDropTarget &operator=(const COleDropTarget &) = delete;

  // Registers the view's window for drops; it is revoked when the window is destroyed.
  BOOL Register(CView *view);
  void Revoke();
  IDropTarget *GetInterface() { return &m_xDropTarget; }

private:
  struct XDropTarget : IDropTarget {
    COleDropTarget *owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keyState, POINTL pt, DWORD *effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD *effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keyState, POINTL pt, DWORD *effect) override;
  };
  POINT ClientPoint(POINTL pt) const;
  XDropTarget m_xDropTarget;
  CView *m_pView = nullptr;
  HWND m_hWnd = nullptr;
  COleDataObject m_dataObject; // the data being dragged over, between enter and leave/drop
};

class COleDropSource {
public:
  COleDropSource();
  virtual ~COleDropSource() = default;
  COleDropSource(const COleDropSource &) = delete;
  COleDropSource &operator=(const COleDropSource &) = delete;
  // Esc cancels; no mouse button left down drops.
  virtual SCODE QueryContinueDrag(BOOL escapePressed, DWORD keyState);
  virtual SCODE GiveFeedback(DROPEFFECT) { return DRAGDROP_S_USEDEFAULTCURSORS; }
  IDropSource *GetInterface() { return &m_xDropSource; }

private:
  struct XDropSource : IDropSource {
    COleDropSource *owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
      return owner->QueryContinueDrag(escape, keyState);
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override { return owner->GiveFeedback(effect); }
  };
  XDropSource m_xDropSource;
};
