// Helpers the OLE document files share: string conversions and the answers the
// document's and the items' interfaces give. Only for the framework's own .cpp files.
#pragma once

#include <cstring>
#include <string>

#include "framework/except.h"
#include "framework/oledoc.h"

namespace oledoc_internal {

inline std::wstring Wide(const char *s) {
  if (!s || !*s)
    return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

inline CString Narrow(const wchar_t *w) {
  if (!w || !*w)
    return CString();
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, nullptr, nullptr);
  return CString(s.c_str());
}

// An exception as the result of an OLE call.
inline HRESULT ScodeOf(const CException &e) {
  if (auto *f = dynamic_cast<const CFileException *>(&e))
    if (f->m_lOsError != -1 && FAILED(HRESULT(f->m_lOsError)))
      return HRESULT(f->m_lOsError);
  if (dynamic_cast<const CArchiveException *>(&e) || dynamic_cast<const CFileException *>(&e))
    return STG_E_READFAULT;
  return HRESULT(COleException::Process(e));
}

// Closes a server document for a container's Close, holding it alive meanwhile.
inline HRESULT CloseHeld(COleServerDoc *doc, DWORD saveOption) {
  doc->ExternalAddRef();
  HRESULT hr = S_OK;
  try {
    doc->OnClose(OLECLOSE(saveOption));
  } catch (const CException &e) {
    hr = ScodeOf(e);
  }
  doc->ExternalRelease();
  return hr;
}

// An item's extent for a container's GetExtent (the document's embedded item or a linked one).
inline HRESULT ExtentOf(COleServerItem *item, DWORD aspect, SIZEL *size) {
  if (!size)
    return E_INVALIDARG;
  try {
    SIZE s = {0, 0};
    if (item && item->OnGetExtent(DVASPECT(aspect), s)) {
      size->cx = s.cx;
      size->cy = s.cy;
      return S_OK;
    }
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return E_INVALIDARG;
}

// Advise connections of a document or an item, with the holder made on first use.
inline HRESULT AdviseOn(LPOLEADVISEHOLDER &holder, IAdviseSink *sink, DWORD *connection) {
  if (!holder && FAILED(CreateOleAdviseHolder(&holder)))
    return E_OUTOFMEMORY;
  return holder->Advise(sink, connection);
}

inline HRESULT EnumAdviseOf(LPOLEADVISEHOLDER holder, IEnumSTATDATA **out) {
  if (out)
    *out = nullptr;
  return holder ? holder->EnumAdvise(out) : E_FAIL;
}

} // namespace oledoc_internal
