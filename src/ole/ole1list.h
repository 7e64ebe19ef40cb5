// The entry points of the older OLE libraries with their argument lists, for the
// forwarders and the test stand-ins. A clipboard-format argument is passed widened
// to 32 bits (UINT). Include after ole/ole1h.h.
//
// X(result, name, library, parameters, arguments): library C client, S server,
// L server then client (the lock functions, which the client library exports).
#pragma once

#define OLE1_ENTRIES(X)                                                                                            \
  X(OLESTATUS, OleDelete, C, (LPOLEOBJECT a), (a))                                                                 \
  X(OLESTATUS, OleRelease, C, (LPOLEOBJECT a), (a))                                                                \
  X(OLESTATUS, OleSaveToStream, C, (LPOLEOBJECT a, LPOLESTREAM b), (a, b))                                         \
  X(OLESTATUS, OleCopyToClipboard, C, (LPOLEOBJECT a), (a))                                                        \
  X(OLESTATUS, OleSetHostNames, C, (LPOLEOBJECT a, LPCSTR b, LPCSTR c), (a, b, c))                                 \
  X(OLESTATUS, OleSetBounds, C, (LPOLEOBJECT a, const RECT *b), (a, b))                                            \
  X(OLESTATUS, OleQueryBounds, C, (LPOLEOBJECT a, RECT * b), (a, b))                                               \
  X(OLESTATUS, OleQuerySize, C, (LPOLEOBJECT a, DWORD * b), (a, b))                                                \
  X(OLESTATUS, OleDraw, C, (LPOLEOBJECT a, HDC b, const RECT *c, const RECT *d, HDC e), (a, b, c, d, e))           \
  X(OLESTATUS, OleQueryOpen, C, (LPOLEOBJECT a), (a))                                                              \
  X(OLESTATUS, OleActivate, C, (LPOLEOBJECT a, UINT b, BOOL c, BOOL d, HWND e, const RECT *f), (a, b, c, d, e, f)) \
  X(OLESTATUS, OleClose, C, (LPOLEOBJECT a), (a))                                                                  \
  X(OLESTATUS, OleUpdate, C, (LPOLEOBJECT a), (a))                                                                 \
  X(OLESTATUS, OleReconnect, C, (LPOLEOBJECT a), (a))                                                              \
  X(OLESTATUS, OleGetLinkUpdateOptions, C, (LPOLEOBJECT a, OLEOPT_UPDATE * b), (a, b))                             \
  X(OLESTATUS, OleSetLinkUpdateOptions, C, (LPOLEOBJECT a, OLEOPT_UPDATE b), (a, b))                               \
  X(OLESTATUS, OleQueryReleaseStatus, C, (LPOLEOBJECT a), (a))                                                     \
  X(OLESTATUS, OleQueryReleaseError, C, (LPOLEOBJECT a), (a))                                                      \
  X(OLE_RELEASE_METHOD, OleQueryReleaseMethod, C, (LPOLEOBJECT a), (a))                                            \
  X(OLESTATUS, OleQueryType, C, (LPOLEOBJECT a, LONG * b), (a, b))                                                 \
  X(OLESTATUS, OleGetData, C, (LPOLEOBJECT a, UINT b, HANDLE * c), (a, b, c))                                      \
  X(OLESTATUS, OleSetData, C, (LPOLEOBJECT a, UINT b, HANDLE c), (a, b, c))                                        \
  X(OLESTATUS, OleQueryLinkFromClip, C, (LPCSTR a, OLEOPT_RENDER b, UINT c), (a, b, c))                            \
  X(OLESTATUS, OleQueryCreateFromClip, C, (LPCSTR a, OLEOPT_RENDER b, UINT c), (a, b, c))                          \
  X(OLESTATUS, OleCreateFromClip, C,                                                                               \
    (LPCSTR a, LPOLECLIENT b, LHCLIENTDOC c, LPCSTR d, LPOLEOBJECT * e, OLEOPT_RENDER f, UINT g),                  \
    (a, b, c, d, e, f, g))                                                                                         \
  X(OLESTATUS, OleCreateLinkFromClip, C,                                                                           \
    (LPCSTR a, LPOLECLIENT b, LHCLIENTDOC c, LPCSTR d, LPOLEOBJECT * e, OLEOPT_RENDER f, UINT g),                  \
    (a, b, c, d, e, f, g))                                                                                         \
  X(OLESTATUS, OleCreateFromFile, C,                                                                               \
    (LPCSTR a, LPOLECLIENT b, LPCSTR c, LPCSTR d, LHCLIENTDOC e, LPCSTR f, LPOLEOBJECT * g, OLEOPT_RENDER h,       \
     UINT i),                                                                                                      \
    (a, b, c, d, e, f, g, h, i))                                                                                   \
  X(OLESTATUS, OleLoadFromStream, C,                                                                               \
    (LPOLESTREAM a, LPCSTR b, LPOLECLIENT c, LHCLIENTDOC d, LPCSTR e, LPOLEOBJECT * f), (a, b, c, d, e, f))        \
  X(OLESTATUS, OleCreate, C,                                                                                       \
    (LPCSTR a, LPOLECLIENT b, LPCSTR c, LHCLIENTDOC d, LPCSTR e, LPOLEOBJECT * f, OLEOPT_RENDER g, UINT h),        \
    (a, b, c, d, e, f, g, h))                                                                                      \
  X(OLESTATUS, OleCreateFromTemplate, C,                                                                           \
    (LPCSTR a, LPOLECLIENT b, LPCSTR c, LHCLIENTDOC d, LPCSTR e, LPOLEOBJECT * f, OLEOPT_RENDER g, UINT h),        \
    (a, b, c, d, e, f, g, h))                                                                                      \
  X(OLESTATUS, OleClone, C, (LPOLEOBJECT a, LPOLECLIENT b, LHCLIENTDOC c, LPCSTR d, LPOLEOBJECT * e),              \
    (a, b, c, d, e))                                                                                               \
  X(OLESTATUS, OleObjectConvert, C,                                                                                \
    (LPOLEOBJECT a, LPCSTR b, LPOLECLIENT c, LHCLIENTDOC d, LPCSTR e, LPOLEOBJECT * f), (a, b, c, d, e, f))        \
  X(OLESTATUS, OleRename, C, (LPOLEOBJECT a, LPCSTR b), (a, b))                                                    \
  X(OLESTATUS, OleQueryName, C, (LPOLEOBJECT a, LPSTR b, UINT * c), (a, b, c))                                     \
  X(OLESTATUS, OleRegisterClientDoc, C, (LPCSTR a, LPCSTR b, LONG c, LHCLIENTDOC * d), (a, b, c, d))               \
  X(OLESTATUS, OleRevokeClientDoc, C, (LHCLIENTDOC a), (a))                                                        \
  X(OLESTATUS, OleRenameClientDoc, C, (LHCLIENTDOC a, LPCSTR b), (a, b))                                           \
  X(OLESTATUS, OleRevertClientDoc, C, (LHCLIENTDOC a), (a))                                                        \
  X(OLESTATUS, OleSavedClientDoc, C, (LHCLIENTDOC a), (a))                                                         \
  X(OLESTATUS, OleRegisterServer, S, (LPCSTR a, LPOLESERVER b, LHSERVER * c, HINSTANCE d, OLE_SERVER_USE e),       \
    (a, b, c, d, e))                                                                                               \
  X(OLESTATUS, OleRevokeServer, S, (LHSERVER a), (a))                                                              \
  X(OLESTATUS, OleBlockServer, S, (LHSERVER a), (a))                                                               \
  X(OLESTATUS, OleUnblockServer, S, (LHSERVER a, BOOL * b), (a, b))                                                \
  X(OLESTATUS, OleLockServer, L, (LPOLEOBJECT a, LHSERVER * b), (a, b))                                            \
  X(OLESTATUS, OleUnlockServer, L, (LHSERVER a), (a))                                                              \
  X(OLESTATUS, OleRegisterServerDoc, S, (LHSERVER a, LPCSTR b, LPOLESERVERDOC c, LHSERVERDOC * d), (a, b, c, d))   \
  X(OLESTATUS, OleRevokeServerDoc, S, (LHSERVERDOC a), (a))                                                        \
  X(OLESTATUS, OleRenameServerDoc, S, (LHSERVERDOC a, LPCSTR b), (a, b))                                           \
  X(OLESTATUS, OleRevertServerDoc, S, (LHSERVERDOC a), (a))                                                        \
  X(OLESTATUS, OleSavedServerDoc, S, (LHSERVERDOC a), (a))
