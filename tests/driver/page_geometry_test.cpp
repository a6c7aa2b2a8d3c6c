// The current form of an instance: from the forms database and the
// description, the fall-back to the built-in card, and the landscape turn.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <string>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine_instance.h"
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
  // 86 mm is 62407 PS reals, 54 mm 39186 (x 18432 / 25400, truncated).
  EXPECT_EQ(GeometryOf(instance), (Geometry{{39186, 62407}, {0, 62407 - kR, 39186, 62407}, 1}));
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

// Forms the host's database may hold, named as the card so that the
// instance takes them: every length the 32-bit fields allow. Lengths are
// worked out in 64 bits and clamped to the 32-bit range, so each form gives
// the geometry below (and the sanitizer build sees no overflow). The paper's
// 2^31 - 1 micrometres are 1558362936 PS reals, -2^31 are -1558362937.
TEST_F(PageGeometryTest, HostileFormsGiveClampedGeometry) {
  constexpr LONG kMin = INT_MIN;
  constexpr LONG kMax = INT_MAX;
  constexpr LONG kHuge = 1558362936;
  struct Case {
    const char* what;
    SIZEL size;
    RECTL area;  // left, top, right, bottom in micrometres, y downwards
    bool by_size;
    SHORT orientation;
    DWORD priv_flags;
    SHORT scale;
    Geometry geometry;
    ULONG horz_size, vert_size;
    SHORT paper_width, paper_length;  // the device mode's, rewritten
  };
  const Case cases[] = {
      {"huge paper, area beyond it on every side, landscape",
       {kMax, kMax}, {kMin, kMin, kMax, kMin}, false, DMORIENT_LANDSCAPE, 0, 100,
       {{kHuge, kHuge}, {kHuge, kHuge - kR, kT, kMax}, 1},
       2147396947, 3483080914, 32767, 32767},
      {"the same turned the other way",
       {kMax, kMax}, {kMin, kMin, kMax, kMin}, false, DMORIENT_LANDSCAPE, PRIVFLAG_ROTATE_OTHER_WAY, 100,
       {{kHuge, kHuge}, {kHuge - kT, -kHuge - 1, 0, kR}, 1},
       2147396947, 2147483649, 32767, 32767},
      {"the same in portrait at scale 1",
       {kMax, kMax}, {kMin, kMin, kMax, kMin}, false, DMORIENT_PORTRAIT, 0, 1,
       {{kHuge, kHuge}, {-kHuge - 1, kHuge, kR, kT}, 0},
       0x80000000, 0x7FFFFFFF, 32767, 32767},
      {"negative paper, inverted area",
       {kMin, kMin}, {kMax, kMax, kMin, kMin}, false, DMORIENT_LANDSCAPE, 0, 100,
       {{-kHuge - 1, -kHuge - 1}, {0, -kHuge - 1 - kR, kT, kMin}, 1},
       4294880597, 811775299, -32768, -32768},
      {"negative imageable area on a card",
       {86000, 54000}, {kMin, kMin, kMin, kMin}, false, DMORIENT_LANDSCAPE, PRIVFLAG_ROTATE_OTHER_WAY, 100,
       {{39186, 62407}, {39186 - kT, -kHuge - 1, 39186 - kHuge, kR}, 1},
       2147396947, 2147483649, 860, 540},
      {"matched by size, area beyond it",
       {3276700, 3276700}, {kMin, kMax, kMax, kMin}, true, DMORIENT_LANDSCAPE, 0, 100,
       {{2377800, 2377800}, {kHuge, 2377800 - kR, kT, 2377800 + kHuge + 1}, 1},
       2147396947, 2147483649, 32767, 32767},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.forms().Replace({Form{u"CR-80", FORM_USER, c.size, c.area}});
    CARDDEVMODE dm = ApplicationDevMode();
    dm.dmPublic.dmFields = DM_ORIENTATION | DM_SCALE;
    dm.dmPublic.dmOrientation = c.orientation;
    dm.dmPublic.dmScale = c.scale;
    dm.dmPrivate.dwPrivFlags = c.priv_flags;
    if (c.by_size) {
      dm.dmPublic.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
      dm.dmPublic.dmPaperWidth = 32767;
      dm.dmPublic.dmPaperLength = 32767;
    } else {
      dm.dmPublic.dmFields |= DM_FORMNAME;
      std::memcpy(dm.dmPublic.dmFormName, u"CR-80", 12);
    }
    EngineInstance instance(driver, engine, printer, BytesOf(dm));
    ASSERT_TRUE(instance.ok());
    EXPECT_EQ(Text(Pdev(instance).CurForm.wszName, 32), u"CR-80");
    EXPECT_EQ(GeometryOf(instance), c.geometry);
    EXPECT_EQ(instance.caps().gdi.ulHorzSize, c.horz_size);
    EXPECT_EQ(instance.caps().gdi.ulVertSize, c.vert_size);
    EXPECT_EQ(Pdev(instance).dm.dmPublic.dmPaperWidth, c.paper_width);
    EXPECT_EQ(Pdev(instance).dm.dmPublic.dmPaperLength, c.paper_length);
  }
}

}  // namespace
