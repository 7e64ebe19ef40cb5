// The editor's OLE server class: its class identifier (chosen once; containers store
// it with every embedded drawing, so it never changes) and its registry entries.
#pragma once

#include <windows.h>

#include "framework/olesrv.h"

// {093D5B28-EC34-4880-847E-70145AAF3966}
constexpr CLSID kInkAppClsid = {0x093d5b28, 0xec34, 0x4880, {0x84, 0x7e, 0x70, 0x14, 0x5a, 0xaf, 0x39, 0x66}};

// The address of the program's class identifier.
const CLSID *GetAppClsid();
// ProgID "KIVO-LANT", type name "KIVO LANT 図面", verbs "編集(&E)" and "開く(&O)".
const COleServerEntries &GetAppServerEntries();
