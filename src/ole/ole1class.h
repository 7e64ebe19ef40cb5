// The older OLE server classes the registry knows (HKEY_CLASSES_ROOT) and the file
// filter built from them. Include ole/ole1h.h first.
#pragma once

#include "ole/ole1h.h"

#include <string>
#include <vector>

struct Ole1Class {
  std::string cls;     // key name
  std::string display; // its default value, else the key name
};

// Dialog numbers of the link options' file choosers (answers layer).
constexpr int OLE1_DLGBROWSE = 30310;
constexpr int OLE1_DLGCHANGE = 30311;
// Room for the text of the object item of the edit menu.
constexpr int OLE1_MENUTEXT = 256;

std::string Ole1ClassDisplayName(const char *cls);
// Every class (not an extension, not this program's own) with a server for
// "StdFileEditing".
std::vector<Ole1Class> Ole1ServerClasses();
// Adds them to a list box by display name, each with its class name's global atom as
// item data: how many.
int Ole1FillClassList(HWND list);
// "display (*.ext)\0*.ext\0" for each extension whose class has such a server (only
// onlyClass's when given), ended by one more zero; "すべてのファイル (*.*)" without
// any. *index is the 1-based pair of ext, 0 when it is not among them.
std::string Ole1FileFilter(const char *onlyClass, const char *ext, int *index);
// The verbs of a class in order.
std::vector<std::string> Ole1ClassVerbs(const char *cls);
