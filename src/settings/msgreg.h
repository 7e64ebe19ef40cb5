// What the callers of each numbered message pass: the conversion letters of its
// arguments in order, generated at build from the registers in data/.
#pragma once

#include <cstddef>
#include <cstdint>

struct MsgRegEntry {
  uint16_t number;
  const char *conversions; // "" when the callers pass nothing
};

// Sorted by number.
extern const MsgRegEntry msg_register[];
extern const std::size_t msg_register_count;
extern const MsgRegEntry dmp_register[];
extern const std::size_t dmp_register_count;

// The registered conversions of message n of inkforge.msg (of RERUVEVA.MSG); "" for a
// number nobody registered, whose text then takes no argument.
const char *msg_regconv(int n);
const char *dmp_regconv(int n);
