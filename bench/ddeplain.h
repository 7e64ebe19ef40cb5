// A plain DDEML client, written the way any other program would drive the editor:
// one conversation, pokes and requests through the library's own calls, and nothing
// done about acknowledgements. No code of the editor is used.
#pragma once

#include <windows.h>

#include <ddeml.h>

#include <cstring>
#include <string>

namespace plain {

inline HDDEDATA CALLBACK no_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

struct Client {
  DWORD inst = 0;
  HCONV conv = nullptr;
  HSZ service = nullptr, topic = nullptr, cmdl = nullptr, fack = nullptr;
  DWORD timeout = 10000;

  bool start() {
    if (DdeInitializeA(&inst, no_callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
      return false;
    service = DdeCreateStringHandleA(inst, "KIVOLANT", CP_WINANSI);
    topic = DdeCreateStringHandleA(inst, "System", CP_WINANSI);
    cmdl = DdeCreateStringHandleA(inst, "CMDL", CP_WINANSI);
    fack = DdeCreateStringHandleA(inst, "FACK", CP_WINANSI);
    return service && topic && cmdl && fack;
  }
  // Retries for up to ms until the service takes the conversation and answers a poke
  // of "FACK" (it answers busy while the editor starts).
  bool connect(DWORD ms) {
    const DWORD begin = GetTickCount();
    while (!conv && GetTickCount() - begin < ms)
      if (!(conv = DdeConnect(inst, service, topic, nullptr)))
        Sleep(20);
    while (conv && GetTickCount() - begin < ms) {
      if (poke_item(fack, "") == DDE_FACK)
        return true;
      Sleep(20);
    }
    return false;
  }
  // The status of the acknowledgement: DDE_FACK, DDE_FBUSY or 0; -1 when none came.
  int poke_item(HSZ item, const char *text) {
    DWORD status = 0;
    HDDEDATA h = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text)), DWORD(std::strlen(text) + 1),
                                      conv, item, CF_TEXT, XTYP_POKE, timeout, &status);
    const UINT err = DdeGetLastError(inst);
    if (!h && err != DMLERR_NO_ERROR && err != DMLERR_NOTPROCESSED && err != DMLERR_BUSY)
      return -1;
    return int(status & (DDE_FACK | DDE_FBUSY));
  }
  int poke(const char *line) { return poke_item(cmdl, line); }
  // The reply text; false when no data came.
  bool request(std::string *out) {
    out->clear();
    HDDEDATA h = DdeClientTransaction(nullptr, 0, conv, cmdl, CF_TEXT, XTYP_REQUEST, timeout, nullptr);
    if (!h)
      return false;
    char buf[1100] = "";
    const DWORD n = DdeGetData(h, reinterpret_cast<LPBYTE>(buf), sizeof buf - 1, 0);
    DdeFreeDataHandle(h);
    buf[n < sizeof buf ? n : sizeof buf - 1] = '\0';
    *out = buf;
    return true;
  }
  int execute(const char *text) {
    DWORD status = 0;
    HDDEDATA h = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text)), DWORD(std::strlen(text) + 1),
                                      conv, nullptr, CF_TEXT, XTYP_EXECUTE, timeout, &status);
    return h ? int(status & (DDE_FACK | DDE_FBUSY)) : -1;
  }
  void end() {
    if (conv)
      DdeDisconnect(conv);
    conv = nullptr;
    for (HSZ *h : {&service, &topic, &cmdl, &fack})
      if (*h)
        DdeFreeStringHandle(inst, *h), *h = nullptr;
    if (inst)
      DdeUninitialize(inst);
    inst = 0;
  }
};

} // namespace plain
