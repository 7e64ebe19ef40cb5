// Hidden-line masks: texts whose box keeps the line work beneath them clear.
// A masking text is a group node (subkind 2) holding the text and a box record
// (kind 16); a line or arc under boxes becomes a "HIDELINE" group node (subkind
// 16) holding the element as drawn (kind + 16) and the pieces the boxes cut.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"

constexpr uint8_t HID_TEXTSUB = 2;  // subkind of a masking-text node
constexpr uint8_t HID_NODESUB = 16; // subkind of a "HIDELINE" node
constexpr uint16_t HID_ORIGLIN = LIN | MSKBOX;
constexpr uint16_t HID_ORIGARC = ARC | MSKBOX;
constexpr int HID_MAXBOXES = 5000;
constexpr int HID_MAXPIECES = 5000;
constexpr int HID_MAXIDS = 10000;
constexpr int HID_MAXCROSS = 8; // four edges, two each
constexpr int HID_MAXCUT = 9;   // pieces of one element under one box

#pragma pack(push, 1)
// The 44 bytes from +20 of a box record.
struct MaskBoxBody {
  uint16_t word20; // stored and copied, not interpreted
  uint16_t mode;   // 0 inactive, 3 active without the check against other boxes
  double x, y, w, h, angle;
};
#pragma pack(pop)
static_assert(sizeof(MaskBoxBody) == 44);

// Field access on stored records.
inline uint8_t hid_state(const ElementRecord &r) { return uint8_t(r.members >> 8); }
inline void hid_setstate(ElementRecord &r, uint8_t s) { r.members = uint16_t((r.members & 0xFF) | s << 8); }
inline uint8_t hid_nmembers(const ElementRecord &r) { return uint8_t(r.members); }
MaskBoxBody hid_boxbody(const ElementRecord &box);
void hid_setboxbody(ElementRecord &box, const MaskBoxBody &b);
uint32_t hid_pieceno(const ElementRecord &r); // +54 of a line, +62 of an arc
void hid_setpieceno(ElementRecord &r, uint32_t n);
uint32_t hid_owner(const ElementRecord &r); // +58 / +66
void hid_setowner(ElementRecord &r, uint32_t node);
uint16_t hid_attr(const ElementRecord &r); // line attribute word of a line or arc
void hid_setattr(ElementRecord &r, uint16_t a);
uint32_t hid_nodemasks(const ElementRecord &node);  // +72
uint32_t hid_nodepieces(const ElementRecord &node); // +76
// A "HIDELINE" node prototype.
ElementRecord hid_nodeproto(uint32_t masks, uint32_t pieces);

// Lookups.
int hid_isnode(int d, int32_t n);
int hid_ismask(int d, const ElementRecord *rec);
int hid_boxof(int d, int32_t node, int32_t *box);
int hid_boxofrec(int d, const ElementRecord *node, int32_t *box);
int hid_findnode(int d, const ElementRecord *rec, int32_t *node);
void hid_nodeorig(int d, const ElementRecord *rec, int32_t *node, int32_t *orig);
void hid_origof(int d, int32_t node, int32_t *orig, ElementRecord *origrec);
void hid_nodeoforig(int d, int32_t *n);
int hid_selected(int d, int32_t n, const ElementRecord *rec);
int hid_countmasks(int d, const ElementRecord *node, int32_t *count);

// Box geometry and cutting.
struct MaskQuad {
  GeoPoint c[4];
};

struct MaskCross {
  uint32_t edge;
  double x, y;
};

struct CutRecord {
  uint32_t elm;
  uint32_t state;
  ElementRecord rec;
  uint32_t count;
  MaskCross cross[HID_MAXCROSS];
};

struct CutResult {
  uint32_t state;
  uint32_t hiddenkind; // 2
  uint32_t count;
  uint32_t hidden[HID_MAXCUT];
  ElementRecord piece[HID_MAXCUT];
};

extern MaskQuad HidCurBox; // the box being worked on, read by the split routines

int hid_corners(const MaskBoxBody *body, MaskQuad *q);
int hid_quadoverlap(const MaskQuad *a, const MaskQuad *b);
int hid_centrein(const MaskQuad *a, const MaskQuad *b);
int hid_edgecross(const MaskQuad *a, const MaskQuad *b);
int hid_boxoverlap(const MaskBoxBody *a, const MaskBoxBody *b);
int hid_boxconflict(const MaskBoxBody *a, const MaskBoxBody *b);
int hid_edgehit(const GeoPoint *p, const GeoPoint *q, const ElementRecord *rec, GeoPoint pts[2], uint32_t *count);
int hid_tangent(const GeoPoint *p, const GeoPoint *q, const ElementRecord *arc, const GeoPoint *pt);
int hid_cornerarc(const GeoPoint *p, const GeoPoint *q, const ElementRecord *arc, const GeoPoint *pt);
int hid_dedupe(CutRecord *cut);
void hid_cutinit(CutResult *res, uint32_t state);
int hid_splitkind(const CutRecord *cut, CutResult *res);
int hid_splitline(const CutRecord *cut, CutResult *res);
int hid_splitarc(const CutRecord *cut, CutResult *res);
int hid_onedge(const ElementRecord *line);
int hid_arcout(const ElementRecord *arc);
// The crossings of an element with the four edges of HidCurBox, deduplicated.
void hid_crossings(CutRecord *cut);

// Building and releasing.
struct MaskBoxEntry {
  uint32_t node;
  uint32_t box;
  MaskQuad quad;
};
static_assert(sizeof(MaskBoxEntry) == 72);

struct CutJob {
  uint32_t owner;
  uint32_t hasnode;
  uint32_t node;
  uint32_t elm;
  ElementRecord rec;
  uint32_t orig;
  ElementRecord origrec;
};

extern MaskBoxEntry *hid_boxes;
extern int32_t hid_nboxes;
extern ElementRecord *hid_pieces;
extern int32_t hid_npieces;

int hid_init();
void hid_term();
int hid_boxesclr();
int hid_piecesclr();

void hid_remask(int d);
void hid_remask1(int d, int32_t elm);
int hid_maskone(int d, int32_t node);
int hid_mask(int d, int32_t node);
int hid_markbox(int d, int32_t node, int mode);
int hid_cutbox(int d, int32_t node, int32_t box, uint32_t flag);
int hid_cutlist(int d, int32_t node, int32_t count);
int hid_cutelm(int d, int32_t owner, int32_t hnode, int32_t elm, const ElementRecord *rec);
int hid_write(int d, CutJob *job, CutResult *res);
void hid_pieceattr(const ElementRecord *elm, CutResult *res);
int hid_overlapprev(int d, int32_t box, int32_t limit);
int hid_overlapother(int d, int32_t box, int32_t node);
int hid_unmark(int d, int32_t node);
int hid_release(int d, int32_t node);
int hid_eligible(int d, int32_t id);
int hid_rejoin(int d, int32_t piece);
int hid_rejoinbox(int d, int32_t node);
int hid_remaskall(int d);
void hid_remasksel(int d);
void hid_registersel(int d);
void hid_registerall(int d);
int hid_register(int d, int32_t node, int32_t box);
