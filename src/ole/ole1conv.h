// Objects of the older list form of a drawing's object block, turned into compound
// storages the container loads.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Converts one older object stream (len bytes) into a new temporary storage that
// deletes itself on release, committed: S_OK and *out, else the failure and no
// storage.
HRESULT ole1_tostorage(const uint8_t *stream, std::size_t len, IStorage **out);

// Called for each converted object with its rectangle; the aspect is DVASPECT_CONTENT.
// Answers whether the object was taken.
using Ole1Sink = bool (*)(void *ctx, IStorage *stg, const double rect[4], DWORD aspect);

// Reads a kind-1 block's data (u32 count, then the objects as written): each object
// ole32 converts goes to sink; one it cannot convert, or the sink refuses, makes the
// result 0 but the next is still read; an object that cannot be read (a name longer
// than its buffer, a stream cut short) ends the list with 0. 1 when every object was
// taken. *taken counts them when not null.
int ole1_readlist(const uint8_t *data, std::size_t len, Ole1Sink sink, void *ctx, int *taken);

// Writes a storage's object as an older object stream into out (for the list form
// and its tests): S_OK, else the failure.
HRESULT ole1_fromstorage(IStorage *stg, std::string *out);
