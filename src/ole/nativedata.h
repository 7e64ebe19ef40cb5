// The byte layouts of a drawing's OLE native data (what a container stores for an
// embedded drawing), apart from the document that calls them:
//   native:    item list, "Hello ORVIK KL native", extent cx, cy (i32, HIMETRIC),
//              rectangle x0, y0, x1, y1 (f64), then the seal file byte for byte;
//   container: "KL-SID Container Object", 100 (u32), item list;
//   imported:  the native stream an older server left: length (u32, at least 256),
//              a 256-byte head, then the seal file.
// The item list is the framework's; these functions read and write what follows it.
#pragma once

#include <cstdint>
#include <functional>

class CArchive;
class CFile;

constexpr const char *NATIVE_HEADER = "Hello ORVIK KL native";
constexpr const char *CONTAINER_HEADER = "KL-SID Container Object";
constexpr uint32_t CONTAINER_VERSION = 100;
constexpr uint32_t OLE1_HEAD_SIZE = 256;
// Copies between a stream and the drawing's temporary file go in pieces of this size.
constexpr unsigned DOC_COPY_CHUNK = 17680;

// Codes of CKLException thrown by the document's native data.
enum : int {
  KLX_BADNATIVE = 1, // wrong header text, or an imported stream shorter than its head
  KLX_SAVEFAIL = 10, // the engine could not write the drawing (detail: its result)
  KLX_LOADFAIL = 11, // the engine could not read the drawing (detail: its result)
  KLX_ITEMOPEN = 100 // an object embedded in a drawing is open in its server
};

struct NativeItemHead {
  int32_t cx, cy;   // HIMETRIC
  double rect[4];   // x0, y0, x1, y1 in drawing units
};

void native_writehead(CArchive &ar, const NativeItemHead &head);
// Throws CKLException(KLX_BADNATIVE) when the text is not the header; head is
// written only when the whole of it was read.
void native_readhead(CArchive &ar, NativeItemHead &head);
void native_writecont(CArchive &ar);
// Reads the text and the version without checking them.
void native_readcont(CArchive &ar);
// The length and head of an imported stream; below OLE1_HEAD_SIZE throws
// CKLException(KLX_BADNATIVE). A short head throws the archive's end of file.
uint32_t native_readole1(CArchive &ar);

// From src's position to its end into dst, in DOC_COPY_CHUNK pieces; the bytes copied.
uint64_t CopyFileData(CFile &src, CFile &dst);

// Storing after the head: the archive is flushed, save(tmpPath) writes the drawing
// (non-zero: CKLException(KLX_SAVEFAIL, result), the file left alone), its bytes go
// into the archive's file, and the temporary file is removed (also when the copy
// throws). A file that cannot be opened throws its file exception.
void native_putdrawing(CArchive &ar, const char *tmpPath, const std::function<int(const char *)> &save);
// Loading after the head: the archive is flushed and the rest of its file copied into
// a new file at tmpPath (removed again when the copy throws).
void native_getdrawing(CArchive &ar, const char *tmpPath);
