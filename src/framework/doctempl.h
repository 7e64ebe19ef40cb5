// A document template ties a document class to its frame and view classes and
// creates them in the order the program relies on: document, frame (with its
// PreCreateWindow), view (constructor and OnCreate), OnNewDocument or
// OnOpenDocument, then the frame's initial update.
#pragma once

#include <windows.h>

#include <vector>

class CDocument;
class CFrameWnd;
class CMultiDocTemplate;
class COleObjectFactory;
class CView;

using DocMaker = CDocument *(*)();
using FrameMaker = CFrameWnd *(*)();
using ViewMaker = CView *(*)();

// What a new frame needs to make its view.
struct CCreateContext {
  ViewMaker m_pNewViewClass = nullptr;
  CDocument *m_pCurrentDoc = nullptr;
  CMultiDocTemplate *m_pNewDocTemplate = nullptr;
  CFrameWnd *m_pCurrentFrame = nullptr;
};

class CMultiDocTemplate {
public:
  CMultiDocTemplate(UINT idResource, DocMaker doc, FrameMaker frame, ViewMaker view)
      : m_nIDResource(idResource), m_newDoc(doc), m_newFrame(frame), m_newView(view) {}
  template <class Doc, class Frame, class View> static CMultiDocTemplate *Make(UINT idResource) {
    return new CMultiDocTemplate(
        idResource, []() -> CDocument * { return new Doc; }, []() -> CFrameWnd * { return new Frame; },
        []() -> CView * { return new View; });
  }
  virtual ~CMultiDocTemplate();
  CMultiDocTemplate(const CMultiDocTemplate &) = delete;
  CMultiDocTemplate &operator=(const CMultiDocTemplate &) = delete;

  // A new document with its frame and view; path null makes an empty document.
  // Null when any step failed (whatever was made is gone again).
  virtual CDocument *OpenDocumentFile(const char *path, BOOL makeVisible = TRUE);
  virtual CDocument *CreateNewDocument();
  // One more frame and view for an existing document; null on failure.
  virtual CFrameWnd *CreateNewFrame(CDocument *doc, CFrameWnd *other);
  virtual void InitialUpdateFrame(CFrameWnd *frame, CDocument *doc, BOOL makeVisible = TRUE);

  void AddDocument(CDocument *doc);
  void RemoveDocument(CDocument *doc);
  const std::vector<CDocument *> &GetDocuments() const { return m_docs; }
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL endSession);

  UINT m_nIDResource;
  // The server factory whose objects are documents of this template (null when none):
  // its documents register for linking.
  const COleObjectFactory *m_pAttachedFactory = nullptr;

private:
  DocMaker m_newDoc;
  FrameMaker m_newFrame;
  ViewMaker m_newView;
  std::vector<CDocument *> m_docs;
};
