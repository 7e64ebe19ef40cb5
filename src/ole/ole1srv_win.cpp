#include "ole/ole1h.h"

#include "ole/ole1srv.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "display/view/areacopy.h"
#include "display/view/areacopy_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "ole/ole1bind.h"
#include "ole/ole1clip.h"
#include "settings/appwin.h"
#include "settings/appstate.h"

Ole1Server Ole1Srv = {0, 0, -1, {}, {}, "", "", 0, 0};

namespace {

const char kClass[] = "KIVO-LANT";
char class_name[32] = "";

OLESERVER server_rec;
OLESERVERDOC doc_rec;

// Server ---------------------------------------------------------------------------------

OLESTATUS open_doc(LHSERVERDOC lhdoc, LPOLESERVERDOC *out) {
  // Another document open, or no free drawing slot: refused.
  if (Ole1Srv.doc || dwg_free() < 0)
    return OLESTATUS(4);
  if (fil_open(0, nullptr) != 0 || vew_mask(0) == 0)
    return OLESTATUS(4);
  const int dwg = 0;
  Ole1Srv.dwg = dwg;
  Ole1Srv.doc = intptr_t(lhdoc);
  std::memset(Ole1Srv.rect, 0, sizeof Ole1Srv.rect);
  Ole1Srv.device = RECT{0, 0, 0, 0};
  if (out)
    *out = &doc_rec;
  return OLE_OK;
}

OLESTATUS CALLBACK srv_open(LPOLESERVER, LHSERVERDOC lhdoc, OLE_LPCSTR, LPOLESERVERDOC *out) {
  return open_doc(lhdoc, out);
}
OLESTATUS CALLBACK srv_create(LPOLESERVER, LHSERVERDOC lhdoc, OLE_LPCSTR, OLE_LPCSTR, LPOLESERVERDOC *out) {
  return open_doc(lhdoc, out);
}
OLESTATUS CALLBACK srv_template(LPOLESERVER, LHSERVERDOC lhdoc, OLE_LPCSTR, OLE_LPCSTR, OLE_LPCSTR,
                                LPOLESERVERDOC *out) {
  return open_doc(lhdoc, out);
}
OLESTATUS CALLBACK srv_edit(LPOLESERVER, LHSERVERDOC lhdoc, OLE_LPCSTR, OLE_LPCSTR, LPOLESERVERDOC *out) {
  Ole1Srv.doc = intptr_t(lhdoc);
  if (out)
    *out = &doc_rec;
  return OLE_OK;
}
OLESTATUS CALLBACK srv_exit(LPOLESERVER) {
  if (ole1::OleRevokeServer(LHSERVER(Ole1Srv.server)) == OLE_ERROR_HANDLE)
    return OLE_ERROR_GENERIC;
  if (HWND main = app_hmain())
    DestroyWindow(main);
  return OLE_OK;
}
OLESTATUS CALLBACK srv_release(LPOLESERVER) { return OLE_OK; }
OLESTATUS CALLBACK srv_execute(LPOLESERVER, HGLOBAL) { return OLE_ERROR_COMMAND; }

OLESERVERVTBL server_table = {srv_open, srv_create, srv_template, srv_edit, srv_exit, srv_release, srv_execute};

// Document -------------------------------------------------------------------------------

OLESTATUS CALLBACK doc_save(LPOLESERVERDOC) { return OLE_OK; }
OLESTATUS CALLBACK doc_close(LPOLESERVERDOC) { return OLE_OK; }
OLESTATUS CALLBACK doc_names(LPOLESERVERDOC, OLE_LPCSTR client, OLE_LPCSTR document) {
  std::snprintf(Ole1Srv.client, sizeof Ole1Srv.client, "%s", client ? client : "");
  std::snprintf(Ole1Srv.document, sizeof Ole1Srv.document, "%s", document ? document : "");
  // The host's names, cut to their fields, give the drawing's views their titles.
  EmbeddedDrawing.dwg = Ole1Srv.dwg;
  std::snprintf(EmbeddedDrawing.object, sizeof EmbeddedDrawing.object, "%s", Ole1Srv.client);
  std::snprintf(EmbeddedDrawing.host, sizeof EmbeddedDrawing.host, "%s", Ole1Srv.document);
  if (Ole1Srv.dwg >= 0)
    for (int v = 0; v < 16; v++) {
      char title[600];
      if (vew_title('R', Ole1Srv.dwg, v, title, sizeof title) == 0)
        vew_title('W', Ole1Srv.dwg, v, title, sizeof title);
    }
  return OLE_OK;
}
OLESTATUS CALLBACK doc_dims(LPOLESERVERDOC, OLE_CONST RECT *) { return OLE_OK; }
OLESTATUS CALLBACK doc_getobject(LPOLESERVERDOC, OLE_LPCSTR, LPOLEOBJECT *out, LPOLECLIENT);
OLESTATUS CALLBACK doc_release(LPOLESERVERDOC) {
  if (HWND main = app_hmain())
    PostMessageA(main, 1045, 0, 0);
  return OLE_OK;
}
OLESTATUS CALLBACK doc_colours(LPOLESERVERDOC, OLE_CONST LOGPALETTE *) { return OLE_OK; }
OLESTATUS CALLBACK doc_execute(LPOLESERVERDOC, HGLOBAL) { return OLE_ERROR_COMMAND; }

OLESERVERDOCVTBL doc_table = {doc_save,      doc_close,   doc_names,   doc_dims,
                              doc_getobject, doc_release, doc_colours, doc_execute};

// Object ---------------------------------------------------------------------------------

void *CALLBACK obj_protocol(LPOLEOBJECT obj, OLE_LPCSTR name) {
  return name && std::strcmp(name, "StdFileEditing") == 0 ? obj : nullptr;
}
OLESTATUS CALLBACK obj_release(LPOLEOBJECT) {
  Ole1Srv.busy = 0;
  return OLE_OK;
}
OLESTATUS CALLBACK obj_show(LPOLEOBJECT, WINBOOL focus) {
  if (HWND main = app_hmain()) {
    ShowWindow(main, SW_SHOW);
    if (focus)
      SetFocus(main);
  }
  return OLE_OK;
}
OLESTATUS CALLBACK obj_verb(LPOLEOBJECT obj, UINT, WINBOOL show, WINBOOL focus) {
  return show ? obj_show(obj, focus) : OLE_OK;
}

// The server's rectangle as the area copy's two corners.
void corners(AreaPick c[2]) {
  const LONG dx[2] = {Ole1Srv.device.left, Ole1Srv.device.right}, dy[2] = {Ole1Srv.device.top, Ole1Srv.device.bottom};
  for (int i = 0; i < 2; i++) {
    c[i] = AreaPick{};
    c[i].dwg = Ole1Srv.dwg;
    c[i].view = 0;
    c[i].dx = dx[i];
    c[i].dy = dy[i];
    c[i].wx = Ole1Srv.rect[2 * i];
    c[i].wy = Ole1Srv.rect[2 * i + 1];
  }
}

OLESTATUS CALLBACK obj_getdata(LPOLEOBJECT, OLECLIPFORMAT format, HANDLE *out) {
  if (!out)
    return OLE_ERROR_GENERIC;
  *out = nullptr;
  AreaPick c[2];
  corners(c);
  if (format && format == Ole1ClipFormat(OLE1_NATIVE))
    *out = RenderOle1Data(Ole1Srv.dwg, Ole1Srv.rect, OLE1_NATIVE, &Ole1Srv.device);
  else if (format == CF_BITMAP)
    *out = clp_bitmap(c);
  else if (format == CF_METAFILEPICT)
    *out = clp_metafile(c);
  else
    return OLE_ERROR_GENERIC;
  return *out ? OLE_OK : OLE_ERROR_GENERIC;
}
OLESTATUS CALLBACK obj_setdata(LPOLEOBJECT, OLECLIPFORMAT format, HANDLE data) {
  if (!format || format != Ole1ClipFormat(OLE1_NATIVE))
    return OLE_ERROR_FORMAT;
  if (ole1_takenative(HGLOBAL(data), Ole1Srv.dwg) != 0)
    return OLE_ERROR_GENERIC;
  std::memcpy(Ole1Srv.rect, Ole1Taken.rect, sizeof Ole1Srv.rect);
  Ole1Srv.device = Ole1Taken.device;
  return OLE_OK;
}
OLESTATUS CALLBACK obj_target(LPOLEOBJECT, HGLOBAL) { return OLE_OK; }
OLESTATUS CALLBACK obj_bounds(LPOLEOBJECT, OLE_CONST RECT *) { return OLE_OK; }
OLECLIPFORMAT CALLBACK obj_enum(LPOLEOBJECT, OLECLIPFORMAT format) {
  const UINT native = Ole1ClipFormat(OLE1_NATIVE), link = Ole1ClipFormat(OLE1_OWNERLINK);
  if (format == 0)
    return OLECLIPFORMAT(native);
  if (format == native)
    return OLECLIPFORMAT(link);
  if (format == link)
    return CF_METAFILEPICT;
  if (format == CF_METAFILEPICT)
    return CF_BITMAP;
  return 0;
}
OLESTATUS CALLBACK obj_colours(LPOLEOBJECT, OLE_CONST LOGPALETTE *) { return OLE_OK; }

OLEOBJECTVTBL object_table = [] {
  OLEOBJECTVTBL t{};
  t.QueryProtocol = obj_protocol;
  t.Release = obj_release;
  t.Show = obj_show;
  t.DoVerb = obj_verb;
  t.GetData = obj_getdata;
  t.SetData = obj_setdata;
  t.SetTargetDevice = obj_target;
  t.SetBounds = obj_bounds;
  t.EnumFormats = obj_enum;
  t.SetColorScheme = obj_colours;
  return t;
}();

OLESTATUS CALLBACK doc_getobject(LPOLESERVERDOC, OLE_LPCSTR, LPOLEOBJECT *out, LPOLECLIENT) {
  // The object lives in global memory; its first word is its table.
  HGLOBAL h = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(OLEOBJECT));
  if (!h || !out)
    return OLE_ERROR_MEMORY;
  auto *obj = static_cast<LPOLEOBJECT>(h);
  obj->lpvtbl = &object_table;
  Ole1Srv.busy = 1;
  *out = obj;
  return OLE_OK;
}

// Registration ---------------------------------------------------------------------------

bool set_key(const std::string &key, const char *value) {
  return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value, DWORD(std::strlen(value))) == ERROR_SUCCESS;
}

bool register_class() {
  const std::string base = kClass, verb = base + "\\protocol\\StdFileEditing\\verb";
  HKEY k;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, verb.c_str(), &k) == ERROR_SUCCESS) {
    RegCloseKey(k);
    return true; // written before: left as the user may have changed it
  }
  char program[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, program, sizeof program);
  return set_key("*.kl", kClass) && set_key(base, "KIVO LANT 図面") && set_key(verb + "\\0", "EDIT") &&
         set_key(base + "\\protocol\\StdFileEditing\\Server", program);
}

} // namespace

int ole1_srvstart(const char *cmdline) {
  // The layer decides at its first library whether it is usable.
  GetOleSvrProc("OleRegisterServer");
  if (ole1_switch() != 1)
    return 0;
  Ole1Srv.embedding = 0;
  std::string document;
  const std::string line = cmdline ? cmdline : "";
  for (size_t at = 0; at < line.size();) {
    const size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string::npos)
      break;
    const size_t end = line.find_first_of(" \t", start);
    const std::string word = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    at = end == std::string::npos ? line.size() : end;
    if (word[0] == '-' || word[0] == '/') {
      if (lstrcmpiA(word.c_str() + 1, "Embedding") == 0)
        Ole1Srv.embedding = 1;
      else if (lstrcmpiA(word.c_str() + 1, "Embedded") == 0)
        Ole1Srv.embedding = 2;
    } else if (document.empty()) {
      document = word;
    }
  }
  std::snprintf(class_name, sizeof class_name, "%s", kClass);
  Ole1RegFormats();
  server_rec.lpvtbl = &server_table;
  doc_rec.lpvtbl = &doc_table;
  if (!register_class())
    return 0;
  LHSERVER lh = 0;
  if (ole1::OleRegisterServer(class_name, &server_rec, &lh, GetModuleHandleA(nullptr), OLE_SERVER_MULTI) != OLE_OK)
    return 0;
  Ole1Srv.server = intptr_t(lh);
  if (Ole1Srv.embedding && document.size() > 1) {
    LHSERVERDOC doc = 0;
    if (ole1::OleRegisterServerDoc(lh, document.c_str(), &doc_rec, &doc) == OLE_OK)
      Ole1Srv.doc = intptr_t(doc);
  }
  return 1;
}

void ole1_srvsaved() {
  if (Ole1Srv.doc)
    ole1::OleSavedServerDoc(LHSERVERDOC(Ole1Srv.doc));
}

void ole1_srvclosed() {
  if (Ole1Srv.doc)
    ole1::OleRevokeServerDoc(LHSERVERDOC(Ole1Srv.doc));
  Ole1Srv.doc = 0;
  Ole1Srv.dwg = -1;
}

void ole1_srvrenamed(const char *path) {
  if (Ole1Srv.doc && path)
    ole1::OleRenameServerDoc(LHSERVERDOC(Ole1Srv.doc), path);
}

void ole1_srvwait() {
  while (Ole1Srv.busy) {
    BOOL more = FALSE;
    if (Ole1Srv.server && ole1::OleUnblockServer(LHSERVER(Ole1Srv.server), &more) == OLE_OK && more)
      continue;
    MSG m;
    if (GetMessageA(&m, nullptr, 0, 0) <= 0)
      break;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}
