// Framework exceptions, thrown by value and caught by reference. A user exception
// is silent: whoever catches it shows nothing (the thrower has already spoken).
#pragma once

#include "framework/cstring.h"
#include "framework/object.h"

class CException : public CObject {
public:
  // The text to show the user; false when the exception has none.
  virtual bool GetErrorMessage(CString &text) const;
};

class CUserException : public CException {
public:
  bool GetErrorMessage(CString &) const override { return false; }
};

// The program's own silent exception: a code and a detail for the caller.
class CKLException : public CUserException {
public:
  CKLException(int code, int detail) : m_code(code), m_detail(detail) {}
  int m_code;
  int m_detail;
};

class CFileException : public CException {
public:
  enum Cause {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
  };
  CFileException(int cause = none, long osError = -1, const char *fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
  bool GetErrorMessage(CString &text) const override;
  // The cause for a Windows error code.
  static int OsErrorToException(long osError);

  int m_cause;
  long m_lOsError;
  CString m_strFileName;
};

class CInvalidArgException : public CException {
public:
  bool GetErrorMessage(CString &text) const override;
};

class CMemoryException : public CException {
public:
  bool GetErrorMessage(CString &text) const override;
};

class CArchiveException : public CException {
public:
  enum Cause { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema, bufferFull };
  explicit CArchiveException(int cause = none, const char *fileName = nullptr)
      : m_cause(cause), m_strFileName(fileName) {}
  bool GetErrorMessage(CString &text) const override;

  int m_cause;
  CString m_strFileName;
};

// An OLE call failed; m_sc is its SCODE (an HRESULT).
class COleException : public CException {
public:
  explicit COleException(long sc = 0) : m_sc(sc) {}
  bool GetErrorMessage(CString &text) const override;
  // The SCODE that stands for any framework exception: its own for an OLE exception,
  // E_OUTOFMEMORY for a memory exception, E_UNEXPECTED for the rest.
  static long Process(const CException &e);

  long m_sc;
};

[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowFileException(int cause, long osError = -1, const char *fileName = nullptr);
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowArchiveException(int cause, const char *fileName = nullptr);
[[noreturn]] void AfxThrowOleException(long sc);
