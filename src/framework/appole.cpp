#include "framework/appole.h"

namespace {
const char *const kVerbs[] = {"編集(&E),0,2", "開く(&O),0,2", nullptr};
// OLEMISC_RECOMPOSEONRESIZE: the container asks again for the picture after a resize.
const COleServerEntries kEntries = {"KIVO-LANT", "KIVO LANT 図面", "KIVO LANT", "KIVO LANT", kVerbs, 32, ".KSL"};
} // namespace

const CLSID *GetAppClsid() { return &kInkAppClsid; }
const COleServerEntries &GetAppServerEntries() { return kEntries; }
