#include "host/cardprint/commands.h"
#include "host/cardprint/errors.h"
int RunReplay(CommandArguments, Console&) { throw Failure("replay is not built yet."); }
