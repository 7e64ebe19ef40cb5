// The OLE server side of the application: the lock count that keeps a server
// process alive, user control, class factories and their registration.
//
// A program started for an embedding (RunEmbedded) is not under user control; it
// ends (its main window is destroyed) when the last lock goes. Showing a document
// to the user (an open verb, a normal start) gives the user control: then the
// program stays until its main window is closed.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "framework/cstring.h"

class CDocument;
class CMultiDocTemplate;

void AfxOleLockApp();
// The last unlock without user control ends the program (AfxOleOnReleaseAllObjects).
void AfxOleUnlockApp();
LONG AfxOleGetLockCount();
void AfxOleSetUserCtrl(BOOL userCtrl);
BOOL AfxOleGetUserCtrl();
// TRUE when no lock is held and the user is not in control.
BOOL AfxOleCanExitApp();
// Destroys the main window (which quits the message loop) unless the user is in control.
void AfxOleOnReleaseAllObjects();

// Registry entries of a server class. Verbs are "name,menu flags,verb flags".
struct COleServerEntries {
  const char *progId;
  const char *typeName;      // the full user type name, also of the ProgID key
  const char *shortTypeName; // AuxUserType\2
  const char *appName;       // AuxUserType\3
  const char *const *verbs;  // null-terminated; verb 0 first
  DWORD miscStatus;
  // The extension of the program's document files (".KSL"), or null. A file moniker
  // finds the class of a file that is not a compound file through it.
  const char *fileExt;
};

// Writes the class's keys under root (normally HKEY_CLASSES_ROOT): CLSID\{clsid}
// with its type name, LocalServer32 (the quoted exe path), InprocHandler32,
// ProgID, Insertable, Verb, AuxUserType, MiscStatus and DefaultIcon; and the ProgID
// key with CLSID and Insertable. With a file extension: the extension's key names
// the ProgID, and the document type gets an open command ("exe" "%1") unless it has
// one (the program's own document-type entries replace it). Writing again gives the
// same keys. FALSE when any write was refused (what was written stays).
BOOL AfxOleRegisterServerClass(REFCLSID clsid, const COleServerEntries &entries, const char *exePath,
                               HKEY root = HKEY_CLASSES_ROOT);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
CString AfxStringFromCLSID(REFCLSID clsid);

// A class object registered with COM while the program runs. Multiple use: one
// running program serves every container.
class COleObjectFactory {
public:
  COleObjectFactory(REFCLSID clsid, BOOL multiInstance = FALSE);
  virtual ~COleObjectFactory(); // revokes
  COleObjectFactory(const COleObjectFactory &) = delete;
  COleObjectFactory &operator=(const COleObjectFactory &) = delete;

  REFCLSID GetClassID() const { return m_clsid; }
  BOOL IsRegistered() const { return m_dwRegister != 0; }
  BOOL Register();
  void Revoke();
  // Every factory of the program; FALSE when one failed.
  static BOOL RegisterAll();
  static void RevokeAll();

protected:
  // A new object with one reference (the caller's), or null.
  virtual IUnknown *OnCreateObject() = 0;
  CLSID m_clsid;
  BOOL m_bMultiInstance;

private:
  struct XClassFactory : IClassFactory {
    COleObjectFactory *owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
  };
  XClassFactory m_xClassFactory;
  DWORD m_dwRegister = 0;
  static std::vector<COleObjectFactory *> &All();
};

enum OLE_APPTYPE { OAT_INPLACE_SERVER = 0, OAT_SERVER = 1, OAT_CONTAINER = 2 };

// The factory of a document template: every object it makes is a new server
// document of the template, with its frame and view, hidden.
class COleTemplateServer : public COleObjectFactory {
public:
  COleTemplateServer();
  // The program's class and entries (ConnectTemplate sets the class).
  void ConnectTemplate(REFCLSID clsid, CMultiDocTemplate *tmpl, BOOL multiInstance);
  void SetServerEntries(const COleServerEntries &entries) { m_entries = entries; }
  // Registers the class for this program's exe; a refused write is reported
  // (AfxMessageBox) and FALSE returned; the program goes on. The type and lists
  // are those of the framework's interface; the entries come from SetServerEntries.
  BOOL UpdateRegistry(int appType = OAT_INPLACE_SERVER, const char **registerList = nullptr,
                      const char **overwriteList = nullptr, BOOL doRegister = TRUE);
  CMultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }
  // Where UpdateRegistry writes (HKEY_CLASSES_ROOT unless a test sets another key).
  HKEY m_hRegistryRoot = HKEY_CLASSES_ROOT;

protected:
  IUnknown *OnCreateObject() override;
  CMultiDocTemplate *m_pDocTemplate = nullptr;
  COleServerEntries m_entries = {};
};

// Shown when UpdateRegistry could not write.
extern const char AFX_TEXT_FAILED_TO_REGISTER[];
// Shown when a document could not be registered as running (links cannot find it).
extern const char AFX_TEXT_FAILED_TO_NOTIFY[];
