// The older OLE client layer at document level: start-up, each drawing as a client
// document, its links, the objects kept in the drawing file, status messages and the
// waits for pending operations.
#include "ole/ole1h.h"

#include "ole/ole1obj.h"

#include <cstdio>
#include <cstring>

#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/olefmt.h"
#include "files/sealfmt.h"
#include "ole/ole1bind.h"
#include "ole/ole1rec.h"
#include "ole/oleupdate.h"
#include "settings/dbgtrace.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/appwin.h"
#include "settings/shellcalls.h"

Ole1DocRecord Ole1Doc[2] = {};
Ole1ClientGlobals Ole1Cli = {};
uint32_t Ole1WaitPeriod = 30000;

namespace {

constexpr UINT_PTR BUSY_TIMER = 2;

DWORD CALLBACK stream_get(LPOLESTREAM s, void *buf, DWORD n) {
  auto *f = reinterpret_cast<Ole1Stream *>(s);
  return f->fp ? DWORD(std::fread(buf, 1, n, f->fp)) : 0;
}
DWORD CALLBACK stream_put(LPOLESTREAM s, OLE_CONST void *buf, DWORD n) {
  auto *f = reinterpret_cast<Ole1Stream *>(s);
  return f->fp ? DWORD(std::fwrite(buf, 1, n, f->fp)) : 0;
}

bool valid(int dwg) { return dwg == 0 || dwg == 1; }

HWND timer_wnd = nullptr;
UINT_PTR timer_id = 0;

void CALLBACK busy_tick(HWND, UINT, UINT_PTR, DWORD) {
  // A shown retry dialog keeps the wait going; it ends by the user's answer.
  if (Ole1Cli.retry && IsWindow(Ole1Cli.retry))
    return;
  Ole1Cli.timedOut = 1;
  Ole1BusyStop();
}

} // namespace

void Ole1BusyStart() {
  if (Ole1Cli.busy)
    return;
  // On the main window when there is one, else a thread timer (its id is the system's).
  timer_wnd = app_hmain();
  timer_id = SetTimer(timer_wnd, BUSY_TIMER, Ole1WaitPeriod, busy_tick);
  if (!timer_id && timer_wnd) {
    timer_wnd = nullptr;
    timer_id = SetTimer(nullptr, 0, Ole1WaitPeriod, busy_tick);
  }
  Ole1Cli.busy = timer_id != 0;
}

void Ole1BusyStop() {
  if (timer_id)
    KillTimer(timer_wnd, timer_wnd ? BUSY_TIMER : timer_id);
  timer_id = 0;
  timer_wnd = nullptr;
  Ole1Cli.busy = 0;
}

namespace {

// One message of a wait: false when the wait must end (quit, or the queue failed).
bool pump_one() {
  MSG m;
  const BOOL got = GetMessageA(&m, nullptr, 0, 0);
  if (got == -1)
    return false;
  if (got == 0) {
    // The program is ending: the main loop must still see the quit.
    PostQuitMessage(int(m.wParam));
    return false;
  }
  HWND mdi = app_hmdi();
  if (mdi && TranslateMDISysAccel(mdi, &m))
    return true;
  if (ui_keyxlate(&m))
    return true;
  TranslateMessage(&m);
  DispatchMessageA(&m);
  return true;
}

// Waits while busy() holds: 0, 201 when the timer ran out, 1 when quitting.
template <class Busy> int wait_while(Busy busy) {
  Ole1Cli.timedOut = 0;
  int r = 0;
  while (busy()) {
    if (Ole1Cli.timedOut) {
      r = OLE1_ST_NORESPONSE;
      break;
    }
    Ole1BusyStart();
    if (!pump_one()) {
      r = 1;
      break;
    }
  }
  Ole1BusyStop();
  if (r == OLE1_ST_NORESPONSE)
    ReportOleStatus(OLE1_ST_NORESPONSE);
  return r;
}

// Reads from a file handle for the name reader.
uint32_t file_read(void *ctx, void *buf, uint32_t n) {
  return uint32_t(std::fread(buf, 1, n, static_cast<std::FILE *>(ctx)));
}

} // namespace

Ole1Stream Ole1FileStream(std::FILE *fp) { return Ole1Stream{{Ole1Cli.streamTable}, fp}; }

int InitOle1Client() {
  Ole1Cli.objectLink = RegisterClipboardFormatA("ObjectLink");
  Ole1Cli.native = RegisterClipboardFormatA("Native");
  Ole1Cli.ownerLink = RegisterClipboardFormatA("OwnerLink");
  if (!Ole1Cli.clientTable) {
    HGLOBAL h = GlobalAlloc(GPTR, sizeof(OLECLIENTVTBL));
    if (!h)
      return 0;
    Ole1Cli.clientTable = static_cast<LPOLECLIENTVTBL>(h);
    Ole1Cli.clientTable->CallBack = OleCliCallBack;
  }
  if (!Ole1Cli.streamTable) {
    HGLOBAL h = GlobalAlloc(GPTR, sizeof(OLESTREAMVTBL));
    if (!h)
      return 0;
    Ole1Cli.streamTable = static_cast<LPOLESTREAMVTBL>(h);
    Ole1Cli.streamTable->Get = stream_get;
    Ole1Cli.streamTable->Put = stream_put;
  }
  std::memset(Ole1Doc, 0, sizeof Ole1Doc);
  std::snprintf(Ole1Cli.className, sizeof Ole1Cli.className, "%s", "KIVO LANT");
  HDC dc = GetDC(nullptr);
  Ole1Cli.dpiX = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
  Ole1Cli.dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc)
    ReleaseDC(nullptr, dc);
  return 1;
}

void Ole1ClientEnd() {
  if (Ole1Cli.clientTable)
    GlobalFree(Ole1Cli.clientTable);
  if (Ole1Cli.streamTable)
    GlobalFree(Ole1Cli.streamTable);
  Ole1Cli.clientTable = nullptr;
  Ole1Cli.streamTable = nullptr;
}

void ReportOleStatus(int status) {
  int board = 2;
  const int n = ole1_statusmsg(status, &board);
  char text[520] = "";
  msg_fmtbuf(text, sizeof text, n);
  msg_board(board, "%s", text);
}

int RegDoc(int dwg, const char *name) {
  if (!valid(dwg))
    return 0;
  LHCLIENTDOC h = 0;
  const OLESTATUS r = ole1::OleRegisterClientDoc(Ole1Cli.className, name ? name : "", 0, &h);
  if (r != OLE_OK) {
    Ole1Doc[dwg].doc = 0;
    return 0;
  }
  Ole1Doc[dwg].doc = h;
  return 1;
}

int Ole1WaitDoc(int dwg) {
  if (!valid(dwg))
    return 0;
  return wait_while([dwg] { return Ole1Doc[dwg].cOleWait > 0; });
}

int Ole1WaitObject(int dwg, LPOLEOBJECT obj) {
  (void)dwg;
  if (!obj)
    return 0;
  return wait_while([obj] { return ole1::OleQueryReleaseStatus(obj) == OLE_BUSY; });
}

void DeregDoc(int dwg) {
  if (!valid(dwg))
    return;
  Ole1DocRecord &d = Ole1Doc[dwg];
  for (Ole1Object *o = d.first; o; o = o->next) {
    if (!o->obj || o->kind == OLE1_STATIC)
      continue;
    if (OleTraceCall(ole1::OleClose(o->obj), "OleClose", dwg) == 0)
      Ole1WaitObject(dwg, o->obj);
  }
  Ole1WaitDoc(dwg);
  // The library keeps pointers to the records: every object is let go before the
  // records are freed, and a document with objects left could not be revoked.
  for (Ole1Object *o = d.first; o; o = o->next) {
    if (o->obj && OleTraceCall(ole1::OleRelease(o->obj), "OleRelease", dwg) == 0)
      Ole1WaitObject(dwg, o->obj);
    o->obj = nullptr;
  }
  Ole1WaitDoc(dwg);
  if (d.doc)
    OleTraceCall(ole1::OleRevokeClientDoc(d.doc), "OleRevokeClientDoc", dwg);
  Ole1Object *o = d.first;
  while (o) {
    Ole1Object *next = o->next;
    Ole1FreeRecord(o);
    o = next;
  }
  std::memset(&d, 0, sizeof d);
}

void UpdateLinks(int dwg) {
  if (!valid(dwg) || !Ole1Doc[dwg].count || !vew_mask(dwg))
    return;
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
    if (o->kind != OLE1_LINKED || o->update != 0 || !o->obj)
      continue;
    if (OleTraceCall(ole1::OleUpdate(o->obj), "OleUpdate", dwg) == 0)
      Ole1WaitObject(dwg, o->obj);
  }
}

int LoadOleObject(int dwg, const char *path) {
  dbg_trace("<LoadOleObject>\n");
  if (!valid(dwg) || !path)
    return 0;
  std::FILE *fp = std::fopen(path, "rb");
  if (!fp)
    return 0;
  OleBlockFound found{};
  const int where = oleblk_locate(fp, int32_t(dtb_used(dwg)), &found);
  if (where == OLEBLK_NONE || (where == OLEBLK_FOUND && found.kind != OLEBLK_OLE1)) {
    std::fclose(fp);
    return 1;
  }
  uint8_t raw[4];
  if (where != OLEBLK_FOUND || std::fseek(fp, long(found.data), SEEK_SET) != 0 || std::fread(raw, 1, 4, fp) != 4) {
    std::fclose(fp);
    return 0;
  }
  const uint32_t count = slf_get<uint32_t>(raw, 0);
  Ole1Stream s = Ole1FileStream(fp);
  for (uint32_t i = 0; i < count; ++i) {
    Ole1Object *o = PreItemCreate(dwg);
    if (!o)
      break;
    if (!ObjRead(dwg, &s, o)) {
      // The objects read so far stay; what follows cannot be found any more.
      if (o->obj)
        ole1::OleRelease(o->obj);
      Ole1FreeRecord(o);
      break;
    }
    const double rect[4] = {o->rect[0], o->rect[1], o->rect[2], o->rect[3]};
    if (!PostItemCreate(dwg, 0, o, o->kind, rect, o->obj, 0, 0)) {
      ole1::OleRelease(o->obj);
      Ole1FreeRecord(o);
      break;
    }
    Ole1Redraw(o);
  }
  std::fclose(fp);
  return 1;
}

int SaveOleObject(int dwg, const char *path) {
  dbg_trace("<SaveOleObject>\n");
  if (!valid(dwg) || !path)
    return 0;
  Ole1DocRecord &d = Ole1Doc[dwg];
  if (!d.count || !d.first)
    return 1;
  std::FILE *fp = std::fopen(path, "r+b");
  if (!fp)
    return 0;
  bool ok = std::fseek(fp, 0, SEEK_END) == 0;
  const long start = ok ? std::ftell(fp) : -1;
  ok = ok && start >= 0;
  uint8_t head[12];
  oleblk_headput(OleBlockHead{OLEBLK_OLE1, 0}, head);
  uint32_t count = 0;
  for (Ole1Object *o = d.first; o; o = o->next)
    ++count;
  slf_put<uint32_t>(head, 8, count);
  ok = ok && std::fwrite(head, 1, sizeof head, fp) == sizeof head;
  Ole1Stream s = Ole1FileStream(fp);
  for (Ole1Object *o = d.first; ok && o; o = o->next)
    ok = ObjWrite(&s, o) == 1;
  const long end = ok ? std::ftell(fp) : -1;
  ok = ok && end > start && uint64_t(end) <= 0xffffffffull;
  uint8_t word[4];
  if (ok) {
    slf_put<uint32_t>(word, 0, uint32_t(end));
    ok = std::fseek(fp, start + 4, SEEK_SET) == 0 && std::fwrite(word, 1, 4, fp) == 4;
  }
  ok = (std::fclose(fp) == 0) && ok;
  if (!ok)
    return 0;
  if (d.doc) {
    OleTraceCall(ole1::OleSavedClientDoc(d.doc), "OleSavedClientDoc", dwg);
    OleTraceCall(ole1::OleRenameClientDoc(d.doc, path), "OleRenameClientDoc", dwg);
  }
  return 1;
}

uint32_t Ole1DataSize(int dwg) {
  if (!valid(dwg))
    return 0;
  uint64_t sum = 0;
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
    DWORD n = 0;
    if (o->obj && ole1::OleQuerySize(o->obj, &n) == OLE_OK)
      sum += n;
  }
  return sum > 0xffffffffull ? 0xffffffffu : uint32_t(sum);
}

int Ole1ReadOldEntry(std::FILE *fp, char name[32], char link[200], uint8_t head[32], int32_t *value) {
  if (!fp || !ole1_readname(file_read, fp, name, 32) || !ole1_readname(file_read, fp, link, 200))
    return 0;
  uint8_t raw[4];
  if (std::fread(head, 1, 32, fp) != 32 || std::fread(raw, 1, 4, fp) != 4)
    return 0;
  *value = slf_get<int32_t>(raw, 0);
  return 1;
}

void OleUpdateSelected() {
  for (int dwg = 0; dwg < 2; ++dwg) {
    Ole1Object *o = Ole1Selected(dwg);
    if (!o || !o->obj || o->kind == OLE1_STATIC)
      continue;
    // Only an object its server shows has changes to bring over.
    if (ole1::OleQueryOpen(o->obj) != OLE_OK)
      continue;
    if (OleTraceCall(ole1::OleUpdate(o->obj), "OleUpdate", dwg) == 0)
      Ole1WaitObject(dwg, o->obj);
  }
}
