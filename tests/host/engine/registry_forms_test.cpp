// The printers' registry data, the forms database and the device-mode size
// check, as the driver and the programs see them through the services.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/constants.h"
#include "engine/services.h"
#include "host/engine/devmode_check.h"
#include "support/host_fixture.h"

namespace {

using RegistryTest = HostEngineTest;

DWORD Read(HANDLE printer, std::u16string name, DWORD* type, BYTE* data, DWORD size,
           DWORD* needed) {
  return EngGetPrinterData(printer, name.data(), type, data, size, needed);
}

TEST_F(RegistryTest, ReadsBytesAsSetPerPrinter) {
  HANDLE a = engine.spooler().OpenPrinter();
  HANDLE b = engine.spooler().OpenPrinter();
  engine.registry().SetValue(a, u"Blob", REG_BINARY, {1, 2, 3});
  engine.registry().SetDword(b, u"FreeMem", 0x01020304);

  std::array<BYTE, 8> data{};
  DWORD type = 99;
  DWORD needed = 0;
  EXPECT_EQ(Read(a, u"Blob", &type, data.data(), 8, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(needed, 3u);
  EXPECT_EQ(data[0] + data[1] + data[2], 6);

  EXPECT_EQ(Read(b, u"FreeMem", &type, data.data(), 4, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ((std::array<BYTE, 4>{data[0], data[1], data[2], data[3]}),
            (std::array<BYTE, 4>{4, 3, 2, 1}));

  EXPECT_EQ(Read(a, u"FreeMem", nullptr, data.data(), 4, &needed), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(needed, 0u);
}

TEST_F(RegistryTest, ShortBufferGetsTheSizeAndNoBytes) {
  HANDLE printer = engine.spooler().OpenPrinter();
  engine.registry().SetValue(printer, u"Blob", REG_BINARY, {7, 7, 7, 7, 7});
  std::array<BYTE, 4> data{};
  DWORD needed = 0;
  EXPECT_EQ(Read(printer, u"Blob", nullptr, data.data(), 4, &needed), ERROR_MORE_DATA);
  EXPECT_EQ(needed, 5u);
  EXPECT_EQ(data, (std::array<BYTE, 4>{}));

  engine.registry().RemoveValue(printer, u"Blob");
  EXPECT_EQ(Read(printer, u"Blob", nullptr, data.data(), 4, &needed), ERROR_FILE_NOT_FOUND);
}

using FormsTest = HostEngineTest;

std::vector<FORM_INFO_1> Enumerate(std::vector<std::uint64_t>& storage) {
  DWORD needed = 0;
  DWORD count = 77;
  EXPECT_FALSE(EngEnumForms(nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(EngGetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(count, 0u);
  storage.assign((needed + 7) / 8, 0);
  auto* buffer = reinterpret_cast<BYTE*>(storage.data());
  EXPECT_FALSE(EngEnumForms(nullptr, 1, buffer, needed - 1, &needed, &count));
  EXPECT_TRUE(EngEnumForms(nullptr, 1, buffer, needed, &needed, &count));
  const auto* forms = reinterpret_cast<const FORM_INFO_1*>(buffer);
  return {forms, forms + count};
}

TEST_F(FormsTest, BuiltInFormsFollowTheStandardPaperNumbers) {
  std::vector<std::uint64_t> storage;
  std::vector<FORM_INFO_1> forms = Enumerate(storage);
  ASSERT_GE(forms.size(), 41u);
  struct Expected {
    std::size_t number;
    std::u16string name;
    LONG cx, cy;
  };
  for (const Expected& e :
       {Expected{1, u"Letter", 215900, 279400}, Expected{9, u"A4", 210000, 297000},
        Expected{20, u"Envelope #10", 104775, 241300},
        Expected{27, u"Envelope DL", 110000, 220000}}) {
    const FORM_INFO_1& form = forms[e.number - 1];
    EXPECT_EQ(std::u16string(form.pName), e.name);
    EXPECT_EQ(form.Flags, FORM_BUILTIN);
    EXPECT_EQ(form.Size.cx, e.cx);
    EXPECT_EQ(form.Size.cy, e.cy);
    EXPECT_EQ(form.ImageableArea.right, e.cx);
    EXPECT_EQ(form.ImageableArea.bottom, e.cy);
  }
}

TEST_F(FormsTest, HostReplacesOrExtendsTheDatabase) {
  engine.forms().Replace({WholeSheetForm(u"Card", FORM_USER, 86000, 54000)});
  engine.forms().Add(Form{u"Badge", FORM_PRINTER, {90000, 60000}, {1000, 2000, 89000, 58000}});
  std::vector<std::uint64_t> storage;
  std::vector<FORM_INFO_1> forms = Enumerate(storage);
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(std::u16string(forms[0].pName), u"Card");
  EXPECT_EQ(std::u16string(forms[1].pName), u"Badge");
  EXPECT_EQ(forms[1].ImageableArea.top, 2000);
  EXPECT_EQ(forms[1].Flags, FORM_PRINTER);
}

TEST_F(FormsTest, EmptyDatabaseAndOtherLevels) {
  engine.forms().Replace({});
  DWORD needed = 5;
  DWORD count = 5;
  EXPECT_TRUE(EngEnumForms(nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(needed, 0u);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(EngEnumForms(nullptr, 2, nullptr, 0, &needed, &count));
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_LEVEL);
}

TEST(DevModeCheck, AcceptsOnlyDeclaredSizesThatFit) {
  struct Case {
    const char* what;
    std::size_t bytes;
    WORD size;
    WORD extra;
    bool accepted;
  };
  constexpr Case kCases[] = {
      {"full device mode", 1436, 220, 1216, true},
      {"public part only", 220, 220, 0, true},
      {"old layout", 188, 188, 0, true},
      {"longer buffer", 2000, 220, 1216, true},
      {"private part short by one", 1435, 220, 1216, false},
      {"public part short by one", 219, 220, 0, false},
      {"size below the header", 200, 40, 0, false},
      {"too few bytes for the header", 70, 220, 0, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint64_t> storage(2000 / 8 + 1, 0);
    auto* bytes = reinterpret_cast<std::uint8_t*>(storage.data());
    if (c.bytes >= offsetof(DEVMODEW, dmFields)) {
      std::memcpy(bytes + offsetof(DEVMODEW, dmSize), &c.size, 2);
      std::memcpy(bytes + offsetof(DEVMODEW, dmDriverExtra), &c.extra, 2);
    }
    DEVMODEW* checked = CheckedDevMode({bytes, c.bytes});
    EXPECT_EQ(checked != nullptr, c.accepted);
  }
  std::vector<std::uint64_t> storage(1436 / 8 + 1, 0);
  auto* misaligned = reinterpret_cast<std::uint8_t*>(storage.data()) + 1;
  WORD size = 220;
  std::memcpy(misaligned + offsetof(DEVMODEW, dmSize), &size, 2);
  EXPECT_EQ(CheckedDevMode({misaligned, 1400}), nullptr);
}

}  // namespace
