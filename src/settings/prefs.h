// The settings file "inkforge.sys": numbered sections with typed keys, read into and
// written from the parameter blocks through the Windows profile functions.
#pragma once

#include <cstddef>
#include <cstdint>

enum PrfType : int {
  PRF_LONG = 2,   // absolute value of a strtol (base 0)
  PRF_SHORT = 4,  // 0 when |value| >= 32767
  PRF_ULONG = 8,  // strtol, saturating at 2147483647
  PRF_FLOAT = 16,
  PRF_DOUBLE = 32,
  PRF_CHAR = 64,
  PRF_STRING = 128,
};

constexpr int PRF_SECTIONS = 26; // 0 (no name) and 1..25

#pragma pack(push, 1)
struct PrfValue {
  int16_t s;
  int32_t l;
  uint32_t ul;
  float f;
  double d;
  char str[262];
};
#pragma pack(pop)

// The one typed value slot that prf_getval fills and prf_putval writes.
extern PrfValue prf_valslot;

// Settings without a parameter block of their own (section CMDETC).
extern int32_t CpntDelDsp; // three switches as decimal digits
extern uint32_t OkynDelay; // ms before a question prompt, used when 1..300
extern int32_t OkynNotFlat;

const char *prf_section(int no); // name of section 0..25 ("" for 0 and outside)

// Parses text by type into the field of that type; 0, or -1 for an unknown type.
int prf_parse(int type, const char *text, PrfValue &v);
// Formats the field of type into out (size bytes); an unknown type gives "".
void prf_format(int type, const PrfValue &v, char *out, std::size_t size);

// Full path of the settings file (start-up builds it; tests and the shell may set it).
const char *prf_path();
void prf_setpath(const char *path);

// part 0: every section with keys; 1, 2, 3, 5, 6, 11, 20, 25: that section. The
// per-drawing keys go to every drawing in mask (bit n = drawing n, 0x80000000 the
// current drawing). Also fixes the seal folder and the seal colours. 0.
int prf_read(int part, uint32_t mask);
// part 0: sections 1, 2, 3, 5, 6, 25; a single part writes that one of them. 0.
int prf_writ(int part);
// One key into the slot: 0 found with a non-empty value, -1 otherwise (slot untouched).
int prf_getval(int section, const char *key, int type);
// The slot's field of type written to the key; the profile function's result.
int prf_putval(int section, const char *key, int type);
