// Native builds: the same contract over the C runtime, for the pure-logic tests.
#include <cstdlib>
#include <unordered_set>

#include "settings/heap.h"

namespace {
std::unordered_set<void *> *blocks = nullptr;
}

int hep_create() {
  if (!blocks)
    blocks = new std::unordered_set<void *>;
  return 1;
}

void hep_destroy() {
  if (!blocks)
    return;
  for (void *b : *blocks)
    std::free(b);
  delete blocks;
  blocks = nullptr;
}

void *hep_alloc(std::size_t size) {
  hep_create();
  void *b = std::calloc(1, size ? size : 1);
  if (b)
    blocks->insert(b);
  return b;
}

int hep_free(void *block) {
  if (!block || !blocks || !blocks->erase(block))
    return 0;
  std::free(block);
  return 1;
}
