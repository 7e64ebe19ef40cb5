// Control functions of the OLE 1 stand-in libraries (olecli32.dll, olesvr32.dll) that
// tests find with GetProcAddress. Every entry point call is appended to the file named
// by the environment variable INK_OLE1_LOG as "Name(arg, ...)", each argument as 0x
// and its value in hexadecimal (pointers as addresses, integers widened).
#pragma once

// The result an entry point gives from now on (OLE_OK unless set).
using O1sResultFn = void(__stdcall *)(const char *name, long result);
// Calls the last registered client's callback with a notification and the last object.
using O1sClientFn = int(__stdcall *)(int notification);
// Plays an OLE 1 client's request to the registered server: op "open", "create",
// "edit", "exit", "release" (server); "save", "close", "names", "getobject",
// "docrelease" (document); "show", "enum", "getdata", "setdata", "protocol",
// "objrelease" (object). text and number carry the request's names or format; the
// handle in or out of a data request goes through *data.
using O1sServerFn = int(__stdcall *)(const char *op, const char *text, long number, void **data);
// A one-shot result for the next call of an entry point, before the standing one.
using O1sNextFn = void(__stdcall *)(const char *name, long result);
// Options: "nullobject" 1 makes the creating entry points answer without an object.
using O1sOptionFn = void(__stdcall *)(const char *name, long value);
// What OleQueryBounds gives.
using O1sBoundsFn = void(__stdcall *)(long left, long top, long right, long bottom);
// The bytes OleGetData hands out (a new global copy each call; none when empty).
using O1sDataFn = void(__stdcall *)(const char *bytes, long len);
// The first text argument of call index (0-based) of an entry point: 1, else 0.
using O1sTextFn = int(__stdcall *)(const char *name, int index, char *out, int cap);
// Forgets every scripted result, option, datum and text.
using O1sResetFn = void(__stdcall *)();
