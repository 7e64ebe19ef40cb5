// A buffered archive over a file, in the byte form MFC archives use: numbers
// little-endian; strings with a length prefix (see operator<<(CString)); objects with
// class records: a new class is the tag 0xFFFF, the schema (u16), the name's length
// (u16) and the name; later objects of that class give 0x8000 | class index, and an
// object stored before gives its index (0 is a null object). Classes and objects share
// one index count from 1; an index of 0x7FFF or more is the tag 0x7FFF and a u32
// (0x80000000 | index for a class). Loading creates objects through the registry of
// serialisable classes (IMPLEMENT_SERIAL).
//
// Errors throw CArchiveException: endOfFile for a read past the end, badClass for a
// class not registered or not the one asked for, badSchema for a schema other than the
// program's, badIndex for a tag that names nothing loaded.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "framework/cstring.h"
#include "framework/except.h"
#include "framework/object.h"

class CDocument;
class CFile;

class CArchive {
public:
  enum Mode : unsigned { store = 0, load = 1, bNoFlushOnDelete = 2 };

  CArchive(CFile *file, unsigned mode, unsigned bufSize = 4096);
  // Closes (a storing archive writes what it holds) unless aborted or bNoFlushOnDelete;
  // a failure there is dropped: call Close to see it.
  ~CArchive();
  CArchive(const CArchive &) = delete;
  CArchive &operator=(const CArchive &) = delete;

  bool IsLoading() const { return (m_nMode & load) != 0; }
  bool IsStoring() const { return !IsLoading(); }
  CFile *GetFile() const { return m_pFile; }
  // Storing: the buffer goes to the file. Loading: the file is put back to the first
  // byte not yet read, so that a caller may go on reading the file itself.
  void Flush();
  // Flushes and lets go of the file (which stays open).
  void Close();
  // Lets go of the file without writing the buffer.
  void Abort();

  // Up to count bytes; fewer only at the end of the file.
  unsigned Read(void *buffer, unsigned count);
  void Write(const void *buffer, unsigned count);

  CArchive &operator<<(uint8_t v) { return WriteLE(v, 1); }
  CArchive &operator<<(uint16_t v) { return WriteLE(v, 2); }
  CArchive &operator<<(int16_t v) { return WriteLE(uint16_t(v), 2); }
  CArchive &operator<<(int32_t v) { return WriteLE(uint32_t(v), 4); }
  CArchive &operator<<(uint32_t v) { return WriteLE(v, 4); }
  CArchive &operator<<(double v);
  // Length below 255: one byte; below 0xFFFE: 0xFF and a u16; else 0xFF, 0xFFFF and a u32.
  CArchive &operator<<(const CString &s);
  CArchive &operator<<(const CObject *obj) { return WriteObject(obj), *this; }

  CArchive &operator>>(uint8_t &v) { return v = uint8_t(ReadLE(1)), *this; }
  CArchive &operator>>(uint16_t &v) { return v = uint16_t(ReadLE(2)), *this; }
  CArchive &operator>>(int16_t &v) { return v = int16_t(uint16_t(ReadLE(2))), *this; }
  CArchive &operator>>(int32_t &v) { return v = int32_t(uint32_t(ReadLE(4))), *this; }
  CArchive &operator>>(uint32_t &v) { return v = uint32_t(ReadLE(4)), *this; }
  CArchive &operator>>(double &v);
#ifdef _WIN32
  // LONG and DWORD are long types of 32 bits here.
  CArchive &operator<<(long v) { return WriteLE(uint32_t(v), 4); }
  CArchive &operator<<(unsigned long v) { return WriteLE(uint32_t(v), 4); }
  CArchive &operator>>(long &v) { return v = long(int32_t(uint32_t(ReadLE(4)))), *this; }
  CArchive &operator>>(unsigned long &v) { return v = static_cast<unsigned long>(ReadLE(4)), *this; }
#endif
  // Also takes wide strings (0xFF, 0xFFFE, then the length form in characters) and
  // converts them to Shift-JIS.
  CArchive &operator>>(CString &s);
  template <class T>
    requires std::is_base_of_v<CObject, T>
  CArchive &operator>>(T *&obj) {
    obj = static_cast<T *>(ReadObject(T::ThisClass()));
    return *this;
  }

  void WriteObject(const CObject *obj);
  // The next object: a new one (created and loaded), one loaded before, or null.
  // requested (when given) is the class the object must be of.
  CObject *ReadObject(const CRuntimeClass *requested);
  void WriteClass(const CRuntimeClass *cls);
  const CRuntimeClass *ReadClass(const CRuntimeClass *requested = nullptr);
  // The schema of the object being loaded.
  unsigned GetObjectSchema() const { return m_nObjectSchema; }

  CDocument *m_pDocument = nullptr; // the document being stored or loaded, for its items

private:
  CArchive &WriteLE(uint64_t v, unsigned bytes);
  uint64_t ReadLE(unsigned bytes);
  // At least count bytes in the buffer, or the end-of-file exception.
  void FillBuffer(unsigned count);
  void FlushBuffer();
  uint64_t ReadLength(bool &wide);
  void CheckCount();
  // The class of the next tag; null and *objectTag for a reference to an object.
  const CRuntimeClass *ReadClassTag(const CRuntimeClass *requested, unsigned *schema, uint32_t *objectTag);

  CFile *m_pFile;
  unsigned m_nMode;
  std::vector<unsigned char> m_buf;
  size_t m_cur = 0; // next byte in the buffer
  size_t m_max = 0; // loading: bytes held; storing: unused
  bool m_bEndOfFile = false;
  unsigned m_nObjectSchema = 0xFFFFFFFF;
  uint32_t m_nMapCount = 1;
  std::unordered_map<const void *, uint32_t> m_storeMap; // classes and objects stored
  struct Loaded {
    const CRuntimeClass *cls; // set for a class entry
    CObject *obj;             // set (or null) for an object entry
  };
  std::vector<Loaded> m_loadArray; // index 0: the null object
};

// Wide characters (UTF-16, little-endian in the bytes) as Shift-JIS; a character
// without a Shift-JIS form becomes '?'.
std::string AfxWideToShiftJis(const unsigned char *bytes, size_t chars);
