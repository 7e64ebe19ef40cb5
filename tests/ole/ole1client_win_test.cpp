// The older OLE client layer against the stand-in libraries: status messages, object
// names, pasting, the waits, objects through files, the library's callback, the
// classes in the registry and the link options' file chooser.
#include "ole/ole1h.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../common/testwin.h"
#include "../database/dbstart.h"
#include "files/olefmt.h"
#include "files/sealfmt.h"
#include "input/gcr.h"
#include "ole/ole1bind.h"
#include "ole/ole1class.h"
#include "ole/ole1obj.h"
#include "ole/ole1rec.h"
#include "ole/oleupdate.h"
#include "ole1stub/ole1stub.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/params.h"
#include "settings/appstate.h"

namespace {

std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

template <class F> F control(const char *name) {
  HMODULE m = GetModuleHandleA("olecli32.dll");
  if (!m)
    m = LoadLibraryA("olecli32.dll");
  return m ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, name))) : nullptr;
}

std::vector<InputEvent> events;
size_t delivered = 0;
int play(InputEvent *next) {
  if (delivered >= events.size())
    return 0;
  *next = events[delivered++];
  return 1;
}

std::vector<std::string> boards;

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void spit(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string message(int n) {
  char text[520] = "";
  msg_fmtbuf(text, sizeof text, n);
  return text;
}

// A seal file head without records.
std::string seal_file() {
  std::string s(SLF_HEADSIZE, '\0');
  auto *p = reinterpret_cast<uint8_t *>(&s[0]);
  std::memcpy(p + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN);
  slf_put<int16_t>(p, SLF_OFF_VERSION, 1);
  slf_put<int32_t>(p, SLF_OFF_COUNT, 0);
  return s;
}

std::string u32(uint32_t v) { return std::string(reinterpret_cast<const char *>(&v), 4); }

class Ole1Client : public ::testing::Test {
public:
  void SetUp() override {
    ASSERT_TRUE(reset_) << "the stand-in libraries are not beside the test";
    reset_();
    static bool loaded = false;
    if (!loaded)
      loaded = msg_load(0, (here() + "inkforge.msg").c_str()) == 0;
    ASSERT_TRUE(loaded);
    db_start(1000, 100);
    win_.open(0, 0);
    dwg_setcur(0);
    vew_select(0);
    CmdLevel = 1;
    events.clear();
    delivered = 0;
    boards.clear();
    gcr_setsource(play);
    ui_setresponder([](const UiQuestion &q) {
      if (q.kind == UI_BOARD)
        boards.emplace_back(q.text ? q.text : "");
      return q.kind == UI_POPUP ? 27 : 0;
    });
    ASSERT_EQ(InitOle1Client(), 1);
    ASSERT_EQ(RegDoc(0, "KIVOLANTDOC#00"), 1);
    dwg_setstate(0, 0);
    Ole1WaitPeriod = 30000;
    log_ = here() + "ole1client.log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("INK_OLE1_LOG", log_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("INK_OLE1_LOG", nullptr);
    reset_();
    DeregDoc(0);
    gcr_setsource(nullptr);
    ui_setresponder(nullptr);
    CmdLevel = -1;
    Ole1WaitPeriod = 30000;
    dtb_term();
  }
  // Pastes at device point (60, 40) of view 0: the result.
  int paste(int embed) {
    events = {InputEvent{500, 0, 0, 60, 40, 0}};
    delivered = 0;
    return ObjPaste(embed);
  }
  LPOLEOBJECT new_object() {
    LPOLEOBJECT obj = nullptr;
    ole1::OleCreate("StdFileEditing", nullptr, "Paint", 0, "x", &obj, olerender_draw, 0);
    return obj;
  }
  Ole1Object *add(const char *name, int kind, const double rect[4]) {
    Ole1Object *o = PreItemCreate(0);
    o->name = GlobalAddAtomA(name);
    EXPECT_EQ(PostItemCreate(0, 0, o, kind, rect, new_object(), 0, 0), 1);
    return o;
  }
  int count(int dwg) {
    int n = 0;
    for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next)
      ++n;
    EXPECT_EQ(n, Ole1Doc[dwg].count);
    return n;
  }
  testwin::Windows win_;
  testwin::Watchdog dog_;
  std::string log_;
  O1sResetFn reset_ = control<O1sResetFn>("o1s_reset");
  O1sResultFn result_ = control<O1sResultFn>("o1s_result");
  O1sNextFn next_ = control<O1sNextFn>("o1s_next");
  O1sOptionFn option_ = control<O1sOptionFn>("o1s_option");
  O1sBoundsFn bounds_ = control<O1sBoundsFn>("o1s_bounds");
  O1sDataFn data_ = control<O1sDataFn>("o1s_data");
  O1sTextFn text_ = control<O1sTextFn>("o1s_text");
  O1sClientFn client_ = control<O1sClientFn>("o1s_client");
  std::string text(const char *entry, int index) {
    char out[600] = "";
    return text_(entry, index, out, sizeof out) ? std::string(out) : std::string("<none>");
  }
};

} // namespace

TEST_F(Ole1Client, StatusesShowTheirMessagesOnTheBoard) {
  const struct {
    int status, message;
  } cases[] = {{3, 30600}, {56, 30653}, {200, 20026}, {1000, 30750}, {7777, 30699}, {202, 30701}, {201, 201}};
  for (const auto &c : cases) {
    boards.clear();
    ReportOleStatus(c.status);
    ASSERT_EQ(boards.size(), 1u) << c.status;
    EXPECT_EQ(boards[0], message(c.message)) << c.status;
    EXPECT_EQ(boards[0].find("99999"), std::string::npos);
    EXPECT_FALSE(boards[0].empty());
  }
}

TEST_F(Ole1Client, TheNextObjectIsNumberedAfterTheHighestInTheDrawing) {
  const double r[4] = {0, 0, 10, 10};
  add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  add("KIVOLANTDOC#00-3", OLE1_EMBEDDED, r);
  char name[64];
  Ole1NextDocName(0, name, sizeof name);
  EXPECT_STREQ(name, "KIVOLANTDOC#00-4");
}

TEST_F(Ole1Client, APastedObjectTakesItsBoundsAtThePointAndMarksTheDrawing) {
  bounds_(0, 0, 2000, -1000); // 20 x 10 mm
  ASSERT_EQ(paste(1), 1);
  ASSERT_EQ(count(0), 1);
  Ole1Object *o = Ole1Doc[0].first;
  EXPECT_EQ(o->kind, OLE1_EMBEDDED);
  double x, y;
  vew_dev2w(0, 0, 60, 40, &x, &y);
  EXPECT_DOUBLE_EQ(o->rect[0], x);
  EXPECT_DOUBLE_EQ(o->rect[1], y - 10);
  EXPECT_DOUBLE_EQ(o->rect[2], x + 20);
  EXPECT_DOUBLE_EQ(o->rect[3], y);
  EXPECT_EQ(text("OleCreateFromClip", 0), "StdFileEditing");
  EXPECT_EQ(text("OleSetHostNames", 0), "KIVO LANT");
  char name[64];
  Ole1ObjectName(o, name, sizeof name);
  EXPECT_STREQ(name, "KIVOLANTDOC#00-0");
  EXPECT_EQ(dwg_state(0) & 1u, 1u);
  EXPECT_TRUE(boards.empty());
}

TEST_F(Ole1Client, AnObjectRefusedForEditingIsPastedAsAPicture) {
  next_("OleCreateFromClip", OLE_ERROR_PROTOCOL);
  ASSERT_EQ(paste(1), 1);
  EXPECT_EQ(text("OleCreateFromClip", 0), "StdFileEditing");
  EXPECT_EQ(text("OleCreateFromClip", 1), "Static");
  ASSERT_EQ(count(0), 1);
  EXPECT_EQ(Ole1Doc[0].first->kind, OLE1_STATIC);
  EXPECT_TRUE(boards.empty());
}

TEST_F(Ole1Client, AnObjectOfThisProgramsOwnClassIsDeletedAndReported) {
  const std::string link("KIVO-LANT\0C:\\a.ksl\0item\0\0", 25);
  data_(link.data(), long(link.size()));
  EXPECT_EQ(paste(1), 0);
  EXPECT_EQ(count(0), 0);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], message(30701));
  EXPECT_NE(slurp(log_).find("OleDelete("), std::string::npos);
  EXPECT_EQ(dwg_state(0), 0u);
}

TEST_F(Ole1Client, ACreateThatAnswersWithoutAnObjectIsAFailure) {
  option_("nullobject", 1);
  EXPECT_EQ(paste(1), 0);
  EXPECT_EQ(paste(0), 0);
  EXPECT_EQ(count(0), 0);
  ASSERT_EQ(boards.size(), 2u);
  EXPECT_EQ(boards[0], message(ole1_statusmsg(OLE_ERROR_OBJECT)));
  EXPECT_EQ(dwg_state(0), 0u);
}

TEST_F(Ole1Client, APasteWithoutAPointDoesNothing) {
  events = {InputEvent{27, 0, 0, 0, 0, 0}};
  EXPECT_EQ(ObjPaste(1), 0);
  EXPECT_EQ(count(0), 0);
  EXPECT_EQ(slurp(log_).find("OleCreateFromClip"), std::string::npos);
}

namespace {
Ole1Client *running = nullptr;
void CALLBACK release_later(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  running->result_("OleQueryReleaseStatus", OLE_OK);
  running->client_(OLE_RELEASE);
}
void CALLBACK quit_later(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostQuitMessage(7);
}
} // namespace

TEST_F(Ole1Client, AWaitEndsWhenTheServerReleasesTheObject) {
  result_("OleCreateFromClip", OLE_WAIT_FOR_RELEASE);
  result_("OleQueryReleaseStatus", OLE_BUSY);
  running = this;
  SetTimer(nullptr, 0, 50, release_later);
  ASSERT_EQ(paste(1), 1);
  EXPECT_EQ(Ole1Doc[0].cOleWait, 0);
  EXPECT_EQ(Ole1Cli.timedOut, 0);
  EXPECT_EQ(Ole1Cli.busy, 0);
  EXPECT_TRUE(boards.empty());
}

TEST_F(Ole1Client, AWaitWithoutReleaseEndsByTheBusyTimer) {
  Ole1WaitPeriod = 150;
  Ole1Doc[0].cOleWait = 1;
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(Ole1WaitDoc(0), OLE1_ST_NORESPONSE);
  EXPECT_GE(GetTickCount() - t0, 100u);
  EXPECT_EQ(Ole1Cli.timedOut, 1);
  EXPECT_EQ(Ole1Cli.busy, 0);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], message(201));
  Ole1Doc[0].cOleWait = 0;
}

TEST_F(Ole1Client, AQuitDuringAWaitEndsItAndIsPostedAgain) {
  Ole1Doc[0].cOleWait = 1;
  SetTimer(nullptr, 0, 50, quit_later);
  EXPECT_EQ(Ole1WaitDoc(0), 1);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
  // An object wait does the same.
  result_("OleQueryReleaseStatus", OLE_BUSY);
  SetTimer(nullptr, 0, 50, quit_later);
  EXPECT_EQ(Ole1WaitObject(0, new_object()), 1);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
  Ole1Doc[0].cOleWait = 0;
}

TEST_F(Ole1Client, ObjectsWrittenAndReadBackGiveTheSameBytes) {
  const double r1[4] = {1.5, 2.5, 30, 40}, r2[4] = {-5, -6, 7, 8.25};
  Ole1Object *a = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r1);
  Ole1Object *b = add("KIVOLANTDOC#00-1", OLE1_STATIC, r2);
  const std::string first = here() + "ole1obj1.bin", second = here() + "ole1obj2.bin";
  std::FILE *fp = std::fopen(first.c_str(), "wb");
  Ole1Stream s = Ole1FileStream(fp);
  ASSERT_EQ(ObjWrite(&s, a), 1);
  ASSERT_EQ(ObjWrite(&s, b), 1);
  std::fclose(fp);
  const std::string bytes = slurp(first);
  // Name, protocol, the library's stream (8 bytes here), rectangle and kind.
  const std::string head = u32(17) + std::string("KIVOLANTDOC#00-0", 17) + u32(15) + std::string("StdFileEditing", 15);
  ASSERT_GE(bytes.size(), head.size());
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  const std::size_t one = head.size() + 8 + 36;
  EXPECT_EQ(slf_get<double>(reinterpret_cast<const uint8_t *>(bytes.data()), head.size() + 8 + 24), 40.0);
  EXPECT_EQ(slf_get<int32_t>(reinterpret_cast<const uint8_t *>(bytes.data()), one - 4), OLE1_EMBEDDED);
  EXPECT_EQ(bytes.substr(one + 4 + 17, 4), u32(7)); // "Static"

  fp = std::fopen(first.c_str(), "rb");
  s = Ole1FileStream(fp);
  Ole1Object *c = PreItemCreate(1), *d = PreItemCreate(1);
  ASSERT_EQ(ObjRead(1, &s, c), 1);
  ASSERT_EQ(ObjRead(1, &s, d), 1);
  std::fclose(fp);
  EXPECT_EQ(c->kind, OLE1_EMBEDDED);
  EXPECT_EQ(d->kind, OLE1_STATIC);
  EXPECT_EQ(std::memcmp(d->rect, r2, sizeof r2), 0);
  fp = std::fopen(second.c_str(), "wb");
  s = Ole1FileStream(fp);
  ASSERT_EQ(ObjWrite(&s, c), 1);
  ASSERT_EQ(ObjWrite(&s, d), 1);
  std::fclose(fp);
  EXPECT_EQ(slurp(second), bytes);
  Ole1FreeRecord(c);
  Ole1FreeRecord(d);
}

TEST_F(Ole1Client, ObjectsSavedIntoASealFileLoadBack) {
  const std::string path = here() + "ole1objs.ksl";
  const std::string seal = seal_file();
  spit(path, seal);
  const double r1[4] = {1, 2, 3, 4}, r2[4] = {10, 20, 30, 40};
  add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r1);
  add("KIVOLANTDOC#00-5", OLE1_LINKED, r2);
  ASSERT_EQ(SaveOleObject(0, path.c_str()), 1);
  EXPECT_EQ(text("OleRenameClientDoc", 0), path);
  EXPECT_NE(slurp(log_).find("OleSavedClientDoc("), std::string::npos);
  const std::string all = slurp(path);
  ASSERT_GT(all.size(), seal.size() + 12);
  EXPECT_EQ(all.substr(0, seal.size()), seal);
  const OleBlockHead h = oleblk_headget(reinterpret_cast<const uint8_t *>(all.data()) + seal.size());
  EXPECT_EQ(h.kind, OLEBLK_OLE1);
  EXPECT_EQ(h.end, all.size());
  EXPECT_EQ(all.substr(seal.size() + 8, 4), u32(2));

  ASSERT_EQ(LoadOleObject(1, path.c_str()), 1);
  ASSERT_EQ(count(1), 2);
  const Ole1Object *a = Ole1Doc[1].first, *b = a->next;
  char name[64];
  Ole1ObjectName(a, name, sizeof name);
  EXPECT_STREQ(name, "KIVOLANTDOC#00-0");
  Ole1ObjectName(b, name, sizeof name);
  EXPECT_STREQ(name, "KIVOLANTDOC#00-5");
  EXPECT_EQ(a->kind, OLE1_EMBEDDED);
  EXPECT_EQ(b->kind, OLE1_LINKED);
  EXPECT_EQ(std::memcmp(a->rect, r1, sizeof r1), 0);
  EXPECT_EQ(std::memcmp(b->rect, r2, sizeof r2), 0);
  EXPECT_TRUE(boards.empty());
  DeregDoc(1);
}

TEST_F(Ole1Client, AnOverlongObjectNameEndsTheListAndKeepsTheObjectsBeforeIt) {
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *a = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  const std::string one = here() + "ole1one.bin";
  std::FILE *fp = std::fopen(one.c_str(), "wb");
  Ole1Stream s = Ole1FileStream(fp);
  ASSERT_EQ(ObjWrite(&s, a), 1);
  std::fclose(fp);
  const std::string good = slurp(one);
  std::string bad = good;
  // The same object under a 40-byte name.
  bad.replace(0, 4 + 17, u32(40) + std::string(39, 'N') + std::string(1, '\0'));
  const std::string seal = seal_file();
  const std::string list = u32(3) + good + bad + good;
  std::string file = seal + u32(OLEBLK_OLE1) + u32(uint32_t(seal.size() + 8 + list.size())) + list;
  const std::string path = here() + "ole1long.ksl";
  spit(path, file);
  ASSERT_EQ(LoadOleObject(1, path.c_str()), 1);
  EXPECT_EQ(count(1), 1);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], message(ole1_statusmsg(OLE_ERROR_STREAM)));
  EXPECT_EQ(slurp(path), file); // the file is only read
  DeregDoc(1);
}

TEST_F(Ole1Client, FilesWithoutObjectsLoadNothing) {
  const std::string path = here() + "ole1none.ksl";
  spit(path, seal_file());
  EXPECT_EQ(LoadOleObject(1, path.c_str()), 1);
  EXPECT_EQ(count(1), 0);
  EXPECT_EQ(LoadOleObject(1, (here() + "nosuchfile.ksl").c_str()), 0);
  EXPECT_TRUE(boards.empty());
  // Nothing to save: the file stays as it was.
  EXPECT_EQ(SaveOleObject(1, path.c_str()), 1);
  EXPECT_EQ(slurp(path), seal_file());
}

TEST_F(Ole1Client, TheCallbackPostsToTheViewAndCountsReleases) {
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  auto *client = reinterpret_cast<LPOLECLIENT>(o);
  HWND view = vew_hwnd(0, 0);
  testwin::drain();
  MSG m;
  const struct {
    OLE_NOTIFICATION n;
    UINT posted;
    int answer;
  } cases[] = {{OLE_CHANGED, OLE1_MSG_CHANGED, 0},
               {OLE_SAVED, OLE1_MSG_CHANGED, 0},
               {OLE_RENAMED, OLE1_MSG_RENAMED, 0},
               {OLE_CLOSED, OLE1_MSG_CLOSED, 0},
               {OLE_QUERY_PAINT, 0, 1}};
  for (const auto &c : cases) {
    Ole1Doc[0].cOleWait = 0;
    EXPECT_EQ(OleCliCallBack(client, c.n, o->obj), c.answer) << c.n;
    if (c.posted) {
      EXPECT_TRUE(PeekMessageA(&m, view, c.posted, c.posted, PM_REMOVE)) << c.n;
      EXPECT_EQ(Ole1Doc[0].cOleWait, 1) << c.n;
      Ole1ViewNotice(0, c.posted);
      EXPECT_EQ(Ole1Doc[0].cOleWait, 0) << c.n;
    } else {
      EXPECT_FALSE(PeekMessageA(&m, view, 1025, 1030, PM_REMOVE)) << c.n;
    }
  }
  Ole1Doc[0].cOleWait = 2;
  EXPECT_EQ(OleCliCallBack(client, OLE_RELEASE, o->obj), 0);
  EXPECT_EQ(Ole1Doc[0].cOleWait, 1);
  EXPECT_EQ(o->release, 1);
  EXPECT_EQ(OleCliCallBack(client, OLE_QUERY_RETRY, o->obj), 1);
  EXPECT_TRUE(PeekMessageA(&m, nullptr, OLE1_MSG_RETRY, OLE1_MSG_RETRY, PM_REMOVE) || !app_hmain());
  Ole1Doc[0].cOleWait = 0;
  // Through the library, as a server would.
  Ole1Doc[0].cOleWait = 1;
  LPOLEOBJECT obj = nullptr;
  ole1::OleCreateFromClip("StdFileEditing", client, Ole1Doc[0].doc, "x", &obj, olerender_draw, 0);
  EXPECT_EQ(client_(OLE_RELEASE), 0);
  EXPECT_EQ(Ole1Doc[0].cOleWait, 0);
  EXPECT_EQ(client_(OLE_QUERY_PAINT), 1);
  // A create the server could not finish: the error goes to the main window and the
  // view is told to take the object away.
  testwin::drain();
  result_("OleQueryReleaseError", OLE_ERROR_LAUNCH);
  result_("OleQueryReleaseMethod", OLE_CREATE);
  Ole1Doc[0].cOleWait = 1;
  EXPECT_EQ(client_(OLE_RELEASE), 0);
  EXPECT_EQ(Ole1Doc[0].cOleWait, 1); // the view's notice is pending
  ASSERT_TRUE(PeekMessageA(&m, nullptr, OLE1_MSG_RELEASEERR, OLE1_MSG_RELEASEERR, PM_REMOVE));
  EXPECT_EQ(m.wParam, WPARAM(OLE_ERROR_LAUNCH));
  ASSERT_TRUE(PeekMessageA(&m, view, OLE1_MSG_CLOSED, OLE1_MSG_CLOSED, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
  Ole1Doc[0].cOleWait = 0;
}

TEST_F(Ole1Client, TraceCallsCountPendingOperations) {
  EXPECT_EQ(OleTraceCall(OLE_OK, "OleUpdate", 0), 0);
  EXPECT_EQ(OleTraceCall(OLE_WAIT_FOR_RELEASE, "OleUpdate", 0), 0);
  EXPECT_EQ(Ole1Doc[0].cOleWait, 1);
  EXPECT_EQ(Ole1Cli.busy, 1);
  EXPECT_EQ(OleTraceCall(OLE_BUSY, "OleUpdate", 0), 2);
  EXPECT_TRUE(boards.empty());
  EXPECT_EQ(OleTraceCall(OLE_ERROR_MEMORY, "OleUpdate", 0), int(OLE_ERROR_MEMORY));
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], message(30601));
  Ole1BusyStop();
  Ole1Doc[0].cOleWait = 0;
}

TEST_F(Ole1Client, LinkDataIsReadAndAutomaticLinksUpdated) {
  const std::string link("Paint\0C:\\pic.kva\0sheet\0\0", 24);
  data_(link.data(), long(link.size()));
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_LINKED, r);
  EXPECT_EQ(o->update, 0);
  char doc[MAX_PATH] = "";
  GlobalGetAtomNameA(o->link, doc, sizeof doc);
  EXPECT_STREQ(doc, "C:\\pic.kva");
  char buf[64];
  ASSERT_EQ(ObjCliGetData(o, buf, sizeof buf), 1);
  EXPECT_EQ(std::string(buf, 24), link);
  // Too small a buffer takes nothing.
  EXPECT_EQ(ObjCliGetData(o, buf, 10), 0);
  // A block whose item runs to its end is not taken.
  data_(link.data(), 22);
  EXPECT_EQ(ObjCliGetData(o, buf, sizeof buf), 0);
  data_(link.data(), long(link.size()));
  UpdateLinks(0);
  EXPECT_NE(slurp(log_).find("OleUpdate("), std::string::npos);
  char line[300];
  ASSERT_EQ(Ole1LinkText(o, line, sizeof line), 1);
  EXPECT_NE(std::string(line).find("sheet\t自動"), std::string::npos);
}

TEST_F(Ole1Client, MovingAndResizingTellTheServerOnlyOfANewSize) {
  const double r[4] = {0, 0, 10, 10};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  const double moved[4] = {5, 5, 15, 15};
  ObjMove(o, moved);
  EXPECT_EQ(std::memcmp(o->rect, moved, sizeof moved), 0);
  EXPECT_EQ(slurp(log_).find("OleSetBounds("), std::string::npos);
  const double sized[4] = {5, 5, 25, 35};
  EXPECT_EQ(ObjCliSetBounds(o, sized), 1);
  EXPECT_NE(slurp(log_).find("OleSetBounds("), std::string::npos);
  const RECT b = BoundsToHimetric(o);
  EXPECT_EQ(b.right, 2000);
  EXPECT_EQ(b.bottom, -3000);
  EXPECT_EQ(dwg_state(0) & 1u, 1u);
  // The frame: handles and body under the mouse, a drag's new rectangle.
  o->selected = 1;
  const RECT d = Ole1DeviceRect(0, 0, o);
  int cursor = 0;
  EXPECT_EQ(Ole1FramePart(0, 0, o, POINT{d.left, d.top}, &cursor), 1);
  EXPECT_EQ(cursor, 6);
  EXPECT_EQ(Ole1FramePart(0, 0, o, POINT{d.right, (d.top + d.bottom) / 2}, &cursor), 6);
  EXPECT_EQ(cursor, 8);
  EXPECT_EQ(Ole1FramePart(0, 0, o, POINT{(d.left + d.right) / 2 + 3, (d.top + d.bottom) / 2 + 3}, &cursor), 9);
  EXPECT_EQ(cursor, 5);
  EXPECT_EQ(Ole1HitTest(0, 0, POINT{(d.left + d.right) / 2, (d.top + d.bottom) / 2}), o);
  EXPECT_EQ(Ole1HitTest(0, 0, POINT{d.right + 20, d.bottom + 20}), nullptr);
  const RECT n = Ole1DragRect(RECT{10, 10, 50, 30}, 3, POINT{50, 30}, POINT{60, 45});
  EXPECT_EQ(n.right, 60);
  EXPECT_EQ(n.bottom, 45);
  const RECT mv = Ole1DragRect(RECT{10, 10, 50, 30}, 9, POINT{20, 20}, POINT{25, 10});
  EXPECT_EQ(mv.left, 15);
  EXPECT_EQ(mv.top, 0);
}

TEST_F(Ole1Client, FreezingMakesAPictureUnderTheOldName) {
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-2", OLE1_EMBEDDED, r);
  ASSERT_EQ(ObjFreeze(o), 1);
  ASSERT_EQ(count(0), 1);
  Ole1Object *n = Ole1Doc[0].first;
  EXPECT_EQ(n->kind, OLE1_STATIC);
  char name[64];
  Ole1ObjectName(n, name, sizeof name);
  EXPECT_STREQ(name, "KIVOLANTDOC#00-2");
  EXPECT_EQ(text("OleObjectConvert", 0), "Static");
  EXPECT_EQ(text("OleRename", 0), "KIVOLANTDOC#00-2");
  EXPECT_EQ(std::memcmp(n->rect, r, sizeof r), 0);
}

namespace {
void put_key(const std::string &key, const std::string &value) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), DWORD(value.size())), ERROR_SUCCESS)
      << key;
}
} // namespace

TEST_F(Ole1Client, ServerClassesComeFromTheRegistry) {
  const char *keys[] = {"KIVOTEST.A", "KIVOTEST.B", "KIVOTEST.NoServer", ".kvta", ".kvtb", ".kvtn"};
  for (const char *k : keys)
    RegDeleteTreeA(HKEY_CLASSES_ROOT, k);
  const bool ownKept = RegOpenKeyA(HKEY_CLASSES_ROOT, "KIVO-LANT", nullptr) == ERROR_SUCCESS;
  const std::string verb(300, 'V');
  put_key("KIVOTEST.A", "Kivo A picture");
  put_key("KIVOTEST.A\\protocol\\StdFileEditing\\server", "C:\\a.exe");
  put_key("KIVOTEST.A\\protocol\\StdFileEditing\\verb\\0", verb);
  put_key("KIVOTEST.B", "Kivo B sheet");
  put_key("KIVOTEST.B\\protocol\\StdFileEditing\\server", "C:\\b.exe");
  put_key("KIVOTEST.B\\protocol\\StdFileEditing\\verb\\0", "Edit");
  put_key("KIVOTEST.B\\protocol\\StdFileEditing\\verb\\1", "Play");
  put_key("KIVOTEST.NoServer", "Kivo without server");
  put_key("KIVO-LANT", "KIVO LANT 図面");
  put_key("KIVO-LANT\\protocol\\StdFileEditing\\server", "C:\\kl.exe");
  put_key(".kvta", "KIVOTEST.A");
  put_key(".kvtb", "KIVOTEST.B");
  put_key(".kvtn", "KIVOTEST.NoServer");

  std::vector<std::string> mine;
  for (const Ole1Class &c : Ole1ServerClasses()) {
    EXPECT_NE(c.cls, "KIVO-LANT");
    if (c.cls.rfind("KIVO", 0) == 0)
      mine.push_back(c.display + "=" + c.cls);
  }
  EXPECT_EQ(mine, (std::vector<std::string>{"Kivo A picture=KIVOTEST.A", "Kivo B sheet=KIVOTEST.B"}));

  int index = -1;
  const std::string all = Ole1FileFilter(nullptr, ".kvtb", &index);
  const std::string a("Kivo A picture (*.kvta)\0*.kvta\0", 31), b("Kivo B sheet (*.kvtb)\0*.kvtb\0", 29);
  EXPECT_NE(all.find(a), std::string::npos);
  EXPECT_NE(all.find(b), std::string::npos);
  EXPECT_EQ(all.find("kvtn"), std::string::npos);
  EXPECT_GT(index, 0);
  EXPECT_EQ(Ole1FileFilter("KIVOTEST.B", ".kvtb", &index), b + std::string(1, '\0'));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(Ole1FileFilter("KIVOTEST.NoServer", nullptr, &index),
            std::string("すべてのファイル (*.*)") + std::string("\0*.*\0\0", 6));

  // The edit menu's object item.
  HMENU menu = CreateMenu();
  AppendMenuA(menu, MF_STRING, 700, "x");
  UpdateObjectMenuItem(menu, 0, 700, 0);
  char item[600] = "";
  GetMenuStringA(menu, 0, item, sizeof item, MF_BYPOSITION);
  EXPECT_STREQ(item, "オブジェクト(&V)");
  EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
  const std::string linkA("KIVOTEST.A\0doc\0item\0\0", 21);
  data_(linkA.data(), long(linkA.size()));
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  o->selected = 1;
  UpdateObjectMenuItem(menu, 0, 700, 0);
  const int n = GetMenuStringA(menu, 0, item, sizeof item, MF_BYPOSITION);
  EXPECT_GT(n, 10);
  EXPECT_LT(n, OLE1_MENUTEXT);
  EXPECT_EQ(std::string(item, 10), std::string(10, 'V'));
  EXPECT_FALSE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
  const std::string linkB("KIVOTEST.B\0doc\0item\0\0", 21);
  data_(linkB.data(), long(linkB.size()));
  UpdateObjectMenuItem(menu, 0, 700, 0);
  GetMenuStringA(menu, 0, item, sizeof item, MF_BYPOSITION);
  EXPECT_STREQ(item, "オブジェクトの編集(&V)");
  HMENU pop = GetSubMenu(menu, 0);
  ASSERT_TRUE(pop);
  EXPECT_EQ(GetMenuItemCount(pop), 2);
  DestroyMenu(menu);

  for (const char *k : keys)
    RegDeleteTreeA(HKEY_CLASSES_ROOT, k);
  if (!ownKept)
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "KIVO-LANT");
}

TEST_F(Ole1Client, TheChangeSourceChooserGivesThePathInGlobalMemory) {
  std::string heading;
  int dialog = 0;
  ui_setresponder([&](const UiQuestion &q) {
    if (q.kind != UI_DIALOG)
      return 0;
    heading = q.heading;
    dialog = q.dialog;
    std::snprintf(q.reply, q.replysize, "%s", "C:\\new\\pic.kva");
    return 1;
  });
  HGLOBAL h = Ole1ChangeSourceFile(nullptr, "KIVOTEST.None", "C:\\old\\pic.kva");
  ASSERT_TRUE(h);
  EXPECT_EQ(GlobalSize(h), 300u);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(h)), "C:\\new\\pic.kva");
  GlobalUnlock(h);
  GlobalFree(h);
  EXPECT_EQ(heading, "リンク元の変更");
  EXPECT_EQ(dialog, OLE1_DLGCHANGE);
  ui_setresponder([](const UiQuestion &) { return -1; });
  EXPECT_EQ(Ole1ChangeSourceFile(nullptr, nullptr, "C:\\old\\pic.kva"), nullptr);
  char path[MAX_PATH] = "";
  EXPECT_EQ(Ole1BrowseFile(nullptr, nullptr, path, sizeof path), 0);
}

TEST_F(Ole1Client, NothingIsBroughtUpToDateWithoutASelectedObject) {
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  OleUpdateSelected();
  EXPECT_EQ(slurp(log_).find("OleUpdate("), std::string::npos);
  o->selected = 1;
  OleUpdateSelected();
  EXPECT_NE(slurp(log_).find("OleUpdate("), std::string::npos);
}

TEST_F(Ole1Client, DeletingAnObjectFreesItAndKeepsTheOthers) {
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *a = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  Ole1Object *b = add("KIVOLANTDOC#00-1", OLE1_EMBEDDED, r);
  EXPECT_EQ(ObjDelete(0, a, 1), b);
  EXPECT_EQ(count(0), 1);
  EXPECT_EQ(Ole1Doc[0].first, b);
  EXPECT_NE(slurp(log_).find("OleDelete("), std::string::npos);
  EXPECT_EQ(ObjDelete(0, b, 0), nullptr);
  EXPECT_EQ(count(0), 0);
  EXPECT_NE(slurp(log_).find("OleRelease("), std::string::npos);
}

TEST_F(Ole1Client, TheMousePicksAnObjectAndDragsItsFrame) {
  const double r[4] = {20, 10, 40, 30};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  HWND view = vew_hwnd(0, 0);
  const RECT d = Ole1DeviceRect(0, 0, o);
  const POINT mid{(d.left + d.right) / 2, (d.top + d.bottom) / 2};
  // Outside every object: not taken.
  EXPECT_EQ(Ole1ViewMouse(0, 0, POINT{d.right + 30, d.bottom + 30}), 0);
  // A move by 10 pixels right and 4 down.
  testwin::drain();
  PostMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(mid.x + 10, mid.y + 4));
  PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(mid.x + 10, mid.y + 4));
  EXPECT_EQ(Ole1ViewMouse(0, 0, mid), 1);
  EXPECT_EQ(o->selected, 1);
  double x0, y0, x1, y1;
  vew_dev2w(0, 0, 0, 0, &x0, &y0);
  vew_dev2w(0, 0, 10, 4, &x1, &y1);
  EXPECT_NEAR(o->rect[0], 20 + (x1 - x0), 1e-6);
  EXPECT_NEAR(o->rect[2], 40 + (x1 - x0), 1e-6);
  EXPECT_NEAR(o->rect[1], 10 + (y1 - y0), 1e-6);
  EXPECT_EQ(slurp(log_).find("OleSetBounds("), std::string::npos);
  // Its lower right handle resizes and tells the server.
  const RECT e = Ole1DeviceRect(0, 0, o);
  PostMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(e.right + 6, e.bottom + 6));
  PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(e.right + 6, e.bottom + 6));
  EXPECT_EQ(Ole1ViewMouse(0, 0, POINT{e.right, e.bottom}), 1);
  const RECT f = Ole1DeviceRect(0, 0, o);
  EXPECT_EQ(f.left, e.left);
  EXPECT_EQ(f.top, e.top);
  EXPECT_NEAR(f.right, e.right + 6, 1);
  EXPECT_NEAR(f.bottom, e.bottom + 6, 1);
  EXPECT_NE(slurp(log_).find("OleSetBounds("), std::string::npos);
  // A press elsewhere clears the selection; painting draws every object.
  EXPECT_EQ(Ole1ViewMouse(0, 0, POINT{1, 1}), 0);
  EXPECT_EQ(o->selected, 0);
  ObjShowZOrder(0);
  EXPECT_NE(slurp(log_).find("OleDraw("), std::string::npos);
}

TEST_F(Ole1Client, TheOlderListFormReadsBoundedNames) {
  const std::string head(32, '\x11');
  const struct {
    std::string bytes;
    int ok;
  } cases[] = {
      {u32(4) + std::string("abc", 4) + u32(5) + std::string("C:\\x", 5) + head + u32(9), 1},
      {u32(40) + std::string(39, 'a') + std::string(1, '\0') + u32(2) + std::string("x", 2) + head + u32(9), 0},
      {u32(4) + std::string("abc", 4) + u32(201) + std::string(200, 'l') + std::string(1, '\0') + head + u32(9), 0},
      {u32(4) + std::string("abc", 4) + u32(5) + std::string("C:\\x", 5) + head.substr(0, 20), 0},
  };
  const std::string path = here() + "ole1old.bin";
  for (const auto &c : cases) {
    spit(path, c.bytes);
    std::FILE *fp = std::fopen(path.c_str(), "rb");
    char name[32], link[200];
    uint8_t h[32];
    int32_t value = 0;
    EXPECT_EQ(Ole1ReadOldEntry(fp, name, link, h, &value), c.ok);
    if (c.ok) {
      EXPECT_STREQ(name, "abc");
      EXPECT_STREQ(link, "C:\\x");
      EXPECT_EQ(value, 9);
      EXPECT_EQ(h[31], 0x11);
    }
    std::fclose(fp);
  }
}

TEST_F(Ole1Client, CopyActivateAndNewLinkDataReachTheLibrary) {
  const std::string link("Paint\0C:\\old.kva\0a\0\0", 19);
  data_(link.data(), long(link.size()));
  const double r[4] = {1, 2, 3, 4};
  Ole1Object *o = add("KIVOLANTDOC#00-0", OLE1_LINKED, r);
  Ole1Object *e = add("KIVOLANTDOC#00-1", OLE1_EMBEDDED, r);
  EXPECT_EQ(Ole1DataSize(0), 16u); // the stand-in's streams are 8 bytes
  EXPECT_EQ(ObjCopy(), 0);         // nothing selected
  e->selected = 1;
  EXPECT_EQ(ObjCopy(), 1);
  EXPECT_NE(slurp(log_).find("OleCopyToClipboard("), std::string::npos);
  EXPECT_EQ(ExecuteVerb(e, 0), 1);
  EXPECT_EQ(Ole1Cli.active, e);
  EXPECT_NE(slurp(log_).find("OleActivate("), std::string::npos);
  // The server answers the new source with the data it now holds.
  const std::string moved("Paint\0C:\\new.kva\0a\0\0", 19);
  data_(moved.data(), long(moved.size()));
  EXPECT_EQ(ObjChangeLinkData(o, "Paint", "C:\\new.kva", "a"), 1);
  EXPECT_NE(slurp(log_).find("OleSetData("), std::string::npos);
  char doc[MAX_PATH] = "";
  GlobalGetAtomNameA(o->link, doc, sizeof doc);
  EXPECT_STREQ(doc, "C:\\new.kva");
  // A refused change keeps the old source.
  result_("OleSetData", OLE_ERROR_FORMAT);
  EXPECT_EQ(ObjChangeLinkData(o, "Paint", "C:\\other.kva", "a"), 0);
  GlobalGetAtomNameA(o->link, doc, sizeof doc);
  EXPECT_STREQ(doc, "C:\\new.kva");
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], message(30609));
}

TEST_F(Ole1Client, ClosingTheDocumentLetsEveryObjectGoBeforeRevokingIt) {
  const double r[4] = {1, 2, 3, 4};
  add("KIVOLANTDOC#00-0", OLE1_EMBEDDED, r);
  add("KIVOLANTDOC#00-1", OLE1_STATIC, r);
  DeregDoc(0);
  EXPECT_EQ(Ole1Doc[0].first, nullptr);
  EXPECT_EQ(Ole1Doc[0].count, 0);
  EXPECT_EQ(Ole1Doc[0].doc, 0);
  const std::string log = slurp(log_);
  std::vector<std::string> calls;
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t end = log.find('\n', at);
    const std::string line = log.substr(at, end - at);
    const std::string name = line.substr(0, line.find('('));
    if (name == "OleClose" || name == "OleRelease" || name == "OleRevokeClientDoc")
      calls.push_back(name);
    at = end == std::string::npos ? log.size() : end + 1;
  }
  // The picture has no server to close.
  EXPECT_EQ(calls, (std::vector<std::string>{"OleClose", "OleRelease", "OleRelease", "OleRevokeClientDoc"}));
}
