// The archive reader over arbitrary bytes: strings in every length form, numbers and
// object graphs with class records and references. Every object it creates is
// counted here and freed after the run.
#include <cstdlib>
#include <set>

#include "framework/archive.h"
#include "framework/file.h"

namespace {

std::set<CObject *> &live() {
  static std::set<CObject *> objects;
  return objects;
}

class CFuzzNode : public CObject {
  DECLARE_SERIAL(CFuzzNode)
public:
  CFuzzNode() { live().insert(this); }
  ~CFuzzNode() override { live().erase(this); }
  void Serialize(CArchive &ar) override {
    uint8_t kind;
    ar >> kind >> m_name >> m_value;
    if (kind & 1)
      ar >> m_next;
    if (kind & 2)
      ar >> m_other;
  }
  CString m_name;
  double m_value = 0;
  CFuzzNode *m_next = nullptr;
  CObject *m_other = nullptr;
};
IMPLEMENT_SERIAL(CFuzzNode, CObject, 2)

class CFuzzLeaf : public CObject {
  DECLARE_SERIAL(CFuzzLeaf)
public:
  CFuzzLeaf() { live().insert(this); }
  ~CFuzzLeaf() override { live().erase(this); }
  void Serialize(CArchive &ar) override { ar >> m_a >> m_b; }
  uint16_t m_a = 0;
  int32_t m_b = 0;
};
IMPLEMENT_SERIAL(CFuzzLeaf, CObject, 0)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  CMemFile file(const_cast<unsigned char *>(data), size);
  try {
    CArchive ar(&file, CArchive::load, 64);
    for (int i = 0; i < 64; ++i) {
      uint8_t what;
      ar >> what;
      if (what % 3 == 0) {
        CString s;
        ar >> s;
      } else if (what % 3 == 1) {
        CObject *o = ar.ReadObject(nullptr);
        if (o && !o->IsKindOf(RUNTIME_CLASS(CFuzzNode)) && !o->IsKindOf(RUNTIME_CLASS(CFuzzLeaf)))
          abort();
      } else {
        ar.Flush();
        if (file.GetPosition() > size)
          abort();
      }
    }
  } catch (const CException &) {
  }
  while (!live().empty())
    delete *live().begin();
  return 0;
}
