// The test host: loads stampix.dll as the host CAD does (LoadLibrary, exports found by
// name), sets the stand-in host library up from a script, calls the exports in the
// script's order, answers dialogs with the autopilot and prints what happened: the
// stand-in's call log, the message boxes asked and the results. "expect" lines of the
// script check the printed lines in order; the exit code is the number of failures.
//
// Script (UTF-8, one command a line, '#' comments, "quoted" words):
//   config KEY VALUE           settings file key ($SEALS: the seal folder)
//   user NAME PASSWORD [file|reg]   user and password in the file and the mirror
//   seal FILE OWNER PASSWORD LEVEL NAME KIND OX OY W H [COUNT]   a seal file, then
//     line X1 Y1 X2 Y2 / arc CX CY R S E / text "T" X Y H W P [ATTR] / link REC TO
//     end                      writes it (COUNT overrides the element count)
//   drawing D POWER PERMIT FIGFAILS A0 B0     current D
//   placed D LEVEL NAME KIND OX OY W H PASSWORD OWNER STATE   a seal in the host
//   pick RC CODE VIEW DRAWING SEAL X Y       fail FUNCTION NTH RC       clock Y M D
//   dialog pass PW | dialog first NAME PW | dialog cancel | dialog confirm ok|cancel
//   dialog type TITLE ID TEXT | dialog press TITLE ID | dialog escape TITLE
//   dialog answer CAPTION      answers a message box with OK and prints its text
//   call EXPORT                show DRAWING (its seals)       editor (waits for it)
//   unload                     frees the plug-in: the next call starts a new session
//   reset                      removes the settings file and the registry mirror
//   fault IMPORT NTH COUNT     the plug-in's calls NTH .. NTH+COUNT-1 (from now) of
//                              WritePrivateProfileStringA or RegSetValueExA fail
//   stored                     prints USERNAME, CRYPTWD (decrypted) of file and mirror
//   expect TEXT                a later printed line holds TEXT
//   absent TEXT                no later printed line holds TEXT (up to the next expect)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dlgpilot.h"
#include "hoststub/klhtest.h"
#include "plugin/rarures.h"
#include "sealfile.h"

namespace {

namespace fs = std::filesystem;

std::string convert(const std::string &s, UINT from, UINT to) {
  if (s.empty())
    return s;
  int n = MultiByteToWideChar(from, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(from, 0, s.data(), int(s.size()), w.data(), n);
  int m = WideCharToMultiByte(to, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(m, '\0');
  WideCharToMultiByte(to, 0, w.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}
std::string sjis(const std::string &utf8) { return convert(utf8, CP_UTF8, 932); }
std::string utf8(const std::string &sj) { return convert(sj, 932, CP_UTF8); }

std::vector<std::string> words(const std::string &line) {
  // In a quoted word \" stands for a quote and \\ for a backslash.
  std::vector<std::string> w;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ')
      i++;
    if (i >= line.size())
      break;
    std::string t;
    if (line[i] == '"') {
      for (i++; i < line.size() && line[i] != '"'; i++) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
          i++;
        t += line[i];
      }
      i++;
    } else {
      std::size_t e = line.find(' ', i);
      if (e == std::string::npos)
        e = line.size();
      t = line.substr(i, e - i);
      i = e;
    }
    w.push_back(t);
  }
  return w;
}

std::time_t FakeNow = 0;
std::time_t __cdecl fakeclock(std::time_t *out) {
  if (out)
    *out = FakeNow;
  return FakeNow;
}

// Points the module's imports of the named function at repl; the count patched.
int patchimport(HMODULE m, const char *fn, void *repl) {
  auto *base = reinterpret_cast<BYTE *>(m);
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const auto dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int n = 0;
  for (auto *imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); imp->Name; imp++) {
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; names++, slots++) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      auto *by = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char *>(by->Name), fn) != 0)
        continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof(void *), PAGE_READWRITE, &old);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(repl);
      VirtualProtect(&slots->u1.Function, sizeof(void *), old, &old);
      n++;
    }
  }
  return n;
}

// Injected failures of the plug-in's settings writes: calls are counted from the
// script's "fault" line, and those from the NTH on fail COUNT times.
struct Fault {
  int from = 0, count = 0, calls = 0;
  bool hit() {
    calls++;
    return calls >= from && calls < from + count;
  }
};
Fault ProfileFault, RegFault;
void (*FaultNote)(const std::string &) = nullptr;

BOOL WINAPI faultyprofile(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (ProfileFault.hit()) {
    FaultNote(std::string("fault: WritePrivateProfileStringA ") + (key ? key : ""));
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return WritePrivateProfileStringA(section, key, value, file);
}
LONG WINAPI faultyregset(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size) {
  if (RegFault.hit()) {
    FaultNote(std::string("fault: RegSetValueExA ") + (name ? name : ""));
    return ERROR_ACCESS_DENIED;
  }
  return RegSetValueExA(key, name, reserved, type, data, size);
}

class Host;
Host *TheHost = nullptr;

class Host {
public:
  explicit Host(const fs::path &script) : script_(script) {}

  int run() {
    TheHost = this;
    FaultNote = [](const std::string &s) { TheHost->print(s); };
    work_ = fs::temp_directory_path() / ("stampixhost_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "seals");
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    fs::copy_file(fs::path(exe).parent_path() / "stampix.dll", work_ / "stampix.dll");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix");
    SetEnvironmentVariableA("INKFORGE_CMDFILE", (work_ / "editor.txt").string().c_str());
    // Message boxes asked under the test runner are logged to stderr; keep them.
    boxes_ = (work_ / "boxes.txt").string();
    std::freopen(boxes_.c_str(), "w", stderr);
    hst_reset();
    std::ifstream in(script_);
    if (!in) {
      std::printf("cannot read %s\n", script_.string().c_str());
      return 1;
    }
    std::string line;
    int no = 0;
    while (std::getline(in, line)) {
      no++;
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      std::vector<std::string> w = words(sjis(line));
      if (w.empty() || w[0][0] == '#')
        continue;
      // The text to look for is the rest of the line as it stands.
      if ((w[0] == "expect" || w[0] == "absent") && line.size() > 7)
        w = {w[0], sjis(line.substr(7))};
      if (!command(w)) {
        std::printf("line %d: cannot do: %s\n", no, line.c_str());
        failures_++;
      }
    }
    if (dll_)
      FreeLibrary(dll_);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix");
    std::error_code ec;
    fs::remove_all(work_, ec);
    std::printf("%d failure(s)\n", failures_);
    return failures_;
  }

private:
  fs::path script_, work_;
  std::string boxes_;
  long boxesRead_ = 0;
  HMODULE dll_ = nullptr;
  std::vector<std::string> lines_;
  std::size_t cursor_ = 0;
  std::vector<std::string> absent_;
  int failures_ = 0;
  std::vector<pilot::Step> steps_;
  std::unique_ptr<SealBuilder> seal_;
  std::string sealFile_;
  int sealCount_ = -99;

public:
  void print(const std::string &s) {
    lines_.push_back(s);
    std::printf("  %s\n", utf8(s).c_str());
  }

private:
  std::string profile(const char *key) const {
    char buf[300] = {};
    GetPrivateProfileStringA("SYSTEM", key, "", buf, sizeof buf, cfgpath().c_str());
    return buf;
  }
  static std::string regstring(const char *name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "";
    char buf[64] = {};
    DWORD n = sizeof buf - 1;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &n);
    RegCloseKey(key);
    return buf;
  }
  static std::string decrypt(const std::string &enc) {
    char out[20] = {};
    KlhAnalyzePasswd(enc.c_str(), out);
    return out;
  }
  std::string cfgpath() const { return (work_ / "SEALCONFIG.SYS").string(); }
  static double d(const std::string &s) { return std::atof(s.c_str()); }
  static int i(const std::string &s) { return std::atoi(s.c_str()); }
  static std::string encrypt(const std::string &pw) {
    char out[20] = {};
    KlhEncryptPasswd(pw.c_str(), out);
    return out;
  }
  static void regbin(HKEY key, const char *name, const std::string &v, std::size_t width) {
    std::string b = v;
    b.resize(width, '\0');
    RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE *>(b.data()), DWORD(width));
  }

  bool load() {
    if (dll_)
      return true;
    dll_ = LoadLibraryA((work_ / "stampix.dll").string().c_str());
    if (!dll_)
      return false;
    if (FakeNow && patchimport(dll_, "_time64", reinterpret_cast<void *>(fakeclock)) +
                           patchimport(dll_, "time", reinterpret_cast<void *>(fakeclock)) ==
                       0)
      print("clock: not patched");
    return true;
  }

  // New lines of the call log and the message boxes since the last look.
  void collect(int from) {
    char buf[1024];
    for (int n = from; n < hst_logcount(); n++) {
      hst_logline(n, buf, sizeof buf);
      print(buf);
    }
    std::fflush(stderr);
    std::ifstream b(boxes_, std::ios::binary);
    b.seekg(boxesRead_);
    std::string l;
    while (std::getline(b, l)) {
      boxesRead_ += long(l.size()) + 1;
      const std::string tag = "unanswered question (kind 1): ";
      if (l.rfind(tag, 0) == 0)
        print("box " + l.substr(tag.size()));
    }
  }

  void check(const std::string &text) {
    for (; cursor_ < lines_.size(); cursor_++) {
      for (const auto &a : absent_)
        if (lines_[cursor_].find(a) != std::string::npos) {
          std::printf("FAIL: unexpected line: %s\n", utf8(lines_[cursor_]).c_str());
          failures_++;
        }
      if (!text.empty() && lines_[cursor_].find(text) != std::string::npos) {
        cursor_++;
        absent_.clear();
        return;
      }
    }
    if (!text.empty()) {
      std::printf("FAIL: expected a line with: %s\n", utf8(text).c_str());
      failures_++;
    }
    absent_.clear();
  }

  int callexport(const std::string &name) {
    FARPROC f = GetProcAddress(dll_, name.c_str());
    if (!f)
      return INT_MIN;
    if (name == "RaruVersion") {
      std::vector<char> info(1824 + 16, '\x55');
      const int rc = reinterpret_cast<int(WINAPI *)(void *)>(reinterpret_cast<void *>(f))(info.data());
      if (rc == 0) {
        for (int s = 0; s < 7; s++)
          print("version " + std::to_string(s) + ": " + std::string(info.data() + s * 260));
        print(std::string("version tail zero: ") + (std::memcmp(info.data() + 1820, "\0\0\0\0", 4) == 0 ? "yes" : "no"));
      }
      print("RaruVersion(null) = " + std::to_string(reinterpret_cast<int(WINAPI *)(void *)>(reinterpret_cast<void *>(f))(nullptr)));
      return rc;
    }
    return reinterpret_cast<int(WINAPI *)()>(reinterpret_cast<void *>(f))();
  }

  bool command(const std::vector<std::string> &w) {
    const std::string &c = w[0];
    const std::size_t n = w.size();
    if (c == "config" && n == 3) {
      std::string v = w[2] == "$SEALS" ? (work_ / "seals").string() : w[2];
      return WritePrivateProfileStringA("SYSTEM", w[1].c_str(), v.c_str(), cfgpath().c_str()) != 0;
    }
    if (c == "user" && n >= 3) {
      const std::string where = n > 3 ? w[3] : "both", enc = encrypt(w[2]);
      if (where != "reg") {
        WritePrivateProfileStringA("SYSTEM", "USERNAME", w[1].c_str(), cfgpath().c_str());
        WritePrivateProfileStringA("SYSTEM", "CRYPTWD", enc.c_str(), cfgpath().c_str());
      }
      if (where != "file") {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
          return false;
        regbin(key, "data0", w[1], 24);
        regbin(key, "data1", enc, 20);
        RegCloseKey(key);
      }
      return true;
    }
    if (c == "seal" && n >= 11) {
      seal_ = std::make_unique<SealBuilder>();
      sealFile_ = w[1];
      const std::string enc = encrypt(w[3]);
      seal_->owner(w[2].c_str(), enc.c_str(), i(w[4]), w[5].c_str());
      seal_->outline(i(w[6]), d(w[7]), d(w[8]), d(w[9]), d(w[10]));
      sealCount_ = n > 11 ? i(w[11]) : -99;
      return true;
    }
    if (seal_ && c == "line" && n == 5) {
      seal_->line(d(w[1]), d(w[2]), d(w[3]), d(w[4]));
      return true;
    }
    if (seal_ && c == "arc" && n == 6) {
      seal_->arc(d(w[1]), d(w[2]), d(w[3]), d(w[4]), d(w[5]));
      return true;
    }
    if (seal_ && c == "text" && n >= 7) {
      seal_->text(w[1], float(d(w[2])), float(d(w[3])), float(d(w[4])), float(d(w[5])), float(d(w[6])),
                  n > 7 ? unsigned(i(w[7])) : 0u);
      return true;
    }
    if (seal_ && c == "link" && n == 3) {
      const std::size_t at = std::size_t(i(w[1]) - 1) * 80;
      if (at + 80 > seal_->recs.size())
        return false;
      slf_put<int32_t>(seal_->recs.data() + at, 66, i(w[2]));
      return true;
    }
    if (seal_ && c == "end") {
      const std::vector<uint8_t> b = seal_->bytes(sealCount_);
      std::ofstream out(work_ / "seals" / sealFile_, std::ios::binary);
      out.write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
      seal_.reset();
      return bool(out);
    }
    if (c == "drawing" && n == 7) {
      HstDrawing dr{};
      dr.powerLevel = i(w[2]);
      dr.permit = i(w[3]);
      dr.figFails = i(w[4]);
      dr.scaleA[0] = int16_t(i(w[5]));
      dr.scaleB[0] = int16_t(i(w[6]));
      return hst_setdrawing(i(w[1]), &dr) != 0;
    }
    if (c == "current" && n == 2) {
      hst_setcurrent(i(w[1]));
      return true;
    }
    if (c == "placed" && n == 12) {
      HstSeal s{};
      s.level = i(w[2]);
      std::snprintf(s.name, sizeof s.name, "%s", w[3].c_str());
      s.kind = int16_t(i(w[4]));
      s.origin = KlhPoint{d(w[5]), d(w[6])};
      s.size = KlhSize{d(w[7]), d(w[8])};
      std::snprintf(s.attr, sizeof s.attr, "%s%s", encrypt(w[9]).c_str(), w[10].c_str());
      s.layerState = int16_t(i(w[11]));
      return hst_addseal(i(w[1]), &s) != 0;
    }
    if (c == "pick" && n == 8) {
      HstInput in{i(w[1]), i(w[2]), i(w[3]), i(w[4]), i(w[5]), d(w[6]), d(w[7])};
      hst_queue(&in);
      return true;
    }
    if (c == "fail" && n == 4) {
      hst_fail(w[1].c_str(), i(w[2]), i(w[3]));
      return true;
    }
    if (c == "clock" && n == 4) {
      std::tm t{};
      t.tm_year = i(w[1]) - 1900;
      t.tm_mon = i(w[2]) - 1;
      t.tm_mday = i(w[3]);
      t.tm_hour = 12;
      t.tm_isdst = -1;
      FakeNow = std::mktime(&t);
      return true;
    }
    if (c == "dialog" && n >= 2)
      return dialog(w);
    if (c == "unload" && n == 1) {
      if (dll_)
        FreeLibrary(dll_);
      dll_ = nullptr;
      return true;
    }
    if (c == "reset" && n == 1) {
      DeleteFileA(cfgpath().c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\KLStampix");
      return true;
    }
    if (c == "fault" && n == 4) {
      if (!load())
        return false;
      Fault &f = w[1] == "RegSetValueExA" ? RegFault : ProfileFault;
      f = Fault{i(w[2]), i(w[3]), 0};
      void *repl = w[1] == "RegSetValueExA" ? reinterpret_cast<void *>(faultyregset)
                                           : reinterpret_cast<void *>(faultyprofile);
      return (w[1] == "RegSetValueExA" || w[1] == "WritePrivateProfileStringA") && patchimport(dll_, w[1].c_str(), repl) > 0;
    }
    if (c == "stored" && n == 1) {
      print("stored file [" + profile("USERNAME") + "] [" + decrypt(profile("CRYPTWD")) + "] mirror [" +
            regstring("data0") + "] [" + decrypt(regstring("data1")) + "]");
      return true;
    }
    if (c == "call" && n == 2) {
      if (!load())
        return false;
      const int from = hst_logcount();
      int rc;
      {
        std::unique_ptr<pilot::Pilot> p;
        if (!steps_.empty()) {
          // The last step closes the last dialog; questions after it are logged again,
          // not shown.
          pilot::Step last = steps_.back();
          steps_.back() = [last] {
            if (!last())
              return false;
            _putenv("INK_NO_MODAL=1");
            return true;
          };
          p = std::make_unique<pilot::Pilot>(steps_);
        }
        rc = callexport(w[1]);
        if (p && !p->done()) {
          print("dialog steps not all played: " + std::to_string(p->at()));
        }
        steps_.clear();
      }
      collect(from);
      print(w[1] + " = " + std::to_string(rc));
      return rc != INT_MIN;
    }
    if (c == "show" && n == 2) {
      const int dr = i(w[1]);
      print("drawing " + w[1] + ": " + std::to_string(hst_sealcount(dr)) + " seal(s)");
      for (int s = 1; s <= hst_sealcount(dr); s++) {
        HstSeal h{};
        hst_getseal(dr, s, &h);
        char b[300];
        std::snprintf(b, sizeof b, "seal %d: %s level %d kind %d at (%g,%g) size (%g,%g) attr %s", s, h.name, h.level,
                      h.kind, h.origin.x, h.origin.y, h.size.width, h.size.height, h.attr);
        print(b);
      }
      return true;
    }
    if (c == "editor") {
      const fs::path f = work_ / "editor.txt";
      for (int t = 0; t < 200 && !fs::exists(f); t++)
        Sleep(50);
      Sleep(100);
      std::ifstream e(f, std::ios::binary);
      std::string s((std::istreambuf_iterator<char>(e)), std::istreambuf_iterator<char>());
      print("editor: " + (e ? s : std::string("<not started>")));
      return true;
    }
    if (c == "expect" && n == 2) {
      check(w[1]);
      return true;
    }
    if (c == "absent" && n == 2) {
      absent_.push_back(w[1]);
      return true;
    }
    return false;
  }

  bool dialog(const std::vector<std::string> &w) {
    using namespace pilot;
    // Titles of the gate's dialogs and the confirmation (sources are compiled to CP932).
    static const char tf[] = "使用者名設定", tp[] = "パスワード入力", tc[] = "押印の確認";
    if (w[1] == "pass" && w.size() == 3) {
      steps_.push_back([this] {
        if (!find(tp))
          return false;
        print("dialog 20018");
        return true;
      });
      steps_.push_back(type(tp, IDC_PW_PASS, w[2]));
      steps_.push_back(press(tp, IDOK));
      return true;
    }
    if (w[1] == "first" && w.size() == 4) {
      steps_.push_back([this] {
        if (!find(tf))
          return false;
        print("dialog 20014");
        return true;
      });
      steps_.push_back(type(tf, IDC_FU_USER, w[2]));
      steps_.push_back(type(tf, IDC_FU_PASS, w[3]));
      steps_.push_back(type(tf, IDC_FU_REPEAT, w[3]));
      steps_.push_back(press(tf, IDOK));
      return true;
    }
    if (w[1] == "cancel") {
      steps_.push_back([this] {
        HWND d = find(tf);
        const char *id = "20014";
        if (!d) {
          d = find(tp);
          id = "20018";
        }
        if (!d)
          return false;
        print(std::string("dialog ") + id);
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
      });
      return true;
    }
    if (w[1] == "type" && w.size() == 5) {
      const std::string title = w[2], text = w[4];
      const int id = i(w[3]);
      steps_.push_back([title, id, text] {
        HWND d = find(title.c_str());
        if (!d)
          return false;
        typeinto(GetDlgItem(d, id), text);
        return true;
      });
      return true;
    }
    if ((w[1] == "press" && w.size() == 4) || (w[1] == "escape" && w.size() == 3)) {
      const std::string title = w[2];
      const int id = w[1] == "escape" ? IDCANCEL : i(w[3]);
      steps_.push_back([this, title, id] {
        HWND d = find(title.c_str());
        if (!d)
          return false;
        HWND b = GetDlgItem(d, id);
        if (id != IDCANCEL && !(b && IsWindowEnabled(b)))
          print("button " + std::to_string(id) + " cannot be pressed");
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
        return true;
      });
      return true;
    }
    if (w[1] == "answer" && w.size() == 3) {
      const std::string caption = w[2];
      steps_.push_back([this, caption] {
        HWND b = find(caption.c_str(), true);
        if (!b)
          return false;
        print("box " + boxtext(b));
        PostMessageA(b, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
      });
      return true;
    }
    if (w[1] == "confirm" && w.size() == 3) {
      const int button = w[2] == "ok" ? IDOK : IDCANCEL;
      steps_.push_back([this, button] {
        HWND d = find(tc);
        if (!d)
          return false;
        print("dialog 20043");
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
      });
      return true;
    }
    return false;
  }
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::printf("usage: stampixhost SCRIPT\n");
    return 2;
  }
  std::string path = argv[1];
  if (!path.empty() && path[0] == '/')
    path = "Z:" + path;
  ::testing::InitGoogleTest(&argc, argv);
  return Host(path).run();
}
