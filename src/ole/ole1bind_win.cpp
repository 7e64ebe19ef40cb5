#include "ole/ole1bind.h"

#include "settings/dbgtrace.h"

namespace {

HMODULE cli = nullptr, svr = nullptr;
int on = -1;

// Decided at the first library loaded: Wine's own libraries are not usable (most
// entry points crash, others answer success and do nothing); the stand-in marks itself.
void decide(HMODULE lib) {
  if (on >= 0)
    return;
  HMODULE nt = GetModuleHandleA("ntdll.dll");
  const bool wine = nt && GetProcAddress(nt, "wine_get_version");
  on = !wine || GetProcAddress(lib, "ink_ole1_standin") ? 1 : 0;
  if (!on)
    dbg_trace("OLE1: the system's OLE 1 libraries are not usable here; the older OLE layer is off\n");
}

FARPROC bind(HMODULE &lib, const char *file, const char *name) {
  if (!lib) {
    lib = LoadLibraryA(file);
    if (!lib)
      return nullptr;
    decide(lib);
  }
  return GetProcAddress(lib, name);
}

FARPROC cli_proc(const char *name) { return bind(cli, "OLECLI32.DLL", name); }
FARPROC svr_proc(const char *name) { return bind(svr, "OLESVR32.DLL", name); }
// The lock functions live in the client library, though the server uses them.
FARPROC lock_proc(const char *name) {
  FARPROC p = svr_proc(name);
  return p ? p : cli_proc(name);
}
#define OLE1_BINDER_C cli_proc
#define OLE1_BINDER_S svr_proc
#define OLE1_BINDER_L lock_proc

} // namespace

FARPROC GetOleCliProc(const char *name) { return cli_proc(name); }
FARPROC GetOleSvrProc(const char *name) { return svr_proc(name); }
int ole1_switch() { return on; }

namespace ole1 {
#define OLE1_FORWARD(result, name, lib, params, args)                                                              \
  result WINAPI name params {                                                                                      \
    using Fn = result(WINAPI *) params;                                                                            \
    FARPROC p = OLE1_BINDER_##lib(#name);                                                                          \
    if (!p || on != 1)                                                                                             \
      return static_cast<result>(OLE_ERROR_GENERIC);                                                               \
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(p)) args;                                                 \
  }
OLE1_ENTRIES(OLE1_FORWARD)
#undef OLE1_FORWARD
} // namespace ole1
