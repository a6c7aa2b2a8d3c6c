// Fuzz target: the printer's registry data and the spooler's forms database
// as the driver reads them while it creates an instance, then one page
// printed. The input is a run of records, each a kind byte and its fields:
//   a registry value ("PrinterData", "PrinterDataSize", "CurDevHTInfo",
//     "FreeMem", "PrinterHT", "TTFontSubTable", "TTFontSubTableSize"):
//     type byte, 16-bit length, the value's bytes;
//   a form: name length in UTF-16 units (one byte), the name, flags, size
//     and imageable area (32-bit each); the first form replaces the
//     database's built-in forms;
//   an empty forms database;
//   the device mode's paper choice: 16-bit length and the bytes laid over
//     the public part from dmFields on (so that a form is asked for by size,
//     number or name); the sizes and the private part stay the driver's.
// The registry and the forms database are set back after every run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/printer_session.h"

namespace {

constexpr const char16_t* kValueNames[] = {
    u"PrinterData", u"PrinterDataSize", u"CurDevHTInfo",      u"FreeMem",
    u"PrinterHT",   u"TTFontSubTable",  u"TTFontSubTableSize"};
constexpr std::size_t kValueKinds = std::size(kValueNames);
constexpr std::size_t kFormKind = kValueKinds;
constexpr std::size_t kNoFormsKind = kValueKinds + 1;
constexpr std::size_t kDevModeKind = kValueKinds + 2;
constexpr std::size_t kKinds = kValueKinds + 3;
constexpr std::size_t kMostRecords = 64;

CARDDEVMODE DriverDevMode() {
  CARDDEVMODE dm{};
  dm.dmPublic.dmSpecVersion = DM_SPEC_VERSION;
  dm.dmPublic.dmDriverVersion = DM_DRIVER_VERSION;
  dm.dmPublic.dmSize = sizeof(DEVMODEW);
  dm.dmPublic.dmDriverExtra = sizeof(PRIVATEDEVMODE);
  dm.dmPrivate = DefPrivateDevMode;
  return dm;
}

Form TakeForm(FuzzInput& input) {
  Form form;
  std::span<const std::uint8_t> name =
      input.TakeBytes(input.Take<std::uint8_t>() * sizeof(char16_t));
  form.name.resize(name.size() / sizeof(char16_t));
  if (!form.name.empty())
    std::memcpy(form.name.data(), name.data(), form.name.size() * sizeof(char16_t));
  form.flags = input.Take<DWORD>();
  form.size = input.Take<SIZEL>();
  form.imageable_area = input.Take<RECTL>();
  return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PrinterSession& session = PrinterSession::Get();
  PrinterRegistry& registry = session.engine().registry();
  FormsDatabase& forms_database = session.engine().forms();

  FuzzInput input(data, size);
  std::vector<Form> forms;
  bool replace_forms = false;
  CARDDEVMODE dm = DriverDevMode();
  bool with_devmode = false;
  for (std::size_t record = 0; record < kMostRecords && !input.empty(); ++record) {
    std::size_t kind = input.Take<std::uint8_t>() % kKinds;
    if (kind < kValueKinds) {
      auto type = input.Take<std::uint8_t>();
      std::span<const std::uint8_t> bytes = input.TakeBytes(input.Take<std::uint16_t>());
      registry.SetValue(session.printer(), kValueNames[kind], type, {bytes.begin(), bytes.end()});
    } else if (kind == kFormKind) {
      forms.push_back(TakeForm(input));
      replace_forms = true;
    } else if (kind == kNoFormsKind) {
      forms.clear();
      replace_forms = true;
    } else if (kind == kDevModeKind) {
      constexpr std::size_t kFrom = offsetof(DEVMODEW, dmFields);
      std::span<const std::uint8_t> bytes = input.TakeBytes(
          std::min<std::size_t>(input.Take<std::uint16_t>(), sizeof(DEVMODEW) - kFrom));
      if (!bytes.empty())
        std::memcpy(reinterpret_cast<std::uint8_t*>(&dm.dmPublic) + kFrom, bytes.data(),
                    bytes.size());
      with_devmode = true;
    }
  }
  if (replace_forms) forms_database.Replace(forms);

  if (session.Enable(with_devmode ? &dm.dmPublic : nullptr)) session.PrintPage();
  session.Disable();

  registry.Clear(session.printer());
  if (replace_forms) forms_database.Replace(BuiltInForms());
  return 0;
}
