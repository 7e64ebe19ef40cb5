#include "framework/file.h"

#include <cstdlib>
#include <cstring>
#include <limits>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

CFile::CFile(const char *fileName, unsigned openFlags) {
  CFileException e;
  if (!Open(fileName, openFlags, &e))
    throw e;
}

CFile::~CFile() {
  if (m_hFile)
    Abort();
}

CMemFile::CMemFile(unsigned growBytes) : m_nGrowBytes(growBytes) {}

CMemFile::CMemFile(unsigned char *buffer, size_t size, unsigned growBytes) : m_nGrowBytes(growBytes) {
  Attach(buffer, size, growBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(unsigned char *buffer, size_t size, unsigned growBytes) {
  Close();
  m_lpBuffer = buffer;
  m_nBufferSize = size;
  m_nFileSize = growBytes == 0 ? size : 0;
  m_nGrowBytes = growBytes;
  m_nPosition = 0;
  m_bAutoDelete = false;
}

unsigned char *CMemFile::Detach() {
  unsigned char *block = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  return block;
}

bool CMemFile::Open(const char *, unsigned, CFileException *error) {
  if (error)
    *error = CFileException(CFileException::genericException);
  return false;
}

uint64_t CMemFile::Seek(int64_t offset, unsigned from) {
  int64_t base = from == begin ? 0 : from == current ? int64_t(m_nPosition) : int64_t(m_nFileSize);
  if ((offset < 0 && base + offset < 0) || (offset > 0 && offset > std::numeric_limits<int64_t>::max() - base))
    AfxThrowFileException(CFileException::badSeek);
  uint64_t pos = uint64_t(base + offset);
  if (pos > std::numeric_limits<size_t>::max())
    AfxThrowFileException(CFileException::badSeek);
  m_nPosition = size_t(pos);
  return m_nPosition;
}

void CMemFile::SetLength(uint64_t length) {
  if (length > std::numeric_limits<size_t>::max())
    AfxThrowMemoryException();
  if (length > m_nBufferSize)
    GrowFile(size_t(length));
  if (length > m_nFileSize)
    std::memset(m_lpBuffer + m_nFileSize, 0, size_t(length) - m_nFileSize);
  m_nFileSize = size_t(length);
  if (m_nPosition > m_nFileSize)
    m_nPosition = m_nFileSize;
}

unsigned CMemFile::Read(void *buffer, unsigned count) {
  if (count == 0 || m_nPosition >= m_nFileSize)
    return 0;
  size_t n = m_nFileSize - m_nPosition < count ? m_nFileSize - m_nPosition : count;
  std::memcpy(buffer, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return unsigned(n);
}

void CMemFile::Write(const void *buffer, unsigned count) {
  if (count == 0)
    return;
  if (count > std::numeric_limits<size_t>::max() - m_nPosition)
    AfxThrowMemoryException();
  size_t endPos = m_nPosition + count;
  if (endPos > m_nBufferSize)
    GrowFile(endPos);
  // A write after a seek past the end leaves zeros in the gap.
  if (m_nPosition > m_nFileSize)
    std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, buffer, count);
  m_nPosition = endPos;
  if (m_nPosition > m_nFileSize)
    m_nFileSize = m_nPosition;
}

void CMemFile::GrowFile(size_t newLength) {
  if (newLength <= m_nBufferSize)
    return;
  if (m_nGrowBytes == 0)
    AfxThrowMemoryException();
  size_t steps = newLength / m_nGrowBytes + (newLength % m_nGrowBytes != 0);
  if (steps > std::numeric_limits<size_t>::max() / m_nGrowBytes)
    AfxThrowMemoryException();
  size_t newSize = steps * m_nGrowBytes;
  unsigned char *block = m_lpBuffer ? Realloc(m_lpBuffer, newSize) : Alloc(newSize);
  if (!block)
    AfxThrowMemoryException();
  m_lpBuffer = block;
  m_nBufferSize = newSize;
}

void CMemFile::Close() {
  if (m_lpBuffer && m_bAutoDelete)
    Free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
}

unsigned char *CMemFile::Alloc(size_t bytes) { return static_cast<unsigned char *>(std::malloc(bytes)); }

unsigned char *CMemFile::Realloc(unsigned char *block, size_t bytes) {
  return static_cast<unsigned char *>(std::realloc(block, bytes));
}

void CMemFile::Free(unsigned char *block) { std::free(block); }
