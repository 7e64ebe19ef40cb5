#include "framework/metadc.h"

IMPLEMENT_DYNAMIC(CMetaFileDC, CDC)

CMetaFileDC::~CMetaFileDC() {
  if (!m_hDC)
    return;
  if (m_bEnhanced)
    DeleteEnhMetaFile(CloseEnhanced());
  else
    DeleteMetaFile(Close());
}

BOOL CMetaFileDC::Create(const char *fileName) {
  if (m_hDC)
    return FALSE;
  m_hDC = ::CreateMetaFileA(fileName);
  m_hAttribDC = nullptr; // a metafile answers nothing
  m_bEnhanced = false;
  return m_hDC != nullptr;
}

BOOL CMetaFileDC::CreateEnhanced(HDC reference, const char *fileName, const RECT *bounds, const char *description) {
  if (m_hDC)
    return FALSE;
  m_hDC = ::CreateEnhMetaFileA(reference, fileName, bounds, description);
  if (!m_hDC)
    return FALSE;
  // An enhanced metafile answers for its reference device.
  m_hAttribDC = reference ? reference : m_hDC;
  m_bEnhanced = true;
  return TRUE;
}

HMETAFILE CMetaFileDC::Close() {
  if (!m_hDC || m_bEnhanced)
    return nullptr;
  return ::CloseMetaFile(Detach());
}

HENHMETAFILE CMetaFileDC::CloseEnhanced() {
  if (!m_hDC || !m_bEnhanced)
    return nullptr;
  return ::CloseEnhMetaFile(Detach());
}

void CMetaFileDC::SetAttribDC(HDC dc) {
  // A Windows metafile never answers for itself.
  if (dc == m_hDC && !m_bEnhanced)
    dc = nullptr;
  CDC::SetAttribDC(dc);
}
