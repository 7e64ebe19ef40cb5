// The engine's private heap: zero-filled blocks for the engine tables.
#pragma once

#include <cstddef>

int hep_create();                  // 1 when the heap exists, 0 when it cannot be created
void hep_destroy();                // destroys the heap if it exists
void *hep_alloc(std::size_t size); // zero-filled block, null on failure; creates the heap on first use
int hep_free(void *block);         // non-zero freed; 0 for null or a block not of this heap
