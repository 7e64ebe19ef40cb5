#include "database/symtab.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "database/drawcalls.h"

SymShapeTable *SymTables[2];

namespace {

int CurTable = 0;
int NextIndex = 0;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One line; prev holds the values of the file's previous record.
void parse_line(const char *p, SymShapeTable *t, int16_t prev[4]) {
  while (blank(*p))
    p++;
  const char c = *p;
  const bool line = c == 'L' || c == 'l', circle = c == 'C' || c == 'c';
  if (!line && !circle)
    return;
  if (t->count >= SYM_RECORDS) // a full table refuses further records
    return;
  p++;
  SymShape s;
  std::memcpy(s.v, prev, sizeof s.v);
  const int first = line ? 0 : 1;
  for (int i = first; i < 4; i++) {
    while (blank(*p) || *p == ',')
      p++;
    char *end = nullptr;
    const long v = std::strtol(p, &end, 0);
    if (end == p)
      break;
    s.v[i] = int16_t(v);
    p = end;
  }
  if (circle)
    s.v[0] = -1;
  std::memcpy(prev, s.v, sizeof s.v);
  t->rec[t->count++] = s;
}

int read_file(const char *path, SymShapeTable *t) {
  FILE *f = path ? std::fopen(path, "r") : nullptr;
  if (!f)
    return 2;
  std::string text;
  char buf[256];
  while (std::fgets(buf, sizeof buf, f)) {
    text += buf;
    if (!std::strchr(buf, '\n')) { // a longer line: the rest is not read
      int ch;
      while ((ch = std::fgetc(f)) != EOF && ch != '\n') {
      }
      text += '\n';
    }
  }
  std::fclose(f);
  sym_parse(text.c_str(), t);
  return 0;
}

} // namespace

void sym_parse(const char *text, SymShapeTable *t) {
  t->count = 0;
  int16_t prev[4] = {0, 0, 0, 0};
  std::string line;
  for (const char *p = text;; p++) {
    if (*p == '\n' || *p == 0) {
      parse_line(line.c_str(), t, prev);
      line.clear();
      if (*p == 0)
        break;
    } else {
      line += *p;
    }
  }
}

int sym_load(const char *startfile, const char *endfile) {
  sym_free();
  auto *block = static_cast<SymShapeTable *>(std::calloc(2, sizeof(SymShapeTable)));
  if (!block)
    return 1;
  SymTables[0] = block;
  SymTables[1] = block + 1;
  if (read_file(startfile, SymTables[0]) != 0)
    return 2;
  return read_file(endfile, SymTables[1]);
}

int sym_free() {
  std::free(SymTables[0]);
  SymTables[0] = SymTables[1] = nullptr;
  NextIndex = 0;
  return 0;
}

int sym_next(SymIter *it) {
  if (!it)
    return 0;
  if (it->op == 0) {
    if (it->table == 0 || it->table == 1)
      CurTable = it->table;
    const SymShapeTable *t = SymTables[CurTable];
    if (!t)
      return 0;
    NextIndex = 0;
    return t->count > 0 ? 1 : 0;
  }
  if (it->op != 1)
    return 0;
  const SymShapeTable *t = SymTables[CurTable];
  if (!t || NextIndex >= t->count || NextIndex >= SYM_RECORDS)
    return 0;
  const SymShape &s = t->rec[NextIndex++];
  double arrowlen, circler;
  db_marksizes(&arrowlen, &circler);
  const double ls = arrowlen / 30, cs = circler / 10;
  auto place = [&](double gx, double gy, double scale, double *ox, double *oy) {
    const double x = (gx - 50) * scale, y = (gy - 50) * scale;
    *ox = it->x + x * it->cs - y * it->sn;
    *oy = it->y + x * it->sn + y * it->cs;
  };
  if (s.v[0] == -1) {
    it->kind = 1;
    place(s.v[1], s.v[2], cs, &it->v[0], &it->v[1]);
    it->v[2] = s.v[3] * cs;
  } else {
    it->kind = 0;
    place(s.v[0], s.v[1], ls, &it->v[0], &it->v[1]);
    place(s.v[2], s.v[3], ls, &it->v[2], &it->v[3]);
  }
  return 1;
}
