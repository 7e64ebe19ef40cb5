#include "framework/olesrv.h"

#include <algorithm>
#include <cstring>

#include "framework/doctempl.h"
#include "framework/oledoc.h"
#include "framework/winapp.h"
#include "framework/wnd.h"

const char AFX_TEXT_FAILED_TO_REGISTER[] = "システム レジストリを更新できませんでした。";
const char AFX_TEXT_FAILED_TO_NOTIFY[] = "ドキュメントを登録できませんでした。\n"
                                         "このドキュメントへのリンクは使えません。";

namespace {

LONG lock_count = 0;
BOOL user_ctrl = TRUE;

// Sets the default value (name null) or a named value of root\key.
bool SetKey(HKEY root, const CString &key, const char *name, const char *value) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value), DWORD(strlen(value) + 1));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

} // namespace

void AfxOleLockApp() { InterlockedIncrement(&lock_count); }

void AfxOleUnlockApp() {
  if (InterlockedDecrement(&lock_count) == 0 && AfxOleCanExitApp())
    AfxOleOnReleaseAllObjects();
}

LONG AfxOleGetLockCount() { return lock_count; }
void AfxOleSetUserCtrl(BOOL userCtrl) { user_ctrl = userCtrl; }
BOOL AfxOleGetUserCtrl() { return user_ctrl; }
BOOL AfxOleCanExitApp() { return lock_count == 0 && !user_ctrl; }

void AfxOleOnReleaseAllObjects() {
  if (AfxOleGetUserCtrl())
    return;
  AfxOleSetUserCtrl(TRUE); // once
  CWinApp *app = AfxGetApp();
  if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd) {
    if (IsWindowEnabled(app->m_pMainWnd->m_hWnd))
      ::DestroyWindow(app->m_pMainWnd->m_hWnd); // posts WM_QUIT
  } else {
    PostQuitMessage(0);
  }
}

CString AfxStringFromCLSID(REFCLSID clsid) {
  CString s;
  s.Format("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(clsid.Data1), clsid.Data2,
           clsid.Data3, clsid.Data4[0], clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5],
           clsid.Data4[6], clsid.Data4[7]);
  return s;
}

BOOL AfxOleRegisterServerClass(REFCLSID clsid, const COleServerEntries &e, const char *exePath, HKEY root) {
  const CString id = AfxStringFromCLSID(clsid);
  const CString key = "CLSID\\" + id;
  bool ok = SetKey(root, key, nullptr, e.typeName);
  CString server;
  server.Format("\"%s\"", exePath);
  ok = SetKey(root, key + "\\LocalServer32", nullptr, server) && ok;
  ok = SetKey(root, key + "\\InprocHandler32", nullptr, "ole32.dll") && ok;
  ok = SetKey(root, key + "\\ProgID", nullptr, e.progId) && ok;
  ok = SetKey(root, key + "\\Insertable", nullptr, "") && ok;
  for (int i = 0; e.verbs && e.verbs[i]; i++) {
    CString verb;
    verb.Format("%s\\Verb\\%d", key.GetString(), i);
    ok = SetKey(root, verb, nullptr, e.verbs[i]) && ok;
  }
  ok = SetKey(root, key + "\\AuxUserType\\2", nullptr, e.shortTypeName) && ok;
  ok = SetKey(root, key + "\\AuxUserType\\3", nullptr, e.appName) && ok;
  CString status;
  status.Format("%lu", static_cast<unsigned long>(e.miscStatus));
  ok = SetKey(root, key + "\\MiscStatus", nullptr, status) && ok;
  CString icon;
  icon.Format("%s,0", exePath);
  ok = SetKey(root, key + "\\DefaultIcon", nullptr, icon) && ok;
  ok = SetKey(root, e.progId, nullptr, e.typeName) && ok;
  ok = SetKey(root, CString(e.progId) + "\\CLSID", nullptr, id) && ok;
  ok = SetKey(root, CString(e.progId) + "\\Insertable", nullptr, "") && ok;
  if (e.fileExt && *e.fileExt) {
    ok = SetKey(root, e.fileExt, nullptr, e.progId) && ok;
    const CString command = CString(e.progId) + "\\shell\\open\\command";
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, command, 0, KEY_READ, &h) == ERROR_SUCCESS) {
      RegCloseKey(h);
    } else {
      CString open;
      open.Format("\"%s\" \"%%1\"", exePath);
      ok = SetKey(root, command, nullptr, open) && ok;
    }
  }
  return ok ? TRUE : FALSE;
}

// ------------------------------------------------------- COleObjectFactory

std::vector<COleObjectFactory *> &COleObjectFactory::All() {
  static std::vector<COleObjectFactory *> all;
  return all;
}

COleObjectFactory::COleObjectFactory(REFCLSID clsid, BOOL multiInstance)
    : m_clsid(clsid), m_bMultiInstance(multiInstance) {
  m_xClassFactory.owner = this;
  All().push_back(this);
}

COleObjectFactory::~COleObjectFactory() {
  Revoke();
  auto &all = All();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

BOOL COleObjectFactory::Register() {
  if (m_dwRegister)
    return TRUE;
  const HRESULT hr = CoRegisterClassObject(m_clsid, static_cast<IClassFactory *>(&m_xClassFactory), CLSCTX_LOCAL_SERVER,
                                           m_bMultiInstance ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE, &m_dwRegister);
  if (FAILED(hr)) {
    m_dwRegister = 0;
    return FALSE;
  }
  return TRUE;
}

void COleObjectFactory::Revoke() {
  if (m_dwRegister)
    CoRevokeClassObject(m_dwRegister);
  m_dwRegister = 0;
}

BOOL COleObjectFactory::RegisterAll() {
  BOOL ok = TRUE;
  for (COleObjectFactory *f : All())
    if (!IsEqualCLSID(f->m_clsid, CLSID_NULL) && !f->Register())
      ok = FALSE;
  return ok;
}

void COleObjectFactory::RevokeAll() {
  for (COleObjectFactory *f : All())
    f->Revoke();
}

HRESULT COleObjectFactory::XClassFactory::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory *>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT COleObjectFactory::XClassFactory::CreateInstance(IUnknown *outer, REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (outer)
    return CLASS_E_NOAGGREGATION;
  IUnknown *object = nullptr;
  try {
    object = owner->OnCreateObject();
  } catch (...) {
    object = nullptr;
  }
  if (!object)
    return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release(); // the creator's reference
  return hr;
}

HRESULT COleObjectFactory::XClassFactory::LockServer(BOOL lock) {
  if (lock)
    AfxOleLockApp();
  else
    AfxOleUnlockApp();
  return S_OK;
}

// ------------------------------------------------------ COleTemplateServer

COleTemplateServer::COleTemplateServer() : COleObjectFactory(CLSID_NULL, FALSE) {}

void COleTemplateServer::ConnectTemplate(REFCLSID clsid, CMultiDocTemplate *tmpl, BOOL multiInstance) {
  m_clsid = clsid;
  m_pDocTemplate = tmpl;
  m_bMultiInstance = multiInstance;
  if (tmpl)
    tmpl->m_pAttachedFactory = this;
}

BOOL COleTemplateServer::UpdateRegistry(int, const char **, const char **, BOOL doRegister) {
  if (!doRegister || !m_entries.progId)
    return TRUE;
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (AfxOleRegisterServerClass(m_clsid, m_entries, exe, m_hRegistryRoot))
    return TRUE;
  AfxMessageBox(AFX_TEXT_FAILED_TO_REGISTER, MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}

IUnknown *COleTemplateServer::OnCreateObject() {
  if (!m_pDocTemplate)
    return nullptr;
  // Making the document must not hand control to the user.
  const BOOL userCtrl = AfxOleGetUserCtrl();
  CDocument *doc = m_pDocTemplate->OpenDocumentFile(nullptr, FALSE);
  AfxOleSetUserCtrl(userCtrl);
  auto *server = dynamic_cast<COleServerDoc *>(doc);
  if (!server) {
    if (doc)
      doc->OnCloseDocument();
    return nullptr;
  }
  server->SetFactory(this, m_clsid);
  server->m_bCloseOnRelease = TRUE;
  server->SetModifiedFlag(TRUE); // not stored anywhere yet
  IUnknown *unknown = server->GetInterface();
  unknown->AddRef();
  return unknown;
}
