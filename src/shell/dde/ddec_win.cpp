#include "shell/dde/dde.h"

#include <dde.h>

#include <cstring>

DWORD DdeInst = 0;

namespace {
struct Slot {
  HCONV conv;
  HSZ service, topic;
  HWND window; // this side's conversation window
};
Slot Slots[10];

// Drops acknowledgements left waiting for the conversation window (the answer to a
// transaction that timed out), so that none is taken for the next one's.
void drop_acks(const Slot &s) {
  if (!s.window)
    return;
  MSG m;
  while (PeekMessageA(&m, s.window, WM_DDE_ACK, WM_DDE_ACK, PM_REMOVE)) {
    UINT_PTR lo = 0, hi = 0;
    if (UnpackDDElParam(WM_DDE_ACK, m.lParam, &lo, &hi)) {
      FreeDDElParam(WM_DDE_ACK, m.lParam);
      if (hi)
        GlobalDeleteAtom(ATOM(hi));
    }
  }
}

// The outcome of an execute or poke: 0 acknowledged, DMLERR_BUSY, DMLERR_NOTPROCESSED
// or the transaction's error. Wine reports a refusal only in the status word.
int outcome(HDDEDATA h, DWORD status) {
  const UINT err = DdeGetLastError(DdeInst);
  if (!h)
    return err ? int(err) : DMLERR_NOTPROCESSED;
  if (status & DDE_FACK)
    return 0;
  return status & DDE_FBUSY ? DMLERR_BUSY : DMLERR_NOTPROCESSED;
}

// A client-only start has no callback work to do.
HDDEDATA CALLBACK client_cb(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

Slot *slot_at(int slot) { return slot >= 1 && slot <= 10 && Slots[slot - 1].service ? &Slots[slot - 1] : nullptr; }

void free_slot(Slot &s) {
  if (s.conv)
    DdeDisconnect(s.conv);
  if (s.service)
    DdeFreeStringHandle(DdeInst, s.service);
  if (s.topic)
    DdeFreeStringHandle(DdeInst, s.topic);
  s = Slot{};
}
} // namespace

int ddec_init() {
  if (DdeInst)
    return 0;
  DWORD inst = 0;
  const UINT r = DdeInitializeA(&inst, client_cb, APPCMD_CLIENTONLY, 0);
  if (r != DMLERR_NO_ERROR)
    return int(r);
  DdeInst = inst;
  return 0;
}

int ddec_connect(const char *service, const char *topic) {
  if (!DdeInst)
    return -1;
  Slot *s = nullptr;
  for (Slot &c : Slots)
    if (!c.service) {
      s = &c;
      break;
    }
  if (!s)
    return -2;
  s->service = DdeCreateStringHandleA(DdeInst, service, CP_WINANSI);
  s->topic = DdeCreateStringHandleA(DdeInst, topic, CP_WINANSI);
  s->conv = s->service && s->topic ? DdeConnect(DdeInst, s->service, s->topic, nullptr) : nullptr;
  if (!s->conv) {
    free_slot(*s);
    return -3;
  }
  CONVINFO ci = {};
  ci.cb = sizeof ci;
  if (DdeQueryConvInfo(s->conv, QID_SYNC, &ci))
    s->window = ci.hwnd;
  return int(s - Slots) + 1;
}

int ddec_execute(int slot, const char *text) {
  if (!DdeInst)
    return -1;
  Slot *s = slot_at(slot);
  if (!s || !text)
    return DMLERR_INVALIDPARAMETER;
  drop_acks(*s);
  DWORD status = 0;
  HDDEDATA h = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text)), DWORD(std::strlen(text) + 1),
                                    s->conv, nullptr, CF_TEXT, XTYP_EXECUTE, 10000, &status);
  return outcome(h, status);
}

int ddec_poke(int slot, const char *item, const char *text) {
  if (!DdeInst)
    return -1;
  Slot *s = slot_at(slot);
  if (!s || !item || !text)
    return DMLERR_INVALIDPARAMETER;
  drop_acks(*s);
  HSZ hi = DdeCreateStringHandleA(DdeInst, item, CP_WINANSI);
  DWORD status = 0;
  HDDEDATA h = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text)), DWORD(std::strlen(text) + 1),
                                    s->conv, hi, CF_TEXT, XTYP_POKE, 10000, &status);
  const int r = outcome(h, status);
  DdeFreeStringHandle(DdeInst, hi);
  return r;
}

int ddec_request(int slot, const char *item, char *buf, int size) {
  if (!DdeInst)
    return -1;
  Slot *s = slot_at(slot);
  if (!s || !item || !buf || size < 0)
    return -1;
  if (size > 0)
    buf[0] = '\0';
  drop_acks(*s);
  HSZ hi = DdeCreateStringHandleA(DdeInst, item, CP_WINANSI);
  HDDEDATA h = DdeClientTransaction(nullptr, 0, s->conv, hi, CF_TEXT, XTYP_REQUEST, 1000, nullptr);
  int n = 0;
  if (h) {
    n = int(DdeGetData(h, reinterpret_cast<LPBYTE>(buf), DWORD(size), 0));
    DdeFreeDataHandle(h);
  }
  DdeFreeStringHandle(DdeInst, hi);
  return n;
}

int ddec_disconnect(int slot) {
  if (Slot *s = slot_at(slot))
    free_slot(*s);
  return 0;
}

HCONV ddec_conv(int slot) {
  const Slot *s = slot_at(slot);
  return s ? s->conv : nullptr;
}

int ddec_closeall() {
  for (Slot &s : Slots)
    if (s.service)
      free_slot(s);
  ddes_sethook(nullptr, nullptr);
  return 0;
}

int ddec_term() {
  ddec_closeall();
  if (DdeInst)
    DdeUninitialize(DdeInst);
  DdeInst = 0;
  return 0;
}

char DdeHookTopic[2048];
DdeExecHook DdeHook = nullptr;

int ddes_sethook(const char *topic, DdeExecHook hook) {
  DdeHookTopic[0] = '\0';
  if (topic) {
    std::strncpy(DdeHookTopic, topic, sizeof DdeHookTopic - 1);
    DdeHookTopic[sizeof DdeHookTopic - 1] = '\0';
  }
  DdeHook = hook;
  return 0;
}
