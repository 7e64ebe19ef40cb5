#include "shell/keytable.h"

int key_xlate(MSG *) { return 0; }
