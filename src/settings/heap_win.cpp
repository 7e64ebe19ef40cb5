#include <windows.h>

#include "settings/answers.h"
#include "settings/heap.h"

namespace {
HANDLE heap = nullptr;
}

int hep_create() {
  if (!heap)
    heap = HeapCreate(0, 1048576, 0);
  return heap ? 1 : 0;
}

void hep_destroy() {
  if (heap)
    HeapDestroy(heap);
  heap = nullptr;
}

void *hep_alloc(std::size_t size) {
  if (!hep_create())
    return nullptr;
  return HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
}

int hep_free(void *block) {
  if (!block)
    return 0;
  // A block of another heap is never freed here, also before this heap exists.
  if (!heap || !HeapValidate(heap, 0, block)) {
    UiQuestion q{};
    q.kind = UI_MSGBOX;
    q.heading = "KIVO LANT";
    q.text = "ヒープメモリを解放できません";
    q.flags = MB_OK;
    ui_ask(q, [](const UiQuestion &u) { return MessageBoxA(nullptr, u.text, u.heading, u.flags); });
    return 0;
  }
  return HeapFree(heap, 0, block) ? 1 : 0;
}
