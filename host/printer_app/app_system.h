// The printer application's system, made from the server's options: where
// it keeps its state and spool, where it listens, how it authenticates, its
// log; the card driver; the printers and defaults saved in the state folder
// loaded back.
#pragma once

#include <pappl/pappl.h>

// PAPPL's system callback; data is the driver list (one pappl_pr_driver_t).
// Null, after a message on standard error, when the options are unusable.
pappl_system_t* MakeSystem(int num_options, cups_option_t* options, void* data);
