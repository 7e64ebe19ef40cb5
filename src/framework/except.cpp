#include "framework/except.h"

#include <cstdio>

bool CException::GetErrorMessage(CString &text) const {
  text = "予期しないエラーが発生しました。";
  return true;
}

bool CFileException::GetErrorMessage(CString &text) const {
  const char *name = m_strFileName.IsEmpty() ? "ファイル" : m_strFileName.GetString();
  const char *what;
  switch (m_cause) {
  case fileNotFound:
    what = "%s が見つかりません。";
    break;
  case badPath:
    what = "%s のパスが正しくありません。";
    break;
  case accessDenied:
    what = "%s にアクセスできません。";
    break;
  case sharingViolation:
  case lockViolation:
    what = "%s は他のプログラムが使用中です。";
    break;
  case diskFull:
    what = "ディスクがいっぱいで %s に書き込めません。";
    break;
  case endOfFile:
  case invalidFile:
    what = "%s の内容が正しくありません。";
    break;
  default:
    what = "%s の読み書きでエラーが発生しました。";
    break;
  }
  text.Format(what, name);
  return true;
}

int CFileException::OsErrorToException(long osError) {
  switch (osError) {
  case 0:
    return none;
  case 2: // ERROR_FILE_NOT_FOUND
    return fileNotFound;
  case 3:   // ERROR_PATH_NOT_FOUND
  case 123: // ERROR_INVALID_NAME
    return badPath;
  case 4: // ERROR_TOO_MANY_OPEN_FILES
    return tooManyOpenFiles;
  case 5: // ERROR_ACCESS_DENIED
    return accessDenied;
  case 6: // ERROR_INVALID_HANDLE
    return invalidFile;
  case 16: // ERROR_CURRENT_DIRECTORY
    return removeCurrentDir;
  case 32: // ERROR_SHARING_VIOLATION
    return sharingViolation;
  case 33: // ERROR_LOCK_VIOLATION
    return lockViolation;
  case 38: // ERROR_HANDLE_EOF
    return endOfFile;
  case 39:  // ERROR_HANDLE_DISK_FULL
  case 112: // ERROR_DISK_FULL
    return diskFull;
  case 131: // ERROR_NEGATIVE_SEEK
    return badSeek;
  default:
    return genericException;
  }
}

bool CInvalidArgException::GetErrorMessage(CString &text) const {
  text = "引数が正しくありません。";
  return true;
}

bool CMemoryException::GetErrorMessage(CString &text) const {
  text = "メモリが不足しています。";
  return true;
}

bool CArchiveException::GetErrorMessage(CString &text) const {
  const char *name = m_strFileName.IsEmpty() ? "ファイル" : m_strFileName.GetString();
  text.Format(m_cause == endOfFile || m_cause == badClass || m_cause == badSchema || m_cause == badIndex
                  ? "%s の内容が正しくありません。"
                  : "%s の読み書きでエラーが発生しました。",
              name);
  return true;
}

bool COleException::GetErrorMessage(CString &text) const {
  text.Format("OLE の処理でエラーが発生しました (%08lX)。", static_cast<unsigned long>(m_sc) & 0xFFFFFFFFUL);
  return true;
}

long COleException::Process(const CException &e) {
  if (auto *ole = dynamic_cast<const COleException *>(&e))
    return ole->m_sc;
  if (dynamic_cast<const CMemoryException *>(&e))
    return long(0x8007000EL); // E_OUTOFMEMORY
  return long(0x8000FFFFL);   // E_UNEXPECTED
}

void AfxThrowUserException() { throw CUserException(); }
void AfxThrowFileException(int cause, long osError, const char *fileName) {
  throw CFileException(cause, osError, fileName);
}
void AfxThrowInvalidArgException() { throw CInvalidArgException(); }
void AfxThrowMemoryException() { throw CMemoryException(); }
void AfxThrowArchiveException(int cause, const char *fileName) { throw CArchiveException(cause, fileName); }
void AfxThrowOleException(long sc) { throw COleException(sc); }
