// The linking document: registered in the running object table under its file's
// name, with an item container that finds its items by name for item monikers.
#include <cwchar>
#include <string>

#include "framework/doctempl.h"
#include "framework/except.h"
#include "framework/oledoc.h"
#include "framework/oledoc_internal.h"
#include "framework/olesrv.h"
#include "framework/winapp.h"

IMPLEMENT_DYNAMIC(COleLinkingDoc, COleDocument)

using namespace oledoc_internal;

COleLinkingDoc::COleLinkingDoc() {
  m_xContainer.doc = this;
  m_xPersistFile.doc = this;
}

COleLinkingDoc::~COleLinkingDoc() { Revoke(); }

BOOL COleLinkingDoc::Register(const COleObjectFactory *factory, const char *path) {
  Revoke();
  if (factory) {
    m_pFactory = factory;
    m_clsid = factory->GetClassID();
  }
  if (!path || !*path)
    return TRUE;
  const std::wstring w = Wide(path);
  IMoniker *moniker = nullptr;
  if (FAILED(CreateFileMoniker(w.c_str(), &moniker)) || !moniker)
    return FALSE;
  IRunningObjectTable *rot = nullptr;
  if (FAILED(GetRunningObjectTable(0, &rot)) || !rot) {
    moniker->Release();
    return FALSE;
  }
  // One running object per file: the first keeps it.
  IUnknown *running = nullptr;
  if (rot->GetObject(moniker, &running) == S_OK) {
    if (running)
      running->Release();
    rot->Release();
    moniker->Release();
    return FALSE;
  }
  // A strong registration: a weak one lasts only until the first program that found
  // it lets go. The table holds the container, which does not keep the document.
  DWORD key = 0;
  const HRESULT hr =
      rot->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, static_cast<IOleItemContainer *>(&m_xContainer), moniker, &key);
  rot->Release();
  if (FAILED(hr) || !key) {
    moniker->Release();
    return FALSE;
  }
  m_dwRegister = key;
  m_lpMonikerROT = moniker;
  m_strMoniker = path;
  return TRUE;
}

void COleLinkingDoc::Revoke() {
  if (m_dwRegister) {
    IRunningObjectTable *rot = nullptr;
    if (SUCCEEDED(GetRunningObjectTable(0, &rot)) && rot) {
      rot->Revoke(m_dwRegister);
      rot->Release();
    }
    m_dwRegister = 0;
    // Other programs that found the container through the table lose it.
    CoDisconnectObject(static_cast<IOleItemContainer *>(&m_xContainer), 0);
  }
  if (m_lpMonikerROT)
    m_lpMonikerROT->Release();
  m_lpMonikerROT = nullptr;
  m_strMoniker.Empty();
}

BOOL COleLinkingDoc::RegisterIfServerAttached(const char *path, BOOL message) {
  CMultiDocTemplate *tmpl = GetDocTemplate();
  const COleObjectFactory *factory = tmpl ? tmpl->m_pAttachedFactory : nullptr;
  if (!factory)
    return TRUE;
  if (Register(factory, path))
    return TRUE;
  if (message)
    AfxMessageBox(AFX_TEXT_FAILED_TO_NOTIFY, MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}

IMoniker *COleLinkingDoc::GetMoniker(OLEGETMONIKER) {
  if (m_lpMonikerROT)
    m_lpMonikerROT->AddRef();
  return m_lpMonikerROT;
}

COleServerItem *COleLinkingDoc::OnGetLinkedItem(const char *name) {
  if (!name)
    return nullptr;
  size_t pos = 0;
  while (COleServerItem *item = GetNextServerItem(pos))
    if (item->GetItemName() == name)
      return item;
  return nullptr;
}

HRESULT COleLinkingDoc::ExternalQueryInterface(REFIID, void **out) {
  if (out)
    *out = nullptr;
  return E_NOINTERFACE;
}

BOOL COleLinkingDoc::OnNewDocument() {
  Revoke();
  if (!COleDocument::OnNewDocument())
    return FALSE;
  RegisterIfServerAttached(nullptr, TRUE);
  return TRUE;
}

BOOL COleLinkingDoc::OnOpenDocument(const char *path) {
  Revoke();
  if (!COleDocument::OnOpenDocument(path))
    return FALSE;
  RegisterIfServerAttached(path, TRUE);
  return TRUE;
}

BOOL COleLinkingDoc::OnSaveDocument(const char *path) {
  const BOOL remember = m_bRemember;
  if (!COleDocument::OnSaveDocument(path))
    return FALSE;
  if (remember && path && m_strMoniker.CompareNoCase(path) != 0) {
    // Saved under a new name: links find it there from now on.
    Revoke();
    RegisterIfServerAttached(path, TRUE);
  }
  return TRUE;
}

void COleLinkingDoc::OnCloseDocument() {
  Revoke();
  COleDocument::OnCloseDocument();
}

HRESULT COleLinkingDoc::XContainer::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IParseDisplayName) || IsEqualIID(iid, IID_IOleContainer) ||
      IsEqualIID(iid, IID_IOleItemContainer)) {
    *out = static_cast<IOleItemContainer *>(this);
    AddRef();
    return S_OK;
  }
  return doc->ExternalQueryInterface(iid, out);
}

HRESULT COleLinkingDoc::XContainer::ParseDisplayName(IBindCtx *, LPOLESTR name, ULONG *eaten, IMoniker **out) {
  if (!out || !eaten)
    return E_POINTER;
  *out = nullptr;
  *eaten = 0;
  if (!name)
    return E_INVALIDARG;
  const wchar_t *p = name;
  if (*p && std::wcschr(L"!/\\:?", *p))
    p++;
  // Item names may hold delimiters of their own: the name runs to the end.
  if (!*p)
    return MK_E_SYNTAX;
  try {
    if (!doc->OnGetLinkedItem(Narrow(p)))
      return MK_E_NOOBJECT;
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  const HRESULT hr = CreateItemMoniker(L"!", p, out);
  if (SUCCEEDED(hr))
    *eaten = ULONG(std::wcslen(name));
  return hr;
}

HRESULT COleLinkingDoc::XContainer::EnumObjects(DWORD, IEnumUnknown **out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT COleLinkingDoc::XContainer::GetObject(LPOLESTR item, DWORD, IBindCtx *, REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!item)
    return E_INVALIDARG;
  COleServerItem *found = nullptr;
  try {
    found = doc->OnGetLinkedItem(Narrow(item));
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  if (!found)
    return MK_E_NOOBJECT;
  return found->GetInterface()->QueryInterface(iid, out);
}

HRESULT COleLinkingDoc::XContainer::GetObjectStorage(LPOLESTR, IBindCtx *, REFIID, void **out) {
  if (out)
    *out = nullptr;
  return MK_E_NOSTORAGE;
}

HRESULT COleLinkingDoc::XContainer::IsRunning(LPOLESTR item) {
  if (!item)
    return E_INVALIDARG;
  try {
    return doc->OnGetLinkedItem(Narrow(item)) ? S_OK : MK_E_NOOBJECT;
  } catch (const CException &e) {
    return ScodeOf(e);
  }
}
