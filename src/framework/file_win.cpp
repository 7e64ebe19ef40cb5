// Plain files over the Win32 file handles.
#include <windows.h>

#include "framework/file.h"

namespace {

HANDLE h(void *file) { return static_cast<HANDLE>(file); }

[[noreturn]] void fail(const CString &name) {
  DWORD err = GetLastError();
  AfxThrowFileException(CFileException::OsErrorToException(long(err)), long(err), name);
}

} // namespace

bool CFile::Open(const char *fileName, unsigned openFlags, CFileException *error) {
  if (m_hFile)
    Close();
  DWORD access = (openFlags & 3) == modeWrite       ? GENERIC_WRITE
                 : (openFlags & 3) == modeReadWrite ? GENERIC_READ | GENERIC_WRITE
                                                    : GENERIC_READ;
  DWORD share;
  switch (openFlags & 0x70) {
  case shareExclusive:
    share = 0;
    break;
  case shareDenyWrite:
    share = FILE_SHARE_READ;
    break;
  case shareDenyRead:
    share = FILE_SHARE_WRITE;
    break;
  default: // compatibility mode shares as deny-none does
    share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    break;
  }
  DWORD disposition = (openFlags & modeCreate) ? ((openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS)
                                               : OPEN_EXISTING;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
  HANDLE file = CreateFileA(fileName, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    if (error)
      *error = CFileException(CFileException::OsErrorToException(long(err)), long(err), fileName);
    return false;
  }
  m_hFile = file;
  m_strFileName = fileName;
  return true;
}

uint64_t CFile::GetPosition() const {
  LARGE_INTEGER zero{}, pos{};
  if (!SetFilePointerEx(h(m_hFile), zero, &pos, FILE_CURRENT))
    fail(m_strFileName);
  return uint64_t(pos.QuadPart);
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
  LARGE_INTEGER off, pos{};
  off.QuadPart = offset;
  if (!SetFilePointerEx(h(m_hFile), off, &pos, from == begin ? FILE_BEGIN : from == current ? FILE_CURRENT : FILE_END))
    fail(m_strFileName);
  return uint64_t(pos.QuadPart);
}

void CFile::SetLength(uint64_t length) {
  uint64_t keep = GetPosition();
  Seek(int64_t(length), begin);
  if (!SetEndOfFile(h(m_hFile)))
    fail(m_strFileName);
  Seek(int64_t(keep < length ? keep : length), begin);
}

uint64_t CFile::GetLength() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h(m_hFile), &size))
    fail(m_strFileName);
  return uint64_t(size.QuadPart);
}

unsigned CFile::Read(void *buffer, unsigned count) {
  DWORD n = 0;
  if (count && !ReadFile(h(m_hFile), buffer, count, &n, nullptr))
    fail(m_strFileName);
  return n;
}

void CFile::Write(const void *buffer, unsigned count) {
  DWORD n = 0;
  if (count == 0)
    return;
  if (!WriteFile(h(m_hFile), buffer, count, &n, nullptr))
    fail(m_strFileName);
  if (n != count)
    AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

void CFile::Flush() {
  if (m_hFile && !FlushFileBuffers(h(m_hFile)))
    fail(m_strFileName);
}

void CFile::Close() {
  if (!m_hFile)
    return;
  HANDLE file = h(m_hFile);
  m_hFile = nullptr;
  if (!CloseHandle(file))
    fail(m_strFileName);
}

void CFile::Abort() {
  if (m_hFile)
    CloseHandle(h(m_hFile));
  m_hFile = nullptr;
}
