// The element filter that every element search reads, with its picking and
// selection setters and the selection test of one record.
#pragma once

#include <cstdint>

#include "database/record.h"

// Kind-mask flags beside the kind bits.
constexpr uint32_t FLT_NOPART1 = 0x4000; // no element whose subkind or info byte is 1
constexpr uint32_t FLT_NOCLIMB = 0x8000; // never climb from a member to its group node
constexpr uint32_t FLT_ALLKINDS = 0xFFFF7FFFu;

struct ElementFilter {
  uint32_t kind;    // shares a bit with the kind word; NOD: climb to the top group node
  uint32_t pen;     // bit n: pen n
  uint32_t ltype;   // bit n: line type n of lines and arcs
  uint8_t subkind;  // bit set of group subkinds a member's group must share
};

// Points, lines, arcs and texts of every pen, type and subkind at start.
extern ElementFilter ElmFilter;

// The picking rules: 0 words mean everything; bit 4 (masked variants) or bit 5 in
// the kind mask lift the line-type or pen restriction. 0.
int pck_filter(uint32_t kind, uint32_t pen, uint32_t ltype, uint32_t subkind);

// The selection rules. 0, or -1 for a combination it refuses; a refusal leaves the
// filter as it was. (0, 0, 0, 0) allows everything.
int sel_filter(uint32_t kind, uint32_t pen, uint32_t ltype, uint32_t subkind);
// 0 when the record passes, 1 when not. Pen 0, and line type 0 of a line or arc,
// never pass; a group node never passes (callers test its members).
int sel_filtchk(const ElementRecord *rec);
// Copies the four words out; any pointer may be null. 0.
int sel_filtget(uint32_t *kind, uint32_t *pen, uint32_t *ltype, uint8_t *subkind);
