// cardprint-app: the card printer as a driverless IPP Everywhere printer.
// PAPPL's main loop gives it the usual sub-commands (server, add, submit,
// printers, jobs, status, options, drivers, shutdown, ...); the server keeps
// its printers and their defaults in the state folder it is given and
// serves PAPPL's web interface.
//
//   cardprint-app server -o state-directory=DIR [-o spool-directory=DIR]
//       [-o listen-hostname=HOST] [-o server-port=PORT] [-o auth-service=PAM]
//       [-o log-file=FILE] [-o log-level=LEVEL]
//
// The server listens on loopback unless listen-hostname names another
// address; beyond loopback the web interface's settings and printer
// administration ask for a login checked by PAM (auth-service, "login" by
// default), and TLS is offered as PAPPL provides it.
#include <pappl/pappl.h>

#include "host/printer_app/app_system.h"
#include "host/printer_app/card_driver.h"

int main(int argc, char* argv[]) {
  static pappl_pr_driver_t drivers[] = {
      {kCardDriverName, kCardDriverDescription, kCardDeviceId, nullptr},
  };
  return papplMainloop(argc, argv, CARDPRINT_VERSION, nullptr, 1, drivers, CardAutoAdd, CardDriver,
                       nullptr, nullptr, MakeSystem, nullptr, drivers);
}
