#include "framework/olecdlg.h"

#include <cstring>

#include "framework/olecli.h"
#include "framework/wnd.h"

namespace {

COleInsertDialog::ShowFn g_showInsert = nullptr;
COleObjectPropertiesDialog::ShowFn g_showProps = nullptr;

// A string for the dialog, allocated as it frees it.
LPSTR TaskString(const char *s) {
  const size_t n = std::strlen(s) + 1;
  auto *out = static_cast<LPSTR>(CoTaskMemAlloc(n));
  if (out)
    std::memcpy(out, s, n);
  return out;
}

LPSTR TaskStringW(LPCOLESTR w) {
  if (!w)
    return TaskString("");
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  auto *out = static_cast<LPSTR>(CoTaskMemAlloc(size_t(n > 0 ? n : 1)));
  if (out) {
    out[0] = 0;
    WideCharToMultiByte(CP_ACP, 0, w, -1, out, n, nullptr, nullptr);
  }
  return out;
}

// What the properties dialog asks about the one object it shows.
struct ObjInfo : IOleUIObjInfoA {
  COleClientItem *item;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetObjectInfo(DWORD, DWORD *size, LPSTR *label, LPSTR *type, LPSTR *shortType,
                                          LPSTR *location) override {
    IOleObject *object = item->GetOleObject();
    if (size)
      *size = 0xFFFFFFFF; // unknown
    auto userType = [&](DWORD form, LPSTR *out) {
      if (!out)
        return;
      LPOLESTR w = nullptr;
      if (object)
        object->GetUserType(form, &w);
      *out = TaskStringW(w);
      if (w)
        CoTaskMemFree(w);
    };
    userType(USERCLASSTYPE_FULL, type);
    userType(USERCLASSTYPE_SHORT, shortType);
    userType(USERCLASSTYPE_FULL, label);
    if (location)
      *location = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConvertInfo(DWORD, CLSID *clsid, WORD *format, CLSID *convertDefault,
                                           LPCLSID *exclude, UINT *excludeCount) override {
    if (clsid && item->GetOleObject())
      item->GetOleObject()->GetUserClassID(clsid);
    if (format)
      *format = 0;
    if (convertDefault)
      *convertDefault = CLSID_NULL;
    if (exclude)
      *exclude = nullptr;
    if (excludeCount)
      *excludeCount = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ConvertObject(DWORD, REFCLSID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetViewInfo(DWORD, HGLOBAL *metaPict, DWORD *aspect, int *scale) override {
    if (metaPict)
      *metaPict = nullptr;
    if (aspect)
      *aspect = item->GetDrawAspect();
    if (scale)
      *scale = 100;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetViewInfo(DWORD, HGLOBAL, DWORD aspect, int, BOOL) override {
    item->SetDrawAspect(DVASPECT(aspect));
    return S_OK;
  }
};

} // namespace

COleInsertDialog::COleInsertDialog(DWORD flags, CWnd *parent) {
  m_io.cbStruct = sizeof m_io;
  m_io.dwFlags = flags | IOF_SELECTCREATENEW;
  if (flags & IOF_SELECTCREATEFROMFILE)
    m_io.dwFlags &= ~IOF_SELECTCREATENEW;
  m_io.hWndOwner = parent ? parent->m_hWnd : nullptr;
  m_io.lpszFile = m_szFileName;
  m_io.cchFile = MAX_PATH;
  m_io.iid = IID_IOleObject;
  m_io.oleRender = OLERENDER_DRAW;
}

COleInsertDialog::~COleInsertDialog() {
  if (m_io.hMetaPict) {
    if (auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m_io.hMetaPict))) {
      DeleteMetaFile(pict->hMF);
      GlobalUnlock(m_io.hMetaPict);
    }
    GlobalFree(m_io.hMetaPict);
  }
}

COleInsertDialog::ShowFn COleInsertDialog::SetShowFunction(ShowFn fn) {
  ShowFn old = g_showInsert;
  g_showInsert = fn;
  return old;
}

INT_PTR COleInsertDialog::DoModal() {
  // The dialog only chooses; CreateItem makes the object with the item's site.
  m_io.dwFlags &= ~(IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT);
  const UINT r = g_showInsert ? g_showInsert(&m_io) : OleUIInsertObjectA(&m_io);
  if (r == OLEUI_OK)
    return IDOK;
  if (r == OLEUI_CANCEL)
    return IDCANCEL;
  return INT_PTR(r);
}

COleInsertDialog::Selection COleInsertDialog::GetSelectionType() const {
  if (m_io.dwFlags & IOF_SELECTCREATEFROMFILE)
    return (m_io.dwFlags & IOF_CHECKLINK) ? linkToFile : insertFromFile;
  return createNewItem;
}

BOOL COleInsertDialog::CreateItem(COleClientItem *item) {
  if (!item)
    return FALSE;
  BOOL ok = FALSE;
  switch (GetSelectionType()) {
  case linkToFile:
    ok = item->CreateLinkFromFile(m_szFileName);
    break;
  case insertFromFile:
    ok = item->CreateFromFile(m_szFileName);
    break;
  case createNewItem:
    ok = item->CreateNewItem(m_io.clsid);
    break;
  }
  if (ok && GetDrawAspect() == DVASPECT_ICON)
    item->SetDrawAspect(DVASPECT_ICON);
  return ok;
}

COleObjectPropertiesDialog::COleObjectPropertiesDialog(COleClientItem *item, UINT scaleMin, UINT scaleMax,
                                                       CWnd *parent)
    : m_pItem(item) {
  m_psh.dwSize = sizeof m_psh;
  m_psh.hwndParent = parent ? parent->m_hWnd : nullptr;
  m_gp.cbStruct = sizeof m_gp;
  m_gp.lpOP = &m_op;
  m_vp.cbStruct = sizeof m_vp;
  m_vp.lpOP = &m_op;
  m_vp.nScaleMin = int(scaleMin);
  m_vp.nScaleMax = int(scaleMax);
  m_lp.cbStruct = sizeof m_lp;
  m_lp.lpOP = &m_op;
  m_op.cbStruct = sizeof m_op;
  m_op.lpPS = &m_psh;
  m_op.lpGP = &m_gp;
  m_op.lpVP = &m_vp;
  m_op.lpLP = &m_lp;
}

COleObjectPropertiesDialog::ShowFn COleObjectPropertiesDialog::SetShowFunction(ShowFn fn) {
  ShowFn old = g_showProps;
  g_showProps = fn;
  return old;
}

INT_PTR COleObjectPropertiesDialog::DoModal() {
  ObjInfo info;
  info.item = m_pItem;
  m_op.dwObject = 1;
  m_op.lpObjInfo = &info;
  const UINT r = g_showProps ? g_showProps(&m_op) : OleUIObjectPropertiesA(&m_op);
  m_op.lpObjInfo = nullptr;
  if (r == OLEUI_OK)
    return IDOK;
  if (r == OLEUI_CANCEL)
    return IDCANCEL;
  return INT_PTR(r);
}
