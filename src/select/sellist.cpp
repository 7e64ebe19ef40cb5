#include "select/sellist.h"

SelectionListRecord SelList = {nullptr, 0, -1};
