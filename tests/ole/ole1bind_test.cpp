// The forwarders into the older OLE libraries: every entry point passes its arguments
// unchanged to the stand-in libraries and returns their answer; a missing library or
// entry point, and Wine's own libraries, answer OLE_ERROR_GENERIC without a call.
// The same program runs in three folders: beside the stand-ins (suite Ole1Standin),
// beside none (Ole1None, Ole1Wine) and beside a client stand-in without OleRename
// (Ole1Gap).
#include "ole/ole1h.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <fstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "ole/ole1bind.h"
#include "ole1stub/ole1stub.h"

namespace {

std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

// A fresh call log in the program's folder.
std::string fresh_log() {
  const std::string log = here() + "ole1calls.log";
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("INK_OLE1_LOG", log.c_str());
  return log;
}

std::vector<std::string> lines_of(const std::string &file) {
  std::ifstream in(file);
  std::vector<std::string> out;
  for (std::string l; std::getline(in, l);)
    out.push_back(l);
  return out;
}

template <class T> T value(unsigned k) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<T>(uintptr_t(0x100000 + k * 0x10));
  else
    return static_cast<T>(0xC000 + k); // fits the 16 bits of a clipboard format
}
template <class T> unsigned long long word(T v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<uintptr_t>(v);
  else
    return static_cast<unsigned long long>(static_cast<long long>(v));
}

struct Call {
  std::string name, expect;
  long got;
};

// Calls fn with distinct argument values; the log line the stand-in should write.
template <class... A, size_t... I> std::tuple<A...> values(unsigned k, std::index_sequence<I...>) {
  return std::tuple<A...>{value<A>(k + unsigned(I))...};
}
template <class R, class... A> Call call(const char *name, R(WINAPI *fn)(A...), unsigned &k) {
  const std::tuple<A...> args = values<A...>(k, std::index_sequence_for<A...>{});
  k += sizeof...(A);
  std::string expect = std::string(name) + "(";
  std::apply(
      [&](auto... a) {
        bool first = true;
        for (unsigned long long w : {word(a)...}) {
          char buf[32];
          std::snprintf(buf, sizeof buf, first ? "0x%llx" : ", 0x%llx", w);
          expect += buf;
          first = false;
        }
      },
      args);
  expect += ")";
  const long got = long(std::apply(fn, args));
  return Call{name, expect, got};
}

template <class R, class... A> Call call(const char *name, R(WINAPI *fn)(), unsigned &) {
  return Call{name, std::string(name) + "()", long(fn())};
}

std::vector<Call> call_all() {
  std::vector<Call> calls;
  unsigned k = 1;
#define OLE1_CALL(result, name, lib, params, args) calls.push_back(call(#name, &ole1::name, k));
  OLE1_ENTRIES(OLE1_CALL)
#undef OLE1_CALL
  return calls;
}

const char *const kNames[] = {
#define OLE1_NAME(result, name, lib, params, args) #name,
    OLE1_ENTRIES(OLE1_NAME)
#undef OLE1_NAME
};

template <class F> F control(const char *dll, const char *name) {
  HMODULE m = GetModuleHandleA(dll);
  return m ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, name))) : nullptr;
}

TEST(Ole1Standin, EveryForwarderPassesItsArgumentsAndTheAnswerUnchanged) {
  const std::string log = fresh_log();
  ASSERT_EQ(ole1::OleQueryOpen(nullptr), OLE_OK); // loads the client stand-in
  ASSERT_EQ(ole1::OleRevokeServer(0), OLE_OK);    // and the server's
  EXPECT_EQ(ole1_switch(), 1);
  auto cli = control<O1sResultFn>("olecli32.dll", "o1s_result");
  auto svr = control<O1sResultFn>("olesvr32.dll", "o1s_result");
  ASSERT_TRUE(cli && svr);
  // Distinct error answers, so nothing is written through the made-up pointers.
  long n = 0;
  for (const char *name : kNames) {
    cli(name, 100 + n);
    svr(name, 100 + n);
    n++;
  }
  fresh_log();
  const std::vector<Call> calls = call_all();
  ASSERT_EQ(calls.size(), 50u);
  const std::vector<std::string> lines = lines_of(log);
  ASSERT_EQ(lines.size(), calls.size());
  for (size_t i = 0; i < calls.size(); i++) {
    EXPECT_EQ(lines[i], calls[i].expect);
    EXPECT_EQ(calls[i].got, 100 + long(i)) << calls[i].name;
  }
  for (const char *name : kNames)
    cli(name, OLE_OK), svr(name, OLE_OK);
}

// The stream of a client: the bytes put, then read back.
struct MemStream : OLESTREAM {
  std::string bytes;
  size_t at = 0;
  static DWORD CALLBACK get(LPOLESTREAM s, void *p, DWORD n) {
    auto *m = static_cast<MemStream *>(s);
    n = DWORD(std::min<size_t>(n, m->bytes.size() - m->at));
    std::memcpy(p, m->bytes.data() + m->at, n);
    m->at += n;
    return n;
  }
  static DWORD CALLBACK put(LPOLESTREAM s, OLE_CONST void *p, DWORD n) {
    static_cast<MemStream *>(s)->bytes.append(static_cast<const char *>(p), n);
    return n;
  }
  OLESTREAMVTBL table{get, put};
  MemStream() { lpstbl = &table; }
};

int notified = 0;
int CALLBACK client_callback(LPOLECLIENT, OLE_NOTIFICATION n, LPOLEOBJECT) { return notified = int(n) + 1; }

TEST(Ole1Standin, ObjectsComeBackThroughAStreamAndTheClientIsCalledBack) {
  fresh_log();
  OLECLIENTVTBL vt{client_callback};
  OLECLIENT client{&vt};
  LHCLIENTDOC doc = 0;
  ASSERT_EQ(ole1::OleRegisterClientDoc("KIVO LANT", "doc", 0, &doc), OLE_OK);
  EXPECT_NE(doc, 0);
  LPOLEOBJECT obj = nullptr;
  ASSERT_EQ(ole1::OleCreate("PBrush", &client, "StdFileEditing", doc, "obj", &obj, olerender_draw, 0), OLE_OK);
  ASSERT_TRUE(obj);
  MemStream s;
  ASSERT_EQ(ole1::OleSaveToStream(obj, &s), OLE_OK);
  EXPECT_EQ(s.bytes.size(), 8u);
  LPOLEOBJECT back = nullptr;
  ASSERT_EQ(ole1::OleLoadFromStream(&s, "StdFileEditing", &client, doc, "obj2", &back), OLE_OK);
  EXPECT_TRUE(back);
  EXPECT_NE(back, obj);
  EXPECT_EQ(s.at, 8u);
  auto notify = control<O1sClientFn>("olecli32.dll", "o1s_client");
  ASSERT_TRUE(notify);
  EXPECT_EQ(notify(OLE_RELEASE), int(OLE_RELEASE) + 1);
  EXPECT_EQ(notified, int(OLE_RELEASE) + 1);
}

TEST(Ole1Standin, TheLockFunctionsAreFoundInTheClientLibrary) {
  const std::string log = fresh_log();
  LHSERVER h = 0;
  EXPECT_EQ(ole1::OleLockServer(nullptr, &h), OLE_OK);
  EXPECT_EQ(ole1::OleUnlockServer(h), OLE_OK);
  EXPECT_EQ(lines_of(log).size(), 2u);
  EXPECT_EQ(GetOleSvrProc("OleLockServer"), nullptr);
  EXPECT_NE(GetOleCliProc("OleLockServer"), nullptr);
}

TEST(Ole1None, WithoutTheLibrariesEveryForwarderAnswersGenericError) {
  for (const Call &c : call_all())
    EXPECT_EQ(c.got, long(OLE_ERROR_GENERIC)) << c.name;
  EXPECT_EQ(ole1_switch(), -1); // nothing was loaded
}

TEST(Ole1Wine, WinesOwnLibrariesSwitchTheLayerOff) {
  RECT r{};
  EXPECT_EQ(ole1::OleQueryBounds(reinterpret_cast<LPOLEOBJECT>(0x1234), &r), OLE_ERROR_GENERIC);
  EXPECT_EQ(ole1::OleDraw(reinterpret_cast<LPOLEOBJECT>(0x1234), nullptr, &r, nullptr, nullptr), OLE_ERROR_GENERIC);
  EXPECT_EQ(ole1::OleDelete(reinterpret_cast<LPOLEOBJECT>(0x1234)), OLE_ERROR_GENERIC);
  EXPECT_EQ(ole1_switch(), 0);
}

TEST(Ole1Gap, AMissingEntryPointAnswersGenericErrorForItselfOnly) {
  const std::string log = fresh_log();
  EXPECT_EQ(ole1::OleRename(nullptr, "x"), OLE_ERROR_GENERIC);
  EXPECT_TRUE(lines_of(log).empty());
  EXPECT_EQ(ole1::OleQueryOpen(nullptr), OLE_OK);
  EXPECT_EQ(lines_of(log).size(), 1u);
}

} // namespace
