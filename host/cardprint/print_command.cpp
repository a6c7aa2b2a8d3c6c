#include "host/cardprint/commands.h"
#include "host/cardprint/errors.h"
int RunPrint(CommandArguments, Console&) { throw Failure("print is not built yet."); }
