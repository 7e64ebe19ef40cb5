#include "files/lzh.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int N = 4096;                        // ring size
constexpr int F = 60;                          // look-ahead
constexpr int THRESHOLD = 2;                   // longer matches are coded as matches
constexpr int NCHAR = 256 - THRESHOLD + F;     // 314 symbols: literals, then lengths 3..60
constexpr int T = NCHAR * 2 - 1;               // 627 tree nodes
constexpr int R = T - 1;                       // root
constexpr unsigned MAXFREQ = 0x8000;           // root frequency that triggers a rebuild
constexpr int NIL = N;                         // no tree node
constexpr int ROOTS = 4096;                    // match-tree roots
constexpr uint8_t FILL = ' ';

// Codes of the upper six bits of a match position: 1, 3, 8, 12, 24 and 16 values
// with codes of 3 to 8 bits, assigned in ascending order.
struct PosTables {
  uint8_t code[64]; // code, left-aligned in 8 bits
  uint8_t len[64];
  uint8_t dcode[256]; // value for the next 8 bits of the stream
  uint8_t dlen[256];
};

constexpr PosTables make_pos() {
  PosTables t{};
  const int count[6] = {1, 3, 8, 12, 24, 16};
  int v = 0, prefix = 0;
  for (int l = 3; l <= 8; l++)
    for (int k = 0; k < count[l - 3]; k++, v++) {
      t.code[v] = uint8_t(prefix);
      t.len[v] = uint8_t(l);
      for (int j = 0; j < 1 << (8 - l); j++) {
        t.dcode[prefix + j] = uint8_t(v);
        t.dlen[prefix + j] = uint8_t(l);
      }
      prefix += 1 << (8 - l);
    }
  return t;
}
constexpr PosTables Pos = make_pos();
static_assert(Pos.code[1] == 0x20 && Pos.code[4] == 0x50 && Pos.code[12] == 0x90 && Pos.code[63] == 0xff);

// Adaptive Huffman tree with the sibling property: nodes ordered by frequency,
// son[i] and son[i] + 1 the children of i (leaves are T + symbol).
struct Huff {
  unsigned freq[T + 1];
  int prnt[T + NCHAR];
  int son[T];

  void start() {
    for (int i = 0; i < NCHAR; i++) {
      freq[i] = 1;
      son[i] = i + T;
      prnt[i + T] = i;
    }
    for (int i = 0, j = NCHAR; j <= R; i += 2, j++) {
      freq[j] = freq[i] + freq[i + 1];
      son[j] = i;
      prnt[i] = prnt[i + 1] = j;
    }
    freq[T] = 0xffff; // sentinel above every frequency
    prnt[R] = 0;
  }

  // Halves the leaf frequencies (rounding up) and builds the tree again.
  void reconst() {
    int j = 0;
    for (int i = 0; i < T; i++)
      if (son[i] >= T) {
        freq[j] = (freq[i] + 1) / 2;
        son[j] = son[i];
        j++;
      }
    for (int i = 0, j = NCHAR; j < T; i += 2, j++) {
      unsigned f = freq[i] + freq[i + 1];
      int k = j - 1;
      while (f < freq[k])
        k--;
      k++;
      std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * (j - k));
      freq[k] = f;
      std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * (j - k));
      son[k] = i;
    }
    for (int i = 0; i < T; i++) {
      int k = son[i];
      if (k >= T)
        prnt[k] = i;
      else
        prnt[k] = prnt[k + 1] = i;
    }
  }

  void update(int c) {
    if (freq[R] == MAXFREQ)
      reconst();
    c = prnt[c + T];
    do {
      unsigned k = ++freq[c];
      int l = c + 1;
      if (k > freq[l]) {
        // Frequencies never decrease along the node order: the last node below k
        // is found by bisection, the same node a scan would reach.
        l = int(std::lower_bound(freq + l + 1, freq + T + 1, k) - freq) - 1;
        freq[c] = freq[l];
        freq[l] = k;
        int i = son[c];
        prnt[i] = l;
        if (i < T)
          prnt[i + 1] = l;
        int j = son[l];
        son[l] = i;
        prnt[j] = c;
        if (j < T)
          prnt[j + 1] = c;
        son[c] = j;
        c = l;
      }
    } while ((c = prnt[c]) != 0);
  }
};

// ---- encoder ----

struct BitOut {
  uint8_t *p;
  uint32_t n, cap;
  uint64_t acc;
  int bits;
  bool full;

  void byte(uint8_t b) {
    if (n < cap)
      p[n++] = b;
    else
      full = true;
  }
  void put(int len, uint64_t code) { // len <= 32, code right-aligned
    acc = (acc << len) | code;
    bits += len;
    while (bits >= 8) {
      bits -= 8;
      byte(uint8_t(acc >> bits));
    }
  }
  void flush() {
    if (bits > 0)
      byte(uint8_t(acc << (8 - bits)));
    bits = 0;
  }
};

struct Encoder {
  Huff h;
  uint8_t text[N + F - 1];
  int lson[N + 1], rson[N + 1 + ROOTS], dad[N + 1];
  int match_pos, match_len;
  BitOut out;

  void init_tree() {
    for (int i = N + 1; i <= N + ROOTS; i++)
      rson[i] = NIL;
    for (int i = 0; i < N; i++)
      dad[i] = NIL;
  }

  static int root(const uint8_t *key) {
    int k = key[1] ^ key[2];
    return N + 1 + key[0] + 256 * ((k >> 4) ^ (k & 15));
  }

  // Inserts the string at r and finds its longest match among the strings met
  // on the way; of equally long ones the nearest wins. A string equal over all
  // F bytes replaces the older node.
  void insert(int r) {
    const uint8_t *key = &text[r];
    int p = root(key);
    int cmp = 1;
    rson[r] = lson[r] = NIL;
    match_len = 0;
    for (;;) {
      if (cmp >= 0) {
        if (rson[p] != NIL)
          p = rson[p];
        else {
          rson[p] = r;
          dad[r] = p;
          return;
        }
      } else {
        if (lson[p] != NIL)
          p = lson[p];
        else {
          lson[p] = r;
          dad[r] = p;
          return;
        }
      }
      int i = 1;
      for (; i < F; i++)
        if ((cmp = key[i] - text[p + i]) != 0)
          break;
      if (i > THRESHOLD) {
        int c = ((r - p) & (N - 1)) - 1;
        if (i > match_len) {
          match_pos = c;
          if ((match_len = i) >= F)
            break;
        } else if (i == match_len && c < match_pos)
          match_pos = c;
      }
    }
    dad[r] = dad[p];
    lson[r] = lson[p];
    rson[r] = rson[p];
    dad[lson[p]] = r;
    dad[rson[p]] = r;
    if (rson[dad[p]] == p)
      rson[dad[p]] = r;
    else
      lson[dad[p]] = r;
    dad[p] = NIL;
  }

  void remove(int p) {
    if (dad[p] == NIL)
      return;
    int q;
    if (rson[p] == NIL)
      q = lson[p];
    else if (lson[p] == NIL)
      q = rson[p];
    else {
      q = lson[p];
      if (rson[q] != NIL) {
        do
          q = rson[q];
        while (rson[q] != NIL);
        rson[dad[q]] = lson[q];
        dad[lson[q]] = dad[q];
        lson[q] = lson[p];
        dad[lson[p]] = q;
      }
      rson[q] = rson[p];
      dad[rson[p]] = q;
    }
    dad[q] = dad[p];
    if (rson[dad[p]] == p)
      rson[dad[p]] = q;
    else
      lson[dad[p]] = q;
    dad[p] = NIL;
  }

  void encode_char(int c) {
    // Path from the leaf up: odd nodes are the second child (bit 1). The tree's
    // depth stays below 22 while the root frequency is under 0x8000.
    uint64_t code = 0;
    int len = 0;
    for (int k = h.prnt[c + T]; k != R; k = h.prnt[k]) {
      code |= uint64_t(k & 1) << len;
      len++;
    }
    out.put(len, code);
    h.update(c);
  }

  void encode_pos(int pos) {
    int hi = pos >> 6;
    out.put(Pos.len[hi], Pos.code[hi] >> (8 - Pos.len[hi]));
    out.put(6, pos & 0x3f);
  }

  int run(const uint8_t *in, uint32_t inlen) {
    uint32_t ip = 0;
    h.start();
    init_tree();
    std::memset(text, FILL, sizeof text);
    int s = 0, r = N - F, len = 0;
    while (len < F && ip < inlen)
      text[r + len++] = in[ip++];
    for (int i = 1; i <= F; i++)
      insert(r - i);
    insert(r);
    do {
      if (match_len > len)
        match_len = len;
      if (match_len <= THRESHOLD) {
        match_len = 1;
        encode_char(text[r]);
      } else {
        encode_char(255 - THRESHOLD + match_len);
        encode_pos(match_pos);
      }
      if (out.full)
        return LZH_FULL;
      int last = match_len, i = 0;
      for (; i < last && ip < inlen; i++) {
        remove(s);
        uint8_t c = in[ip++];
        text[s] = c;
        if (s < F - 1)
          text[s + N] = c;
        s = (s + 1) & (N - 1);
        r = (r + 1) & (N - 1);
        insert(r);
      }
      while (i++ < last) {
        remove(s);
        s = (s + 1) & (N - 1);
        r = (r + 1) & (N - 1);
        if (--len)
          insert(r);
      }
    } while (len > 0);
    out.flush();
    return out.full ? LZH_FULL : LZH_OK;
  }
};

// ---- decoder ----

// Bits beyond the input read as 0; `extra` counts the zero bytes so supplied.
struct BitIn {
  const uint8_t *p;
  uint32_t n, pos, extra;
  uint64_t acc;
  int bits;

  void refill() {
    while (bits <= 56) {
      uint8_t b = 0;
      if (pos < n)
        b = p[pos++];
      else
        extra++;
      acc |= uint64_t(b) << (56 - bits);
      bits += 8;
    }
  }
  unsigned bit() {
    if (bits == 0)
      refill();
    unsigned b = unsigned(acc >> 63);
    acc <<= 1;
    bits--;
    return b;
  }
  unsigned take(int len) { // 1 <= len <= 8
    if (bits < len)
      refill();
    unsigned v = unsigned(acc >> (64 - len));
    acc <<= len;
    bits -= len;
    return v;
  }
  uint64_t used_bits() const { return (uint64_t(pos) + extra) * 8 - bits; }
};

struct Decoder {
  Huff h;
  BitIn in;

  int decode_char() {
    int c = h.son[R];
    while (c < T)
      c = h.son[c + int(in.bit())];
    c -= T;
    h.update(c);
    return c;
  }

  int decode_pos() {
    unsigned i = in.take(8);
    int hi = Pos.dcode[i], j = Pos.dlen[i];
    // Of the 8 bits taken, the first j code the upper part; the rest start the lower six.
    unsigned low = (i << (j - 2)) | in.take(j - 2);
    return (hi << 6) | int(low & 0x3f);
  }

  int run(uint8_t *out, uint32_t wanted, uint32_t *produced) {
    h.start();
    uint32_t count = 0;
    int rc = LZH_OK;
    while (count < wanted) {
      int c = decode_char();
      if (c < 256)
        out[count++] = uint8_t(c);
      else {
        uint32_t dist = uint32_t(decode_pos()) + 1;
        uint32_t len = uint32_t(c - 255 + THRESHOLD);
        if (len > wanted - count) {
          rc = LZH_CORRUPT;
          break;
        }
        uint8_t *dst = out + count;
        if (dist > count) {
          // Reaches back before the first byte: the ring's initial spaces.
          for (uint32_t k = 0; k < len; k++)
            dst[k] = count + k >= dist ? out[count + k - dist] : FILL;
        } else if (dist >= len)
          std::memcpy(dst, dst - dist, len);
        else {
          const uint8_t *src = dst - dist; // overlapping: repeats what it writes
          for (uint32_t k = 0; k < len; k++)
            dst[k] = src[k];
        }
        count += len;
      }
      if (in.extra && in.used_bits() > uint64_t(in.n) * 8) {
        rc = LZH_SHORT;
        break;
      }
    }
    *produced = count;
    if (rc == LZH_OK && (in.used_bits() + 7) / 8 != in.n)
      rc = LZH_CORRUPT;
    return rc;
  }
};

union State {
  State() {}
  Encoder enc;
  Decoder dec;
};
State St;

} // namespace

int lzh_encode(const uint8_t *in, uint8_t *out, uint32_t inlen, uint32_t outcap, uint32_t *outlen) {
  uint32_t dummy;
  if (!outlen)
    outlen = &dummy;
  *outlen = 0;
  if ((!in && inlen) || (!out && outcap))
    return LZH_ARGS;
  if (inlen == 0)
    return LZH_OK;
  Encoder &e = St.enc;
  e.out = BitOut{out, 0, outcap, 0, 0, false};
  int rc = e.run(in, inlen);
  *outlen = e.out.n;
  return rc;
}

int lzh_decode(const uint8_t *in, uint8_t *out, uint32_t inlen, uint32_t wanted, uint32_t *produced) {
  uint32_t dummy;
  if (!produced)
    produced = &dummy;
  *produced = 0;
  if ((!in && inlen) || (!out && wanted))
    return LZH_ARGS;
  if (wanted == 0)
    return inlen == 0 ? LZH_OK : LZH_CORRUPT;
  Decoder &d = St.dec;
  d.in = BitIn{in, inlen, 0, 0, 0, 0};
  return d.run(out, wanted, produced);
}
