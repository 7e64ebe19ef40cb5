// The older OLE server classes the registry knows, the file filter built from them,
// the link options helpers with their two file choosers, and the object item of the
// edit menu.
#include "ole/ole1h.h"

#include <commdlg.h>

#include "ole/ole1class.h"
#include "ole/ole1obj.h"

#include <cstdio>
#include <cstring>

#include "ole/ole1rec.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/appwin.h"

namespace {

constexpr const char *kOwnClass = "KIVO-LANT";

// The default value of a key below HKEY_CLASSES_ROOT, of any length; false without one.
bool class_value(const std::string &key, std::string *out) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  LONG r = RegQueryValueExA(k, nullptr, nullptr, &type, nullptr, &size);
  bool ok = false;
  if (r == ERROR_SUCCESS && type == REG_SZ) {
    std::string v(size + 1, '\0');
    r = RegQueryValueExA(k, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(&v[0]), &size);
    if (r == ERROR_SUCCESS) {
      v.resize(std::strlen(v.c_str()));
      *out = v;
      ok = true;
    }
  }
  RegCloseKey(k);
  return ok;
}

bool has_server(const std::string &cls) {
  std::string v;
  return class_value(cls + "\\protocol\\StdFileEditing\\server", &v) && !v.empty();
}

std::vector<std::string> root_keys() {
  std::vector<std::string> keys;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name;
    const LONG r = RegEnumKeyExA(HKEY_CLASSES_ROOT, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS)
      break;
    if (r == ERROR_SUCCESS)
      keys.emplace_back(name, n);
  }
  return keys;
}

int choose_file(HWND owner, int dialog, const char *title, const std::string &filter, int index, char *path, int cap) {
  UiQuestion q{};
  q.kind = UI_DIALOG;
  q.heading = title;
  q.text = filter.c_str();
  q.owner = owner;
  q.dialog = dialog;
  q.reply = path;
  q.replysize = unsigned(cap);
  q.count = index;
  return ui_ask(q, [](const UiQuestion &x) {
    OPENFILENAMEA o{};
    o.lStructSize = sizeof o;
    o.hwndOwner = static_cast<HWND>(x.owner);
    o.lpstrFilter = x.text;
    o.nFilterIndex = DWORD(x.count);
    o.lpstrFile = x.reply;
    o.nMaxFile = x.replysize;
    o.lpstrTitle = x.heading;
    o.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&o) ? 1 : -1;
  });
}

} // namespace

std::string Ole1ClassDisplayName(const char *cls) {
  std::string v;
  if (cls && class_value(cls, &v) && !v.empty())
    return v;
  return cls ? cls : "";
}

std::vector<Ole1Class> Ole1ServerClasses() {
  std::vector<Ole1Class> list;
  for (const std::string &k : root_keys()) {
    if (k.empty() || k[0] == '.' || lstrcmpiA(k.c_str(), kOwnClass) == 0 || !has_server(k))
      continue;
    list.push_back(Ole1Class{k, Ole1ClassDisplayName(k.c_str())});
  }
  return list;
}

int Ole1FillClassList(HWND list) {
  int n = 0;
  for (const Ole1Class &c : Ole1ServerClasses()) {
    const LRESULT i = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.display.c_str()));
    if (i < 0)
      continue;
    SendMessageA(list, LB_SETITEMDATA, WPARAM(i), LPARAM(GlobalAddAtomA(c.cls.c_str())));
    ++n;
  }
  return n;
}

std::string Ole1FileFilter(const char *onlyClass, const char *ext, int *index) {
  std::string filter;
  int n = 0;
  if (index)
    *index = 0;
  for (const std::string &k : root_keys()) {
    if (k.size() < 2 || k[0] != '.')
      continue;
    std::string cls;
    if (!class_value(k, &cls) || cls.empty() || !has_server(cls))
      continue;
    if (onlyClass && *onlyClass && lstrcmpiA(cls.c_str(), onlyClass) != 0)
      continue;
    const std::string pattern = "*" + k;
    filter += Ole1ClassDisplayName(cls.c_str()) + " (" + pattern + ")";
    filter.push_back('\0');
    filter += pattern;
    filter.push_back('\0');
    ++n;
    if (index && ext && lstrcmpiA(ext, k.c_str()) == 0)
      *index = n;
  }
  if (filter.empty()) {
    filter = "すべてのファイル (*.*)";
    filter.push_back('\0');
    filter += "*.*";
    filter.push_back('\0');
  }
  filter.push_back('\0');
  return filter;
}

int CALLBACK Ole1LinkCallback(void *) { return 0; }
int Ole1AlwaysYes() { return 1; }

int Ole1LinkText(Ole1Object *o, char *out, int cap) {
  if (!o || !out || cap <= 0 || o->kind != OLE1_LINKED)
    return 0;
  if (!o->linkData && !ObjCliGetData(o, nullptr, 0))
    return 0;
  const char *cls = nullptr, *doc = nullptr, *item = nullptr;
  ole1_linkparts(static_cast<const char *>(GlobalLock(o->linkData)), &cls, &doc, &item);
  char full[MAX_PATH] = "";
  if (!GetLongPathNameA(doc, full, sizeof full))
    std::snprintf(full, sizeof full, "%s", doc);
  const std::string display = Ole1ClassDisplayName(cls);
  msg_format(out, std::size_t(cap), "%s\t%s\t%s\t%s", display.c_str(), full, item, ole1_updatetext(o->update));
  GlobalUnlock(o->linkData);
  return 1;
}

int Ole1BrowseFile(HWND owner, const char *cls, char *path, int cap) {
  if (!path || cap <= 0)
    return 0;
  int index = 0;
  const std::string filter = Ole1FileFilter(cls, nullptr, &index);
  return choose_file(owner, OLE1_DLGBROWSE, "参照", filter, index ? index : 1, path, cap) == 1 ? 1 : 0;
}

HGLOBAL Ole1ChangeSourceFile(HWND owner, const char *cls, const char *current) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 300);
  char *path = h ? static_cast<char *>(GlobalLock(h)) : nullptr;
  if (!path) {
    if (h)
      GlobalFree(h);
    ReportOleStatus(OLE1_ST_NOMEMORY);
    return nullptr;
  }
  std::snprintf(path, 300, "%s", current ? current : "");
  const char *dot = current ? std::strrchr(current, '.') : nullptr;
  int index = 0;
  const std::string filter = Ole1FileFilter(cls, dot, &index);
  const int r = choose_file(owner, OLE1_DLGCHANGE, "リンク元の変更", filter, index ? index : 1, path, 300);
  path[299] = '\0';
  GlobalUnlock(h);
  if (r != 1) {
    GlobalFree(h);
    return nullptr;
  }
  return h;
}

std::vector<std::string> Ole1ClassVerbs(const char *cls) {
  std::vector<std::string> verbs;
  for (int i = 0; cls && i < 32; ++i) {
    char key[600];
    std::snprintf(key, sizeof key, "%s\\protocol\\StdFileEditing\\verb\\%d", cls, i);
    std::string v;
    if (!class_value(key, &v))
      break;
    verbs.push_back(v);
  }
  return verbs;
}

void UpdateObjectMenuItem(HMENU menu, UINT pos, UINT id, int dwg) {
  if (!menu)
    return;
  HMENU old = GetSubMenu(menu, int(pos));
  Ole1Object *o = Ole1Selected(dwg);
  char link[1024];
  const char *cls = nullptr;
  if (!o || !o->obj || o->kind == OLE1_STATIC || !ObjCliGetData(o, link, sizeof link)) {
    ModifyMenuA(menu, pos, MF_BYPOSITION | MF_STRING | MF_GRAYED, id, "オブジェクト(&V)");
  } else {
    ole1_linkparts(link, &cls, nullptr, nullptr);
    const std::string display = Ole1ClassDisplayName(cls);
    const std::vector<std::string> verbs = Ole1ClassVerbs(cls);
    if (verbs.size() <= 1) {
      char text[OLE1_MENUTEXT];
      ole1_verbtext(verbs.empty() ? nullptr : verbs[0].c_str(), display.c_str(), text, sizeof text);
      ModifyMenuA(menu, pos, MF_BYPOSITION | MF_STRING | MF_ENABLED, id, text);
    } else {
      HMENU pop = CreatePopupMenu();
      for (std::size_t i = 0; i < verbs.size(); ++i) {
        char text[OLE1_MENUTEXT];
        msg_format(text, sizeof text, "%s", verbs[i].c_str());
        AppendMenuA(pop, MF_STRING, id + 1 + UINT(i), text);
      }
      ModifyMenuA(menu, pos, MF_BYPOSITION | MF_POPUP | MF_ENABLED, reinterpret_cast<UINT_PTR>(pop),
                  "オブジェクトの編集(&V)");
    }
  }
  if (old && old != GetSubMenu(menu, int(pos)))
    DestroyMenu(old);
}
