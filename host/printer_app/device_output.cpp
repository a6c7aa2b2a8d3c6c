#include "host/printer_app/device_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

bool WriteToDevice(pappl_device_t* device, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    ssize_t written = papplDeviceWrite(device, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

void DropJobFile(pappl_job_t* job) {
  const char* uri = papplPrinterGetDeviceURI(papplJobGetPrinter(job));
  const char* name = papplJobGetName(job);
  if (uri == nullptr || name == nullptr) return;
  char scheme[32], userpass[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, userpass, sizeof userpass,
                      host, sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK ||
      std::string_view(scheme) != "file") {
    return;
  }
  std::string folder = resource;
  std::string extension = "prn";
  if (std::size_t query = folder.find('?'); query != std::string::npos) {
    std::string_view options = std::string_view(folder).substr(query + 1);
    if (options.starts_with("ext=")) extension = std::string(options.substr(4));
    folder.erase(query);
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
  // PAPPL names the file after the job as it names files: a slash, control
  // characters and bytes beyond ASCII become underscores.
  std::string file_name = name;
  for (char& c : file_name) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '/' || byte < 0x20 || byte >= 0x7F) c = '_';
  }
  std::string file = folder + "/" + file_name + "." + extension;
  if (lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(file.c_str());
}
