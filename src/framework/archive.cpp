#include "framework/archive.h"

#include <cstring>

#include "framework/file.h"

namespace {

constexpr uint16_t kNullTag = 0;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;
constexpr unsigned kMaxClassName = 64; // a stored name is shorter

} // namespace

CArchive::CArchive(CFile *file, unsigned mode, unsigned bufSize)
    : m_pFile(file), m_nMode(mode), m_buf(bufSize < 16 ? 16 : bufSize) {
  if (IsLoading())
    m_loadArray.push_back({nullptr, nullptr});
}

CArchive::~CArchive() {
  if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
    try {
      Close();
    } catch (const CException &) {
    }
  }
}

void CArchive::Flush() {
  if (!m_pFile)
    return;
  if (IsLoading()) {
    if (m_max != m_cur)
      m_pFile->Seek(-int64_t(m_max - m_cur), CFile::current);
    m_cur = m_max = 0;
  } else {
    FlushBuffer();
  }
}

void CArchive::Close() {
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() { m_pFile = nullptr; }

void CArchive::FlushBuffer() {
  if (m_cur) {
    size_t n = m_cur;
    m_cur = 0;
    m_pFile->Write(m_buf.data(), unsigned(n));
  }
}

void CArchive::FillBuffer(unsigned count) {
  if (!IsLoading())
    AfxThrowArchiveException(CArchiveException::writeOnly);
  if (m_max - m_cur >= count)
    return;
  std::memmove(m_buf.data(), m_buf.data() + m_cur, m_max - m_cur);
  m_max -= m_cur;
  m_cur = 0;
  while (m_max < count) {
    unsigned n = m_pFile->Read(m_buf.data() + m_max, unsigned(m_buf.size() - m_max));
    if (n == 0)
      AfxThrowArchiveException(CArchiveException::endOfFile);
    m_max += n;
  }
}

unsigned CArchive::Read(void *buffer, unsigned count) {
  if (!IsLoading())
    AfxThrowArchiveException(CArchiveException::writeOnly);
  auto *out = static_cast<unsigned char *>(buffer);
  unsigned done = 0;
  while (done < count) {
    if (m_cur == m_max) {
      m_cur = m_max = 0;
      // A large rest goes straight from the file.
      if (count - done >= m_buf.size()) {
        unsigned n = m_pFile->Read(out + done, count - done);
        if (n == 0)
          break;
        done += n;
        continue;
      }
      unsigned n = m_pFile->Read(m_buf.data(), unsigned(m_buf.size()));
      if (n == 0)
        break;
      m_max = n;
    }
    size_t n = m_max - m_cur < count - done ? m_max - m_cur : count - done;
    std::memcpy(out + done, m_buf.data() + m_cur, n);
    m_cur += n;
    done += unsigned(n);
  }
  return done;
}

void CArchive::Write(const void *buffer, unsigned count) {
  if (IsLoading())
    AfxThrowArchiveException(CArchiveException::readOnly);
  if (count <= m_buf.size() - m_cur) {
    std::memcpy(m_buf.data() + m_cur, buffer, count);
    m_cur += count;
    return;
  }
  FlushBuffer();
  if (count < m_buf.size()) {
    std::memcpy(m_buf.data(), buffer, count);
    m_cur = count;
  } else {
    m_pFile->Write(buffer, count);
  }
}

CArchive &CArchive::WriteLE(uint64_t v, unsigned bytes) {
  unsigned char b[8];
  for (unsigned i = 0; i < bytes; ++i)
    b[i] = static_cast<unsigned char>(v >> (8 * i));
  Write(b, bytes);
  return *this;
}

uint64_t CArchive::ReadLE(unsigned bytes) {
  FillBuffer(bytes);
  uint64_t v = 0;
  for (unsigned i = 0; i < bytes; ++i)
    v |= uint64_t(m_buf[m_cur + i]) << (8 * i);
  m_cur += bytes;
  return v;
}

CArchive &CArchive::operator<<(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return WriteLE(bits, 8);
}

CArchive &CArchive::operator>>(double &v) {
  uint64_t bits = ReadLE(8);
  std::memcpy(&v, &bits, sizeof v);
  return *this;
}

CArchive &CArchive::operator<<(const CString &s) {
  uint32_t n = uint32_t(s.GetLength());
  if (n < 255) {
    *this << uint8_t(n);
  } else if (n < 0xFFFE) {
    *this << uint8_t(0xFF) << uint16_t(n);
  } else {
    *this << uint8_t(0xFF) << uint16_t(0xFFFF) << n;
  }
  Write(s.GetString(), n);
  return *this;
}

uint64_t CArchive::ReadLength(bool &wide) {
  uint8_t b;
  *this >> b;
  if (b < 0xFF)
    return b;
  uint16_t w;
  *this >> w;
  if (w == 0xFFFE) {
    // Wide characters; the length form follows again, in characters.
    wide = true;
    *this >> b;
    if (b < 0xFF)
      return b;
    *this >> w;
  }
  if (w < 0xFFFF)
    return w;
  uint32_t d;
  *this >> d;
  return d;
}

CArchive &CArchive::operator>>(CString &s) {
  bool wide = false;
  uint64_t n = ReadLength(wide);
  // Read in pieces, so that a damaged length cannot ask for more memory than the
  // file holds.
  std::string bytes;
  uint64_t left = wide ? n * 2 : n;
  while (left > 0) {
    unsigned piece = left < 65536 ? unsigned(left) : 65536u;
    size_t old = bytes.size();
    bytes.resize(old + piece);
    if (Read(bytes.data() + old, piece) != piece)
      AfxThrowArchiveException(CArchiveException::endOfFile);
    left -= piece;
  }
  s = wide ? CString(AfxWideToShiftJis(reinterpret_cast<const unsigned char *>(bytes.data()), size_t(n)))
           : CString(bytes);
  return *this;
}

void CArchive::CheckCount() {
  if (m_nMapCount >= kMaxMapCount)
    AfxThrowArchiveException(CArchiveException::badIndex);
}

void CArchive::WriteClass(const CRuntimeClass *cls) {
  if (!cls || cls->m_wSchema == 0xFFFF)
    AfxThrowArchiveException(CArchiveException::badClass);
  auto it = m_storeMap.find(cls);
  if (it != m_storeMap.end()) {
    if (it->second < kBigObjectTag)
      *this << uint16_t(kClassTag | it->second);
    else
      *this << kBigObjectTag << uint32_t(kBigClassTag | it->second);
    return;
  }
  uint16_t len = uint16_t(std::strlen(cls->m_lpszClassName));
  *this << kNewClassTag << cls->m_wSchema << len;
  Write(cls->m_lpszClassName, len);
  CheckCount();
  m_storeMap[cls] = m_nMapCount++;
}

void CArchive::WriteObject(const CObject *obj) {
  if (!obj) {
    *this << kNullTag;
    return;
  }
  auto it = m_storeMap.find(obj);
  if (it != m_storeMap.end()) {
    if (it->second < kBigObjectTag)
      *this << uint16_t(it->second);
    else
      *this << kBigObjectTag << it->second;
    return;
  }
  WriteClass(obj->GetRuntimeClass());
  CheckCount();
  m_storeMap[obj] = m_nMapCount++;
  const_cast<CObject *>(obj)->Serialize(*this);
}

const CRuntimeClass *CArchive::ReadClassTag(const CRuntimeClass *requested, unsigned *schema, uint32_t *objectTag) {
  uint16_t wTag;
  uint32_t obTag;
  *this >> wTag;
  if (wTag == kBigObjectTag)
    *this >> obTag;
  else
    obTag = (uint32_t(wTag & kClassTag) << 16) | (wTag & ~kClassTag);
  if (!(obTag & kBigClassTag)) {
    if (!objectTag)
      AfxThrowArchiveException(CArchiveException::badIndex);
    *objectTag = obTag;
    return nullptr;
  }
  const CRuntimeClass *cls;
  if (wTag == kNewClassTag) {
    uint16_t stored, len;
    *this >> stored >> len;
    char name[kMaxClassName];
    if (len >= kMaxClassName)
      AfxThrowArchiveException(CArchiveException::badClass);
    if (Read(name, len) != len)
      AfxThrowArchiveException(CArchiveException::endOfFile);
    name[len] = 0;
    cls = CRuntimeClass::FromName(name);
    if (!cls)
      AfxThrowArchiveException(CArchiveException::badClass);
    if (cls->m_wSchema != stored)
      AfxThrowArchiveException(CArchiveException::badSchema);
    CheckCount();
    m_loadArray.push_back({cls, nullptr});
    ++m_nMapCount;
  } else {
    uint32_t index = obTag & ~kBigClassTag;
    if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].cls)
      AfxThrowArchiveException(CArchiveException::badIndex);
    cls = m_loadArray[index].cls;
  }
  if (requested && !cls->IsDerivedFrom(requested))
    AfxThrowArchiveException(CArchiveException::badClass);
  *schema = cls->m_wSchema;
  return cls;
}

const CRuntimeClass *CArchive::ReadClass(const CRuntimeClass *requested) {
  unsigned schema;
  return ReadClassTag(requested, &schema, nullptr);
}

CObject *CArchive::ReadObject(const CRuntimeClass *requested) {
  unsigned schema = 0;
  uint32_t obTag = 0;
  const CRuntimeClass *cls = ReadClassTag(requested, &schema, &obTag);
  if (!cls) {
    // A reference must name an object (or the null entry), never a class.
    if (obTag >= m_loadArray.size() || m_loadArray[obTag].cls)
      AfxThrowArchiveException(CArchiveException::badIndex);
    CObject *obj = m_loadArray[obTag].obj;
    if (obj && requested && !obj->IsKindOf(requested))
      AfxThrowArchiveException(CArchiveException::badClass);
    return obj;
  }
  CObject *obj = cls->CreateObject();
  if (!obj)
    AfxThrowMemoryException();
  CheckCount();
  m_loadArray.push_back({nullptr, obj});
  const size_t at = m_loadArray.size() - 1;
  ++m_nMapCount;
  unsigned saved = m_nObjectSchema;
  m_nObjectSchema = schema;
  try {
    obj->Serialize(*this);
  } catch (...) {
    // The half-read object is nobody's: it goes, and the load fails as a whole.
    m_loadArray[at].obj = nullptr;
    delete obj;
    throw;
  }
  m_nObjectSchema = saved;
  return obj;
}
