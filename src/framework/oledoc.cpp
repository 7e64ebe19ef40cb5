#include "framework/oledoc.h"

#include <algorithm>
#include <string>

#include "framework/archive.h"
#include "framework/except.h"
#include "framework/olecli.h"
#include "framework/oledoc_internal.h"
#include "framework/olefile.h"
#include "framework/olesrv.h"

IMPLEMENT_DYNAMIC(CDocItem, CObject)
IMPLEMENT_DYNAMIC(COleDocument, CObject)

using namespace oledoc_internal;

// ---------------------------------------------------------------- CDocItem

CDocItem::~CDocItem() {
  if (m_pDocument)
    m_pDocument->RemoveItem(this);
}

// ------------------------------------------------------------ COleDocument

COleDocument::COleDocument() { AfxOleLockApp(); }

COleDocument::~COleDocument() {
  while (!m_items.empty())
    delete m_items.back(); // removes itself
  if (m_lpRootStg)
    m_lpRootStg->Release();
  m_lpRootStg = nullptr;
  AfxOleUnlockApp();
}

void COleDocument::AddItem(CDocItem *item) {
  if (!item || std::find(m_items.begin(), m_items.end(), item) != m_items.end())
    return;
  if (item->m_pDocument && item->m_pDocument != this)
    item->m_pDocument->RemoveItem(item);
  m_items.push_back(item);
  item->m_pDocument = this;
}

void COleDocument::RemoveItem(CDocItem *item) {
  auto it = std::find(m_items.begin(), m_items.end(), item);
  const bool held = it != m_items.end();
  if (held)
    m_items.erase(it);
  if (item && item->m_pDocument == this)
    item->m_pDocument = nullptr;
  if (held)
    OnItemRemoved(item);
}

CDocItem *COleDocument::GetNextItem(size_t &pos) const { return pos < m_items.size() ? m_items[pos++] : nullptr; }

COleServerItem *COleDocument::GetNextServerItem(size_t &pos) const {
  while (pos < m_items.size())
    if (auto *s = dynamic_cast<COleServerItem *>(m_items[pos++]))
      return s;
  return nullptr;
}

BOOL COleDocument::GetStorageClass(CLSID &, CString &) const { return FALSE; }

void COleDocument::SaveToStorage(CObject *object) {
  IStorage *storage = m_lpRootStg;
  if (!storage)
    AfxThrowOleException(E_UNEXPECTED);
  CLSID clsid;
  CString userType;
  if (GetStorageClass(clsid, userType)) {
    HRESULT hr = WriteClassStg(storage, clsid);
    if (FAILED(hr))
      AfxThrowOleException(hr);
    std::wstring w = Wide(userType);
    hr = WriteFmtUserTypeStg(storage, 0, const_cast<LPOLESTR>(w.c_str()));
    if (FAILED(hr))
      AfxThrowOleException(hr);
  }
  COleStreamFile file;
  CFileException fe;
  if (!file.CreateStream(storage, "Contents", CFile::modeReadWrite | CFile::shareExclusive | CFile::modeCreate, &fe))
    throw fe;
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = this;
    try {
      if (object)
        object->Serialize(ar);
      else
        Serialize(ar);
      ar.Close();
    } catch (...) {
      ar.Abort();
      file.Abort();
      throw;
    }
  }
  file.Close();
  // A reused root still holds the objects of items deleted since.
  COleClientItem::RemoveStaleEmbeddings(this, storage);
  const HRESULT hr = storage->Commit(STGC_ONLYIFCURRENT);
  if (FAILED(hr))
    AfxThrowOleException(hr);
}

void COleDocument::LoadFromStorage() {
  if (!m_lpRootStg)
    AfxThrowOleException(E_UNEXPECTED);
  COleStreamFile file;
  CFileException fe;
  if (!file.OpenStream(m_lpRootStg, "Contents", CFile::modeRead | CFile::shareExclusive, &fe))
    throw fe;
  CArchive ar(&file, CArchive::load);
  ar.m_pDocument = this;
  try {
    Serialize(ar);
    ar.Close();
  } catch (...) {
    ar.Abort();
    file.Abort();
    throw;
  }
  file.Close();
}

void COleDocument::CommitItems(BOOL) {}

void COleDocument::Serialize(CArchive &ar) {
  if (ar.IsStoring()) {
    uint32_t count = 0;
    for (CDocItem *item : m_items)
      if (!item->IsBlank())
        count++;
    ar << count;
    for (CDocItem *item : m_items)
      if (!item->IsBlank())
        ar << static_cast<const CObject *>(item);
  } else {
    uint32_t count = 0;
    ar >> count;
    while (count--) {
      CDocItem *item = nullptr;
      ar >> item;
      if (item && !item->m_pDocument)
        AddItem(item);
    }
  }
}

BOOL COleDocument::OnOpenDocument(const char *path) {
  if (path && !m_bCompoundFile)
    return CDocument::OnOpenDocument(path);
  IStorage *opened = nullptr;
  IStorage *old = m_lpRootStg;
  try {
    if (path) {
      std::wstring w = Wide(path);
      HRESULT hr = StgOpenStorage(w.c_str(), nullptr, STGM_READWRITE | STGM_TRANSACTED | STGM_SHARE_DENY_WRITE, nullptr,
                                  0, &opened);
      if (FAILED(hr))
        hr = StgOpenStorage(w.c_str(), nullptr, STGM_READ | STGM_TRANSACTED | STGM_SHARE_DENY_WRITE, nullptr, 0,
                            &opened);
      if (FAILED(hr))
        throw COleStreamFile::ExceptionOf(hr, path);
      m_lpRootStg = opened;
    }
    DeleteContents();
    LoadFromStorage();
    if (opened && old)
      old->Release();
    m_bSameAsLoad = TRUE;
    SetModifiedFlag(FALSE);
    return TRUE;
  } catch (const CException &e) {
    if (opened) {
      opened->Release();
      m_lpRootStg = old;
    }
    DeleteContents();
    if (!path)
      throw;
    ReportSaveLoadException(path, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
}

BOOL COleDocument::OnSaveDocument(const char *path) {
  if (path && !m_bCompoundFile)
    return CDocument::OnSaveDocument(path);
  IStorage *old = m_lpRootStg;
  IStorage *created = nullptr;
  const BOOL sameAsLoad = m_bSameAsLoad;
  try {
    if (path && (!sameAsLoad || !m_lpRootStg || GetPathName().CompareNoCase(path) != 0)) {
      std::wstring w = Wide(path);
      const HRESULT hr = StgCreateDocfile(
          w.c_str(), STGM_READWRITE | STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &created);
      if (FAILED(hr))
        throw COleStreamFile::ExceptionOf(hr, path);
      m_lpRootStg = created;
      m_bSameAsLoad = FALSE;
    }
    SaveToStorage();
    if (path) {
      CommitItems(m_bRemember && !m_bSameAsLoad);
      if (m_bRemember)
        SetModifiedFlag(FALSE);
      if (created) {
        if (m_bRemember) {
          if (old)
            old->Release();
        } else {
          created->Release();
          m_lpRootStg = old;
        }
      }
      m_bSameAsLoad = TRUE;
    }
    return TRUE;
  } catch (const CException &e) {
    if (created) {
      created->Release();
      m_lpRootStg = old;
    }
    m_bSameAsLoad = sameAsLoad;
    if (!path)
      throw;
    ReportSaveLoadException(path, &e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
}

void COleDocument::ReportSaveLoadException(const char *path, const CException *e, BOOL saving, UINT defaultPrompt) {
  if (auto *ole = dynamic_cast<const COleException *>(e)) {
    const CFileException fe = COleStreamFile::ExceptionOf(HRESULT(ole->m_sc), path);
    CDocument::ReportSaveLoadException(path, &fe, saving, defaultPrompt);
    return;
  }
  CDocument::ReportSaveLoadException(path, e, saving, defaultPrompt);
}
