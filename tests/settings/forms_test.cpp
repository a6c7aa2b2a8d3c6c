// Resolving a device mode's paper against the forms database and the
// description's page sizes.
#include "settings/forms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "description.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "lib/pool_tags.h"
#include "support/host_fixture.h"

namespace {

std::u16string Text(const WCHAR* text, std::size_t capacity) {
  std::u16string s(text, capacity);
  return s.substr(0, s.find(u'\0'));
}

void SetName(WCHAR (&field)[CCHFORMNAME], std::u16string_view text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), CCHFORMNAME) * 2);
}

DEVMODEW BySize(SHORT width, SHORT length) {
  DEVMODEW dm{};
  dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
  dm.dmPaperWidth = width;
  dm.dmPaperLength = length;
  return dm;
}

DEVMODEW ByIndex(SHORT index) {
  DEVMODEW dm{};
  dm.dmFields = DM_PAPERSIZE;
  dm.dmPaperSize = index;
  return dm;
}

DEVMODEW ByName(std::u16string_view name) {
  DEVMODEW dm{};
  dm.dmFields = DM_FORMNAME;
  SetName(dm.dmFormName, name);
  return dm;
}

class FormsTest : public HostEngineTest {
 protected:
  void SetUp() override {
    engine.forms().Replace({
        WholeSheetForm(u"Card", FORM_USER, 86000, 54000),
        WholeSheetForm(u"Card Too", FORM_USER, 86500, 54500),
        Form{u"Badge", FORM_PRINTER, {90000, 60000}, {1000, 2000, 89000, 58000}},
    });
  }

  HANDLE printer = engine.spooler().OpenPrinter();
};

TEST_F(FormsTest, TheDefaultFormIsTheCard) {
  EXPECT_EQ(std::u16string(GetDefaultFormName(FALSE)), u"CR-80");
  EXPECT_EQ(std::u16string(GetDefaultFormName(TRUE)), u"CR-80");
}

TEST_F(FormsTest, DatabaseFormRewritesTheDeviceMode) {
  struct Case {
    const char* what;
    DEVMODEW dm;
    std::u16string name;
    SHORT index;
    SHORT width, length;  // the form's, in tenths of a millimetre
  };
  const Case cases[] = {
      {"size 200 and 500 micrometres off", BySize(858, 535), u"Card", 1, 860, 540},
      {"size exactly 1000 off, first in order", BySize(870, 550), u"Card", 1, 860, 540},
      {"size of the second form", BySize(874, 553), u"Card Too", 2, 865, 545},
      {"index equal to the count", ByIndex(3), u"Badge", 3, 900, 600},
      {"name in another letter case", ByName(u"bADGE"), u"Badge", 3, 900, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DEVMODEW dm = c.dm;
    FORMINFO info;
    ASSERT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_FROM_DATABASE);
    EXPECT_EQ(std::u16string(info.form.pName), c.name);
    EXPECT_EQ(info.form.pName, info.wszName);
    EXPECT_EQ(Text(dm.dmFormName, CCHFORMNAME), c.name);
    EXPECT_EQ(dm.dmPaperSize, c.index);
    EXPECT_EQ(dm.dmPaperWidth, c.width);
    EXPECT_EQ(dm.dmPaperLength, c.length);
    EXPECT_EQ(dm.dmFields & DM_FORMNAME, DM_FORMNAME);
    EXPECT_EQ(dm.dmFields & ~DM_FORMNAME, c.dm.dmFields & ~DM_FORMNAME);
  }
  DEVMODEW dm = ByIndex(3);
  FORMINFO info;
  ValidateDevModeForm(printer, &dm, &info);
  EXPECT_EQ(info.form.ImageableArea.left, 1000);
  EXPECT_EQ(info.form.ImageableArea.bottom, 58000);
  EXPECT_EQ(info.form.Flags, FORM_PRINTER);
}

TEST_F(FormsTest, SizeWithoutADatabaseFormIsANamelessCustomForm) {
  DEVMODEW dm = BySize(876, 535);  // 1100 micrometres wider than "Card Too"
  const DEVMODEW before = dm;
  FORMINFO info;
  std::memset(&info, 0xCD, sizeof info);
  ASSERT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_CUSTOM_SIZE);
  EXPECT_EQ(info.form.Flags, 0u);
  EXPECT_EQ(info.form.pName, info.wszName);
  EXPECT_EQ(std::u16string(info.wszName, CCHFORMNAME), std::u16string(CCHFORMNAME, u'\0'));
  EXPECT_EQ(info.form.Size.cx, 87600);
  EXPECT_EQ(info.form.Size.cy, 53500);
  EXPECT_EQ(info.form.ImageableArea.left, 0);
  EXPECT_EQ(info.form.ImageableArea.top, 0);
  EXPECT_EQ(info.form.ImageableArea.right, 87600);
  EXPECT_EQ(info.form.ImageableArea.bottom, 53500);
  EXPECT_EQ(std::memcmp(&dm, &before, sizeof dm), 0);
}

TEST_F(FormsTest, NothingUsable) {
  struct Case {
    const char* what;
    DEVMODEW dm;
  };
  DEVMODEW none = BySize(858, 535);
  none.dmFields = DM_SCALE;
  const Case cases[] = {
      {"index 0", ByIndex(0)},         {"index above the count", ByIndex(4)},
      {"negative index", ByIndex(-1)}, {"name not in the database", ByName(u"Cards")},
      {"no paper field", none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DEVMODEW dm = c.dm;
    FORMINFO info;
    EXPECT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_NOT_FOUND);
    EXPECT_EQ(std::memcmp(&dm, &c.dm, sizeof dm), 0);
  }
}

TEST_F(FormsTest, DatabaseFailuresGiveNothingUsable) {
  DEVMODEW dm = ByIndex(1);
  FORMINFO info;
  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_NOT_FOUND);
  engine.pool().ClearFaults();
  engine.forms().Replace({});
  EXPECT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_NOT_FOUND);
  dm = BySize(858, 535);
  EXPECT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_NOT_FOUND);
}

TEST_F(FormsTest, BuiltInDatabaseIsIndexedByStandardPaperNumber) {
  engine.forms().Replace(BuiltInForms());
  DEVMODEW dm = ByIndex(DMPAPER_A4);
  FORMINFO info;
  ASSERT_EQ(ValidateDevModeForm(printer, &dm, &info), FORM_FROM_DATABASE);
  EXPECT_EQ(Text(dm.dmFormName, CCHFORMNAME), u"A4");
  EXPECT_EQ(dm.dmPaperWidth, 2100);
  EXPECT_EQ(dm.dmPaperLength, 2970);
}

class FormSupportTest : public FormsTest {
 protected:
  FORMINFO Lookup(DEVMODEW dm) {
    FORMINFO info;
    EXPECT_NE(ValidateDevModeForm(printer, &dm, &info), FORM_NOT_FOUND);
    return info;
  }
  // The description goes before the engine checks what is outstanding.
  void TearDown() override {
    ppd.reset();
    FormsTest::TearDown();
  }

  Description ppd = BuiltInDescription();
};

TEST_F(FormSupportTest, CardFormIsFoundByTranslationOrKeyword) {
  engine.forms().Add(Form{u"CR-80", FORM_USER, {55000, 86000}, {500, 1000, 54000, 85000}});
  engine.forms().Add(WholeSheetForm(u"CR_80", FORM_USER, 60000, 90000));
  for (const auto& [name, index] : {std::pair{u"CR-80", SHORT{4}}, std::pair{u"CR_80", SHORT{5}}}) {
    SCOPED_TRACE(testing::Message() << index);
    FORMINFO info = Lookup(ByIndex(index));
    CurForm form;
    std::memset(&form, 0xEE, sizeof form);
    ASSERT_TRUE(FormSupportedOnPrinter(ppd.get(), &info, &form));
    EXPECT_EQ(Text(form.wszName, 32), std::u16string(name));
    EXPECT_EQ(std::string(form.szName), "CR_80");
    EXPECT_EQ(form.iPageSize, 0);
    EXPECT_EQ(form.bLandscape, 0u);
    EXPECT_TRUE(FormSupportedOnPrinter(ppd.get(), &info, nullptr));
  }
}

TEST_F(FormSupportTest, CurrentFormTakesTheDatabaseAreaCutToThePrinters) {
  // 55 by 86 mm, imageable from 0.5 mm left, 1 mm from the top, to 54 mm
  // and 85 mm: the printer's own area (157.4399 by 245.7598 points from the
  // lower left corner) cuts the right and top edges.
  engine.forms().Add(Form{u"CR-80", FORM_USER, {55000, 86000}, {500, 1000, 56000, 85000}});
  FORMINFO info = Lookup(ByIndex(4));
  CurForm form{};
  ASSERT_TRUE(FormSupportedOnPrinter(ppd.get(), &info, &form));
  // Micrometres x 18432 / 25400, truncated.
  EXPECT_EQ(form.sizePaper[0], 39911);     // 55 mm
  EXPECT_EQ(form.sizePaper[1], 62407);     // 86 mm
  EXPECT_EQ(form.rcImageable[0], 362);     // left, 0.5 mm
  EXPECT_EQ(form.rcImageable[1], 725);     // bottom, 86 - 85 mm
  EXPECT_EQ(form.rcImageable[2], 40305);   // right, cut
  EXPECT_EQ(form.rcImageable[3], 61681);   // top, 86 - 1 mm
  ASSERT_LT(form.rcImageable[3], 62915);
}

TEST_F(FormSupportTest, OtherFormsAreNotSupported) {
  for (DEVMODEW dm : {ByIndex(1), BySize(858, 535), BySize(900, 900)}) {
    FORMINFO info = Lookup(dm);
    CurForm form{};
    EXPECT_FALSE(FormSupportedOnPrinter(ppd.get(), &info, &form));
    EXPECT_EQ(form.szName[0], '\0');
  }
}

}  // namespace
