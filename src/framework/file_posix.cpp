// Plain files on a POSIX system: the native builds of the pure framework code.
#include "framework/file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fd(void *h) { return int(reinterpret_cast<intptr_t>(h)) - 1; }
void *handle(int fd) { return reinterpret_cast<void *>(intptr_t(fd) + 1); }

int causeOf(int err) {
  switch (err) {
  case ENOENT:
    return CFileException::fileNotFound;
  case ENOTDIR:
  case ENAMETOOLONG:
    return CFileException::badPath;
  case EMFILE:
  case ENFILE:
    return CFileException::tooManyOpenFiles;
  case EACCES:
  case EPERM:
  case EROFS:
  case EISDIR:
    return CFileException::accessDenied;
  case EBADF:
    return CFileException::invalidFile;
  case ENOSPC:
    return CFileException::diskFull;
  case EINVAL:
    return CFileException::badSeek;
  default:
    return CFileException::genericException;
  }
}

[[noreturn]] void fail(const CString &name) {
  int err = errno;
  AfxThrowFileException(causeOf(err), err, name);
}

} // namespace

bool CFile::Open(const char *fileName, unsigned openFlags, CFileException *error) {
  if (m_hFile)
    Close();
  int flags = (openFlags & 3) == modeWrite ? O_WRONLY : (openFlags & 3) == modeReadWrite ? O_RDWR : O_RDONLY;
  if (openFlags & modeCreate)
    flags |= O_CREAT | ((openFlags & modeNoTruncate) ? 0 : O_TRUNC);
  int f = ::open(fileName, flags | O_CLOEXEC, 0644);
  if (f < 0) {
    if (error)
      *error = CFileException(causeOf(errno), errno, fileName);
    return false;
  }
  m_hFile = handle(f);
  m_strFileName = fileName;
  return true;
}

uint64_t CFile::GetPosition() const {
  off_t pos = ::lseek(fd(m_hFile), 0, SEEK_CUR);
  if (pos < 0)
    fail(m_strFileName);
  return uint64_t(pos);
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
  off_t pos = ::lseek(fd(m_hFile), off_t(offset), from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END);
  if (pos < 0)
    fail(m_strFileName);
  return uint64_t(pos);
}

void CFile::SetLength(uint64_t length) {
  if (::ftruncate(fd(m_hFile), off_t(length)) != 0)
    fail(m_strFileName);
}

uint64_t CFile::GetLength() const {
  struct stat st;
  if (::fstat(fd(m_hFile), &st) != 0)
    fail(m_strFileName);
  return uint64_t(st.st_size);
}

unsigned CFile::Read(void *buffer, unsigned count) {
  ssize_t n = ::read(fd(m_hFile), buffer, count);
  if (n < 0)
    fail(m_strFileName);
  return unsigned(n);
}

void CFile::Write(const void *buffer, unsigned count) {
  const char *p = static_cast<const char *>(buffer);
  while (count > 0) {
    ssize_t n = ::write(fd(m_hFile), p, count);
    if (n <= 0)
      fail(m_strFileName);
    p += n;
    count -= unsigned(n);
  }
}

void CFile::Flush() {
  if (m_hFile && ::fsync(fd(m_hFile)) != 0 && errno != EINVAL)
    fail(m_strFileName);
}

void CFile::Close() {
  if (!m_hFile)
    return;
  int f = fd(m_hFile);
  m_hFile = nullptr;
  if (::close(f) != 0)
    fail(m_strFileName);
}

void CFile::Abort() {
  if (m_hFile)
    ::close(fd(m_hFile));
  m_hFile = nullptr;
}
