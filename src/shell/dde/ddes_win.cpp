#include "shell/dde/dde.h"

#include <dde.h>

#include <cstddef>
#include <cstring>
#include <deque>

#include "commands/cmdl/cmdl.h"
#include "commands/cmdl/cmdl_win.h"
#include "database/undo.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "settings/winutil.h"
#include "shell/app/appcmd.h"
#include "settings/appwin.h"
#include "shell/dde/ddeexec.h"

// Transactions are taken out of the conversation windows' message stream and answered
// from a posted message, outside the DDE library's callback: a command that waits for
// the user or shows a question pumps messages, and doing that inside the callback
// can leave the library looping or using a conversation its client has ended.
// Requests are answered here too, with the data alone: the library under Wine follows
// every reply with a positive acknowledgement, which a plain client takes as the
// answer to its next poke, so that all later replies drift by one.
namespace {
HSZ Service = nullptr;
HSZ Topics[2] = {nullptr, nullptr}; // "System", then the end of the table
bool Server = false;                // this instance registered the service
bool Ready = false;
unsigned long Connections = 0;

const HDDEDATA FACK = reinterpret_cast<HDDEDATA>(DDE_FACK);
const HDDEDATA FBUSY = reinterpret_cast<HDDEDATA>(DDE_FBUSY);

const char *const PropProc = "InkDdeProc"; // the library's own procedure of a conversation window
const char *const PropConv = "InkDdeConv"; // its conversation handle
constexpr UINT WM_DDESERVE = WM_APP + 0x162;

struct Pending {
  HWND server, client;
  UINT msg;
  LPARAM lp;
};
std::deque<Pending> Queue;
bool Serving = false;
bool WakePosted = false;
HWND Waker = nullptr; // message-only window whose message answers the queue

bool same(HSZ a, HSZ b) { return a && b && DdeCmpStringHandles(a, b) == 0; }

HDDEDATA wildconnect(HSZ service, HSZ topic) {
  if (service && !same(service, Service))
    return nullptr;
  HSZPAIR pairs[2] = {};
  int n = 0;
  for (int i = 0; Topics[i]; i++)
    if (!topic || same(topic, Topics[i]))
      pairs[n].hszSvc = Service, pairs[n].hszTopic = Topics[i], n++;
  if (!n)
    return nullptr;
  return DdeCreateDataHandle(DdeInst, reinterpret_cast<LPBYTE>(pairs), DWORD((n + 1) * sizeof(HSZPAIR)), 0, nullptr,
                             CF_TEXT, 0);
}

// DDE_FACK, DDE_FBUSY or 0 for an execute string of the conversation.
ULONG_PTR exec_status(HCONV conv, const char *data, DWORD size) {
  // The data need not be terminated; a longer string than anything understood is cut.
  char text[2048 + 1] = "";
  const DWORD got = size < sizeof text - 1 ? size : DWORD(sizeof text - 1);
  if (data && got)
    std::memcpy(text, data, got);
  text[got] = '\0';
  if (DdeHook) {
    CONVINFO ci = {};
    ci.cb = sizeof ci;
    char topic[2048] = "";
    if (conv && DdeQueryConvInfo(conv, QID_SYNC, &ci))
      DdeQueryStringA(DdeInst, ci.hszTopic, topic, sizeof topic, CP_WINANSI);
    if ((!DdeHookTopic[0] || lstrcmpiA(DdeHookTopic, topic) == 0) && DdeHook(topic, text) == 0)
      return DDE_FACK;
  }
  return reinterpret_cast<ULONG_PTR>(ddes_execute(text, got));
}

// DDE_FACK, DDE_FBUSY or 0 for a poke of the item.
ULONG_PTR poke_status(const char *item, const void *data, DWORD size) {
  if (std::strcmp(item, "FACK") == 0)
    return DDE_FACK;
  if (std::strcmp(item, "CMDL") != 0)
    return 0;
  return static_cast<ULONG_PTR>(dde_cmdldata(static_cast<const char *>(data), data ? size : 0));
}

// Commands run only once the program has started and while its main window lives
// (an earlier [Quit] may have ended the engine).
bool up() {
  HWND main = app_hmain();
  return Ready && main && IsWindow(main);
}

bool foreign(HWND client) {
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  return pid != GetCurrentProcessId();
}

void post_ack(const Pending &p, LPARAM lp, ATOM atom) {
  if (!PostMessageA(p.client, WM_DDE_ACK, WPARAM(p.server), lp)) {
    FreeDDElParam(WM_DDE_ACK, lp);
    if (atom)
      GlobalDeleteAtom(atom);
  }
}

void answer_poke(const Pending &p, bool run) {
  UINT_PTR lo = 0, hi = 0;
  UnpackDDElParam(WM_DDE_POKE, p.lp, &lo, &hi);
  const HGLOBAL mem = reinterpret_cast<HGLOBAL>(lo);
  const ATOM atom = ATOM(hi);
  ULONG_PTR status = 0;
  bool release = false;
  if (!Ready) {
    status = DDE_FBUSY;
  } else if (run && mem) {
    char item[512] = "";
    GlobalGetAtomNameA(atom, item, sizeof item);
    const SIZE_T total = GlobalSize(mem);
    if (auto *poke = static_cast<DDEPOKE *>(GlobalLock(mem))) {
      release = poke->fRelease;
      const SIZE_T head = offsetof(DDEPOKE, Value);
      const DWORD size = total > head ? DWORD(total - head) : 0;
      win_pump(nullptr); // the views up to date first
      status = poke_status(item, poke->Value, size);
      GlobalUnlock(mem);
    }
  }
  const WORD word = WORD(status & (DDE_FACK | DDE_FBUSY));
  post_ack(p, ReuseDDElParam(p.lp, WM_DDE_POKE, WM_DDE_ACK, word, atom), atom);
  // A copy made for this process is ours; the client's own block is freed by the
  // client unless it asked us to and we took the data.
  if (mem && (foreign(p.client) || (release && (word & DDE_FACK))))
    GlobalFree(mem);
}

void answer_request(const Pending &p, bool run) {
  UINT_PTR format = 0, hi = 0;
  UnpackDDElParam(WM_DDE_REQUEST, p.lp, &format, &hi);
  FreeDDElParam(WM_DDE_REQUEST, p.lp);
  const ATOM atom = ATOM(hi);
  char item[512] = "";
  GlobalGetAtomNameA(atom, item, sizeof item);
  if (run && Ready && format == CF_TEXT && std::strcmp(item, "CMDL") == 0) {
    win_pump(nullptr);
    const char *text = dde_replytext();
    const SIZE_T n = std::strlen(text) + 1, head = offsetof(DDEDATA, Value);
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, head + n)) {
      if (auto *d = static_cast<DDEDATA *>(GlobalLock(mem))) {
        std::memset(d, 0, head);
        d->fResponse = 1;
        d->fRelease = 1;
        d->cfFormat = CF_TEXT;
        std::memcpy(d->Value, text, n);
        GlobalUnlock(mem);
        const LPARAM lp = PackDDElParam(WM_DDE_DATA, UINT_PTR(mem), atom);
        if (PostMessageA(p.client, WM_DDE_DATA, WPARAM(p.server), lp)) {
          if (foreign(p.client)) // the message carried a copy
            GlobalFree(mem);
          return;
        }
        FreeDDElParam(WM_DDE_DATA, lp);
      }
      GlobalFree(mem);
    }
  }
  // Nothing to give: a negative acknowledgement, as for any other item or format.
  post_ack(p, PackDDElParam(WM_DDE_ACK, 0, atom), atom);
}

void answer_execute(const Pending &p, bool run) {
  const HGLOBAL mem = reinterpret_cast<HGLOBAL>(p.lp);
  ULONG_PTR status = 0;
  if (!Ready) {
    status = DDE_FBUSY;
  } else if (run && mem) {
    const SIZE_T size = GlobalSize(mem);
    if (const char *text = static_cast<const char *>(GlobalLock(mem))) {
      win_pump(nullptr);
      status = exec_status(static_cast<HCONV>(GetPropA(p.server, PropConv)), text, DWORD(size));
      GlobalUnlock(mem);
    }
  }
  const WORD word = WORD(status & (DDE_FACK | DDE_FBUSY));
  post_ack(p, PackDDElParam(WM_DDE_ACK, word, UINT_PTR(mem)), 0);
  if (mem && foreign(p.client))
    GlobalFree(mem);
}

// Gives back what a transaction of a conversation that has ended carried.
void release(const Pending &p) {
  const bool copy = foreign(p.client);
  UINT_PTR lo = 0, hi = 0;
  switch (p.msg) {
  case WM_DDE_POKE:
    UnpackDDElParam(WM_DDE_POKE, p.lp, &lo, &hi);
    FreeDDElParam(WM_DDE_POKE, p.lp);
    if (lo && copy)
      GlobalFree(reinterpret_cast<HGLOBAL>(lo));
    if (hi)
      GlobalDeleteAtom(ATOM(hi));
    break;
  case WM_DDE_REQUEST:
    UnpackDDElParam(WM_DDE_REQUEST, p.lp, &lo, &hi);
    FreeDDElParam(WM_DDE_REQUEST, p.lp);
    if (hi)
      GlobalDeleteAtom(ATOM(hi));
    break;
  case WM_DDE_EXECUTE:
    if (p.lp && copy)
      GlobalFree(reinterpret_cast<HGLOBAL>(p.lp));
    break;
  }
}

void answer(const Pending &p) {
  if (!IsWindow(p.server) || !IsWindow(p.client)) {
    release(p);
    return;
  }
  const bool run = up();
  switch (p.msg) {
  case WM_DDE_POKE:
    answer_poke(p, run);
    break;
  case WM_DDE_REQUEST:
    answer_request(p, run);
    break;
  case WM_DDE_EXECUTE:
    answer_execute(p, run);
    break;
  }
}

// One transaction at a time, in the order they came, across all conversations: the
// reply text is program-wide, and a command that waits for the user holds the rest.
void serve() {
  if (Serving)
    return;
  Serving = true;
  while (!Queue.empty()) {
    const Pending p = Queue.front();
    Queue.pop_front();
    answer(p);
  }
  Serving = false;
}

void wake() {
  if (WakePosted || !Waker)
    return;
  WakePosted = PostMessageA(Waker, WM_DDESERVE, 0, 0) != FALSE;
}

LRESULT CALLBACK waker_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DDESERVE) {
    WakePosted = false;
    serve();
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT CALLBACK conv_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const auto old = reinterpret_cast<WNDPROC>(GetPropA(w, PropProc));
  switch (m) {
  case WM_DDE_POKE:
  case WM_DDE_REQUEST:
  case WM_DDE_EXECUTE: {
    const Pending p = {w, reinterpret_cast<HWND>(wp), m, lp};
    // A client of this thread waits inside its own call: it cannot wait for the loop.
    if (GetWindowThreadProcessId(p.client, nullptr) == GetCurrentThreadId()) {
      answer(p);
      return 0;
    }
    Queue.push_back(p);
    wake();
    return 0;
  }
  case WM_NCDESTROY:
    RemovePropA(w, PropProc);
    RemovePropA(w, PropConv);
    if (old)
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    break;
  }
  return old ? CallWindowProcA(old, w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}

// Takes the transactions of a new conversation out of the library's hands.
void adopt(HCONV conv) {
  CONVINFO ci = {};
  ci.cb = sizeof ci;
  if (!Waker || !DdeQueryConvInfo(conv, QID_SYNC, &ci) || !ci.hwnd || GetPropA(ci.hwnd, PropProc))
    return;
  SetPropA(ci.hwnd, PropConv, conv);
  const LONG_PTR old = SetWindowLongPtrA(ci.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(conv_proc));
  if (old)
    SetPropA(ci.hwnd, PropProc, reinterpret_cast<HANDLE>(old));
}

void make_waker() {
  const HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = waker_proc;
  wc.hInstance = inst;
  wc.lpszClassName = "InkDdeWaker";
  RegisterClassA(&wc);
  Waker = CreateWindowExA(0, "InkDdeWaker", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
}
} // namespace

int ddes_init() {
  if (Server) // started already (an editor started twice in one process)
    return 0;
  DdeInst = 0;
  Connections = 0;
  ddes_regtype();
  DWORD inst = 0;
  if (DdeInitializeA(&inst, ddes_callback, APPCMD_FILTERINITS | CBF_SKIP_DISCONNECTS, 0) != DMLERR_NO_ERROR)
    return 0;
  DdeInst = inst;
  make_waker();
  Service = DdeCreateStringHandleA(DdeInst, "KIVOLANT", CP_WINANSI);
  DdeNameService(DdeInst, Service, nullptr, DNS_REGISTER);
  Topics[0] = DdeCreateStringHandleA(DdeInst, "System", CP_WINANSI);
  Topics[1] = nullptr;
  Server = true;
  return 0;
}

int ddes_term() {
  if (!DdeInst)
    return 0;
  if (Server) {
    DdeNameService(DdeInst, Service, nullptr, DNS_UNREGISTER);
    if (Service)
      DdeFreeStringHandle(DdeInst, Service);
    if (Topics[0])
      DdeFreeStringHandle(DdeInst, Topics[0]);
  }
  Service = Topics[0] = nullptr;
  Server = false;
  DdeUninitialize(DdeInst);
  DdeInst = 0;
  // Whatever still waits belonged to conversations that are gone now.
  Queue.clear();
  if (Waker)
    DestroyWindow(Waker);
  Waker = nullptr;
  WakePosted = false;
  return 0;
}

void ddes_ready(bool ready) {
  Ready = ready;
  if (ready && !Queue.empty())
    wake();
}

// Reached for conversations whose window could not be taken over: answered at once,
// and never with messages pumped inside.
HDDEDATA CALLBACK ddes_callback(UINT type, UINT format, HCONV conv, HSZ s1, HSZ s2, HDDEDATA data, ULONG_PTR,
                                ULONG_PTR) {
  switch (type) {
  case XTYP_CONNECT_CONFIRM:
    Connections++;
    adopt(conv);
    return nullptr;
  case XTYP_DISCONNECT:
    Connections--;
    return nullptr;
  case XTYP_CONNECT:
    return reinterpret_cast<HDDEDATA>(same(s2, Service) && same(s1, Topics[0]) ? TRUE : FALSE);
  case XTYP_WILDCONNECT:
    return wildconnect(s2, s1);
  case XTYP_EXECUTE: {
    if (!Ready)
      return FBUSY;
    char text[2048 + 1] = "";
    const DWORD got = data ? DdeGetData(data, reinterpret_cast<LPBYTE>(text), sizeof text - 1, 0) : 0;
    return reinterpret_cast<HDDEDATA>(exec_status(conv, text, got));
  }
  case XTYP_POKE:
    if (!Ready)
      return FBUSY;
    return ddes_poke(s2, data);
  case XTYP_REQUEST:
    if (!Ready)
      return nullptr;
    return ddes_request(format, s2);
  default:
    return nullptr;
  }
}

HDDEDATA ddes_execute(const char *text, DWORD size) {
  const DdeExec e = ddes_parse(text, size);
  HWND main = app_hmain();
  switch (e.action) {
  case DdeAction::OpenFile:
    fil_open(1, e.path);
    return FACK;
  case DdeAction::FileOpen:
    if (AppArgs.firstopened[0] && app_samefile(e.path, AppArgs.firstopened)) {
      AppArgs.firstopened[0] = '\0'; // opened at start already; a second request opens it
      return FACK;
    }
    if (AppArgs.openedcount == 0) {
      std::memcpy(AppArgs.firstopened, e.path, sizeof e.path);
      AppArgs.openedcount = 1;
    }
    fil_open(1, e.path);
    return FACK;
  case DdeAction::Quit:
    if (main)
      SendMessageA(main, WM_CLOSE, 0, 0);
    return FACK;
  case DdeAction::Icon:
    if (main)
      ShowWindow(main, IsIconic(main) ? SW_RESTORE : SW_MINIMIZE);
    return FACK;
  case DdeAction::Close:
    if (HWND view = vew_hwnd(dwg_cur(), vew_cur()))
      fil_askclose(view);
    return FACK;
  case DdeAction::UndPend:
    und_pend(dwg_cur());
    return FACK;
  default: // nothing understood, or a path too long for any path buffer
    return nullptr;
  }
}

HDDEDATA ddes_poke(HSZ item, HDDEDATA data) {
  char name[512] = "";
  DdeQueryStringA(DdeInst, item, name, sizeof name, CP_WINANSI);
  // One byte beyond the longest line taken, so that a longer one is refused whole.
  char line[CMDL_LINEMAX + 1];
  const DWORD got = data ? DdeGetData(data, reinterpret_cast<LPBYTE>(line), sizeof line, 0) : 0;
  return reinterpret_cast<HDDEDATA>(poke_status(name, line, got));
}

HDDEDATA ddes_request(UINT format, HSZ item) {
  char name[512] = "";
  if (!item || !DdeQueryStringA(DdeInst, item, name, sizeof name, CP_WINANSI) || std::strcmp(name, "CMDL") != 0)
    return nullptr;
  // Another format than text has no answer.
  return dde_reply(DdeInst, format, item);
}
