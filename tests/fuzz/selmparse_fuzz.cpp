// A choice bar's item text (from the message file) and its key string: the part before
// the first NUL is the text, the rest the keys. Every item stays a terminated text
// within its slot.
#include "select/popup.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string all(reinterpret_cast<const char *>(data), size);
  const size_t cut = all.find('\0');
  const std::string text = all.substr(0, cut);
  const std::string keys = cut == std::string::npos ? "" : all.substr(cut + 1);
  for (bool titled : {true, false}) {
    SelMenuParts p;
    if (selm_parse(text.c_str(), keys.c_str(), titled, &p) != 0)
      continue;
    if (p.count < 1 || p.count > SELM_MAXITEMS - 1 || std::strlen(p.keys) != static_cast<size_t>(p.count))
      abort();
    if (std::strlen(p.title) > SELM_TITLEMAX)
      abort();
    for (int i = 0; i < p.count; i++)
      if (std::strlen(p.items[i]) >= SELM_SLOT)
        abort();
  }
  return 0;
}
