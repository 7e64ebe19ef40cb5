// Stand-ins for the older OLE libraries: log each call, answer as scripted and play
// the client's side of a conversation with a registered server.
#include "ole/ole1h.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <vector>
#include <string>
#include <type_traits>

#include "ole/ole1list.h"

namespace {

std::map<std::string, long> results;
// One-shot results taken, in order, before the standing one.
std::map<std::string, std::deque<long>> queued;
// The first text argument of each call, by entry point.
std::map<std::string, std::vector<std::string>> texts;
std::map<std::string, long> options;
RECT bounds = {0, 0, 0, 0};
std::string data;

// A handle the stand-in gives out for an object.
struct FakeObject {
  void *lpvtbl = nullptr;
  int id = 0;
};
FakeObject objects[64];
int next_object = 0;
LPOLECLIENT last_client = nullptr;
LPOLEOBJECT last_object = nullptr;
LPOLESERVER server = nullptr;
LPOLESERVERDOC server_doc = nullptr;
LPOLEOBJECT server_obj = nullptr;

template <class T> unsigned long long word(T v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<uintptr_t>(v);
  else
    return static_cast<unsigned long long>(static_cast<long long>(v));
}

void log_call(const char *name, std::initializer_list<unsigned long long> args) {
  char file[MAX_PATH];
  if (!GetEnvironmentVariableA("INK_OLE1_LOG", file, sizeof file))
    return;
  FILE *f = std::fopen(file, "a");
  if (!f)
    return;
  std::fprintf(f, "%s(", name);
  bool first = true;
  for (unsigned long long a : args) {
    std::fprintf(f, first ? "0x%llx" : ", 0x%llx", a);
    first = false;
  }
  std::fprintf(f, ")\n");
  std::fclose(f);
}

long result_of(const char *name) {
  auto q = queued.find(name);
  if (q != queued.end() && !q->second.empty()) {
    const long r = q->second.front();
    q->second.pop_front();
    return r;
  }
  auto it = results.find(name);
  return it == results.end() ? long(OLE_OK) : it->second;
}

bool fine(long r) { return r == OLE_OK || r == OLE_WAIT_FOR_RELEASE; }

LPOLEOBJECT new_object() {
  FakeObject &o = objects[next_object++ % 64];
  o.id = next_object;
  return reinterpret_cast<LPOLEOBJECT>(&o);
}

struct Logger {
  const char *name;
  template <class... A> void operator()(A... a) const {
    log_call(name, {word(a)...});
    bool got = false;
    (keep(a, &got), ...);
  }
  void keep(const char *t, bool *got) const {
    if (!*got)
      texts[name].push_back(t ? t : "<null>");
    *got = true;
  }
  template <class T> void keep(T, bool *) const {}
};

// What an entry point does beside answering, by its arguments' types: hands out
// objects and document or server handles, keeps the client and server tables, and
// moves an object through a stream.
struct Actor {
  const char *name;
  FakeObject *current = nullptr;
  int loaded = 0;
  template <class... A> void operator()(A... a) { (visit(a), ...); }
  void visit(LPOLEOBJECT o) { current = reinterpret_cast<FakeObject *>(o); }
  void visit(LPOLEOBJECT *out) {
    if (!out)
      return;
    *out = last_object = options["nullobject"] ? nullptr : new_object();
    // An object loaded from a stream is the one saved there.
    if (*out && loaded)
      reinterpret_cast<FakeObject *>(*out)->id = loaded;
  }
  void visit(RECT *r) {
    if (r)
      *r = bounds;
  }
  void visit(HANDLE *h) {
    if (!h)
      return;
    *h = nullptr;
    if (data.empty())
      return;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (void *p = g ? GlobalLock(g) : nullptr) {
      std::memcpy(p, data.data(), data.size());
      GlobalUnlock(g);
    }
    *h = g;
  }
  void visit(DWORD *size) {
    if (size)
      *size = 8;
  }
  void visit(LPOLECLIENT c) { last_client = c; }
  void visit(LPOLESERVER s) { server = s; }
  void visit(LONG_PTR *handle) {
    static LONG_PTR next = 0x7000;
    if (handle)
      *handle = ++next;
  }
  void visit(BOOL *more) {
    if (more)
      *more = FALSE;
  }
  void visit(LPOLESTREAM s) {
    if (!s || !s->lpstbl)
      return;
    char buf[8] = {'O', '1', 'S', 'O', 0, 0, 0, 0};
    if (std::string(name) == "OleSaveToStream") {
      const int id = current ? current->id : 0;
      std::memcpy(buf + 4, &id, 4);
      s->lpstbl->Put(s, buf, sizeof buf);
    } else if (std::string(name) == "OleLoadFromStream") {
      if (s->lpstbl->Get(s, buf, sizeof buf) == sizeof buf)
        std::memcpy(&loaded, buf + 4, 4);
    }
  }
  template <class T> void visit(T) {}
};

} // namespace

extern "C" {

__declspec(dllexport) int ink_ole1_standin() { return 1; }

void __stdcall o1s_result(const char *name, long result) { results[name] = result; }

void __stdcall o1s_next(const char *name, long result) { queued[name].push_back(result); }

void __stdcall o1s_option(const char *name, long value) { options[name] = value; }

void __stdcall o1s_bounds(long left, long top, long right, long bottom) { bounds = RECT{left, top, right, bottom}; }

void __stdcall o1s_data(const char *bytes, long len) { data.assign(bytes ? bytes : "", bytes ? std::size_t(len) : 0); }

int __stdcall o1s_text(const char *name, int index, char *out, int cap) {
  auto it = texts.find(name ? name : "");
  if (it == texts.end() || index < 0 || std::size_t(index) >= it->second.size() || !out || cap <= 0)
    return 0;
  std::snprintf(out, std::size_t(cap), "%s", it->second[std::size_t(index)].c_str());
  return 1;
}

void __stdcall o1s_reset() {
  results.clear();
  queued.clear();
  texts.clear();
  options.clear();
  bounds = RECT{0, 0, 0, 0};
  data.clear();
}

int __stdcall o1s_client(int notification) {
  if (!last_client || !last_client->lpvtbl || !last_client->lpvtbl->CallBack)
    return -1;
  return last_client->lpvtbl->CallBack(last_client, OLE_NOTIFICATION(notification), last_object);
}

int __stdcall o1s_server(const char *op, const char *text, long number, void **data) {
  const std::string o = op ? op : "";
  if (!server || !server->lpvtbl)
    return -1;
  LPOLESERVERVTBL sv = server->lpvtbl;
  if (o == "open" || o == "create" || o == "edit") {
    LPOLESERVERDOC doc = nullptr;
    OLESTATUS r;
    if (o == "open")
      r = sv->Open(server, LHSERVERDOC(0x5001), text, &doc);
    else if (o == "create")
      r = sv->Create(server, LHSERVERDOC(0x5002), "KIVO-LANT", text, &doc);
    else
      r = sv->Edit(server, LHSERVERDOC(0x5003), "KIVO-LANT", text, &doc);
    if (r == OLE_OK)
      server_doc = doc;
    return r;
  }
  if (o == "exit")
    return sv->Exit(server);
  if (o == "release")
    return sv->Release(server);
  if (!server_doc || !server_doc->lpvtbl)
    return -2;
  LPOLESERVERDOCVTBL dv = server_doc->lpvtbl;
  if (o == "save")
    return dv->Save(server_doc);
  if (o == "close")
    return dv->Close(server_doc);
  if (o == "names")
    return dv->SetHostNames(server_doc, text, data ? static_cast<LPCSTR>(*data) : "");
  if (o == "docrelease")
    return dv->Release(server_doc);
  if (o == "getobject") {
    LPOLEOBJECT obj = nullptr;
    const OLESTATUS r = dv->GetObject(server_doc, text, &obj, nullptr);
    if (r == OLE_OK)
      server_obj = obj;
    return r;
  }
  if (!server_obj || !server_obj->lpvtbl)
    return -3;
  LPOLEOBJECTVTBL ov = server_obj->lpvtbl;
  if (o == "show")
    return ov->Show(server_obj, BOOL(number));
  if (o == "enum")
    return int(ov->EnumFormats(server_obj, OLECLIPFORMAT(number)));
  if (o == "getdata") {
    HANDLE h = nullptr;
    const OLESTATUS r = ov->GetData(server_obj, OLECLIPFORMAT(number), &h);
    if (data)
      *data = h;
    return r;
  }
  if (o == "setdata")
    return ov->SetData(server_obj, OLECLIPFORMAT(number), data ? HANDLE(*data) : nullptr);
  if (o == "protocol")
    return ov->QueryProtocol(server_obj, text) == server_obj ? 1 : 0;
  if (o == "objrelease")
    return ov->Release(server_obj);
  return -4;
}

#define OLE1_STUB(result, name, lib, params, args)                                                                 \
  result WINAPI stub_##name params {                                                                               \
    Logger{#name} args;                                                                                            \
    const long r = result_of(#name);                                                                               \
    if (fine(r))                                                                                                   \
      Actor{#name} args;                                                                                           \
    return static_cast<result>(r);                                                                                 \
  }
OLE1_ENTRIES(OLE1_STUB)

} // extern "C"
