#include "commands/cmdl/unitcalls.h"

UnitCalls CmdUnits = {};
