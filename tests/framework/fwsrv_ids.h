// The class of the test server fwsrv, shared by fwsrv and the tests that drive it.
#pragma once

#include <windows.h>

// {0EF02770-3978-49FD-B6C7-909C8CC2A74D}
constexpr CLSID kFwSrvClsid = {0x0ef02770, 0x3978, 0x49fd, {0xb6, 0xc7, 0x90, 0x9c, 0x8c, 0xc2, 0xa7, 0x4d}};
#define kFwSrvClsidText "{0EF02770-3978-49FD-B6C7-909C8CC2A74D}"
constexpr const char *kFwSrvProgId = "InkFwSrv.Document";
