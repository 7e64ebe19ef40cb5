// The object block behind a drawing file's records: where the search starts, the
// chain of blocks, and the older object list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/olefmt.h"
#include "files/sealfmt.h"
#include "files/sealread.h"

namespace {

void u32(std::string *s, uint32_t v) {
  uint8_t b[4];
  slf_put<uint32_t>(b, 0, v);
  s->append(reinterpret_cast<char *>(b), 4);
}
void lpstr(std::string *s, const char *v) {
  u32(s, uint32_t(std::strlen(v) + 1));
  s->append(v, std::strlen(v) + 1);
}
void block(std::string *s, uint32_t kind, const std::string &data) {
  u32(s, kind);
  u32(s, uint32_t(s->size() + 4 + data.size()));
  *s += data;
}

// An embedded object with native data and a metafile picture, as the older stream
// layout gives it.
std::string embeddedStream() {
  std::string s;
  u32(&s, 0x0501);
  u32(&s, 2);
  lpstr(&s, "Paint.Picture");
  lpstr(&s, "");
  lpstr(&s, "");
  u32(&s, 5);
  s += "NATIV";
  u32(&s, 0x0501);
  u32(&s, 5);
  lpstr(&s, "METAFILEPICT");
  u32(&s, 100);
  u32(&s, uint32_t(-50));
  u32(&s, 12);
  s += std::string(12, '\x11');
  return s;
}

std::string staticStream() {
  std::string s;
  u32(&s, 0x0501);
  u32(&s, 3);
  lpstr(&s, "DIB");
  u32(&s, 4);
  u32(&s, 4);
  u32(&s, 3);
  s += "abc";
  return s;
}

int find(const std::string &file, uint64_t start, OleBlockFound *f) {
  SlfMemory m{reinterpret_cast<const uint8_t *>(file.data()), file.size(), 0};
  return oleblk_find(slf_memsource(&m), file.size(), start, f);
}

} // namespace

TEST(OleBlock, HeaderBytesAndSize) {
  uint8_t b[8];
  oleblk_headput({3, 0x01020304}, b);
  const uint8_t want[8] = {3, 0, 0, 0, 4, 3, 2, 1};
  EXPECT_EQ(0, std::memcmp(b, want, 8));
  const OleBlockHead h = oleblk_headget(b);
  EXPECT_EQ(3u, h.kind);
  EXPECT_EQ(0x01020304u, h.end);
  EXPECT_EQ(108u, oleblk_size(100)); // header and data
  EXPECT_EQ(0u, oleblk_size(UINT32_MAX));
}

TEST(OleBlock, SearchStartsBehindTheRecords) {
  // A seal file carries 0 at byte 25; its own count places the block.
  std::vector<uint8_t> seal(SLF_HEADSIZE, 0);
  std::memcpy(seal.data() + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN);
  slf_put<int16_t>(seal.data(), SLF_OFF_VERSION, 1);
  slf_put<int32_t>(seal.data(), SLF_OFF_COUNT, 3);
  uint64_t start = 0;
  ASSERT_EQ(1, oleblk_start(seal.data(), seal.size(), 99, &start));
  EXPECT_EQ(256u + 80u * 3u, start);
  slf_put<int32_t>(seal.data(), SLF_OFF_COUNT, -1);
  EXPECT_EQ(0, oleblk_start(seal.data(), seal.size(), 0, &start));

  struct Case {
    uint8_t gen;
    int result;
    uint64_t start;
  } cases[] = {{0, 2, 0}, {3, 2, 0}, {4, 1, 1024 + 64 * 5}, {5, 1, 1024 + 64 * 5}, {6, 1, 1024 + 80 * 5}, {7, 1, 18432 + 80 * 5}};
  for (const Case &c : cases) {
    std::vector<uint8_t> head(32, 0);
    head[25] = c.gen;
    uint64_t s = 0;
    EXPECT_EQ(c.result, oleblk_start(head.data(), head.size(), 5, &s)) << int(c.gen);
    if (c.result == 1) {
      EXPECT_EQ(c.start, s) << int(c.gen);
    }
  }
  std::vector<uint8_t> shorthead(31, 0);
  EXPECT_EQ(0, oleblk_start(shorthead.data(), shorthead.size(), 5, &start));
}

TEST(OleBlock, ChainIsFollowedAndBrokenChainsEnd) {
  const std::string records(40, 'r');
  std::string good = records;
  block(&good, 7, "skipped");
  block(&good, 3, "compound");
  OleBlockFound f{};
  ASSERT_EQ(OLEBLK_FOUND, find(good, 40, &f));
  EXPECT_EQ(3u, f.kind);
  EXPECT_EQ(8u, f.length);
  EXPECT_EQ(good.size() - 8, std::size_t(f.data));
  EXPECT_EQ("compound", good.substr(f.data, f.length));

  std::string unknownOnly = records;
  block(&unknownOnly, 9, "x");

  auto head = [&](uint32_t kind, uint32_t end) {
    std::string s = records;
    u32(&s, kind);
    u32(&s, end);
    s += "data";
    return s;
  };
  std::string cut = records + std::string("\x03\0\0\0\x30", 5);
  struct Case {
    const char *what;
    std::string file;
    int result;
  } cases[] = {
      {"no block", records, OLEBLK_NONE},
      {"only an unknown kind", unknownOnly, OLEBLK_NONE},
      {"end before position", head(7, 10), OLEBLK_BAD},
      {"end at position", head(3, 40), OLEBLK_BAD},
      {"empty block", head(3, 48), OLEBLK_BAD},
      {"end past the file", head(3, 53), OLEBLK_BAD},
      {"short header", cut, OLEBLK_BAD},
      {"end is the file size", head(3, 52), OLEBLK_FOUND},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.result, find(c.file, 40, &f)) << c.what;
}

TEST(OleBlock, OlderStreamsAreMeasuredAndCutOnesRefused) {
  for (const std::string &s : {embeddedStream(), staticStream()}) {
    const auto *p = reinterpret_cast<const uint8_t *>(s.data());
    EXPECT_EQ(s.size(), ole1_streamlen(p, s.size() + 0));
    std::string more = s + "trailing";
    EXPECT_EQ(s.size(), ole1_streamlen(reinterpret_cast<const uint8_t *>(more.data()), more.size()));
    for (std::size_t n = 0; n < s.size(); ++n) {
      std::vector<uint8_t> part(p, p + n); // exact size, so an over-read shows
      EXPECT_EQ(0u, ole1_streamlen(part.data(), n)) << n;
    }
  }
}

TEST(OleBlock, ListEntriesInTheWrittenLayout) {
  const double r1[4] = {10, -10, 60, -40};
  const double r2[4] = {0, 0, 5, -5};
  const std::string a = embeddedStream(), b = staticStream();
  std::string list;
  ole1_entryput(&list, "KIVOLANTDOC#00-0", "StdFileEditing", reinterpret_cast<const uint8_t *>(a.data()), a.size(), r1, 2);
  ole1_entryput(&list, "KIVOLANTDOC#00-1", "Static", reinterpret_cast<const uint8_t *>(b.data()), b.size(), r2, 3);
  const auto *p = reinterpret_cast<const uint8_t *>(list.data());

  Ole1Entry e{};
  ASSERT_EQ(1, ole1_entry(p, list.size(), 0, &e));
  EXPECT_STREQ("KIVOLANTDOC#00-0", e.name);
  EXPECT_STREQ("StdFileEditing", e.protocol);
  EXPECT_EQ(a, list.substr(e.stream, e.streamLength));
  EXPECT_EQ(60.0, e.rect[2]);
  EXPECT_EQ(2, e.kind);
  ASSERT_EQ(1, ole1_entry(p, list.size(), e.next, &e));
  EXPECT_STREQ("Static", e.protocol);
  EXPECT_EQ(-5.0, e.rect[3]);
  EXPECT_EQ(3, e.kind);
  EXPECT_EQ(list.size(), e.next);

  // A name longer than its buffer, a wrong kind, a missing rectangle: refused.
  std::string longName;
  ole1_entryput(&longName, std::string(32, 'n').c_str(), "Static", reinterpret_cast<const uint8_t *>(b.data()), b.size(), r2, 3);
  EXPECT_EQ(0, ole1_entry(reinterpret_cast<const uint8_t *>(longName.data()), longName.size(), 0, &e));
  std::string badKind;
  ole1_entryput(&badKind, "n", "Static", reinterpret_cast<const uint8_t *>(b.data()), b.size(), r2, 4);
  EXPECT_EQ(0, ole1_entry(reinterpret_cast<const uint8_t *>(badKind.data()), badKind.size(), 0, &e));
  std::vector<uint8_t> cut(p, p + list.size() - 1);
  Ole1Entry first{};
  ASSERT_EQ(1, ole1_entry(cut.data(), cut.size(), 0, &first));
  EXPECT_EQ(0, ole1_entry(cut.data(), cut.size(), first.next, &e));
}

namespace {

std::string slurp(const std::string &path) {
  std::FILE *fp = std::fopen(path.c_str(), "rb");
  std::string s;
  if (!fp)
    return s;
  char b[4096];
  std::size_t n;
  while ((n = std::fread(b, 1, sizeof b, fp)) > 0)
    s.append(b, n);
  std::fclose(fp);
  return s;
}
void spit(const std::string &path, const std::string &bytes) {
  std::FILE *fp = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, fp);
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  std::fclose(fp);
}
std::string sealFile(int32_t count) {
  std::string h(SLF_HEADSIZE, '\0');
  std::memcpy(&h[SLF_OFF_MAGIC], SLF_MAGIC, SLF_MAGICLEN);
  slf_put<int16_t>(reinterpret_cast<uint8_t *>(&h[0]), SLF_OFF_VERSION, 1);
  slf_put<int32_t>(reinterpret_cast<uint8_t *>(&h[0]), SLF_OFF_COUNT, count);
  return h + std::string(std::size_t(SLF_RECSIZE) * std::size_t(count), 'r');
}

} // namespace

TEST(OleBlock, AppendedBlockIsFoundAndCopiedBack) {
  const std::string dir = ::testing::TempDir();
  const std::string file = dir + "oleblk.ksl", data = dir + "oleblk.stg", back = dir + "oleblk.out";
  const std::string seal = sealFile(2);
  std::string stg(40000, '\0'); // more than one chunk
  for (std::size_t i = 0; i < stg.size(); ++i)
    stg[i] = char(i * 7);
  spit(file, seal);
  spit(data, stg);

  std::FILE *fp = std::fopen(file.c_str(), "rb");
  OleBlockFound f{};
  EXPECT_EQ(OLEBLK_NONE, oleblk_locate(fp, 0, &f)); // no objects, no block
  std::fclose(fp);

  ASSERT_EQ(1, oleblk_append(file.c_str(), data.c_str()));
  const std::string all = slurp(file);
  ASSERT_EQ(seal.size() + 8 + stg.size(), all.size());
  EXPECT_EQ(seal, all.substr(0, seal.size()));
  const OleBlockHead h = oleblk_headget(reinterpret_cast<const uint8_t *>(all.data()) + seal.size());
  EXPECT_EQ(3u, h.kind);
  EXPECT_EQ(all.size(), std::size_t(h.end));

  fp = std::fopen(file.c_str(), "rb");
  ASSERT_EQ(OLEBLK_FOUND, oleblk_locate(fp, 0, &f));
  EXPECT_EQ(256u + 160u + 8u, f.data);
  ASSERT_EQ(0, std::fseek(fp, long(f.data), SEEK_SET));
  ASSERT_EQ(1, oleblk_copyout(fp, f.length, back.c_str()));
  std::fclose(fp);
  EXPECT_EQ(stg, slurp(back));

  // Nothing to append from, or nowhere to append to: refused, the file as it was.
  EXPECT_EQ(0, oleblk_append(file.c_str(), (dir + "missing.stg").c_str()));
  EXPECT_EQ(0, oleblk_append((dir + "nofolder/x.ksl").c_str(), data.c_str()));
  EXPECT_EQ(all, slurp(file));
  EXPECT_EQ(0, oleblk_copyout(nullptr, 4, back.c_str()));
}

TEST(OleBlock, JoinPath) {
  char out[16];
  struct Case {
    const char *folder, *name, *want;
  } cases[] = {{"C:\\w", "KlOLE.$$$", "C:\\w\\KlOLE.$$$"}, {"C:\\w\\", "a", "C:\\w\\a"}, {"", "a", nullptr},
               {"C:", "", nullptr},                        {nullptr, "a", nullptr},     {"C:\\work", "KlOLE.$$$", nullptr}};
  for (const Case &c : cases) {
    const int ok = JoinPath(c.folder, c.name, out, sizeof out);
    EXPECT_EQ(c.want ? 1 : 0, ok) << (c.folder ? c.folder : "(null)");
    if (c.want && ok) {
      EXPECT_STREQ(c.want, out);
    }
  }
}
