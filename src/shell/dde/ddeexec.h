// Execute strings other programs (and the shell's document type) send to the DDE
// service: what they ask for and the path they name. No platform here.
#pragma once

#include <cstddef>

constexpr std::size_t DDEX_LOOKED = 291;  // bytes of an execute string looked at
constexpr std::size_t DDEX_PATHMAX = 262; // path buffer, NUL included

enum class DdeAction {
  None,     // matches nothing: not processed
  Refused,  // names a path too long for a path buffer: not processed, nothing opened
  OpenFile, // [OpenFile](path)
  FileOpen, // [FileOpen("path")]
  Quit,     // [Quit]...
  Icon,     // [Icon]...
  Close,    // [Close]...
  UndPend,  // UndPend, the whole string
};

struct DdeExec {
  DdeAction action;
  char path[DDEX_PATHMAX]; // OpenFile and FileOpen; empty otherwise
};

// Reads at most size bytes of data (it need not be terminated; a NUL ends it).
DdeExec ddes_parse(const char *data, std::size_t size);
