// The data dump over any record and an edited dump label file: the first 80 bytes are
// the record, the rest the label file. Every line must end inside its 80 bytes; the
// sanitizers tell of reads of values no label was given.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/view/dump.h"
#include "settings/msgfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  if (size < sizeof(ElementRecord))
    return 0;
  ElementRecord r;
  std::memcpy(&r, data, sizeof r);
  dmp_msgloadbuf(0, reinterpret_cast<const char *>(data) + sizeof r, size - sizeof r);
  DumpLines out;
  DumpLinks links;
  dmp_elemlines(r, out, links);
  for (auto &line : out.text)
    if (!std::memchr(line, 0, DMP_LINESIZE))
      std::abort();
  char line[DMP_LINESIZE];
  dmp_listline(10000, r, DMP_ALLKINDS, line);
  if (!std::memchr(line, 0, DMP_LINESIZE))
    std::abort();
  const std::string typed(reinterpret_cast<const char *>(data) + 20, 60);
  int32_t v;
  dmp_number(typed.c_str(), 10000, &v);
  dmp_msgload(2, nullptr);
  return 0;
}
