// OLE for the process: initialised once, uninitialised at exit (a data source still
// owning the clipboard is flushed first, so that what was copied stays pasteable).
#pragma once

#include <windows.h>

// OleInitialize on the first call; TRUE when OLE is ready. The caller reports a failure.
BOOL AfxOleInit();
// What exit does: flushes the clipboard of our data source and uninitialises OLE.
void AfxOleTerm();
// Registers the clipboard format name unless format already holds a number (0: not
// yet); the number it holds afterwards (0 when the registration failed).
CLIPFORMAT AfxOleRegisterFormat(CLIPFORMAT &format, const char *name);
