#include "ole/nativedata.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/archive.h"
#include "framework/file.h"

static_assert(sizeof(int32_t) == 4 && sizeof(double) == 8, "stored widths");

void native_writehead(CArchive &ar, const NativeItemHead &head) {
  ar << CString(NATIVE_HEADER);
  ar << head.cx << head.cy;
  for (double v : head.rect)
    ar << v;
}

void native_readhead(CArchive &ar, NativeItemHead &head) {
  CString text;
  ar >> text;
  if (text.str() != NATIVE_HEADER)
    throw CKLException(KLX_BADNATIVE, 0);
  NativeItemHead h;
  ar >> h.cx >> h.cy;
  for (double &v : h.rect)
    ar >> v;
  head = h;
}

void native_writecont(CArchive &ar) { ar << CString(CONTAINER_HEADER) << CONTAINER_VERSION; }

void native_readcont(CArchive &ar) {
  CString text;
  uint32_t version;
  ar >> text >> version;
}

uint32_t native_readole1(CArchive &ar) {
  uint32_t length;
  ar >> length;
  if (length < OLE1_HEAD_SIZE)
    throw CKLException(KLX_BADNATIVE, 0);
  unsigned char head[OLE1_HEAD_SIZE];
  if (ar.Read(head, sizeof head) != sizeof head)
    AfxThrowArchiveException(CArchiveException::endOfFile);
  return length;
}

uint64_t CopyFileData(CFile &src, CFile &dst) {
  std::vector<unsigned char> buf(DOC_COPY_CHUNK);
  uint64_t total = 0;
  for (;;) {
    const unsigned n = src.Read(buf.data(), DOC_COPY_CHUNK);
    if (n == 0)
      return total;
    dst.Write(buf.data(), n);
    total += n;
  }
}

void native_putdrawing(CArchive &ar, const char *tmpPath, const std::function<int(const char *)> &save) {
  ar.Flush();
  // Whatever the engine left of a failed write goes with the failure.
  if (const int r = save(tmpPath); r != 0) {
    std::remove(tmpPath);
    throw CKLException(KLX_SAVEFAIL, r);
  }
  CFile tmp;
  CFileException error;
  if (!tmp.Open(tmpPath, CFile::modeRead | CFile::typeBinary, &error)) {
    std::remove(tmpPath);
    AfxThrowFileException(error.m_cause, error.m_lOsError, tmpPath);
  }
  try {
    CopyFileData(tmp, *ar.GetFile());
  } catch (...) {
    tmp.Abort();
    std::remove(tmpPath);
    throw;
  }
  tmp.Close();
  std::remove(tmpPath);
}

void native_getdrawing(CArchive &ar, const char *tmpPath) {
  ar.Flush();
  CFile tmp;
  CFileException error;
  if (!tmp.Open(tmpPath, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary, &error))
    AfxThrowFileException(error.m_cause, error.m_lOsError, tmpPath);
  try {
    CopyFileData(*ar.GetFile(), tmp);
    tmp.Close();
  } catch (...) {
    tmp.Abort();
    std::remove(tmpPath);
    throw;
  }
}
