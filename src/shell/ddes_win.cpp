#include "shell/dde.h"

#include <cstring>

#include "commands/cmdl.h"
#include "commands/cmdl_win.h"
#include "database/undo.h"
#include "display/view.h"
#include "display/viewtbl.h"
#include "files/filecmd.h"
#include "settings/winutil.h"
#include "shell/appcmd.h"
#include "shell/appsvc.h"
#include "shell/ddeexec.h"

namespace {
HSZ Service = nullptr;
HSZ Topics[2] = {nullptr, nullptr}; // "System", then the end of the table
bool Server = false;                // this instance registered the service
bool Ready = false;
unsigned long Connections = 0;

const HDDEDATA FACK = reinterpret_cast<HDDEDATA>(DDE_FACK);
const HDDEDATA FBUSY = reinterpret_cast<HDDEDATA>(DDE_FBUSY);

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

HDDEDATA execute(HCONV conv, HDDEDATA data) {
  (void)conv;
  if (!Ready)
    return FBUSY;
  // The data need not be terminated; a longer string than anything understood is cut.
  char text[2048 + 1] = "";
  const DWORD got = data ? DdeGetData(data, reinterpret_cast<LPBYTE>(text), sizeof text - 1, 0) : 0;
  text[got < sizeof text ? got : sizeof text - 1] = '\0';
  if (DdeHook) {
    CONVINFO ci = {};
    ci.cb = sizeof ci;
    char topic[2048] = "";
    if (DdeQueryConvInfo(conv, QID_SYNC, &ci))
      DdeQueryStringA(DdeInst, ci.hszTopic, topic, sizeof topic, CP_WINANSI);
    if ((!DdeHookTopic[0] || lstrcmpiA(DdeHookTopic, topic) == 0) && DdeHook(topic, text) == 0)
      return FACK;
  }
  win_pump(nullptr);
  return ddes_execute(text, got);
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
  return 0;
}

void ddes_ready(bool ready) { Ready = ready; }

HDDEDATA CALLBACK ddes_callback(UINT type, UINT format, HCONV conv, HSZ s1, HSZ s2, HDDEDATA data, ULONG_PTR,
                                ULONG_PTR) {
  switch (type) {
  case XTYP_CONNECT_CONFIRM:
    Connections++;
    return nullptr;
  case XTYP_DISCONNECT:
    Connections--;
    return nullptr;
  case XTYP_CONNECT:
    return reinterpret_cast<HDDEDATA>(same(s2, Service) && same(s1, Topics[0]) ? TRUE : FALSE);
  case XTYP_WILDCONNECT:
    return wildconnect(s2, s1);
  case XTYP_EXECUTE:
    return execute(conv, data);
  case XTYP_POKE:
    if (!Ready)
      return FBUSY;
    win_pump(nullptr);
    return ddes_poke(s2, data);
  case XTYP_REQUEST:
    if (!Ready)
      return nullptr;
    win_pump(nullptr);
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
  if (std::strcmp(name, "FACK") == 0)
    return FACK;
  if (std::strcmp(name, "CMDL") != 0)
    return nullptr;
  // One byte beyond the longest line taken, so that a longer one is refused whole.
  char line[CMDL_LINEMAX + 1];
  const DWORD got = data ? DdeGetData(data, reinterpret_cast<LPBYTE>(line), sizeof line, 0) : 0;
  return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(dde_cmdldata(line, got)));
}

HDDEDATA ddes_request(UINT format, HSZ item) {
  char name[512] = "";
  if (!item || !DdeQueryStringA(DdeInst, item, name, sizeof name, CP_WINANSI) || std::strcmp(name, "CMDL") != 0)
    return nullptr;
  // Another format than text has no answer.
  return dde_reply(DdeInst, format, item);
}
