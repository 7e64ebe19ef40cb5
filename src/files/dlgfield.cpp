#include "files/dlgfield.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/calc.h"

const DlgField *dlg_fldfind(uint32_t id, const DlgField *table, int rows) {
  for (int i = 0; table && i < rows; i++)
    if (table[i].id == id && !(table[i].id == 0 && table[i].type == 0))
      return &table[i];
  return nullptr;
}

namespace {

// Decimals the format shows: the digit after its '.', else none counted.
int decimals(const char *format) {
  const char *dot = std::strchr(format, '.');
  if (!dot || !dot[1])
    return -1;
  return (static_cast<unsigned char>(dot[1]) & 0xF);
}

bool numeric(uint32_t type) {
  switch (type) {
  case DLG_I32:
  case DLG_I8:
  case DLG_I16:
  case DLG_U32:
  case DLG_I32TRUNC:
  case DLG_F64:
  case DLG_F32:
    return true;
  default:
    return false;
  }
}

} // namespace

int dlg_fldread(uint32_t id, const char *text, const DlgField *table, int rows) {
  const DlgField *row = dlg_fldfind(id, table, rows);
  if (!row)
    return -3;
  if (row->type == DLG_TEXT) {
    if (row->value)
      std::snprintf(static_cast<char *>(row->value), DLG_TEXTMAX, "%s", text ? text : "");
    return 0;
  }
  if (!numeric(row->type) || !row->value)
    return 0;
  const char *p = text ? text : "";
  double v = 0;
  if (clc_eval(0, &p, &v) != 0 || !std::isfinite(v))
    return -2;
  while (*p == ' ' || *p == '\t')
    p++;
  if (*p)
    return -2; // something after the expression
  if (v < row->minimum || v > row->maximum)
    return -1;
  if (row->type == DLG_F64 || row->type == DLG_F32) {
    const int d = decimals(row->format);
    // Literals, not pow(): a typed 0.001 must equal the limit exactly on every runtime.
    static const double tenth[16] = {1,    1e-1, 1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                     1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};
    if (d >= 0 && v != 0 && std::fabs(v) < tenth[d])
      return -1; // it would show as zero
  }
  void *out = row->value;
  switch (row->type) {
  case DLG_I32:
    *static_cast<int32_t *>(out) = int32_t(std::lround(v));
    break;
  case DLG_I8:
    *static_cast<int8_t *>(out) = int8_t(std::lround(v));
    break;
  case DLG_I16:
    *static_cast<int16_t *>(out) = int16_t(std::lround(v));
    break;
  case DLG_U32:
    *static_cast<uint32_t *>(out) = uint32_t(std::llround(v));
    break;
  case DLG_I32TRUNC:
    *static_cast<int32_t *>(out) = int32_t(v);
    break;
  case DLG_F64:
    *static_cast<double *>(out) = v;
    break;
  case DLG_F32:
    *static_cast<float *>(out) = float(v);
    break;
  }
  return 0;
}

bool dlg_fldtext(const DlgField &row, char *out, std::size_t size) {
  if (!out || !size || !row.value)
    return false;
  const void *v = row.value;
  int n = -1;
  switch (row.type) {
  case DLG_I32:
  case DLG_I32TRUNC:
    n = std::snprintf(out, size, row.format, int(*static_cast<const int32_t *>(v)));
    break;
  case DLG_I8:
    n = std::snprintf(out, size, row.format, int(*static_cast<const int8_t *>(v)));
    break;
  case DLG_I16:
    n = std::snprintf(out, size, row.format, int(*static_cast<const int16_t *>(v)));
    break;
  case DLG_U32:
    n = std::snprintf(out, size, row.format, unsigned(*static_cast<const uint32_t *>(v)));
    break;
  case DLG_F64:
    n = std::snprintf(out, size, row.format, *static_cast<const double *>(v));
    break;
  case DLG_F32:
    n = std::snprintf(out, size, row.format, double(*static_cast<const float *>(v)));
    break;
  case DLG_TEXT:
    n = std::snprintf(out, size, "%s", static_cast<const char *>(v));
    break;
  default:
    return false;
  }
  return n >= 0;
}

void dlg_txttable(TextSizeRecord *rec, DlgField table[DLG_TXTROWS]) {
  table[0] = DlgField{1451, DLG_F32, "%0.3f", 0.0000001, 1000.0, &rec->height};
  table[1] = DlgField{1452, DLG_F32, "%0.3f", 0.0000001, 1000.0, &rec->width};
  table[2] = DlgField{1453, DLG_F32, "%0.3f", 0.0, 1000.0, &rec->spacing};
}
