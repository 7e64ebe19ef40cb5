// The OLE 1 header, without the OLE 2 headers <windows.h> would bring (five names
// collide): include this before anything that includes <windows.h>.
#pragma once

#if defined(_WINDOWS_) && !defined(_INC_OLE)
#error "include ole/ole1h.h before <windows.h>"
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef _Analysis_noreturn_
#define _Analysis_noreturn_
#endif
#include <windows.h>

#include <ole.h>
