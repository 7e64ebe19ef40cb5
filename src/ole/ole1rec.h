// The plain parts of the older OLE client layer: the status messages, the document
// names of objects, the names and link strings read from outside, the bounds handed
// to a server and the verb item of the edit menu. Nothing here calls the libraries.
#pragma once

#include <cstddef>
#include <cstdint>

// One row of the status table: status, board kind, message number; ended by status -1.
struct Ole1StatusRow {
  int32_t status;
  int32_t board;
  int32_t message;
};
extern const Ole1StatusRow Ole1StatusTable[];

// Statuses of this layer beside the library's own.
constexpr int OLE1_ST_NOMEMORY = 200;   // memory missing
constexpr int OLE1_ST_NORESPONSE = 201; // a wait ran out
constexpr int OLE1_ST_OWNCLASS = 202;   // an object of this program's own class
constexpr int OLE1_ST_NOTSTARTED = 203;
constexpr int OLE1_ST_UNKNOWN = 99999; // the row every unlisted status shows

// The message number and board kind of a status; an unlisted status takes the row of
// OLE1_ST_UNKNOWN (message numbers end at 65534, so the status itself cannot be one).
int ole1_statusmsg(int status, int *board = nullptr);

// The number after the last "-" of an object's document name, or -1 without one.
int ole1_namenumber(const char *name);
// "KIVOLANTDOC#<dd>-<n>" into out (cap bytes): n is one more than the highest number
// among names (count of them, nulls skipped), 0 when none carries one. The number.
int ole1_docname(int dwg, const char *const *names, int count, char *out, std::size_t cap);

// Reads count bytes into buf; gives how many it read.
using Ole1ReadFn = uint32_t (*)(void *ctx, void *buf, uint32_t count);

// Reads a u32 length and that many bytes (the name with its terminator) into buf of cap
// bytes: 1; 0 when the length is 0 or over cap, the bytes end early or the terminator
// is not the last byte. On 0 nothing behind the length is read and buf is empty.
int ole1_readname(Ole1ReadFn read, void *ctx, char *buf, std::size_t cap);

// The link data of an object ("ObjectLink" or "OwnerLink": class, document and item,
// each ending with a zero, then one more zero) from len bytes at data into out (cap
// bytes), always ending with the extra zero. 1 and *used; 0 when a terminator lies
// outside the block or the result does not fit, and out is left alone.
int ole1_linkstrings(const uint8_t *data, std::size_t len, char *out, std::size_t cap, std::size_t *used);
// The three strings of link data made by ole1_linkstrings (pointers into it).
void ole1_linkparts(const char *link, const char **cls, const char **doc, const char **item);

// Bounds for a server from a rectangle in drawing units (millimetres): left and top
// 0, right the width and bottom the negative height (upward axis) in 0.01 mm.
struct Ole1Bounds {
  int32_t left, top, right, bottom;
};
Ole1Bounds ole1_himetric(const double rect[4]);
// The rectangle of an object placed at (x, y) from its bounds in 0.01 mm: it hangs
// below the point, (x, y - height, x + width, y).
void ole1_placeat(const Ole1Bounds &b, double x, double y, double rect[4]);

// The text of the object item of the edit menu for a single verb into out (cap bytes,
// cut on a character boundary): "<verb> <class> オブジェクト(&V)"; "Edit <class>
// オブジェクト(&V)" when the class has no verb; "<verb> オブジェクト(&V)" without a
// class name. The length written.
std::size_t ole1_verbtext(const char *verb, const char *cls, char *out, std::size_t cap);

// Link update option texts: 0 "自動", 2 "手動", others "ロック".
const char *ole1_updatetext(int option);
