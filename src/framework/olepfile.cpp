// The document as a file for file monikers: binding a link to a file that no running
// program has registered creates a document of the file's class (found through its
// extension) and loads it here.
#include <cstring>
#include <string>

#include "framework/except.h"
#include "framework/oledoc.h"
#include "framework/olesrv.h"

namespace {

CString NarrowName(const wchar_t *w) {
  if (!w || !*w)
    return CString();
  const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, nullptr, nullptr);
  return CString(s.c_str());
}

HRESULT ResultOf(const CException &e) {
  if (auto *f = dynamic_cast<const CFileException *>(&e))
    return f->m_lOsError != -1 && FAILED(HRESULT(f->m_lOsError)) ? HRESULT(f->m_lOsError) : STG_E_READFAULT;
  return HRESULT(COleException::Process(e));
}

} // namespace

HRESULT COleLinkingDoc::XPersistFile::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IPersistFile)) {
    *out = static_cast<IPersistFile *>(this);
    AddRef();
    return S_OK;
  }
  // One object: every other interface (IUnknown too) is the document's.
  return doc->ExternalQueryInterface(iid, out);
}

HRESULT COleLinkingDoc::XPersistFile::GetClassID(CLSID *clsid) {
  if (!clsid)
    return E_POINTER;
  *clsid = doc->m_clsid;
  return S_OK;
}

HRESULT COleLinkingDoc::XPersistFile::IsDirty() { return doc->IsModified() ? S_OK : S_FALSE; }

HRESULT COleLinkingDoc::XPersistFile::Load(LPCOLESTR name, DWORD) {
  const CString path = NarrowName(name);
  if (path.IsEmpty())
    return E_INVALIDARG;
  // Loading for a link hands no control to the user.
  const BOOL userCtrl = AfxOleGetUserCtrl();
  HRESULT hr = S_OK;
  try {
    if (doc->OnOpenDocument(path))
      doc->SetPathName(path);
    else
      hr = E_FAIL;
  } catch (const CException &e) {
    hr = ResultOf(e);
  }
  AfxOleSetUserCtrl(userCtrl);
  return hr;
}

HRESULT COleLinkingDoc::XPersistFile::Save(LPCOLESTR name, BOOL remember) {
  const CString path = name ? NarrowName(name) : doc->GetPathName();
  if (path.IsEmpty())
    return E_INVALIDARG;
  const BOOL kept = doc->m_bRemember;
  doc->m_bRemember = remember || !name;
  HRESULT hr = S_OK;
  try {
    if (!doc->OnSaveDocument(path))
      hr = E_FAIL;
  } catch (const CException &e) {
    hr = ResultOf(e);
  }
  doc->m_bRemember = kept;
  return hr;
}

HRESULT COleLinkingDoc::XPersistFile::GetCurFile(LPOLESTR *name) {
  if (!name)
    return E_POINTER;
  *name = nullptr;
  const CString &path = doc->GetPathName();
  const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  auto *w = static_cast<LPOLESTR>(CoTaskMemAlloc(size_t(n > 0 ? n : 1) * sizeof(OLECHAR)));
  if (!w)
    return E_OUTOFMEMORY;
  w[0] = 0;
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, path, -1, w, n);
  *name = w;
  // No file yet: the name is the default one (empty here).
  return path.IsEmpty() ? S_FALSE : S_OK;
}
