#include "framework/object.h"

#include <cstring>
#include <vector>

namespace {

// Filled during static initialisation, before anything loads an archive.
std::vector<const CRuntimeClass *> &registry() {
  static std::vector<const CRuntimeClass *> classes;
  return classes;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

const CRuntimeClass *CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive &) {}

bool CObject::IsKindOf(const CRuntimeClass *cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

CObject *CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass *base) const {
  for (const CRuntimeClass *c = this; c; c = c->m_pBaseClass)
    if (c == base)
      return true;
  return false;
}

const CRuntimeClass *CRuntimeClass::FromName(const char *name) {
  for (const CRuntimeClass *c : registry())
    if (std::strcmp(c->m_lpszClassName, name) == 0)
      return c;
  return nullptr;
}

void CRuntimeClass::Register(const CRuntimeClass *cls) { registry().push_back(cls); }
