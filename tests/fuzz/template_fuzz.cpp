// New-figure templates and dialog fields over arbitrary bytes: the header check, the
// layer-name repair of a taken-over header, and typed field texts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "database/layers.h"
#include "files/dlgcalc.h"
#include "files/dlgfield.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (dlg_nfhdrok(data, size)) {
    std::vector<uint8_t> copy(data, data + size);
    auto *env = reinterpret_cast<DrawingEnvRecord *>(copy.data());
    lay_check(env->laynames);
    ScalePair pairs[SCALE_COUNT];
    std::memcpy(pairs, env->scales, sizeof pairs);
    dlg_nfratios(pairs, 1 + int(data[0] % 200), 1 + int(data[1] % 200));
    for (const ScalePair &p : pairs)
      if (p.num < 1 || p.den < 1)
        __builtin_trap();
    SheetRecord sheet;
    std::memcpy(&sheet, &env->sheet, sizeof sheet);
    if (unsigned(dlg_nfmatch(sheet)) > DLG_CUSTOM)
      __builtin_trap();
  }
  const std::string text(reinterpret_cast<const char *>(data), size);
  TextSizeRecord rec{};
  DlgField table[DLG_TXTROWS];
  dlg_txttable(&rec, table);
  char out[64];
  for (const DlgField &row : table) {
    dlg_fldread(row.id, text.c_str(), table, DLG_TXTROWS);
    dlg_fldtext(row, out, sizeof out);
  }
  char buf[DLG_TEXTMAX];
  const DlgField t{1, DLG_TEXT, "", 0, 0, buf};
  dlg_fldread(1, text.c_str(), &t, 1);
  if (std::strlen(buf) >= DLG_TEXTMAX)
    __builtin_trap();
  return 0;
}
