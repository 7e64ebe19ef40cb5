#include "shell/appsvc_pending.h"

char PendingOpenPath[APP_PENDLEN];
uint32_t AppModeFlag;
