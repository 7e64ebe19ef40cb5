// The application object: one per program, built before WinMain runs. WinMain
// fills in the instance, command tail and show command, then calls InitInstance
// and, when that agrees, the (overridable) Run loop.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"

class CWnd;
class CDocument;
class CMultiDocTemplate;

class CWinApp {
public:
  explicit CWinApp(const char *appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp &) = delete;
  CWinApp &operator=(const CWinApp &) = delete;

  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr; // the text after the program name
  int m_nCmdShow = SW_SHOWDEFAULT;
  CWnd *m_pMainWnd = nullptr; // cleared (and WM_QUIT posted) when its window is destroyed
  CString m_strAppName;       // caption of message boxes
  CString m_strProfileName;   // INI file of the application profile

  virtual BOOL InitInstance() { return TRUE; }
  // GetMessage / TranslateMessage / DispatchMessage until WM_QUIT, then ExitInstance.
  virtual int Run();
  virtual int ExitInstance() { return 0; }
  // Started by OLE to serve an embedding ("/Embedding" or "-Embedding" on the command line).
  BOOL RunEmbedded() const;
  BOOL RunAutomated() const;

  // The application owns its templates from here on.
  void AddDocTemplate(CMultiDocTemplate *tmpl);
  const std::vector<CMultiDocTemplate *> &GetDocTemplates() const { return m_templates; }
  // A new document from the first template.
  virtual void OnFileNew();
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL endSession);
  // Recent files are the program's own; only the count is kept here.
  void LoadStdProfileSettings(UINT maxRecent = 4) { m_nMaxRecent = maxRecent; }
  UINT m_nMaxRecent = 0;

  CString GetProfileString(const char *section, const char *key, const char *def = nullptr) const;
  BOOL WriteProfileString(const char *section, const char *key, const char *value) const;
  UINT GetProfileInt(const char *section, const char *key, int def) const;
  BOOL WriteProfileInt(const char *section, const char *key, int value) const;

  // A message box through the answers layer (tests script it; never blocks a test run).
  virtual int DoMessageBox(const char *text, UINT type);

private:
  std::vector<CMultiDocTemplate *> m_templates;
  CWinApp *m_pPrevApp; // a test's own application object stands in for a while
  BOOL HasSwitch(const char *name) const;
};

CWinApp *AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
CWnd *AfxGetMainWnd();
int AfxMessageBox(const char *text, UINT type = MB_OK);
// Registers a window class unless one of that name exists; TRUE when it exists afterwards.
BOOL AfxRegisterClass(WNDCLASSA *wc);
// What WinMain does; the program's WinMain comes from the framework library.
int AfxWinMain(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
