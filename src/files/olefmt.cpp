#include "files/olefmt.h"

#include <cstring>
#include <vector>

#include "files/sealfmt.h"

void oleblk_headput(const OleBlockHead &h, uint8_t *out) {
  slf_put<uint32_t>(out, 0, h.kind);
  slf_put<uint32_t>(out, 4, h.end);
}

OleBlockHead oleblk_headget(const uint8_t *in) { return {slf_get<uint32_t>(in, 0), slf_get<uint32_t>(in, 4)}; }

uint32_t oleblk_size(uint64_t len) {
  const uint64_t all = len + OLEBLK_HEADSIZE;
  return all > UINT32_MAX ? 0 : uint32_t(all);
}

int oleblk_start(const uint8_t *head, std::size_t n, int32_t count, uint64_t *start) {
  if (n >= std::size_t(SLF_HEADSIZE) && std::memcmp(head + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN) == 0 &&
      slf_get<int16_t>(head, SLF_OFF_VERSION) == 1) {
    const int32_t own = slf_get<int32_t>(head, SLF_OFF_COUNT);
    if (own < 0 || own > SLF_MAXELM)
      return 0;
    *start = uint64_t(SLF_HEADSIZE) + uint64_t(SLF_RECSIZE) * uint64_t(own);
    return 1;
  }
  if (n < 32)
    return 0;
  if (count < 0)
    count = 0;
  const uint8_t gen = head[25];
  if (gen < 4)
    return 2;
  if (gen <= 5)
    *start = 1024 + 64 * uint64_t(count);
  else if (gen == 6)
    *start = 1024 + 80 * uint64_t(count);
  else
    *start = 18432 + 80 * uint64_t(count);
  return 1;
}

int oleblk_find(SlfSource src, uint64_t size, uint64_t start, OleBlockFound *found) {
  uint64_t pos = start;
  for (;;) {
    if (pos >= size)
      return OLEBLK_NONE;
    if (pos + OLEBLK_HEADSIZE > size || pos > UINT32_MAX)
      return OLEBLK_BAD;
    if (src.seek(src.ctx, uint32_t(pos)) != 0)
      return OLEBLK_BAD;
    uint8_t raw[OLEBLK_HEADSIZE];
    if (src.read(src.ctx, raw, OLEBLK_HEADSIZE) != long(OLEBLK_HEADSIZE))
      return OLEBLK_BAD;
    const OleBlockHead h = oleblk_headget(raw);
    // The end must lie behind at least one byte of data and inside the file.
    if (uint64_t(h.end) <= pos + OLEBLK_HEADSIZE || uint64_t(h.end) > size)
      return OLEBLK_BAD;
    if (h.kind == OLEBLK_STORAGE || h.kind == OLEBLK_OLE1) {
      found->kind = h.kind;
      found->data = uint32_t(pos + OLEBLK_HEADSIZE);
      found->length = uint32_t(h.end - (pos + OLEBLK_HEADSIZE));
      return OLEBLK_FOUND;
    }
    pos = h.end;
  }
}

namespace {

// Bounds-checked cursor over a stream.
struct Cursor {
  const uint8_t *p;
  std::size_t size;
  std::size_t pos;
  bool ok = true;

  uint32_t u32() {
    if (!ok || size - pos < 4) {
      ok = false;
      return 0;
    }
    const uint32_t v = slf_get<uint32_t>(p, pos);
    pos += 4;
    return v;
  }
  void skip(uint64_t n) {
    if (!ok || n > size - pos) {
      ok = false;
      return;
    }
    pos += std::size_t(n);
  }
  // A length-prefixed string whose length counts its terminator; copied into buf
  // when given (cap bytes), which it must fit with the terminator inside.
  bool str(char *buf, std::size_t cap) {
    const uint32_t len = u32();
    if (!ok || len > size - pos)
      return ok = false;
    if (buf) {
      if (len == 0) {
        buf[0] = 0;
      } else {
        if (len > cap || p[pos + len - 1] != 0)
          return ok = false;
        std::memcpy(buf, p + pos, len);
      }
    }
    pos += len;
    return true;
  }
};

bool isStandard(const char *cls) {
  return std::strcmp(cls, "METAFILEPICT") == 0 || std::strcmp(cls, "BITMAP") == 0 || std::strcmp(cls, "DIB") == 0;
}

// Width, height, a u32 size and that many bytes.
void sizedPicture(Cursor &c) {
  c.u32();
  c.u32();
  c.skip(c.u32());
}

void presentation(Cursor &c) {
  c.u32(); // version
  const uint32_t fmt = c.u32();
  if (!c.ok || fmt == 0)
    return;
  if (fmt != 5) {
    c.ok = false;
    return;
  }
  char cls[64];
  if (!c.str(cls, sizeof cls))
    return;
  if (isStandard(cls)) {
    sizedPicture(c);
    return;
  }
  // Any other clipboard format: a format number or its name, then sized data.
  const uint32_t marker = c.u32();
  if (marker == 0xFFFFFFFFu || marker == 0xFFFFFFFEu)
    c.u32();
  else
    c.skip(marker);
  c.skip(c.u32());
}

} // namespace

std::size_t ole1_streamlen(const uint8_t *data, std::size_t size) {
  Cursor c{data, size, 0};
  c.u32(); // version
  const uint32_t fmt = c.u32();
  if (!c.ok)
    return 0;
  switch (fmt) {
  case 1: // linked: class, topic, item, network name, reserved, update option
    c.str(nullptr, 0);
    c.str(nullptr, 0);
    c.str(nullptr, 0);
    c.str(nullptr, 0);
    c.u32();
    c.u32();
    presentation(c);
    break;
  case 2: // embedded: class, topic, item, native data
    c.str(nullptr, 0);
    c.str(nullptr, 0);
    c.str(nullptr, 0);
    c.skip(c.u32());
    presentation(c);
    break;
  case 3: { // static picture: its class and the picture
    char cls[64];
    if (c.str(cls, sizeof cls) && isStandard(cls))
      sizedPicture(c);
    else
      c.ok = false;
    break;
  }
  default:
    return 0;
  }
  return c.ok ? c.pos : 0;
}

int ole1_entry(const uint8_t *data, std::size_t size, std::size_t pos, Ole1Entry *e) {
  if (pos > size)
    return 0;
  Cursor c{data, size, pos};
  if (!c.str(e->name, sizeof e->name) || !c.str(e->protocol, sizeof e->protocol))
    return 0;
  e->stream = c.pos;
  e->streamLength = ole1_streamlen(data + c.pos, size - c.pos);
  if (e->streamLength == 0)
    return 0;
  c.skip(e->streamLength);
  if (!c.ok || size - c.pos < 36)
    return 0;
  for (int i = 0; i < 4; ++i)
    e->rect[i] = slf_get<double>(data, c.pos + 8 * std::size_t(i));
  e->kind = slf_get<int32_t>(data, c.pos + 32);
  if (e->kind < 1 || e->kind > 3)
    return 0;
  e->next = c.pos + 36;
  return 1;
}

void ole1_entryput(std::string *out, const char *name, const char *protocol, const uint8_t *stream, std::size_t len,
                   const double rect[4], int32_t kind) {
  uint8_t w[8];
  for (const char *s : {name, protocol}) {
    const uint32_t n = uint32_t(std::strlen(s) + 1);
    slf_put<uint32_t>(w, 0, n);
    out->append(reinterpret_cast<const char *>(w), 4);
    out->append(s, n);
  }
  out->append(reinterpret_cast<const char *>(stream), len);
  for (int i = 0; i < 4; ++i) {
    slf_put<double>(w, 0, rect[i]);
    out->append(reinterpret_cast<const char *>(w), 8);
  }
  slf_put<int32_t>(w, 0, kind);
  out->append(reinterpret_cast<const char *>(w), 4);
}

int JoinPath(const char *folder, const char *name, char *out, std::size_t cap) {
  if (!folder || !*folder || !name || !*name || !out || cap == 0)
    return 0;
  const std::size_t fl = std::strlen(folder), nl = std::strlen(name);
  const bool sep = folder[fl - 1] != '\\';
  if (fl + (sep ? 1 : 0) + nl + 1 > cap)
    return 0;
  std::memcpy(out, folder, fl);
  std::size_t at = fl;
  if (sep)
    out[at++] = '\\';
  std::memcpy(out + at, name, nl + 1);
  return 1;
}

namespace {

constexpr std::size_t CHUNK = 16384;

struct File {
  std::FILE *fp;
  ~File() {
    if (fp)
      std::fclose(fp);
  }
};

} // namespace

int oleblk_append(const char *path, const char *data) {
  if (!path || !*path || !data || !*data)
    return 0;
  File in{std::fopen(data, "rb")};
  if (!in.fp)
    return 0;
  File out{std::fopen(path, "r+b")};
  if (!out.fp || std::fseek(out.fp, 0, SEEK_END) != 0)
    return 0;
  const long at = std::ftell(out.fp);
  if (at < 0)
    return 0;
  uint8_t head[OLEBLK_HEADSIZE];
  oleblk_headput({OLEBLK_STORAGE, 0}, head);
  if (std::fwrite(head, 1, sizeof head, out.fp) != sizeof head)
    return 0;
  uint64_t end = uint64_t(at) + OLEBLK_HEADSIZE;
  std::vector<uint8_t> buf(CHUNK);
  for (;;) {
    const std::size_t n = std::fread(buf.data(), 1, CHUNK, in.fp);
    if (n > 0 && std::fwrite(buf.data(), 1, n, out.fp) != n)
      return 0;
    end += n;
    if (end > UINT32_MAX)
      return 0;
    if (n < CHUNK) {
      if (std::ferror(in.fp))
        return 0;
      break;
    }
  }
  oleblk_headput({OLEBLK_STORAGE, uint32_t(end)}, head);
  if (std::fseek(out.fp, at, SEEK_SET) != 0 || std::fwrite(head, 1, sizeof head, out.fp) != sizeof head)
    return 0;
  const int closed = std::fclose(out.fp);
  out.fp = nullptr;
  return closed == 0 ? 1 : 0;
}

int oleblk_locate(std::FILE *fp, int32_t count, OleBlockFound *found) {
  if (!fp || std::fseek(fp, 0, SEEK_END) != 0)
    return OLEBLK_BAD;
  const long size = std::ftell(fp);
  if (size < 0 || std::fseek(fp, 0, SEEK_SET) != 0)
    return OLEBLK_BAD;
  uint8_t head[SLF_HEADSIZE];
  const std::size_t n = std::fread(head, 1, sizeof head, fp);
  uint64_t start = 0;
  switch (oleblk_start(head, n, count, &start)) {
  case 1:
    break;
  case 2:
    return OLEBLK_NONE;
  default:
    return OLEBLK_BAD;
  }
  return oleblk_find(slf_filesource(fp), uint64_t(size), start, found);
}

int oleblk_copyout(std::FILE *in, uint32_t count, const char *path) {
  if (!in || !path || !*path)
    return 0;
  File out{std::fopen(path, "wb")};
  if (!out.fp)
    return 0;
  std::vector<uint8_t> buf(CHUNK);
  while (count > 0) {
    const std::size_t want = count < CHUNK ? count : CHUNK;
    const std::size_t n = std::fread(buf.data(), 1, want, in);
    if (n > 0 && std::fwrite(buf.data(), 1, n, out.fp) != n)
      return 0;
    count -= uint32_t(n);
    if (n < want)
      break;
  }
  const int closed = std::fclose(out.fp);
  out.fp = nullptr;
  return closed == 0 ? 1 : 0;
}
