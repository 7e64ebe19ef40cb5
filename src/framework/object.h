// Root of the framework's polymorphic objects: what a view's update hint points to
// is told apart with dynamic_cast. Classes that an archive stores carry a run-time
// class record (name, schema, factory); the archive finds them by name on load.
#pragma once

#include <cstdint>

class CArchive;
class CObject;

struct CRuntimeClass {
  const char *m_lpszClassName;
  uint16_t m_wSchema;                // 0xFFFF: not serialisable
  CObject *(*m_pfnCreateObject)();   // null: not serialisable
  const CRuntimeClass *m_pBaseClass; // null for CObject

  // A new object of the class; null when the class has no factory.
  CObject *CreateObject() const;
  bool IsDerivedFrom(const CRuntimeClass *base) const;
  // The serialisable class of that name, registered by IMPLEMENT_SERIAL; null when none.
  static const CRuntimeClass *FromName(const char *name);
  static void Register(const CRuntimeClass *cls);
};

class CObject {
public:
  virtual ~CObject() = default;
  virtual const CRuntimeClass *GetRuntimeClass() const;
  // Default: nothing is stored or loaded.
  virtual void Serialize(CArchive &ar);
  bool IsKindOf(const CRuntimeClass *cls) const;
  bool IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

  static const CRuntimeClass classCObject;
  static const CRuntimeClass *ThisClass() { return &classCObject; }
};

#define RUNTIME_CLASS(cls) (&cls::class##cls)

#define DECLARE_DYNAMIC(cls)                                                                                         \
public:                                                                                                              \
  static const CRuntimeClass class##cls;                                                                             \
  static const CRuntimeClass *ThisClass() { return &class##cls; }                                                    \
  const CRuntimeClass *GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(cls, base)                                                                                 \
  const CRuntimeClass cls::class##cls = {#cls, 0xFFFF, nullptr, RUNTIME_CLASS(base)};                              \
  const CRuntimeClass *cls::GetRuntimeClass() const { return &class##cls; }

// A serialisable class: default-constructible, created by the archive on load.
#define DECLARE_SERIAL(cls)                                                                                          \
  DECLARE_DYNAMIC(cls)                                                                                               \
  static CObject *CreateObject();

#define IMPLEMENT_SERIAL(cls, base, schema)                                                                          \
  CObject *cls::CreateObject() { return new cls; }                                                                   \
  const CRuntimeClass cls::class##cls = {#cls, uint16_t(schema), cls::CreateObject, RUNTIME_CLASS(base)};          \
  const CRuntimeClass *cls::GetRuntimeClass() const { return &class##cls; }                                          \
  [[maybe_unused]] static const bool ink_registered_##cls = (CRuntimeClass::Register(&cls::class##cls), true);
