// Files for archives and copies: CFile is a plain file of the system and the base of
// the others; CMemFile keeps its bytes in memory and grows by a set step. Failures
// throw CFileException (cause and system error), or CMemoryException when memory runs
// out. Seeks before the start are refused; a read past the end returns fewer bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/cstring.h"
#include "framework/except.h"
#include "framework/object.h"

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
public:
  // The values the OLE storage modes use too, so stream files take them unchanged.
  enum OpenFlags : unsigned {
    modeRead = 0,
    modeWrite = 1,
    modeReadWrite = 2,
    shareCompat = 0,
    shareExclusive = 0x10,
    shareDenyWrite = 0x20,
    shareDenyRead = 0x30,
    shareDenyNone = 0x40,
    modeNoInherit = 0x80,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : unsigned { begin = 0, current = 1, end = 2 };

  CFile() = default;
  // Opens or throws the file exception.
  CFile(const char *fileName, unsigned openFlags);
  ~CFile() override; // closes without throwing
  CFile(const CFile &) = delete;
  CFile &operator=(const CFile &) = delete;

  // FALSE with the cause and system error in *error (when given) on failure.
  virtual bool Open(const char *fileName, unsigned openFlags, CFileException *error = nullptr);
  virtual uint64_t GetPosition() const;
  virtual uint64_t Seek(int64_t offset, unsigned from);
  virtual void SetLength(uint64_t length);
  virtual uint64_t GetLength() const;
  virtual unsigned Read(void *buffer, unsigned count);
  virtual void Write(const void *buffer, unsigned count);
  virtual void Flush();
  virtual void Close();
  // Closes, ignoring failures.
  virtual void Abort();
  void SeekToBegin() { Seek(0, begin); }
  uint64_t SeekToEnd() { return Seek(0, end); }
  const CString &GetFilePath() const { return m_strFileName; }
  bool IsOpen() const { return m_hFile != nullptr; }

protected:
  void *m_hFile = nullptr; // the system's handle, null when closed
  CString m_strFileName;
};

class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
public:
  // An empty file whose block grows in steps of growBytes.
  explicit CMemFile(unsigned growBytes = 1024);
  // Over a caller's block of size bytes (its current contents are the file); with
  // growBytes 0 it never grows, and writing past its end throws the memory exception.
  CMemFile(unsigned char *buffer, size_t size, unsigned growBytes = 0);
  ~CMemFile() override;

  void Attach(unsigned char *buffer, size_t size, unsigned growBytes = 0);
  // Hands the block out (the caller frees it as it was allocated); the file is empty.
  unsigned char *Detach();

  bool Open(const char *, unsigned, CFileException *error = nullptr) override;
  uint64_t GetPosition() const override { return m_nPosition; }
  uint64_t Seek(int64_t offset, unsigned from) override;
  void SetLength(uint64_t length) override;
  uint64_t GetLength() const override { return m_nFileSize; }
  unsigned Read(void *buffer, unsigned count) override;
  void Write(const void *buffer, unsigned count) override;
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

protected:
  virtual unsigned char *Alloc(size_t bytes);
  virtual unsigned char *Realloc(unsigned char *block, size_t bytes);
  virtual void Free(unsigned char *block);
  // The block holds at least newLength bytes afterwards.
  void GrowFile(size_t newLength);

  size_t m_nGrowBytes;
  size_t m_nPosition = 0;
  size_t m_nBufferSize = 0;
  size_t m_nFileSize = 0;
  unsigned char *m_lpBuffer = nullptr;
  bool m_bAutoDelete = true; // the block is the file's own
};
