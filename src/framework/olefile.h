// Files over OLE and global memory: CSharedFile keeps its bytes in a movable global
// block (the form clipboard data takes); COleStreamFile reads and writes an IStream,
// such as a named stream of a compound file. Whether an archive's file is a stream:
// GetFile()->IsKindOf(RUNTIME_CLASS(COleStreamFile)).
#pragma once

#include <windows.h>
#include <objidl.h>

#include "framework/file.h"

class CSharedFile : public CMemFile {
  DECLARE_DYNAMIC(CSharedFile)
public:
  explicit CSharedFile(UINT allocFlags = GMEM_MOVEABLE, UINT growBytes = 4096);
  ~CSharedFile() override;

  // Hands the block out, cut to the bytes written; the file is empty afterwards.
  HGLOBAL Detach();
  // Works on an existing block: its bytes are the file; with allowGrow FALSE the
  // block is never reallocated (writing past its end throws the memory exception).
  void SetHandle(HGLOBAL block, BOOL allowGrow = TRUE);
  void Close() override;

protected:
  unsigned char *Alloc(size_t bytes) override;
  unsigned char *Realloc(unsigned char *block, size_t bytes) override;
  void Free(unsigned char *block) override;

  UINT m_nAllocFlags;
  HGLOBAL m_hGlobalMemory = nullptr;
};

class COleStreamFile : public CFile {
  DECLARE_DYNAMIC(COleStreamFile)
public:
  // Takes over the caller's reference of the stream (when given).
  explicit COleStreamFile(IStream *stream = nullptr);
  ~COleStreamFile() override; // releases the stream

  // Takes over the caller's reference; Detach hands it back.
  void Attach(IStream *stream);
  IStream *Detach();
  IStream *GetStream() const { return m_lpStream; }

  // The named stream of a storage (name in the ANSI code page); flags are the
  // CFile mode and share flags (a stream of a compound file needs shareExclusive).
  // FALSE with the cause and the SCODE in *error on failure.
  BOOL OpenStream(IStorage *storage, const char *name, DWORD openFlags = modeReadWrite | shareExclusive,
                  CFileException *error = nullptr);
  BOOL CreateStream(IStorage *storage, const char *name,
                    DWORD openFlags = modeReadWrite | shareExclusive | modeCreate, CFileException *error = nullptr);
  // A new stream in global memory.
  BOOL CreateMemoryStream(CFileException *error = nullptr);

  bool Open(const char *, unsigned, CFileException *error = nullptr) override;
  uint64_t GetPosition() const override;
  uint64_t Seek(int64_t offset, unsigned from) override;
  void SetLength(uint64_t length) override;
  uint64_t GetLength() const override;
  unsigned Read(void *buffer, unsigned count) override;
  void Write(const void *buffer, unsigned count) override;
  // Commits the stream.
  void Flush() override;
  void Close() override;
  void Abort() override;

  // A file exception for an SCODE of the storage functions (m_lOsError is the SCODE).
  static CFileException ExceptionOf(HRESULT sc, const char *name = nullptr);

protected:
  IStream *m_lpStream = nullptr;
};
