// Mask records and the lookups on them.
#include "display/masks/hidmask.h"

#include <cstring>
#include <new>
#include <vector>

#include "database/elements.h"
#include "database/groups.h"
#include "database/selection.h"
#include "database/store.h"

namespace {

const char HIDENAME[] = "HIDELINE"; // with its NUL

template <class T> T get(const ElementRecord &r, int off) {
  T v;
  std::memcpy(&v, reinterpret_cast<const uint8_t *>(&r) + off, sizeof v);
  return v;
}
template <class T> void put(ElementRecord &r, int off, T v) {
  std::memcpy(reinterpret_cast<uint8_t *>(&r) + off, &v, sizeof v);
}

bool readrec(int d, int32_t n, ElementRecord *r) {
  if (!elm_islink(n))
    return false;
  const int rc = elm_read(d, n, r, nullptr, 0);
  return rc == 0 || rc == 2;
}

} // namespace

MaskBoxBody hid_boxbody(const ElementRecord &box) {
  MaskBoxBody b;
  std::memcpy(&b, box.body, sizeof b);
  return b;
}
void hid_setboxbody(ElementRecord &box, const MaskBoxBody &b) { std::memcpy(box.body, &b, sizeof b); }

uint32_t hid_pieceno(const ElementRecord &r) { return get<uint32_t>(r, (r.kind & 7) == ARC ? 62 : 54); }
void hid_setpieceno(ElementRecord &r, uint32_t n) { put<uint32_t>(r, (r.kind & 7) == ARC ? 62 : 54, n); }
uint32_t hid_owner(const ElementRecord &r) { return get<uint32_t>(r, (r.kind & 7) == ARC ? 66 : 58); }
void hid_setowner(ElementRecord &r, uint32_t node) { put<uint32_t>(r, (r.kind & 7) == ARC ? 66 : 58, node); }
uint16_t hid_attr(const ElementRecord &r) { return get<uint16_t>(r, (r.kind & 7) == ARC ? 60 : 52); }
void hid_setattr(ElementRecord &r, uint16_t a) { put<uint16_t>(r, (r.kind & 7) == ARC ? 60 : 52, a); }
uint32_t hid_nodemasks(const ElementRecord &node) { return get<uint32_t>(node, 72); }
uint32_t hid_nodepieces(const ElementRecord &node) { return get<uint32_t>(node, 76); }

ElementRecord hid_nodeproto(uint32_t masks, uint32_t pieces) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = NOD;
  r.subkind = HID_NODESUB;
  r.layer = 0;
  std::memcpy(r.nod.data, HIDENAME, sizeof HIDENAME);
  put<uint32_t>(r, 72, masks);
  put<uint32_t>(r, 76, pieces);
  return r;
}

static bool is_hidenode(const ElementRecord &r) {
  return r.kind == NOD && r.subkind == HID_NODESUB && std::memcmp(r.nod.data, HIDENAME, sizeof HIDENAME) == 0;
}

int hid_isnode(int d, int32_t n) {
  ElementRecord r;
  return readrec(d, n, &r) && is_hidenode(r) ? 0 : 1;
}

int hid_boxofrec(int d, const ElementRecord *node, int32_t *box) {
  if (hid_nmembers(*node) == 0)
    return 1;
  int32_t c = node->nod.child;
  uint32_t budget = dtb_used(d) + 1; // a cyclic chain from a file ends here
  while (elm_islink(c) && budget--) {
    ElementRecord r;
    if (!readrec(d, c, &r))
      return 1;
    if (r.kind == MSKBOX) {
      *box = c;
      return 0;
    }
    c = r.next;
  }
  return 1;
}

int hid_boxof(int d, int32_t node, int32_t *box) {
  ElementRecord r;
  if (!readrec(d, node, &r))
    return 1;
  return hid_boxofrec(d, &r, box);
}

static bool is_masktext(int d, const ElementRecord &r) {
  int32_t box;
  return r.kind == NOD && r.subkind == HID_TEXTSUB && hid_boxofrec(d, &r, &box) == 0;
}

int hid_ismask(int d, const ElementRecord *rec) {
  if (is_masktext(d, *rec))
    return 1;
  if (rec->parent > 0) {
    ElementRecord p;
    if (readrec(d, rec->parent, &p) && is_masktext(d, p))
      return 1;
  }
  return 0;
}

int hid_findnode(int d, const ElementRecord *rec, int32_t *node) {
  int32_t up = rec->parent;
  for (int step = 0; step <= GRP_LEVELS + 1; ++step) { // deeper than groups nest: a loop
    if (up <= 0)
      return 1;
    ElementRecord a;
    if (!readrec(d, up, &a))
      return -1;
    if (a.kind != NOD || a.subkind != HID_NODESUB)
      return 1;
    if (std::memcmp(a.nod.data, HIDENAME, sizeof HIDENAME) == 0) {
      *node = up;
      return 0;
    }
    up = a.parent;
  }
  return -1;
}

// First child of kind 18 or 20 of a node record; 0 when none.
static int32_t find_orig(int d, const ElementRecord &node, ElementRecord *out) {
  int32_t c = node.nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget--) {
    ElementRecord r;
    if (!readrec(d, c, &r))
      return 0;
    if (r.kind == HID_ORIGLIN || r.kind == HID_ORIGARC) {
      if (out)
        *out = r;
      return c;
    }
    c = r.next;
  }
  return 0;
}

void hid_nodeorig(int d, const ElementRecord *rec, int32_t *node, int32_t *orig) {
  ElementRecord p;
  if (rec->parent <= 0 || !readrec(d, rec->parent, &p) || !is_hidenode(p))
    return;
  if (int32_t o = find_orig(d, p, nullptr)) {
    *node = rec->parent;
    *orig = o;
  }
}

void hid_origof(int d, int32_t node, int32_t *orig, ElementRecord *origrec) {
  ElementRecord p, o;
  if (!readrec(d, node, &p))
    return;
  if (int32_t n = find_orig(d, p, &o)) {
    *orig = n;
    *origrec = o;
  }
}

void hid_nodeoforig(int d, int32_t *n) {
  ElementRecord r;
  if (readrec(d, *n, &r) && (r.kind == HID_ORIGLIN || r.kind == HID_ORIGARC) && r.parent > 0)
    *n = r.parent;
}

int hid_selected(int d, int32_t n, const ElementRecord *rec) {
  if (!SelectionList.entries || SelectionList.drawing != d)
    return 0;
  int32_t node = 0;
  if (hid_findnode(d, rec, &node) != 0)
    node = 0;
  for (int32_t i = 0; i < SelectionList.count && i < SelectionList.capacity; ++i) {
    const uint32_t e = SelectionList.entries[i];
    if (e == 0xFFFFFFFFu)
      break;
    const int32_t id = int32_t(e & 0x7FFFFFFFu);
    if (id == n || (node > 0 && id == node))
      return 1;
  }
  return 0;
}

int hid_countmasks(int d, const ElementRecord *node, int32_t *count) {
  const uint32_t pieces = hid_nodepieces(*node);
  if (pieces <= 2) {
    *count = 1;
    return 0;
  }
  std::vector<uint32_t> owners;
  try {
    owners.reserve(pieces);
  } catch (const std::exception &) {
    return 1;
  }
  int32_t c = node->nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget-- && owners.size() < pieces) {
    ElementRecord r;
    if (!readrec(d, c, &r))
      break;
    const uint16_t k = r.kind;
    if ((k == LIN || k == ARC) && hid_owner(r) != 0)
      owners.push_back(hid_owner(r));
    c = r.next;
  }
  std::size_t n = 0;
  for (std::size_t i = 0; i < owners.size(); ++i) {
    bool seen = false;
    for (std::size_t j = 0; j < n && !seen; ++j)
      seen = owners[j] == owners[i];
    if (!seen)
      owners[n++] = owners[i];
  }
  *count = int32_t(n);
  return 0;
}
