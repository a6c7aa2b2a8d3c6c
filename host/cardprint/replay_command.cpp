// cardprint replay SCRIPT.json -o OUT [--log LOG.jsonl]: plays the engine's
// side of the system from a script, calling the driver only through the
// table DrvEnableDriver returns. Everything the driver writes to the spooler
// goes to OUT; the log has one JSON object per call and a closing line with
// what the driver left allocated.
#include <cstdio>
#include <map>

#include "engine/services.h"
#include "host/card_job/design_file.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/errors.h"
#include "host/cardprint/capabilities_json.h"
#include "host/cardprint/command_line.h"
#include "host/cardprint/commands.h"
#include "host/cardprint/output_file.h"
#include "host/cardprint/replay_script.h"
#include "host/engine/pool_allocator.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: cardprint replay SCRIPT.json -o OUT [--log LOG.jsonl]

Plays the graphics engine's side from SCRIPT.json: sets the printer's
registry data and forms, then makes each call in order, through the driver's
entry-point table as the engine would. Everything the driver writes to the
spooler goes to OUT ("-" for standard output).

The script is an object:
  "printer": {                       (optional)
    "registry": {NAME: VALUE, ...}   VALUE is {"hex": "..."}, {"u32": N}, or
                                     for "PrinterData" {"props": {FIELD: N}}
                                     (PRINTERPROPS fields over the defaults);
                                     a data value without its size value
                                     ("PrinterDataSize", ...) gets one
    "forms": [{"name", "flags", "size": [cx, cy],
               "imageableArea": [left, top, right, bottom]}, ...]
                                     replaces the forms database (micrometres)
  }
  "calls": [ {"call": NAME, ...}, ... ]
    DrvEnablePDEV     "id", "deviceName", "devmode": null, {"hex": "..."} or
                      {"fields": {FIELD: VALUE}} over the default device mode
                      (public and private fields by name)
    DrvCompletePDEV, DrvEnableSurface, DrvDisableSurface, DrvStartPage,
    DrvSendPage, DrvDisablePDEV           "pdev"
    DrvStartDoc       "pdev", "docName", "jobId"
    DrvEndDoc         "pdev", "flags"
    DrvResetPDEV      "old", "new"
    DrvEscape         "pdev", "escape", "input": {"hex"}, {"u16"}, {"u32"},
                      {"utf16": TEXT} (with its terminator) or {"ascii": TEXT},
                      "outputSize"
    fill              "pdev", "rect": [x, y, w, h], "color": [r, g, b]
                      (DrvBitBlt with a solid brush)
    blit              "pdev", "file" (raw 8-bit RGB, rows top-down),
                      "size": [w, h], "at": [x, y] (DrvBitBlt SRCCOPY)
    image             "pdev", "file" (PNG, JPEG, PDF or SVG: its first page),
                      "rect": [x, y, w, h]
                      (DrvStretchBlt)
  "pdev" names the "id" of an earlier DrvEnablePDEV; paths are relative to
  the script. A malformed script is refused before any call runs.

Options:
  -o, --output OUT   where the driver's output goes
  --log LOG.jsonl    one JSON object per call: "call", "result", "lastError"
                     (cleared before the call); "gdiInfo" and "devInfo" for
                     DrvEnablePDEV, "output" (hex) for DrvEscape; and a last
                     line {"event": "end", "outstanding": {TAG: bytes},
                     "failedWrites": N}
  -h, --help         show this help

Exit status: 0 when every call was made and OUT written, 1 for a malformed
script or a failure (nothing is left at OUT then), 2 for bad usage.
)";

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (std::uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

// A device instance as the engine holds it while the script runs.
struct Instance {
  DHPDEV pdev = nullptr;
  HDEV hdev = nullptr;
  SURFOBJ* surface = nullptr;  // the driver's surface, once enabled
  SURFOBJ device_object{};     // what the engine passes before there is one
};

class Replayer {
 public:
  Replayer(EngineSession& session, const std::string& script, OutputFile* log)
      : session_(session), script_(script), log_(log) {}

  void Run(const ReplayCall& call) {
    EngSetLastError(0);
    nlohmann::ordered_json entry{{"call", call.name}, {"line", call.line}};
    nlohmann::ordered_json result = Make(call);
    entry["result"] = result;
    entry["lastError"] = EngGetLastError();
    for (auto& [key, value] : extras_.items()) entry[key] = value;
    extras_ = nlohmann::ordered_json::object();
    Log(entry);
  }

  void End() {
    nlohmann::ordered_json outstanding = nlohmann::ordered_json::object();
    for (const auto& [tag, usage] : session_.engine().pool().OutstandingByTag()) {
      outstanding[TagName(tag)] = usage.bytes;
    }
    Log({{"event", "end"},
         {"outstanding", outstanding},
         {"failedWrites", session_.engine().spooler().FailedWrites(session_.printer())}});
  }

 private:
  void Log(const nlohmann::ordered_json& entry) {
    if (log_ == nullptr) return;
    std::string line = entry.dump() + "\n";
    log_->Write(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
  }

  SURFOBJ* Object(Instance& instance) {
    return instance.surface != nullptr ? instance.surface : &instance.device_object;
  }

  SURFOBJ* Drawable(const ReplayCall& call) {
    Instance& instance = instances_.at(call.pdev);
    if (instance.surface == nullptr) {
      throw Failure("the script " + script_ + ", line " + std::to_string(call.line) +
                    ": the instance \"" + call.pdev + "\" has no surface to draw on.");
    }
    return instance.surface;
  }

  static bool Bool(BOOL value) { return value != FALSE; }

  nlohmann::ordered_json Make(const ReplayCall& call) {
    const DriverTable& driver = session_.driver();
    switch (call.kind) {
      case CallKind::kEnablePDEV: {
        std::vector<std::uint8_t> devmode = call.devmode;
        Capabilities caps;
        Instance& instance = instances_[call.pdev];
        instance.pdev = EnablePdev(session_, devmode, call.device_name, caps);
        instance.device_object.dhpdev = instance.pdev;
        extras_["gdiInfo"] = GdiInfoJson(caps.gdi);
        extras_["devInfo"] = DevInfoJson(caps.devinfo);
        return instance.pdev != nullptr;
      }
      case CallKind::kCompletePDEV: {
        Instance& instance = instances_.at(call.pdev);
        if (instance.hdev == nullptr) instance.hdev = session_.engine().CreateDevice(instance.pdev);
        instance.device_object.hdev = instance.hdev;
        driver.CompletePDEV(instance.pdev, instance.hdev);
        return nullptr;
      }
      case CallKind::kEnableSurface: {
        Instance& instance = instances_.at(call.pdev);
        HSURF surface = driver.EnableSurface(instance.pdev);
        instance.surface = surface != nullptr ? session_.engine().SurfaceObject(surface) : nullptr;
        return surface != nullptr;
      }
      case CallKind::kDisableSurface: {
        Instance& instance = instances_.at(call.pdev);
        driver.DisableSurface(instance.pdev);
        instance.surface = nullptr;
        return nullptr;
      }
      case CallKind::kStartDoc: {
        std::u16string name = call.document_name;
        return Bool(driver.StartDoc(Object(instances_.at(call.pdev)), name.data(), call.job_id));
      }
      case CallKind::kStartPage:
        return Bool(driver.StartPage(Object(instances_.at(call.pdev))));
      case CallKind::kSendPage:
        return Bool(driver.SendPage(Object(instances_.at(call.pdev))));
      case CallKind::kEndDoc:
        return Bool(driver.EndDoc(Object(instances_.at(call.pdev)), call.end_flags));
      case CallKind::kResetPDEV:
        return Bool(
            driver.ResetPDEV(instances_.at(call.pdev).pdev, instances_.at(call.new_pdev).pdev));
      case CallKind::kDisablePDEV: {
        Instance& instance = instances_.at(call.pdev);
        driver.DisablePDEV(instance.pdev);
        if (instance.hdev != nullptr) session_.engine().surfaces().DeleteDevice(instance.hdev);
        instances_.erase(call.pdev);
        return nullptr;
      }
      case CallKind::kEscape: {
        std::vector<std::uint8_t> input = call.input.value_or(std::vector<std::uint8_t>{});
        std::vector<std::uint8_t> output(call.output_size);
        ULONG result =
            driver.Escape(Object(instances_.at(call.pdev)), call.escape,
                          static_cast<ULONG>(input.size()), call.input ? input.data() : nullptr,
                          call.output_size, output.empty() ? nullptr : output.data());
        extras_["output"] = Hex(output);
        return static_cast<LONG>(result);
      }
      case CallKind::kFill:
        return Bool(FillRectangle(driver, Drawable(call), call.rect, call.color[0], call.color[1],
                                  call.color[2]));
      case CallKind::kBlit: {
        SURFOBJ* surface = Drawable(call);
        SourceBitmap picture(session_.engine(), call.picture);
        return Bool(CopyPicture(driver, surface, picture, call.at));
      }
      case CallKind::kImage: {
        SURFOBJ* surface = Drawable(call);
        LONG width = call.rect.right - call.rect.left;
        LONG height = call.rect.bottom - call.rect.top;
        RgbImage image =
            DesignFile(call.image_path)
                .Page(0, std::max<LONG>(width, 1), std::max<LONG>(height, 1), Fit::kStretch);
        SourceBitmap picture(session_.engine(), image);
        Placement placement{{0, 0, image.width, image.height},
                            {call.rect.left, call.rect.top, call.rect.right, call.rect.bottom}};
        return Bool(StretchPicture(driver, surface, picture, placement));
      }
    }
    return nullptr;
  }

  EngineSession& session_;
  std::string script_;
  OutputFile* log_;
  std::map<std::string, Instance> instances_;
  nlohmann::ordered_json extras_ = nlohmann::ordered_json::object();
};

void SetUpPrinter(EngineSession& session, const PrinterSetup& printer) {
  for (const RegistryValue& value : printer.registry) {
    session.engine().registry().SetValue(session.printer(), value.name, value.type, value.bytes);
  }
  if (printer.forms) session.engine().forms().Replace(*printer.forms);
}

}  // namespace

int RunReplay(CommandArguments args, Console& console) {
  std::string output;
  std::string log_path;
  const Option options[] = {
      {"--output", "-o", true, [&](const std::string& value) { output = value; }},
      {"--log", "", true, [&](const std::string& value) { log_path = value; }},
  };
  ParsedArguments parsed = ParseArguments("replay", args, options);
  if (parsed.help) {
    console.out << kHelp;
    return kExitSuccess;
  }
  if (parsed.operands.size() != 1) {
    throw UsageError("cardprint replay needs exactly one script (see cardprint replay --help).");
  }
  if (output.empty())
    throw UsageError("cardprint replay needs -o OUT, where the driver's output goes.");
  if (output == "-" && log_path == "-") {
    throw UsageError(
        "cardprint replay cannot send both the output and the log to standard output.");
  }
  const std::string& script_path = parsed.operands[0];
  ReplayScript script = ReadReplayScript(script_path);

  OutputFile out(output, console.out_fd);
  std::optional<OutputFile> log;
  if (!log_path.empty()) log.emplace(log_path, console.out_fd);
  EngineSession session;
  SetUpPrinter(session, script.printer);
  session.engine().spooler().StreamTo(session.printer(),
                                      [&out](const std::uint8_t* bytes, std::size_t count) {
                                        return out.Write(std::span(bytes, count));
                                      });
  Replayer replayer(session, script_path, log ? &*log : nullptr);
  for (const ReplayCall& call : script.calls) replayer.Run(call);
  replayer.End();
  out.Commit();
  if (log) log->Commit();
  return kExitSuccess;
}
