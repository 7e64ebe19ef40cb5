#include "framework/olefile.h"

#include <string>

IMPLEMENT_DYNAMIC(CSharedFile, CMemFile)
IMPLEMENT_DYNAMIC(COleStreamFile, CFile)

CSharedFile::CSharedFile(UINT allocFlags, UINT growBytes) : CMemFile(growBytes), m_nAllocFlags(allocFlags) {}

CSharedFile::~CSharedFile() { Close(); }

void CSharedFile::Close() {
  if (m_hGlobalMemory) {
    GlobalUnlock(m_hGlobalMemory);
    if (m_bAutoDelete)
      GlobalFree(m_hGlobalMemory);
  }
  m_hGlobalMemory = nullptr;
  m_lpBuffer = nullptr;
  CMemFile::Close();
}

HGLOBAL CSharedFile::Detach() {
  HGLOBAL block = m_hGlobalMemory;
  if (block) {
    GlobalUnlock(block);
    if (GlobalSize(block) != m_nFileSize && m_nFileSize > 0) {
      if (HGLOBAL cut = GlobalReAlloc(block, m_nFileSize, GMEM_MOVEABLE))
        block = cut;
    }
  } else {
    // Nothing written: an empty block, so that a caller never caches a null handle.
    block = GlobalAlloc(m_nAllocFlags, 0);
  }
  m_hGlobalMemory = nullptr;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
  return block;
}

void CSharedFile::SetHandle(HGLOBAL block, BOOL allowGrow) {
  Close();
  m_hGlobalMemory = block;
  m_lpBuffer = static_cast<unsigned char *>(GlobalLock(block));
  m_nBufferSize = m_nFileSize = m_lpBuffer ? GlobalSize(block) : 0;
  m_nPosition = 0;
  // The block stays the caller's: Close only unlocks it.
  m_bAutoDelete = false;
  if (!allowGrow)
    m_nGrowBytes = 0;
  else if (m_nGrowBytes == 0)
    m_nGrowBytes = 4096;
}

unsigned char *CSharedFile::Alloc(size_t bytes) {
  m_hGlobalMemory = GlobalAlloc(m_nAllocFlags, bytes);
  if (!m_hGlobalMemory)
    return nullptr;
  auto *p = static_cast<unsigned char *>(GlobalLock(m_hGlobalMemory));
  if (!p) {
    GlobalFree(m_hGlobalMemory);
    m_hGlobalMemory = nullptr;
  }
  return p;
}

unsigned char *CSharedFile::Realloc(unsigned char *, size_t bytes) {
  GlobalUnlock(m_hGlobalMemory);
  HGLOBAL grown = GlobalReAlloc(m_hGlobalMemory, bytes, GMEM_MOVEABLE);
  if (!grown) {
    // The old block stays the file's.
    GlobalLock(m_hGlobalMemory);
    return nullptr;
  }
  m_hGlobalMemory = grown;
  return static_cast<unsigned char *>(GlobalLock(grown));
}

void CSharedFile::Free(unsigned char *) {
  if (m_hGlobalMemory) {
    GlobalUnlock(m_hGlobalMemory);
    GlobalFree(m_hGlobalMemory);
  }
  m_hGlobalMemory = nullptr;
}

namespace {

std::wstring wide(const char *name) {
  int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, name, -1, w.data(), n);
  w.resize(wcslen(w.c_str()));
  return w;
}

// Only the access and share bits and STGM_CREATE mean anything to a stream.
DWORD streamMode(DWORD openFlags) { return openFlags & (0x3 | 0x70 | CFile::modeCreate); }

} // namespace

CFileException COleStreamFile::ExceptionOf(HRESULT sc, const char *name) {
  int cause;
  switch (sc) {
  case STG_E_FILENOTFOUND:
    cause = CFileException::fileNotFound;
    break;
  case STG_E_PATHNOTFOUND:
  case STG_E_INVALIDNAME:
    cause = CFileException::badPath;
    break;
  case STG_E_TOOMANYOPENFILES:
    cause = CFileException::tooManyOpenFiles;
    break;
  case STG_E_ACCESSDENIED:
  case STG_E_INVALIDFLAG:
    cause = CFileException::accessDenied;
    break;
  case STG_E_INVALIDHANDLE:
  case STG_E_INVALIDHEADER:
  case STG_E_DOCFILECORRUPT:
    cause = CFileException::invalidFile;
    break;
  case STG_E_SHAREVIOLATION:
    cause = CFileException::sharingViolation;
    break;
  case STG_E_LOCKVIOLATION:
    cause = CFileException::lockViolation;
    break;
  case STG_E_MEDIUMFULL:
  case STG_E_INSUFFICIENTMEMORY:
    cause = CFileException::diskFull;
    break;
  case STG_E_SEEKERROR:
    cause = CFileException::badSeek;
    break;
  case STG_E_READFAULT:
  case STG_E_WRITEFAULT:
    cause = CFileException::hardIO;
    break;
  default:
    cause = CFileException::genericException;
    break;
  }
  return CFileException(cause, long(sc), name);
}

COleStreamFile::COleStreamFile(IStream *stream) : m_lpStream(stream) {}

COleStreamFile::~COleStreamFile() { Abort(); }

void COleStreamFile::Attach(IStream *stream) {
  Abort();
  m_lpStream = stream;
}

IStream *COleStreamFile::Detach() {
  IStream *s = m_lpStream;
  m_lpStream = nullptr;
  return s;
}

BOOL COleStreamFile::OpenStream(IStorage *storage, const char *name, DWORD openFlags, CFileException *error) {
  Abort();
  IStream *s = nullptr;
  HRESULT sc = storage ? storage->OpenStream(wide(name).c_str(), nullptr, streamMode(openFlags) & ~modeCreate, 0, &s)
                       : E_INVALIDARG;
  if (FAILED(sc)) {
    if (error)
      *error = ExceptionOf(sc, name);
    return FALSE;
  }
  m_lpStream = s;
  m_strFileName = name;
  return TRUE;
}

BOOL COleStreamFile::CreateStream(IStorage *storage, const char *name, DWORD openFlags, CFileException *error) {
  Abort();
  IStream *s = nullptr;
  HRESULT sc =
      storage ? storage->CreateStream(wide(name).c_str(), streamMode(openFlags), 0, 0, &s) : E_INVALIDARG;
  if (FAILED(sc)) {
    if (error)
      *error = ExceptionOf(sc, name);
    return FALSE;
  }
  m_lpStream = s;
  m_strFileName = name;
  return TRUE;
}

BOOL COleStreamFile::CreateMemoryStream(CFileException *error) {
  Abort();
  IStream *s = nullptr;
  HRESULT sc = CreateStreamOnHGlobal(nullptr, TRUE, &s);
  if (FAILED(sc)) {
    if (error)
      *error = ExceptionOf(sc);
    return FALSE;
  }
  m_lpStream = s;
  return TRUE;
}

bool COleStreamFile::Open(const char *, unsigned, CFileException *error) {
  // A stream is opened from its storage (OpenStream), never by a path.
  if (error)
    *error = CFileException(CFileException::genericException);
  return false;
}

uint64_t COleStreamFile::GetPosition() const {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER pos{};
  HRESULT sc = m_lpStream->Seek(zero, STREAM_SEEK_CUR, &pos);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
  return pos.QuadPart;
}

uint64_t COleStreamFile::Seek(int64_t offset, unsigned from) {
  LARGE_INTEGER off;
  off.QuadPart = offset;
  ULARGE_INTEGER pos{};
  HRESULT sc = m_lpStream->Seek(off, from == begin ? STREAM_SEEK_SET : from == current ? STREAM_SEEK_CUR : STREAM_SEEK_END,
                                &pos);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
  return pos.QuadPart;
}

void COleStreamFile::SetLength(uint64_t length) {
  ULARGE_INTEGER size;
  size.QuadPart = length;
  HRESULT sc = m_lpStream->SetSize(size);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
}

uint64_t COleStreamFile::GetLength() const {
  STATSTG st{};
  HRESULT sc = m_lpStream->Stat(&st, STATFLAG_NONAME);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
  return st.cbSize.QuadPart;
}

unsigned COleStreamFile::Read(void *buffer, unsigned count) {
  ULONG n = 0;
  HRESULT sc = m_lpStream->Read(buffer, count, &n);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
  return n;
}

void COleStreamFile::Write(const void *buffer, unsigned count) {
  ULONG n = 0;
  HRESULT sc = m_lpStream->Write(buffer, count, &n);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
  if (n != count)
    throw CFileException(CFileException::diskFull, long(STG_E_MEDIUMFULL), m_strFileName);
}

void COleStreamFile::Flush() {
  HRESULT sc = m_lpStream->Commit(STGC_DEFAULT);
  if (FAILED(sc))
    throw ExceptionOf(sc, m_strFileName);
}

void COleStreamFile::Close() {
  if (m_lpStream)
    m_lpStream->Release();
  m_lpStream = nullptr;
}

void COleStreamFile::Abort() { Close(); }
