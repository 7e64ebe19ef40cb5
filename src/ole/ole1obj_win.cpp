// Single objects of the older OLE client layer: the library's callback, the status of
// each call, and making, pasting, copying, reading, writing, moving, activating,
// freezing and deleting objects.
#include "ole/ole1h.h"

#include "ole/ole1obj.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/sealfmt.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "ole/ole1bind.h"
#include "ole/ole1rec.h"
#include "settings/dbgtrace.h"
#include "settings/msgout.h"
#include "settings/appwin.h"
#include "settings/params.h"

namespace {

constexpr const char *kOwnClass = "KIVO-LANT";
constexpr int32_t DEFAULT_EXTENT = 5000; // 50 mm when the object tells no size

bool valid(int dwg) { return dwg == 0 || dwg == 1; }

HWND notice_window(const Ole1Object *o) {
  const Ole1DocRecord &d = Ole1Doc[o->dwg];
  return d.viewMode == 2 ? d.notify : vew_hwnd(o->dwg, o->view);
}

void post(HWND w, UINT m, WPARAM wp = 0) {
  if (w)
    PostMessageA(w, m, wp, 0);
}

uint32_t stream_read(void *ctx, void *buf, uint32_t n) {
  auto *s = static_cast<Ole1Stream *>(ctx);
  return s->base.lpstbl && s->base.lpstbl->Get ? uint32_t(s->base.lpstbl->Get(&s->base, buf, n)) : 0;
}

bool stream_write(Ole1Stream *s, const void *buf, uint32_t n) {
  return s->base.lpstbl && s->base.lpstbl->Put && s->base.lpstbl->Put(&s->base, buf, n) == n;
}

// A create that answered OLE_OK (or a pending release) without an object is a failure.
int created(OLESTATUS st, LPOLEOBJECT obj, const char *call, int dwg) {
  if ((st == OLE_OK || st == OLE_WAIT_FOR_RELEASE) && !obj) {
    dbg_trace("<Error no object> Call = %s, dbno = %d\n", call, dwg);
    ReportOleStatus(OLE_ERROR_OBJECT);
    return OLE_ERROR_OBJECT;
  }
  return OleTraceCall(st, call, dwg);
}

void unlist(int dwg, Ole1Object *o) {
  Ole1DocRecord &d = Ole1Doc[dwg];
  for (Ole1Object **p = &d.first; *p; p = &(*p)->next) {
    if (*p == o) {
      *p = o->next;
      if (d.count > 0)
        --d.count;
      return;
    }
  }
}

} // namespace

int CALLBACK OleCliCallBack(LPOLECLIENT client, OLE_NOTIFICATION notification, LPOLEOBJECT) {
  auto *o = reinterpret_cast<Ole1Object *>(client);
  if (!o || !valid(o->dwg))
    return 0;
  Ole1DocRecord &d = Ole1Doc[o->dwg];
  HWND target = notice_window(o);
  switch (notification) {
  case OLE_CHANGED:
  case OLE_SAVED:
    ++d.cOleWait;
    post(target, OLE1_MSG_CHANGED);
    return 0;
  case OLE_CLOSED:
    if (!o->selected && d.viewMode != 2) {
      ++d.cOleWait;
      post(target, OLE1_MSG_CLOSED);
    }
    if (Ole1Cli.active == o)
      Ole1Cli.active = nullptr;
    Ole1Redraw(o);
    if (target)
      SetFocus(target);
    return 0;
  case OLE_RENAMED:
    ++d.cOleWait;
    o->marked = 1;
    post(target, OLE1_MSG_RENAMED);
    return 0;
  case OLE_QUERY_PAINT:
    return 1;
  case OLE_RELEASE:
    Ole1BusyStop();
    if (Ole1Cli.retry && IsWindow(Ole1Cli.retry))
      PostMessageA(Ole1Cli.retry, WM_COMMAND, 2, 0);
    if (d.cOleWait > 0) {
      o->release = 1;
      --d.cOleWait;
      ObjectRelease(o);
    }
    return 0;
  case OLE_QUERY_RETRY:
    Ole1BusyStop();
    if (!(Ole1Cli.retry && IsWindow(Ole1Cli.retry)) && o->release)
      post(app_hmain(), OLE1_MSG_RETRY);
    return o->release;
  default:
    return 0;
  }
}

void ObjectRelease(Ole1Object *o) {
  if (!o || !o->obj)
    return;
  const OLESTATUS err = ole1::OleQueryReleaseError(o->obj);
  if (err == OLE_OK)
    return;
  const int method = int(ole1::OleQueryReleaseMethod(o->obj));
  // A create or paste that failed: the view takes the half-made object away.
  if (method == OLE_LNKPASTE || method == OLE_CREATE || method == OLE_CREATEFROMFILE) {
    o->marked = 0;
    ++Ole1Doc[o->dwg].cOleWait;
    post(notice_window(o), OLE1_MSG_CLOSED, 1);
  }
  post(app_hmain(), OLE1_MSG_RELEASEERR, WPARAM(err));
}

int OleTraceCall(int status, const char *call, int dwg) {
  Ole1DocRecord &d = Ole1Doc[valid(dwg) ? dwg : 0];
  const char *what = call ? call : "";
  switch (status) {
  case OLE_OK:
    dbg_trace("<Error OLE_OK> Call = %s, dbno = %d, cOleWait = %d\n", what, dwg, d.cOleWait);
    return 0;
  case OLE_WAIT_FOR_RELEASE:
    if (d.cOleWait++ == 0)
      Ole1BusyStart();
    dbg_trace("<Error OLE_WAIT_FOR_RELEASE> Call = %s, dbno = %d, cOleWait = %d\n", what, dwg, d.cOleWait);
    return 0;
  case OLE_BUSY:
    dbg_trace("<Error OLE_BUSY> Call = %s, dbno = %d, cOleWait = %d\n", what, dwg, d.cOleWait);
    return 2;
  default:
    dbg_trace("<Error %d> Call = %s, dbno = %d, cOleWait = %d\n", status, what, dwg, d.cOleWait);
    ReportOleStatus(status);
    return status;
  }
}

void Ole1ViewNotice(int dwg, UINT message) {
  if (!valid(dwg) || message < OLE1_MSG_CLOSED || message > OLE1_MSG_RENAMED || message == OLE1_MSG_RETRY)
    return;
  Ole1DocRecord &d = Ole1Doc[dwg];
  if (d.cOleWait > 0)
    --d.cOleWait;
  for (Ole1Object *o = d.first; o; o = o->next) {
    if (message == OLE1_MSG_RENAMED && o->marked && o->kind == OLE1_LINKED) {
      o->marked = 0;
      ObjCliGetData(o, nullptr, 0);
    }
    Ole1Redraw(o);
  }
}

Ole1Object *PreItemCreate(int dwg) {
  dbg_trace("<PreItemCreate>\n");
  auto *o = static_cast<Ole1Object *>(LocalAlloc(LPTR, sizeof(Ole1Object)));
  if (!o) {
    ReportOleStatus(OLE1_ST_NOMEMORY);
    return nullptr;
  }
  o->client.lpvtbl = Ole1Cli.clientTable;
  o->dwg = valid(dwg) ? dwg : 0;
  return o;
}

void Ole1FreeRecord(Ole1Object *o) {
  if (!o)
    return;
  if (Ole1Cli.active == o)
    Ole1Cli.active = nullptr;
  if (o->name)
    GlobalDeleteAtom(o->name);
  if (o->link)
    GlobalDeleteAtom(o->link);
  if (o->linkData)
    GlobalFree(o->linkData);
  LocalFree(o);
}

void Ole1ObjectName(const Ole1Object *o, char *out, int cap) {
  if (!out || cap <= 0)
    return;
  out[0] = '\0';
  if (o && o->name)
    GlobalGetAtomNameA(o->name, out, cap);
}

void Ole1NextDocName(int dwg, char *out, int cap) {
  std::vector<std::string> names;
  if (valid(dwg))
    for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
      char n[256];
      Ole1ObjectName(o, n, sizeof n);
      names.emplace_back(n);
    }
  std::vector<const char *> p;
  for (auto &n : names)
    p.push_back(n.c_str());
  ole1_docname(valid(dwg) ? dwg : 0, p.data(), int(p.size()), out, std::size_t(cap));
}

void ConvertToClient(Ole1Object *o, const RECT &bounds, double px, double py) {
  ole1_placeat(Ole1Bounds{bounds.left, bounds.top, bounds.right, bounds.bottom}, px, py, o->rect);
}

RECT BoundsToHimetric(const Ole1Object *o) {
  const Ole1Bounds b = ole1_himetric(o->rect);
  return RECT{b.left, b.top, b.right, b.bottom};
}

int PostItemCreate(int dwg, int view, Ole1Object *o, int kind, const double *rect, LPOLEOBJECT obj, double px,
                   double py) {
  dbg_trace("<PostItemCreate>\n");
  if (!o || !valid(dwg))
    return 0;
  o->dwg = dwg;
  o->view = view;
  o->obj = obj;
  o->kind = kind;
  if (rect) {
    std::memcpy(o->rect, rect, sizeof o->rect);
  } else {
    RECT b{};
    if (ole1::OleQueryBounds(obj, &b) != OLE_OK || (b.right == b.left && b.bottom == b.top))
      b = RECT{0, 0, DEFAULT_EXTENT, -DEFAULT_EXTENT};
    ConvertToClient(o, b, px, py);
  }
  char name[256];
  Ole1ObjectName(o, name, sizeof name);
  if (kind == OLE1_EMBEDDED) {
    if (OleTraceCall(ole1::OleSetHostNames(obj, Ole1Cli.className, name), "OleSetHostNames", dwg) != 0)
      return 0;
  } else if (kind == OLE1_LINKED) {
    OLEOPT_UPDATE opt = oleupdate_always;
    if (OleTraceCall(ole1::OleGetLinkUpdateOptions(obj, &opt), "OleGetLinkUpdateOptions", dwg) == 0)
      o->update = int32_t(opt);
    if (ObjCliGetData(o, nullptr, 0) && o->linkData) {
      const char *doc = nullptr;
      ole1_linkparts(static_cast<const char *>(GlobalLock(o->linkData)), nullptr, &doc, nullptr);
      if (o->link)
        GlobalDeleteAtom(o->link);
      o->link = GlobalAddAtomA(doc);
      GlobalUnlock(o->linkData);
    }
  }
  o->next = nullptr;
  Ole1Object **p = &Ole1Doc[dwg].first;
  while (*p)
    p = &(*p)->next;
  *p = o;
  ++Ole1Doc[dwg].count;
  return 1;
}

Ole1Object *ObjDelete(int dwg, Ole1Object *o, int erase) {
  dbg_trace("<ObjDelete>\n");
  if (!o || !valid(dwg))
    return nullptr;
  if (o->obj) {
    const OLESTATUS st = erase ? ole1::OleDelete(o->obj) : ole1::OleRelease(o->obj);
    if (OleTraceCall(st, erase ? "OleDelete" : "OleRelease", dwg) == 0)
      Ole1WaitObject(dwg, o->obj);
  }
  Ole1Object *next = o->next;
  unlist(dwg, o);
  Ole1Redraw(o);
  Ole1FreeRecord(o);
  return next;
}

Ole1Object *Ole1Selected(int dwg) {
  if (!valid(dwg))
    return nullptr;
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next)
    if (o->selected)
      return o;
  return nullptr;
}

int ObjPaste(int embed) {
  dbg_trace("<ObjPaste>\n");
  msg_disp(1, 0, 1, 1, 30800);
  double x = 0, y = 0;
  int32_t dwg = -1, kb = 0;
  const int code = gcr_point(0, 0, GCR_CURDWG, &x, &y, &dwg, &kb);
  msg_disp(1, 128, 1, 1, 0);
  if ((code != 500 && code != 13) || !valid(dwg))
    return 0;
  const int view = gcr_pickvw();
  Ole1Object *o = PreItemCreate(dwg);
  if (!o)
    return 0;
  if (!OpenClipboard(vew_hwnd(dwg, view) ? vew_hwnd(dwg, view) : app_hmain())) {
    ReportOleStatus(OLE_ERROR_CLIPBOARD);
    Ole1FreeRecord(o);
    return 0;
  }
  char name[64];
  Ole1NextDocName(dwg, name, sizeof name);
  o->name = GlobalAddAtomA(name);
  LHCLIENTDOC doc = Ole1Doc[dwg].doc;
  LPOLEOBJECT obj = nullptr;
  OLESTATUS st;
  int kind;
  const char *call;
  if (embed) {
    call = "OleCreateFromClip";
    kind = OLE1_EMBEDDED;
    st = ole1::OleCreateFromClip("StdFileEditing", &o->client, doc, name, &obj, olerender_draw, 0);
    if (st != OLE_OK && st != OLE_WAIT_FOR_RELEASE) {
      obj = nullptr;
      kind = OLE1_STATIC;
      st = ole1::OleCreateFromClip("Static", &o->client, doc, name, &obj, olerender_draw, 0);
    }
  } else {
    call = "OleCreateLinkFromClip";
    kind = OLE1_LINKED;
    st = ole1::OleCreateLinkFromClip("StdFileEditing", &o->client, doc, name, &obj, olerender_draw, 0);
  }
  CloseClipboard();
  if (created(st, obj, call, dwg) != 0) {
    Ole1FreeRecord(o);
    return 0;
  }
  o->obj = obj;
  o->dwg = dwg;
  o->view = view;
  o->kind = kind;
  Ole1WaitObject(dwg, obj);
  if (kind != OLE1_STATIC) {
    // A drawing of this program pasted into itself would call itself back.
    char link[1024];
    const char *cls = nullptr;
    if (ObjCliGetData(o, link, sizeof link)) {
      ole1_linkparts(link, &cls, nullptr, nullptr);
      if (std::strcmp(cls, kOwnClass) == 0) {
        if (OleTraceCall(ole1::OleDelete(obj), "OleDelete", dwg) == 0)
          Ole1WaitObject(dwg, obj);
        Ole1FreeRecord(o);
        ReportOleStatus(OLE1_ST_OWNCLASS);
        return 0;
      }
    }
  }
  if (!PostItemCreate(dwg, view, o, kind, nullptr, obj, x, y)) {
    ole1::OleDelete(obj);
    Ole1FreeRecord(o);
    return 0;
  }
  dwg_touch(dwg);
  Ole1Redraw(o);
  return 1;
}

int ObjCopy() {
  dbg_trace("<ObjCopy>\n");
  Ole1Object *o = Ole1Selected(dwg_cur());
  if (!o)
    o = Ole1Selected(1 - dwg_cur());
  if (!o || !o->obj)
    return 0;
  if (!OpenClipboard(app_hmain())) {
    ReportOleStatus(OLE_ERROR_CLIPBOARD);
    return 0;
  }
  EmptyClipboard();
  const int r = OleTraceCall(ole1::OleCopyToClipboard(o->obj), "OleCopyToClipboard", o->dwg);
  CloseClipboard();
  return r == 0 ? 1 : 0;
}

int ObjCliGetData(Ole1Object *o, char *buf, std::size_t cap) {
  dbg_trace("<ObjCliGetData>\n");
  if (!o || !o->obj)
    return 0;
  const UINT format = o->kind == OLE1_LINKED ? Ole1Cli.objectLink : Ole1Cli.ownerLink;
  HANDLE h = nullptr;
  if (OleTraceCall(ole1::OleGetData(o->obj, format, &h), "OleGetData", o->dwg) != 0 || !h)
    return 0;
  const auto *p = static_cast<const uint8_t *>(GlobalLock(h));
  if (!p)
    return 0;
  const std::size_t size = GlobalSize(h);
  int ok = 0;
  if (buf) {
    ok = ole1_linkstrings(p, size, buf, cap, nullptr);
  } else {
    std::vector<char> tmp(size + 1);
    std::size_t used = 0;
    if (ole1_linkstrings(p, size, tmp.data(), tmp.size(), &used)) {
      HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, used);
      if (void *q = copy ? GlobalLock(copy) : nullptr) {
        std::memcpy(q, tmp.data(), used);
        GlobalUnlock(copy);
        if (o->linkData)
          GlobalFree(o->linkData);
        o->linkData = copy;
        ok = 1;
      } else {
        if (copy)
          GlobalFree(copy);
        ReportOleStatus(OLE1_ST_NOMEMORY);
      }
    }
  }
  GlobalUnlock(h);
  return ok;
}

int ObjChangeLinkData(Ole1Object *o, const char *cls, const char *doc, const char *item) {
  dbg_trace("<ObjChangeLinkData>\n");
  if (!o || !o->obj || !cls || !doc || !item)
    return 0;
  const std::size_t a = std::strlen(cls) + 1, b = std::strlen(doc) + 1, c = std::strlen(item) + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, a + b + c + 1);
  char *p = h ? static_cast<char *>(GlobalLock(h)) : nullptr;
  if (!p) {
    if (h)
      GlobalFree(h);
    ReportOleStatus(OLE1_ST_NOMEMORY);
    return 0;
  }
  std::memcpy(p, cls, a);
  std::memcpy(p + a, doc, b);
  std::memcpy(p + a + b, item, c);
  GlobalUnlock(h);
  const OLESTATUS st = ole1::OleSetData(o->obj, Ole1Cli.objectLink, h);
  if (OleTraceCall(st, "OleSetData", o->dwg) != 0) {
    GlobalFree(h);
    return 0;
  }
  Ole1WaitObject(o->dwg, o->obj);
  if (!ObjCliGetData(o, nullptr, 0))
    return 0;
  const char *d = nullptr;
  ole1_linkparts(static_cast<const char *>(GlobalLock(o->linkData)), nullptr, &d, nullptr);
  if (o->link)
    GlobalDeleteAtom(o->link);
  o->link = GlobalAddAtomA(d);
  GlobalUnlock(o->linkData);
  return 1;
}

void ObjMove(Ole1Object *o, const double rect[4]) {
  dbg_trace("<ObjMove>\n");
  if (!o)
    return;
  Ole1Redraw(o);
  std::memcpy(o->rect, rect, sizeof o->rect);
  Ole1Redraw(o);
  dwg_touch(o->dwg);
}

int ObjCliSetBounds(Ole1Object *o, const double rect[4]) {
  dbg_trace("<ObjCliSetBounds>\n");
  if (!o)
    return 0;
  ObjMove(o, rect);
  if (!o->obj || o->kind == OLE1_STATIC)
    return 1;
  const RECT b = BoundsToHimetric(o);
  if (OleTraceCall(ole1::OleSetBounds(o->obj, &b), "OleSetBounds", o->dwg) != 0)
    return 0;
  Ole1WaitObject(o->dwg, o->obj);
  return 1;
}

int ExecuteVerb(Ole1Object *o, int verb) {
  dbg_trace("<ExecuteVerb>\n");
  if (!o || !o->obj)
    return 0;
  const RECT r = Ole1DeviceRect(o->dwg, o->view, o);
  const OLESTATUS st = ole1::OleActivate(o->obj, UINT(verb), TRUE, TRUE, vew_hwnd(o->dwg, o->view), &r);
  if (OleTraceCall(st, "OleActivate", o->dwg) != 0)
    return 0;
  Ole1Cli.active = o;
  Ole1WaitObject(o->dwg, o->obj);
  return 1;
}

int ObjRead(int dwg, Ole1Stream *s, Ole1Object *o) {
  dbg_trace("<ObjRead>\n");
  if (!s || !o || !valid(dwg))
    return 0;
  char name[32], protocol[200];
  if (!ole1_readname(stream_read, s, name, sizeof name) || !ole1_readname(stream_read, s, protocol, sizeof protocol)) {
    ReportOleStatus(OLE_ERROR_STREAM);
    return 0;
  }
  o->dwg = dwg;
  LPOLEOBJECT obj = nullptr;
  const OLESTATUS st = ole1::OleLoadFromStream(&s->base, protocol, &o->client, Ole1Doc[dwg].doc, name, &obj);
  if (created(st, obj, "OleLoadFromStream", dwg) != 0)
    return 0;
  o->obj = obj;
  Ole1WaitObject(dwg, obj);
  uint8_t tail[36];
  if (stream_read(s, tail, sizeof tail) != sizeof tail) {
    ReportOleStatus(OLE_ERROR_STREAM);
    return 0;
  }
  const int32_t kind = slf_get<int32_t>(tail, 32);
  if (kind < OLE1_LINKED || kind > OLE1_STATIC) {
    ReportOleStatus(OLE_ERROR_STREAM);
    return 0;
  }
  for (int i = 0; i < 4; ++i)
    o->rect[i] = slf_get<double>(tail, std::size_t(i) * 8);
  o->kind = kind;
  if (o->name)
    GlobalDeleteAtom(o->name);
  o->name = GlobalAddAtomA(name);
  return 1;
}

int ObjWrite(Ole1Stream *s, Ole1Object *o) {
  dbg_trace("<ObjWrite>\n");
  if (!s || !o || !o->obj)
    return 0;
  char name[256];
  Ole1ObjectName(o, name, sizeof name);
  const char *protocol = o->kind == OLE1_STATIC ? "Static" : "StdFileEditing";
  uint8_t len[4];
  slf_put<uint32_t>(len, 0, uint32_t(std::strlen(name) + 1));
  if (!stream_write(s, len, 4) || !stream_write(s, name, uint32_t(std::strlen(name) + 1)))
    return 0;
  slf_put<uint32_t>(len, 0, uint32_t(std::strlen(protocol) + 1));
  if (!stream_write(s, len, 4) || !stream_write(s, protocol, uint32_t(std::strlen(protocol) + 1)))
    return 0;
  if (OleTraceCall(ole1::OleSaveToStream(o->obj, &s->base), "OleSaveToStream", o->dwg) != 0)
    return 0;
  uint8_t tail[36];
  for (int i = 0; i < 4; ++i)
    slf_put<double>(tail, std::size_t(i) * 8, o->rect[i]);
  slf_put<int32_t>(tail, 32, o->kind);
  return stream_write(s, tail, sizeof tail) ? 1 : 0;
}

int ObjFreeze(Ole1Object *o) {
  dbg_trace("<ObjFreeze>\n");
  if (!o || !o->obj || o->kind == OLE1_STATIC)
    return 0;
  const int dwg = o->dwg;
  char name[64], old[256];
  Ole1NextDocName(dwg, name, sizeof name);
  Ole1ObjectName(o, old, sizeof old);
  Ole1Object *n = PreItemCreate(dwg);
  if (!n)
    return 0;
  n->name = GlobalAddAtomA(name);
  LPOLEOBJECT obj = nullptr;
  const OLESTATUS st = ole1::OleObjectConvert(o->obj, "Static", &n->client, Ole1Doc[dwg].doc, name, &obj);
  if (created(st, obj, "OleObjectConvert", dwg) != 0) {
    Ole1FreeRecord(n);
    return 0;
  }
  Ole1WaitObject(dwg, obj);
  const double rect[4] = {o->rect[0], o->rect[1], o->rect[2], o->rect[3]};
  n->selected = o->selected;
  if (!PostItemCreate(dwg, o->view, n, OLE1_STATIC, rect, obj, 0, 0)) {
    ole1::OleDelete(obj);
    Ole1FreeRecord(n);
    return 0;
  }
  ObjDelete(dwg, o, 1);
  if (OleTraceCall(ole1::OleRename(obj, old), "OleRename", dwg) == 0) {
    GlobalDeleteAtom(n->name);
    n->name = GlobalAddAtomA(old);
  }
  dwg_touch(dwg);
  return 1;
}

void ObjShowZOrder(int dwg) {
  dbg_trace("<ObjShowZOrder>\n");
  if (!valid(dwg))
    return;
  for (int v = 0; v < VIEW_COUNT; ++v) {
    HWND w = (vew_mask(dwg) >> v) & 1 ? vew_hwnd(dwg, v) : nullptr;
    if (!w)
      continue;
    HDC dc = GetDC(w);
    Ole1DrawObjects(dwg, v, dc);
    ReleaseDC(w, dc);
  }
}
