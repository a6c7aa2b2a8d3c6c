#include "host/printer_app/app_system.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "host/printer_app/card_driver.h"
#include "host/printer_app/design_job.h"
#include "host/printer_app/device_watch.h"

namespace {

constexpr const char* kName = "cardprint-app";
constexpr int kDefaultPort = 8631;

std::string Option(const char* name, int num_options, cups_option_t* options,
                   std::string_view fallback = {}) {
  const char* value = cupsGetOption(name, num_options, options);
  return value != nullptr ? std::string(value) : std::string(fallback);
}

bool IsLoopback(const std::string& host) {
  return host.empty() || host == "localhost" || host == "127.0.0.1" || host == "::1" ||
         host == "[::1]";
}

pappl_loglevel_t LogLevel(const std::string& name) {
  if (name == "debug") return PAPPL_LOGLEVEL_DEBUG;
  if (name == "info") return PAPPL_LOGLEVEL_INFO;
  if (name == "error") return PAPPL_LOGLEVEL_ERROR;
  if (name == "fatal") return PAPPL_LOGLEVEL_FATAL;
  return PAPPL_LOGLEVEL_WARN;
}

// A folder that exists, made when it is missing.
bool Folder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
  std::fprintf(stderr, "%s: the folder %s cannot be made: %s\n", kName, path.c_str(),
               std::strerror(errno));
  return false;
}

// The state file, written whenever the printers or their defaults change.
bool SaveState(pappl_system_t* system, void* data) {
  return papplSystemSaveState(system, static_cast<const char*>(data));
}

}  // namespace

pappl_system_t* MakeSystem(int num_options, cups_option_t* options, void* data) {
  std::string state_folder = Option("state-directory", num_options, options);
  if (state_folder.empty()) {
    const char* home = std::getenv("HOME");
    state_folder = std::string(home != nullptr ? home : "/tmp") + "/.cardprint-app";
  }
  std::string spool_folder =
      Option("spool-directory", num_options, options, state_folder + "/spool");
  if (!Folder(state_folder) || !Folder(spool_folder)) return nullptr;

  std::string host = Option("listen-hostname", num_options, options, "localhost");
  std::string port_text = Option("server-port", num_options, options);
  int port = port_text.empty() ? kDefaultPort : std::atoi(port_text.c_str());
  if (port <= 0 || port > 65535) {
    std::fprintf(stderr, "%s: the server port \"%s\" is not a port number.\n", kName,
                 port_text.c_str());
    return nullptr;
  }
  // Beyond loopback, administration asks for a login; on loopback PAPPL
  // trusts its local users.
  bool remote = !IsLoopback(host);
  std::string auth_service = Option("auth-service", num_options, options, remote ? "login" : "");
  std::string log_file = Option("log-file", num_options, options, "-");
  pappl_soptions_t system_options = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE |
                                    PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_WEB_SECURITY |
                                    PAPPL_SOPTIONS_WEB_TLS;
  // TLS guards what crosses the network; on loopback it is left off.
  system_options |= remote ? PAPPL_SOPTIONS_WEB_REMOTE : PAPPL_SOPTIONS_NO_TLS;

  pappl_system_t* system = papplSystemCreate(
      system_options, kName, port, "_print,_universal", spool_folder.c_str(), log_file.c_str(),
      LogLevel(Option("log-level", num_options, options, "warn")),
      auth_service.empty() ? nullptr : auth_service.c_str(), false);
  if (system == nullptr) return nullptr;
  if (!papplSystemAddListeners(system, host.c_str())) {
    std::fprintf(stderr, "%s: cannot listen on %s port %d.\n", kName, host.c_str(), port);
    papplSystemDelete(system);
    return nullptr;
  }
  papplSystemSetPrinterDrivers(system, 1, static_cast<pappl_pr_driver_t*>(data), CardAutoAdd,
                               CardPrinterCreated, CardDriver, nullptr);
  papplSystemSetMIMECallback(system, NativeFormatOf, nullptr);
  // Designs go through the card-job library's reader rather than PAPPL's
  // own image filters: PAPPL tries a filter to the printer's own language
  // first.
  for (const char* format : kDesignFormats) {
    papplSystemAddMIMEFilter(system, format, kNativeFormat, PrintDesignJob, nullptr);
  }
  WatchDevices(system);
  papplSystemSetFooterHTML(system, "cardprint printer application");

  // The state file's name lives as long as the system.
  static std::string state_file;
  state_file = state_folder + "/" + kName + ".state";
  papplSystemLoadState(system, state_file.c_str());
  papplSystemSetSaveCallback(system, SaveState, state_file.data());
  return system;
}
