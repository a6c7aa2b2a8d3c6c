// The current form of an instance: from the forms database and the
// description, the fall-back to the built-in card, and the landscape turn.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine_instance.h"
#include "lib/units.h"
#include "support/host_fixture.h"

namespace {

// The built-in card in PS reals: paper 158 by 246 points, imageable
// 0 0 157.4399 245.7598.
constexpr LONG kW = 40448;
constexpr LONG kH = 62976;
constexpr LONG kR = 40305;
constexpr LONG kT = 62915;

struct Geometry {
  std::array<LONG, 2> paper;
  std::array<LONG, 4> area;  // left, bottom, right, top
  DWORD landscape;
  bool operator==(const Geometry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Geometry& g) {
  return out << "paper " << g.paper[0] << "x" << g.paper[1] << " area " << g.area[0] << ","
             << g.area[1] << "," << g.area[2] << "," << g.area[3] << " landscape " << g.landscape;
}

std::u16string Text(const WCHAR* text, std::size_t capacity) {
  std::u16string s(text, capacity);
  return s.substr(0, s.find(u'\0'));
}

class PageGeometryTest : public DriverTableTest {
 protected:
  static const PDEV& Pdev(const EngineInstance& instance) {
    return *static_cast<const PDEV*>(instance.dhpdev());
  }
  static Geometry GeometryOf(const EngineInstance& instance) {
    const CurForm& form = Pdev(instance).CurForm;
    return {{form.sizePaper[0], form.sizePaper[1]},
            {form.rcImageable[0], form.rcImageable[1], form.rcImageable[2], form.rcImageable[3]},
            form.bLandscape};
  }
};

TEST_F(PageGeometryTest, DefaultSettingsFallBackToTheCardTurnedToLandscape) {
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  EXPECT_EQ(GeometryOf(instance), (Geometry{{kH, kW}, {0, kW - kR, kT, kW}, 1}));
  const CurForm& form = Pdev(instance).CurForm;
  EXPECT_EQ(Text(form.wszName, 32), u"CR_80");
  EXPECT_EQ(std::string(form.szName), "CR_80");
  EXPECT_EQ(form.iPageSize, 0);
  EXPECT_EQ(instance.surface()->sizlBitmap.cx, 1024);
  EXPECT_EQ(instance.surface()->sizlBitmap.cy, 656);
}

TEST_F(PageGeometryTest, OrientationAndTurningDirection) {
  struct Case {
    const char* what;
    SHORT orientation;
    DWORD priv_flags;
    Geometry geometry;
  };
  const Case cases[] = {
      {"portrait", DMORIENT_PORTRAIT, 0, {{kW, kH}, {0, 0, kR, kT}, 0}},
      {"portrait, other way",
       DMORIENT_PORTRAIT,
       PRIVFLAG_ROTATE_OTHER_WAY,
       {{kW, kH}, {0, 0, kR, kT}, 0}},
      {"landscape", DMORIENT_LANDSCAPE, 0, {{kH, kW}, {0, kW - kR, kT, kW}, 1}},
      {"landscape, other way",
       DMORIENT_LANDSCAPE,
       PRIVFLAG_ROTATE_OTHER_WAY,
       {{kH, kW}, {kH - kT, 0, kH, kR}, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CARDDEVMODE dm = ApplicationDevMode();
    dm.dmPublic.dmFields = DM_ORIENTATION;
    dm.dmPublic.dmOrientation = c.orientation;
    dm.dmPrivate.dwPrivFlags = c.priv_flags;
    EngineInstance instance(driver, engine, printer, BytesOf(dm));
    ASSERT_TRUE(instance.ok());
    EXPECT_EQ(GeometryOf(instance), c.geometry);
    const GDIINFO& gdi = instance.caps().gdi;
    EXPECT_EQ(gdi.ulHorzRes, c.geometry.landscape ? 1024u : 656u);
    EXPECT_EQ(gdi.ulVertRes, c.geometry.landscape ? 656u : 1024u);
  }
}

TEST_F(PageGeometryTest, CardFormOfTheDatabaseIsTakenWithItsName) {
  // A card-sized form named as the description's page size translation;
  // the default settings ask for 85.8 by 53.5 mm.
  engine.forms().Add(Form{u"CR-80", FORM_USER, {86000, 54000}, {0, 0, 86000, 54000}});
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  const PDEV& pdev = Pdev(instance);
  EXPECT_EQ(Text(pdev.CurForm.wszName, 32), u"CR-80");
  EXPECT_EQ(std::string(pdev.CurForm.szName), "CR_80");
  EXPECT_EQ(Text(pdev.dm.dmPublic.dmFormName, CCHFORMNAME), u"CR-80");
  EXPECT_EQ(pdev.dm.dmPublic.dmPaperSize, 42);  // after the 41 built-in forms
  EXPECT_EQ(pdev.dm.dmPublic.dmPaperWidth, 860);
  EXPECT_EQ(pdev.dm.dmPublic.dmPaperLength, 540);
  // The form's 86 by 54 mm, then turned for landscape; the imageable area
  // is cut to the printer's.
  const LONG w = MicronToPSReal(86000);
  const LONG h = MicronToPSReal(54000);
  EXPECT_EQ(GeometryOf(instance), (Geometry{{h, w}, {0, w - kR, h, w}, 1}));
}

TEST_F(PageGeometryTest, FormsTheCardLacksFallBackToTheCard) {
  struct Case {
    const char* what;
    DWORD fields;
    SHORT paper_size;
    std::u16string form_name;
  };
  const Case cases[] = {
      {"A4 by index", DM_PAPERSIZE, DMPAPER_A4, u""},
      {"Letter by name", DM_FORMNAME, 0, u"letter"},
      {"a name the database lacks", DM_FORMNAME, 0, u"Poster"},
      {"an index the database lacks", DM_PAPERSIZE, 300, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CARDDEVMODE dm = ApplicationDevMode();
    dm.dmPublic.dmFields = c.fields | DM_ORIENTATION;
    dm.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPublic.dmPaperSize = c.paper_size;
    std::memcpy(dm.dmPublic.dmFormName, c.form_name.data(), c.form_name.size() * 2);
    EngineInstance instance(driver, engine, printer, BytesOf(dm));
    ASSERT_TRUE(instance.ok());
    EXPECT_EQ(GeometryOf(instance), (Geometry{{kW, kH}, {0, 0, kR, kT}, 0}));
    EXPECT_EQ(std::string(Pdev(instance).CurForm.szName), "CR_80");
  }
}

}  // namespace
