#include "framework/winapp.h"

#include <cstdio>
#include <exception>

#include "framework/doctempl.h"
#include "framework/except.h"
#include "framework/olesrv.h"
#include "framework/wnd.h"
#include "settings/answers.h"

namespace {

CWinApp *the_app = nullptr;

int real_message_box(const UiQuestion &q) {
  return MessageBoxA(static_cast<HWND>(q.owner), q.text, q.heading, q.flags);
}

// The profile file: the program's name with ".ini" (found in the Windows folder, as
// the profile functions do with a bare name).
CString default_profile() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  CString name(path, int(n < sizeof path ? n : 0));
  const int slash = name.ReverseFind('\\');
  name = name.Mid(slash + 1);
  const int dot = name.ReverseFind('.');
  if (dot > 0)
    name = name.Left(dot);
  return name + ".ini";
}

} // namespace

CWinApp::CWinApp(const char *appName) : m_strAppName(appName), m_pPrevApp(the_app) {
  the_app = this;
  m_hInstance = GetModuleHandleA(nullptr);
  m_strProfileName = default_profile();
  if (m_strAppName.IsEmpty()) {
    m_strAppName = m_strProfileName.Left(m_strProfileName.GetLength() - 4);
  }
}

CWinApp::~CWinApp() {
  for (CMultiDocTemplate *t : m_templates)
    delete t;
  if (the_app == this)
    the_app = m_pPrevApp;
}

int CWinApp::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return ExitInstance();
}

BOOL CWinApp::HasSwitch(const char *name) const {
  const char *p = m_lpCmdLine ? m_lpCmdLine : "";
  for (;;) {
    while (*p == ' ' || *p == '\t')
      p++;
    if (!*p)
      return FALSE;
    const char *end = p;
    while (*end && *end != ' ' && *end != '\t')
      end++;
    if ((*p == '/' || *p == '-') && CString(p + 1, int(end - p - 1)).CompareNoCase(name) == 0)
      return TRUE;
    p = end;
  }
}

// Started for an embedding, the program is not under the user's control: it ends
// when the last object is released.
BOOL CWinApp::RunEmbedded() const {
  if (!HasSwitch("Embedding"))
    return FALSE;
  AfxOleSetUserCtrl(FALSE);
  return TRUE;
}
BOOL CWinApp::RunAutomated() const { return HasSwitch("Automation"); }

void CWinApp::AddDocTemplate(CMultiDocTemplate *tmpl) {
  if (tmpl)
    m_templates.push_back(tmpl);
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty())
    m_templates.front()->OpenDocumentFile(nullptr);
}

BOOL CWinApp::SaveAllModified() {
  for (CMultiDocTemplate *t : m_templates)
    if (!t->SaveAllModified())
      return FALSE;
  return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL endSession) {
  for (CMultiDocTemplate *t : m_templates)
    t->CloseAllDocuments(endSession);
}

CString CWinApp::GetProfileString(const char *section, const char *key, const char *def) const {
  char buf[4096];
  GetPrivateProfileStringA(section, key, def ? def : "", buf, sizeof buf, m_strProfileName);
  return CString(buf);
}

BOOL CWinApp::WriteProfileString(const char *section, const char *key, const char *value) const {
  return WritePrivateProfileStringA(section, key, value, m_strProfileName);
}

UINT CWinApp::GetProfileInt(const char *section, const char *key, int def) const {
  return GetPrivateProfileIntA(section, key, def, m_strProfileName);
}

BOOL CWinApp::WriteProfileInt(const char *section, const char *key, int value) const {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", value);
  return WriteProfileString(section, key, buf);
}

int CWinApp::DoMessageBox(const char *text, UINT type) {
  UiQuestion q = {};
  q.kind = UI_MSGBOX;
  q.heading = m_strAppName;
  q.text = text;
  q.flags = type;
  q.owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  return ui_ask(q, real_message_box);
}

CWinApp *AfxGetApp() { return the_app; }
HINSTANCE AfxGetInstanceHandle() { return the_app ? the_app->m_hInstance : GetModuleHandleA(nullptr); }
CWnd *AfxGetMainWnd() { return the_app ? the_app->m_pMainWnd : nullptr; }

int AfxMessageBox(const char *text, UINT type) {
  if (the_app)
    return the_app->DoMessageBox(text, type);
  UiQuestion q = {};
  q.kind = UI_MSGBOX;
  q.heading = "";
  q.text = text;
  q.flags = type;
  return ui_ask(q, real_message_box);
}

BOOL AfxRegisterClass(WNDCLASSA *wc) {
  WNDCLASSA existing;
  if (GetClassInfoA(wc->hInstance, wc->lpszClassName, &existing))
    return TRUE;
  return RegisterClassA(wc) != 0;
}

int AfxWinMain(HINSTANCE instance, LPSTR cmdLine, int cmdShow) {
  CWinApp *app = AfxGetApp();
  if (!app)
    return -1;
  app->m_hInstance = instance;
  app->m_lpCmdLine = cmdLine;
  app->m_nCmdShow = cmdShow;
  try {
    if (!app->InitInstance()) {
      if (app->m_pMainWnd)
        app->m_pMainWnd->DestroyWindow();
      return app->ExitInstance();
    }
    return app->Run();
  } catch (const CException &e) {
    CString text;
    if (e.GetErrorMessage(text))
      AfxMessageBox(text, MB_OK | MB_ICONSTOP);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "exception: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown exception\n");
  }
  return -1;
}
