// Calls into the older OLE libraries (OLECLI32.DLL, OLESVR32.DLL), bound by name at
// run time on every call. Include it before <windows.h> (see ole1h.h); five names
// are also OLE 2 functions, hence the namespace.
//
// Under Wine the libraries' own entry points fail or crash, so the layer switches
// itself off there unless the loaded library is the test stand-in: then, and when a
// library or an entry point is missing, a forwarder answers OLE_ERROR_GENERIC and
// calls nothing.
#pragma once

#include "ole/ole1h.h"

#include "ole/ole1list.h"

FARPROC GetOleCliProc(const char *name);
FARPROC GetOleSvrProc(const char *name);

// -1 while no library was loaded, 0 off, 1 on.
int ole1_switch();

namespace ole1 {
#define OLE1_DECLARE(result, name, lib, params, args) result WINAPI name params;
OLE1_ENTRIES(OLE1_DECLARE)
#undef OLE1_DECLARE
} // namespace ole1
