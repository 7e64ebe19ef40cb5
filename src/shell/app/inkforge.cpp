// INKFORGE: the editor's one application object; WinMain comes from the framework.
#include "shell/app/app.h"

VODOreVer theApp;
