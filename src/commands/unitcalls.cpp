#include "commands/unitcalls.h"

UnitCalls CmdUnits = {};
