#include "framework/document.h"

#include <algorithm>

#include "framework/doctempl.h"
#include "framework/except.h"
#include "framework/frame.h"
#include "framework/view.h"
#include "framework/winapp.h"

CDocument::~CDocument() {
  for (CView *v : m_views)
    v->m_pDocument = nullptr;
  if (m_pDocTemplate)
    m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView *view) {
  if (!view || view->m_pDocument == this)
    return;
  if (view->m_pDocument)
    view->m_pDocument->RemoveView(view);
  m_views.push_back(view);
  view->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView *view) {
  auto it = std::find(m_views.begin(), m_views.end(), view);
  if (it == m_views.end())
    return;
  m_views.erase(it);
  view->m_pDocument = nullptr;
  OnChangedViewList();
}

void CDocument::OnChangedViewList() {
  if (m_views.empty() && m_bAutoDelete)
    OnCloseDocument();
}

void CDocument::UpdateAllViews(CView *sender, LPARAM hint, CObject *hintObject) {
  const std::vector<CView *> views = m_views;
  for (CView *v : views)
    if (v != sender)
      v->OnUpdate(sender, hint, hintObject);
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char *path) {
  HANDLE f = CreateFileA(path ? path : "", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    const long err = long(GetLastError());
    const CFileException e(CFileException::OsErrorToException(err), err, path);
    ReportSaveLoadException(path, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  CloseHandle(f);
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const char *path) {
  ReportSaveLoadException(path, nullptr, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
  return FALSE;
}

void CDocument::OnCloseDocument() {
  // The views go with their frames; the document must not delete itself on the way.
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;
  while (!m_views.empty()) {
    CView *view = m_views.front();
    const size_t before = m_views.size();
    if (CFrameWnd *frame = view->GetParentFrame()) {
      PreCloseFrame(frame);
      frame->DestroyWindow();
    } else if (view->m_hWnd) {
      view->DestroyWindow();
    }
    if (m_views.size() == before)
      RemoveView(view); // a view without a window
  }
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete)
    delete this;
}

void CDocument::ReportSaveLoadException(const char *path, const CException *e, BOOL saving, UINT defaultPrompt) {
  if (dynamic_cast<const CUserException *>(e))
    return;
  CString text;
  if (!e || !dynamic_cast<const CFileException *>(e) || !e->GetErrorMessage(text)) {
    const char *name = path && *path ? path : m_strTitle.IsEmpty() ? "ドキュメント" : m_strTitle.GetString();
    const bool save =
        defaultPrompt == AFX_IDP_FAILED_TO_SAVE_DOC || (defaultPrompt != AFX_IDP_FAILED_TO_OPEN_DOC && saving);
    text.Format(save ? "%s を保存できませんでした。" : "%s を開けませんでした。", name);
  }
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

BOOL CDocument::SaveModified() {
  if (!IsModified())
    return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName.Mid(m_strPathName.ReverseFind('\\') + 1);
  if (name.IsEmpty())
    name = "無題";
  CString text;
  text.Format("%s への変更を保存しますか?", name.GetString());
  switch (AfxMessageBox(text, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
  case IDYES:
    return OnSaveDocument(m_strPathName.IsEmpty() ? nullptr : m_strPathName.GetString());
  case IDNO:
    return TRUE;
  default:
    return FALSE;
  }
}

BOOL CDocument::CanCloseFrame(CFrameWnd *frame) {
  for (CView *v : m_views)
    if (v->GetParentFrame() != frame)
      return TRUE;
  return SaveModified();
}
