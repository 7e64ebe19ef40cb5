// The DDE service "KIVOLANT" (topic "System": execute strings, the items "CMDL" and
// "FACK"), the document type "KIVO-LANT" and a small client of up to ten
// conversations.
#pragma once

#include <windows.h>

#include <ddeml.h>

// DDE instance of this program; 0 when neither server nor client is started.
extern DWORD DdeInst;

// Starts the server: the document type, DdeInitialize and the service name. 0.
int ddes_init();
// Ends the server or the client-only start; nothing when none runs. 0.
int ddes_term();
// Executes, pokes and requests are answered busy (requests without data) until the
// program has finished starting; start-up sets it last.
void ddes_ready(bool ready);
// The library's callback. The transactions of the service's conversations do not come
// here: they are taken from the conversation windows and answered, one at a time and
// in order, from a message posted to the program's own loop.
HDDEDATA CALLBACK ddes_callback(UINT type, UINT format, HCONV conv, HSZ s1, HSZ s2, HDDEDATA data, ULONG_PTR d1,
                                ULONG_PTR d2);
// The transaction handlers: DDE_FACK, DDE_FBUSY or 0 (not processed); requests a
// data handle or null.
HDDEDATA ddes_execute(const char *text, DWORD size);
HDDEDATA ddes_poke(HSZ item, HDDEDATA data);
HDDEDATA ddes_request(UINT format, HSZ item);
// The four entries of the document type under HKEY_CLASSES_ROOT\KIVO-LANT, written
// only when its shell\open\command key exists. TRUE when all four were written.
BOOL ddes_regtype();
// Execute strings of the topic (null or empty: every topic) go to hook first; a hook
// result 0 acknowledges them without further work. 0.
using DdeExecHook = int (*)(const char *topic, const char *command);
int ddes_sethook(const char *topic, DdeExecHook hook);
extern char DdeHookTopic[2048];
extern DdeExecHook DdeHook;

// Client: a program that only calls other services starts DDE with this (no service
// registered). 0, or the DdeInitialize error.
int ddec_init();
// -1 no DDE instance, -2 all ten slots used, -3 no conversation; else slot 1..10.
int ddec_connect(const char *service, const char *topic);
// Return DdeGetLastError after the transaction (0 done), -1 without an instance.
int ddec_execute(int slot, const char *text);
int ddec_poke(int slot, const char *item, const char *text);
// Copies up to size bytes of the answer; the byte count (0 no data), -1 without an
// instance or for a bad slot.
int ddec_request(int slot, const char *item, char *buf, int size);
int ddec_disconnect(int slot);
int ddec_closeall();
// Ends a client-only start (the conversations too). 0.
int ddec_term();
// The conversation of a slot (null for a free or bad slot).
HCONV ddec_conv(int slot);
