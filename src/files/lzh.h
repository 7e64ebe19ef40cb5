// In-memory LZ/Huffman codec for blocks of element data: LZSS over a 4096-byte
// ring pre-filled with spaces, matches of 3 to 60 bytes, then adaptive Huffman
// coding of 314 symbols. The stream carries no length: the caller keeps the
// uncompressed length and hands it to the decoder.
// The codec state is global: one encode or decode runs at a time.
#pragma once

#include <cstdint>

enum : int {
  LZH_OK = 0,
  LZH_FULL = 1,    // the output buffer is too small (nothing written past it)
  LZH_SHORT = 2,   // the stream ends before the wanted length is produced
  LZH_CORRUPT = 3, // a match runs past the wanted length, or bytes are left over
  LZH_ARGS = 4,    // a null buffer with a non-zero length
};

// Compresses inlen bytes of in into out, which holds outcap bytes. 0 and the
// stream's length in *outlen; LZH_FULL when the stream does not fit (*outlen then
// counts the bytes written, all inside outcap). Empty input gives an empty stream.
int lzh_encode(const uint8_t *in, uint8_t *out, uint32_t inlen, uint32_t outcap, uint32_t *outlen);

// Expands the stream in[0..inlen) into exactly wanted bytes of out (which holds
// wanted bytes). 0 when the stream gives exactly those bytes and is used up;
// otherwise LZH_SHORT or LZH_CORRUPT. *produced counts the bytes written either way.
int lzh_decode(const uint8_t *in, uint8_t *out, uint32_t inlen, uint32_t wanted, uint32_t *produced);

// An output size that always holds the stream of inlen bytes (no code is longer
// than 21 bits, so 3 bytes per input byte and the flush suffice).
inline uint64_t lzh_bound(uint32_t inlen) { return uint64_t(inlen) * 3 + 8; }
