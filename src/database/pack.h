// Packing: every live element of area 1 copied to consecutive numbers from 1 in
// the same order, links rewritten, count1 set to the records kept.
#pragma once

#include <cstdint>

constexpr int PCK_DONE = 0;
constexpr int PCK_ESCAPE = 27;
constexpr int PCK_FAILED = 700;
constexpr int PCK_DEPTH = 15; // group levels the tree copy follows

// Where the second image of the drawing goes.
enum PackStrategy : int {
  PCK_AUTO = 0,
  PCK_OTHERDB = 1,   // area 1 of the other, empty, database
  PCK_UPPERHALF = 2, // the upper half of the source's area 1/2 capacity
  PCK_WORKFILE = 3,  // the work file "inkforge.pck"
};

struct PackError {
  int code; // 0 none; see dtb_pack
  int32_t elm;
  int kind;
};

// Packs database db (the current drawing). 0 done; 27 Esc (nothing changed); 700
// failure (nothing changed, the error in dtb_packlast, reported by dtb_packerr).
// Errors: 201-206 text copy, 301-304 tree copy (301 also a nesting deeper than 15),
// 501 a copied link left outside the output, 701-704 attributes, 801/802 no record
// in the other database / upper half, 803/804 work-file seeks, 805 short write,
// 902 invalid record, 1201 seek to the start, 1202 no record address, 1203 short read.
int dtb_pack(int db);
// Command 420: packs the current drawing with a note on the message line, marks it
// modified, refreshes the attribute box, deletes its work file "TVKDPRMn.WOK" and
// resets its journal. 700.
int dtb_packcmd();
// Shows the last failure when the pack report switch is on; 0.
int dtb_packerr();

const PackError &dtb_packlast();
extern int PackReport; // the pack report switch, off unless set
// Forces a strategy for the following packs when it is possible (PCK_AUTO: chosen
// by the free capacity); gives the previous setting.
int dtb_packforce(int strategy);
// The strategy the last pack used.
int dtb_packused();
