#include "host/cardprint/replay_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <string_view>

#include "engine/constants.h"
#include "host/card_job/design_file.h"
#include "host/card_job/device_settings.h"
#include "host/card_job/errors.h"
#include "host/card_job/file_bytes.h"
#include "host/card_job/text_conversion.h"
#include "host/cardprint/located_json.h"
#include "host/engine/devmode_check.h"

namespace {

using json = nlohmann::json;

struct CallShape {
  std::string_view name;
  CallKind kind;
  std::array<std::string_view, 6> keys;  // besides "call"; required unless listed below
  std::array<std::string_view, 4> optional;
};

constexpr std::array<CallShape, 14> kCalls{{
    {"DrvEnablePDEV", CallKind::kEnablePDEV, {"id"}, {"deviceName", "devmode"}},
    {"DrvCompletePDEV", CallKind::kCompletePDEV, {"pdev"}, {}},
    {"DrvEnableSurface", CallKind::kEnableSurface, {"pdev"}, {}},
    {"DrvDisableSurface", CallKind::kDisableSurface, {"pdev"}, {}},
    {"DrvStartDoc", CallKind::kStartDoc, {"pdev"}, {"docName", "jobId"}},
    {"DrvStartPage", CallKind::kStartPage, {"pdev"}, {}},
    {"DrvSendPage", CallKind::kSendPage, {"pdev"}, {}},
    {"DrvEndDoc", CallKind::kEndDoc, {"pdev"}, {"flags"}},
    {"DrvResetPDEV", CallKind::kResetPDEV, {"old", "new"}, {}},
    {"DrvDisablePDEV", CallKind::kDisablePDEV, {"pdev"}, {}},
    {"DrvEscape", CallKind::kEscape, {"pdev", "escape"}, {"input", "outputSize"}},
    {"fill", CallKind::kFill, {"pdev", "rect", "color"}, {}},
    {"blit", CallKind::kBlit, {"pdev", "file", "size", "at"}, {}},
    {"image", CallKind::kImage, {"pdev", "file", "rect"}, {}},
}};

// The largest output buffer an escape call may ask for.
constexpr std::int64_t kLargestOutput = 1 << 20;
// The largest picture a blit may copy, per side.
constexpr std::int64_t kLargestSide = 16384;

std::u16string Wide(const std::string& text) { return Utf8ToUtf16(text).value_or(u""); }

class ScriptReader {
 public:
  explicit ScriptReader(const std::string& path) : path_(path) {
    std::vector<std::uint8_t> bytes = ReadWholeFile(path, "the script");
    doc_ = ParseLocatedJson(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        "the script " + path);
    folder_ = std::filesystem::path(path).parent_path();
  }

  ReplayScript Read() {
    const json& root = doc_.value;
    if (!root.is_object())
      Fail("", "a script is an object with \"calls\" and, if needed, \"printer\"");
    Keys(root, "", {"calls"}, {"printer"});
    ReplayScript script;
    if (root.contains("printer")) script.printer = Printer(root["printer"], "/printer");
    const json& calls = root["calls"];
    if (!calls.is_array()) Fail("/calls", "\"calls\" must be an array");
    for (std::size_t i = 0; i < calls.size(); ++i) {
      script.calls.push_back(Call(calls[i], "/calls/" + std::to_string(i)));
    }
    return script;
  }

 private:
  [[noreturn]] void Fail(const std::string& pointer, const std::string& reason) const {
    throw Failure("the script " + path_ + " is malformed: line " +
                  std::to_string(doc_.LineOf(pointer)) + ": " + reason + ".");
  }

  static std::string Member(const std::string& pointer, std::string_view key) {
    return pointer + "/" + std::string(key);
  }

  void Keys(const json& object, const std::string& pointer,
            std::initializer_list<std::string_view> required,
            std::initializer_list<std::string_view> optional) const {
    if (!object.is_object()) Fail(pointer, "an object was expected");
    for (const auto& [key, value] : object.items()) {
      bool known = std::find(required.begin(), required.end(), key) != required.end() ||
                   std::find(optional.begin(), optional.end(), key) != optional.end();
      if (!known) Fail(Member(pointer, key), "the key \"" + key + "\" is not expected here");
    }
    for (std::string_view key : required) {
      if (!object.contains(key)) Fail(pointer, "the key \"" + std::string(key) + "\" is missing");
    }
  }

  std::int64_t Integer(const json& value, const std::string& pointer, std::string_view what,
                       std::int64_t min, std::int64_t max) const {
    bool fits = value.is_number_integer() &&
                !(value.is_number_unsigned() &&
                  value.get<std::uint64_t>() > static_cast<std::uint64_t>(max));
    if (!fits || value.get<std::int64_t>() < min || value.get<std::int64_t>() > max) {
      Fail(pointer, std::string(what) + " must be a whole number from " + std::to_string(min) +
                        " to " + std::to_string(max));
    }
    return value.get<std::int64_t>();
  }

  std::string Text(const json& value, const std::string& pointer, std::string_view what) const {
    if (!value.is_string()) Fail(pointer, std::string(what) + " must be a string");
    std::string text = value.get<std::string>();
    if (!Utf8ToUtf16(text)) Fail(pointer, std::string(what) + " is not valid UTF-8");
    return text;
  }

  std::vector<std::int64_t> Numbers(const json& value, const std::string& pointer,
                                    std::string_view what, std::size_t count, std::int64_t min,
                                    std::int64_t max) const {
    if (!value.is_array() || value.size() != count) {
      Fail(pointer,
           std::string(what) + " must be an array of " + std::to_string(count) + " numbers");
    }
    std::vector<std::int64_t> numbers;
    for (std::size_t i = 0; i < count; ++i) {
      numbers.push_back(Integer(value[i], pointer, what, min, max));
    }
    return numbers;
  }

  std::vector<std::uint8_t> Hex(const json& value, const std::string& pointer) const {
    std::string text = Text(value, pointer, "\"hex\"");
    std::string digits;
    for (char c : text) {
      if (c == ' ') continue;
      if (!std::isxdigit(static_cast<unsigned char>(c)))
        Fail(pointer, "\"hex\" holds a character that is not a hex digit");
      digits += c;
    }
    if (digits.size() % 2 != 0) Fail(pointer, "\"hex\" needs an even number of digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
  }

  static std::vector<std::uint8_t> Little(std::uint64_t value, std::size_t size) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < size; ++i)
      bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return bytes;
  }

  // The one key of a value given as {"hex": ...}, {"u32": ...} and the like.
  std::string OneKey(const json& value, const std::string& pointer,
                     std::initializer_list<std::string_view> forms) const {
    std::string names;
    for (std::string_view form : forms) names += (names.empty() ? "" : ", ") + std::string(form);
    if (!value.is_object() || value.size() != 1 ||
        std::find(forms.begin(), forms.end(), value.begin().key()) == forms.end()) {
      Fail(pointer, "a value must be an object with one key of " + names);
    }
    return value.begin().key();
  }

  PrinterSetup Printer(const json& printer, const std::string& pointer) const {
    Keys(printer, pointer, {}, {"registry", "forms"});
    PrinterSetup setup;
    if (printer.contains("registry")) {
      const json& registry = printer["registry"];
      std::string at = Member(pointer, "registry");
      if (!registry.is_object()) Fail(at, "\"registry\" must be an object of values by name");
      for (const auto& [name, value] : registry.items()) {
        setup.registry.push_back(RegistryEntry(name, value, Member(at, name)));
      }
      // A data value given without its size value gets one, as the spooler
      // stores them in pairs.
      for (std::string_view data : {"PrinterData", "TTFontSubTable", "TrayFormTable"}) {
        std::string size_name = std::string(data) + "Size";
        if (registry.contains(data) && !registry.contains(size_name)) {
          for (const RegistryValue& value : setup.registry) {
            if (value.name == Wide(std::string(data))) {
              setup.registry.push_back({Wide(size_name), REG_DWORD, Little(value.bytes.size(), 4)});
              break;
            }
          }
        }
      }
    }
    if (printer.contains("forms")) {
      const json& forms = printer["forms"];
      std::string at = Member(pointer, "forms");
      if (!forms.is_array()) Fail(at, "\"forms\" must be an array of forms");
      setup.forms.emplace();
      for (std::size_t i = 0; i < forms.size(); ++i) {
        std::string form_at = at + "/" + std::to_string(i);
        const json& form = forms[i];
        Keys(form, form_at, {"name", "flags", "size", "imageableArea"}, {});
        Form record;
        record.name = Wide(Text(form["name"], Member(form_at, "name"), "a form's name"));
        record.flags = static_cast<DWORD>(
            Integer(form["flags"], Member(form_at, "flags"), "a form's flags", 0, 0xFFFFFFFF));
        auto size =
            Numbers(form["size"], Member(form_at, "size"), "a form's size", 2, 0, INT32_MAX);
        auto area = Numbers(form["imageableArea"], Member(form_at, "imageableArea"),
                            "a form's imageable area", 4, INT32_MIN, INT32_MAX);
        record.size = {static_cast<LONG>(size[0]), static_cast<LONG>(size[1])};
        record.imageable_area = {static_cast<LONG>(area[0]), static_cast<LONG>(area[1]),
                                 static_cast<LONG>(area[2]), static_cast<LONG>(area[3])};
        setup.forms->push_back(record);
      }
    }
    return setup;
  }

  RegistryValue RegistryEntry(const std::string& name, const json& value,
                              const std::string& pointer) const {
    std::string form = OneKey(value, pointer, {"hex", "u32", "props"});
    std::string at = Member(pointer, form);
    if (form == "hex") return {Wide(name), REG_BINARY, Hex(value["hex"], at)};
    if (form == "u32") {
      return {
          Wide(name), REG_DWORD,
          Little(static_cast<std::uint64_t>(Integer(value["u32"], at, "\"u32\"", 0, 0xFFFFFFFF)),
                 4)};
    }
    if (name != "PrinterData") Fail(pointer, "only \"PrinterData\" can be given as \"props\"");
    if (!value["props"].is_object())
      Fail(at, "\"props\" must be an object of printer property fields");
    PRINTERPROPS props = DefaultPrinterProps();
    for (const auto& [field, field_value] : value["props"].items()) {
      if (auto problem = SetPrinterPropsField(props, field, field_value))
        Fail(Member(at, field), *problem);
    }
    return {Wide(name), REG_BINARY, BytesOf(props)};
  }

  std::vector<std::uint8_t> DevMode(const json& value, const std::string& pointer,
                                    const std::u16string& device_name) const {
    if (value.is_null()) return {};
    std::string form = OneKey(value, pointer, {"hex", "fields"});
    std::string at = Member(pointer, form);
    std::vector<std::uint8_t> bytes;
    if (form == "hex") {
      bytes = Hex(value["hex"], at);
    } else {
      if (!value["fields"].is_object())
        Fail(at, "\"fields\" must be an object of device mode fields");
      CARDDEVMODE devmode = DefaultDevMode(device_name);
      for (const auto& [field, field_value] : value["fields"].items()) {
        if (auto problem = SetDevModeField(devmode, field, field_value))
          Fail(Member(at, field), *problem);
      }
      bytes = BytesOf(devmode);
    }
    if (CheckedDevMode(bytes) == nullptr) {
      Fail(pointer, "the device mode's declared sizes (dmSize and dmDriverExtra) do not fit its " +
                        std::to_string(bytes.size()) + " bytes");
    }
    return bytes;
  }

  std::vector<std::uint8_t> EscapeInput(const json& value, const std::string& pointer) const {
    std::string form = OneKey(value, pointer, {"hex", "u16", "u32", "utf16", "ascii"});
    std::string at = Member(pointer, form);
    const json& inner = value[form];
    if (form == "hex") return Hex(inner, at);
    if (form == "u16")
      return Little(static_cast<std::uint64_t>(Integer(inner, at, "\"u16\"", 0, 0xFFFF)), 2);
    if (form == "u32")
      return Little(static_cast<std::uint64_t>(Integer(inner, at, "\"u32\"", 0, 0xFFFFFFFF)), 4);
    std::string text = Text(inner, at, "the text");
    std::vector<std::uint8_t> bytes;
    if (form == "ascii") {
      for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
          Fail(at, "\"ascii\" text holds a character outside ASCII");
        bytes.push_back(static_cast<std::uint8_t>(c));
      }
      return bytes;
    }
    std::u16string wide = Wide(text);
    for (char16_t unit : wide) {
      bytes.push_back(static_cast<std::uint8_t>(unit));
      bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
  }

  RECTL Rect(const json& value, const std::string& pointer) const {
    auto v =
        Numbers(value, pointer, "\"rect\" (x, y, width, height)", 4, -kLargestSide, kLargestSide);
    if (v[2] < 0 || v[3] < 0) Fail(pointer, "\"rect\" needs a width and a height of at least 0");
    return {static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
            static_cast<LONG>(v[1] + v[3])};
  }

  std::string FileOf(const json& value, const std::string& pointer) const {
    std::filesystem::path file(Text(value, pointer, "\"file\""));
    return file.is_absolute() ? file.string() : (folder_ / file).string();
  }

  // Reads a file the script names; a failure points at the script's line.
  template <typename Reading>
  std::vector<std::uint8_t> Load(Reading reading, const std::string& pointer) const {
    try {
      return reading();
    } catch (const Failure& failure) {
      std::string reason = failure.what();
      Fail(pointer, reason.substr(0, reason.size() - 1));
    }
  }

  // The instance a call names must have been enabled before it and not
  // disabled since.
  void Live(const std::string& id, const std::string& pointer) const {
    auto state = instances_.find(id);
    if (state == instances_.end()) {
      Fail(pointer, "no DrvEnablePDEV before this call has the id \"" + id + "\"");
    }
    if (!state->second) Fail(pointer, "the instance \"" + id + "\" was disabled before this call");
  }

  ReplayCall Call(const json& object, const std::string& pointer) {
    if (!object.is_object() || !object.contains("call") || !object["call"].is_string()) {
      Fail(pointer, "a call must be an object with a \"call\" name");
    }
    std::string name = object["call"].get<std::string>();
    auto shape = std::find_if(kCalls.begin(), kCalls.end(),
                              [&](const CallShape& s) { return s.name == name; });
    if (shape == kCalls.end()) Fail(Member(pointer, "call"), "there is no call \"" + name + "\"");
    std::vector<std::string_view> required{"call"};
    for (std::string_view key : shape->keys) {
      if (!key.empty()) required.push_back(key);
    }
    for (const auto& [key, value] : object.items()) {
      bool known =
          std::find(required.begin(), required.end(), key) != required.end() ||
          std::find(shape->optional.begin(), shape->optional.end(), key) != shape->optional.end();
      if (!known) Fail(Member(pointer, key), name + " takes no key \"" + key + "\"");
    }
    for (std::string_view key : required) {
      if (!object.contains(key))
        Fail(pointer, name + " needs the key \"" + std::string(key) + "\"");
    }

    ReplayCall call;
    call.kind = shape->kind;
    call.name = name;
    call.line = doc_.LineOf(pointer);
    auto at = [&](std::string_view key) { return Member(pointer, key); };
    if (object.contains("pdev")) {
      call.pdev = Text(object["pdev"], at("pdev"), "\"pdev\"");
      Live(call.pdev, at("pdev"));
    }
    switch (call.kind) {
      case CallKind::kEnablePDEV: {
        call.pdev = Text(object["id"], at("id"), "\"id\"");
        if (instances_.count(call.pdev) != 0)
          Fail(at("id"), "the id \"" + call.pdev + "\" is given twice");
        call.device_name =
            object.contains("deviceName")
                ? Wide(Text(object["deviceName"], at("deviceName"), "\"deviceName\""))
                : u"Card printer";
        if (object.contains("devmode"))
          call.devmode = DevMode(object["devmode"], at("devmode"), call.device_name);
        instances_[call.pdev] = true;
        break;
      }
      case CallKind::kStartDoc:
        call.document_name = object.contains("docName")
                                 ? Wide(Text(object["docName"], at("docName"), "\"docName\""))
                                 : u"replay";
        if (object.contains("jobId"))
          call.job_id =
              static_cast<DWORD>(Integer(object["jobId"], at("jobId"), "\"jobId\"", 0, 0xFFFFFFFF));
        break;
      case CallKind::kEndDoc:
        if (object.contains("flags"))
          call.end_flags =
              static_cast<FLONG>(Integer(object["flags"], at("flags"), "\"flags\"", 0, 0xFFFFFFFF));
        break;
      case CallKind::kResetPDEV:
        call.pdev = Text(object["old"], at("old"), "\"old\"");
        call.new_pdev = Text(object["new"], at("new"), "\"new\"");
        Live(call.pdev, at("old"));
        Live(call.new_pdev, at("new"));
        break;
      case CallKind::kDisablePDEV:
        instances_[call.pdev] = false;
        break;
      case CallKind::kEscape:
        call.escape = static_cast<ULONG>(
            Integer(object["escape"], at("escape"), "\"escape\"", 0, 0xFFFFFFFF));
        if (object.contains("input") && !object["input"].is_null())
          call.input = EscapeInput(object["input"], at("input"));
        if (object.contains("outputSize")) {
          call.output_size = static_cast<ULONG>(
              Integer(object["outputSize"], at("outputSize"), "\"outputSize\"", 0, kLargestOutput));
        }
        break;
      case CallKind::kFill: {
        call.rect = Rect(object["rect"], at("rect"));
        auto color =
            Numbers(object["color"], at("color"), "\"color\" (red, green, blue)", 3, 0, 255);
        for (std::size_t i = 0; i < 3; ++i) call.color[i] = static_cast<std::uint8_t>(color[i]);
        break;
      }
      case CallKind::kBlit: {
        auto size =
            Numbers(object["size"], at("size"), "\"size\" (width, height)", 2, 1, kLargestSide);
        auto place =
            Numbers(object["at"], at("at"), "\"at\" (x, y)", 2, -kLargestSide, kLargestSide);
        std::string file = FileOf(object["file"], at("file"));
        std::vector<std::uint8_t> pixels =
            Load([&] { return ReadWholeFile(file, "the raw RGB file"); }, at("file"));
        auto expected = static_cast<std::size_t>(size[0] * size[1] * 3);
        if (pixels.size() != expected) {
          Fail(at("file"), "the raw RGB file " + file + " holds " + std::to_string(pixels.size()) +
                               " bytes where " + std::to_string(size[0]) + " by " +
                               std::to_string(size[1]) + " pixels take " +
                               std::to_string(expected));
        }
        call.picture.width = static_cast<int>(size[0]);
        call.picture.height = static_cast<int>(size[1]);
        call.picture.pixels = std::move(pixels);
        call.at = {static_cast<LONG>(place[0]), static_cast<LONG>(place[1])};
        break;
      }
      case CallKind::kImage: {
        call.rect = Rect(object["rect"], at("rect"));
        call.image_path = FileOf(object["file"], at("file"));
        std::vector<std::uint8_t> head =
            Load([&] { return ReadFileStart(call.image_path, "the image", kDesignHeadSize); },
                 at("file"));
        if (!LooksLikeDesign(head)) {
          Fail(at("file"), "the image " + call.image_path + " is not a PNG, JPEG, PDF or SVG file");
        }
        break;
      }
      default:
        break;
    }
    return call;
  }

  std::string path_;
  LocatedJson doc_;
  std::filesystem::path folder_;
  std::map<std::string, bool> instances_;  // id: enabled and not yet disabled
};

}  // namespace

ReplayScript ReadReplayScript(const std::string& path) { return ScriptReader(path).Read(); }
