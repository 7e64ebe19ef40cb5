#include "framework/oleinit.h"

#include <ole2.h>

#include <cstdlib>

#include "framework/oledata.h"

namespace {
bool g_oleReady = false;
}

BOOL AfxOleInit() {
  if (g_oleReady)
    return TRUE;
  if (FAILED(OleInitialize(nullptr)))
    return FALSE;
  g_oleReady = true;
  std::atexit(AfxOleTerm);
  return TRUE;
}

void AfxOleTerm() {
  if (!g_oleReady)
    return;
  COleDataSource::FlushClipboard();
  g_oleReady = false;
  OleUninitialize();
}

CLIPFORMAT AfxOleRegisterFormat(CLIPFORMAT &format, const char *name) {
  if (format == 0)
    format = CLIPFORMAT(RegisterClipboardFormatA(name));
  return format;
}
