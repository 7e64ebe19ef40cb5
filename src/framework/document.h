// A document: the data behind one or more views. It lists its views, keeps the
// modified flag and path, and by default deletes itself with its last view.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"
#include "framework/object.h"

class CException;
class CFrameWnd;
class CMultiDocTemplate;
class CView;

// Default prompts of ReportSaveLoadException.
enum : UINT { AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101, AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102 };

class CDocument : public CObject {
public:
  CDocument() = default;
  ~CDocument() override;
  CDocument(const CDocument &) = delete;
  CDocument &operator=(const CDocument &) = delete;

  const CString &GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const char *title) { m_strTitle = title; }
  const CString &GetPathName() const { return m_strPathName; }
  virtual void SetPathName(const char *path) { m_strPathName = path; }
  CMultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }

  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

  void AddView(CView *view);
  void RemoveView(CView *view);
  const std::vector<CView *> &GetViews() const { return m_views; }
  // OnUpdate of every view but the sender.
  void UpdateAllViews(CView *sender, LPARAM hint = 0, CObject *hintObject = nullptr);

  virtual void DeleteContents() {}
  // DeleteContents, then unmodified.
  virtual BOOL OnNewDocument();
  // Checks the file can be read, then as OnNewDocument; a document that reads its
  // files overrides this.
  virtual BOOL OnOpenDocument(const char *path);
  // Writes nothing: a document that saves overrides this. FALSE, so that no caller
  // takes an unsaved document for saved.
  virtual BOOL OnSaveDocument(const char *path);
  // Destroys the frames of all views, empties the document and deletes it when auto-delete.
  virtual void OnCloseDocument();
  // Tells the user why a load or save failed; silent for user exceptions.
  virtual void ReportSaveLoadException(const char *path, const CException *e, BOOL saving, UINT defaultPrompt);
  // When modified, asks whether to save: TRUE to go on (saved or not), FALSE to stop.
  virtual BOOL SaveModified();
  // TRUE when the frame may close: always while another frame shows the document,
  // else as SaveModified.
  virtual BOOL CanCloseFrame(CFrameWnd *frame);
  virtual void PreCloseFrame(CFrameWnd *) {}
  virtual BOOL OnCmdMsg(UINT, int) { return FALSE; }

  BOOL m_bAutoDelete = TRUE;

protected:
  // Called when a view came or went; closes the document when the last one went.
  virtual void OnChangedViewList();

private:
  friend class CMultiDocTemplate;
  CString m_strTitle;
  CString m_strPathName;
  CMultiDocTemplate *m_pDocTemplate = nullptr;
  std::vector<CView *> m_views;
  BOOL m_bModified = FALSE;
};
