#include "framework/doctempl.h"

#include <algorithm>

#include "framework/document.h"
#include "framework/frame.h"
#include "framework/view.h"

CMultiDocTemplate::~CMultiDocTemplate() {
  for (CDocument *d : m_docs)
    d->m_pDocTemplate = nullptr;
}

void CMultiDocTemplate::AddDocument(CDocument *doc) {
  m_docs.push_back(doc);
  doc->m_pDocTemplate = this;
}

void CMultiDocTemplate::RemoveDocument(CDocument *doc) {
  auto it = std::find(m_docs.begin(), m_docs.end(), doc);
  if (it != m_docs.end())
    m_docs.erase(it);
  doc->m_pDocTemplate = nullptr;
}

CDocument *CMultiDocTemplate::CreateNewDocument() {
  CDocument *doc = m_newDoc ? m_newDoc() : nullptr;
  if (doc)
    AddDocument(doc);
  return doc;
}

CFrameWnd *CMultiDocTemplate::CreateNewFrame(CDocument *doc, CFrameWnd *other) {
  CCreateContext context;
  context.m_pCurrentFrame = other;
  context.m_pCurrentDoc = doc;
  context.m_pNewViewClass = m_newView;
  context.m_pNewDocTemplate = this;
  CFrameWnd *frame = m_newFrame ? m_newFrame() : nullptr;
  // A frame that fails to load has deleted itself.
  if (!frame || !frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
    return nullptr;
  return frame;
}

void CMultiDocTemplate::InitialUpdateFrame(CFrameWnd *frame, CDocument *doc, BOOL makeVisible) {
  frame->InitialUpdateFrame(doc, makeVisible);
}

CDocument *CMultiDocTemplate::OpenDocumentFile(const char *path, BOOL makeVisible) {
  CDocument *doc = CreateNewDocument();
  if (!doc)
    return nullptr;
  // A view that comes and goes while the frame is made must not take the document with it.
  const BOOL autoDelete = doc->m_bAutoDelete;
  doc->m_bAutoDelete = FALSE;
  CFrameWnd *frame = CreateNewFrame(doc, nullptr);
  doc->m_bAutoDelete = autoDelete;
  if (!frame) {
    delete doc;
    return nullptr;
  }
  const BOOL ok = path ? doc->OnOpenDocument(path) : doc->OnNewDocument();
  if (!ok) {
    // With its views gone an auto-delete document deletes itself.
    const bool selfDeletes = doc->m_bAutoDelete && !doc->GetViews().empty();
    frame->DestroyWindow();
    if (!selfDeletes)
      delete doc;
    return nullptr;
  }
  if (path)
    doc->SetPathName(path);
  InitialUpdateFrame(frame, doc, makeVisible);
  return doc;
}

BOOL CMultiDocTemplate::SaveAllModified() {
  const std::vector<CDocument *> docs = m_docs;
  for (CDocument *d : docs)
    if (!d->SaveModified())
      return FALSE;
  return TRUE;
}

void CMultiDocTemplate::CloseAllDocuments(BOOL) {
  const std::vector<CDocument *> docs = m_docs;
  for (CDocument *d : docs)
    d->OnCloseDocument();
}
