// The object block of a drawing file: prepared (the objects written into a temporary
// compound file) before a save sizes its space, appended behind the records, found
// and loaded again when the file is opened.
#include <windows.h>

#include <cstring>
#include <vector>

#include "database/store.h"
#include "files/olefmt.h"
#include "files/cfbcheck.h"
#include "files/oleblock.h"

OleBlockDocCalls OleBlockDoc;
int OleItemsLoading;
int (*OleBlockAppend)(const char *path, const char *data) = oleblk_append;

namespace {

void *saving; // the document whose block is prepared

void *docOf(int dwg) { return OleBlockDoc.doc && dwg >= 0 ? OleBlockDoc.doc(dwg) : nullptr; }

void forget() {
  if (const char *name = OleTempFileName(); name[0])
    DeleteFileA(name);
  const_cast<char *>(OleTempFileName())[0] = '\0';
  if (saving && OleBlockDoc.blocklen)
    *OleBlockDoc.blocklen(saving) = 0;
  saving = nullptr;
}

uint64_t fileLength(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &a))
    return 0;
  return (uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

} // namespace

int PrepareOleBlockSize(int dwg, uint32_t *size) {
  *size = 0;
  void *doc = docOf(dwg);
  if (!doc)
    return 1;
  uint32_t *len = OleBlockDoc.blocklen(doc);
  // A second save of the same document before the first one finished: same block.
  if (doc == saving && *len > 0 && OleTempFileName()[0]) {
    *size = *len;
    return 1;
  }
  forget();
  *len = 0;
  const char *temp = MakeOleTempFileName();
  DeleteFileA(temp);
  saving = doc;
  if (OleBlockDoc.items(doc) < 1)
    return 1;
  const uint32_t need = OleBlockDoc.save(doc, temp) ? oleblk_size(fileLength(temp)) : 0;
  if (need <= OLEBLK_HEADSIZE) {
    forget();
    return 0;
  }
  *len = need;
  *size = need;
  return 1;
}

uint32_t PrepareOleBlock(int dwg) {
  uint32_t size = 0;
  PrepareOleBlockSize(dwg, &size);
  return size;
}

int WriteOleBlock(int dwg, const char *path) {
  void *doc = docOf(dwg);
  int ok = 1;
  if (doc && doc == saving && *OleBlockDoc.blocklen(doc) > 0 && OleTempFileName()[0])
    ok = OleBlockAppend(path, OleTempFileName()) ? 1 : 0;
  forget();
  return ok;
}

void DeleteOleTempFile() { forget(); }

// The system's storage code can loop for good over a damaged compound file: the block
// is checked whole before it gets to see it.
static bool soundStorage(std::FILE *fp, uint32_t length) {
  const long at = std::ftell(fp);
  std::vector<uint8_t> bytes(length);
  const std::size_t got = std::fread(bytes.data(), 1, length, fp);
  return at >= 0 && cfb_check(bytes.data(), got) == CFB_OK && std::fseek(fp, at, SEEK_SET) == 0;
}

int ReadOleStorageBlock(std::FILE *fp, uint32_t length, const char *temp, int dwg) {
  void *doc = docOf(dwg);
  if (!doc || !soundStorage(fp, length) || !oleblk_copyout(fp, length, temp) || !OleBlockDoc.load(doc, temp))
    return 0;
  if (OleBlockDoc.repaint)
    OleBlockDoc.repaint(dwg);
  return 1;
}

int ReadOle1ObjectList(std::FILE *fp, uint32_t length, int dwg) {
  void *doc = docOf(dwg);
  if (!doc || !OleBlockDoc.addole1 || length < 4)
    return 0;
  std::vector<uint8_t> data(length);
  if (std::fread(data.data(), 1, length, fp) != length)
    return 0;
  OleItemsLoading = 1;
  const int r = OleBlockDoc.addole1(doc, data.data(), length);
  OleItemsLoading = 0;
  if (OleBlockDoc.repaint)
    OleBlockDoc.repaint(dwg);
  return r;
}

int ReadOleBlock(int dwg, const char *path) {
  if (!path || !*path)
    return 0;
  std::FILE *fp = std::fopen(path, "rb");
  if (!fp)
    return 0;
  const int32_t count = dwg >= 0 && dwg < DB_COUNT ? int32_t(DbCtl[dwg].count1) : 0;
  OleBlockFound found{};
  int r = 0;
  switch (oleblk_locate(fp, count, &found)) {
  case OLEBLK_NONE:
    r = 1;
    break;
  case OLEBLK_FOUND:
    if (std::fseek(fp, long(found.data), SEEK_SET) != 0)
      break;
    if (found.kind == OLEBLK_STORAGE) {
      char temp[MAX_PATH + 16] = "";
      MakeOleTempName(temp, sizeof temp);
      r = ReadOleStorageBlock(fp, found.length, temp, dwg);
      DeleteFileA(temp);
    } else {
      r = ReadOle1ObjectList(fp, found.length, dwg);
    }
    break;
  default:
    break;
  }
  std::fclose(fp);
  return r;
}
