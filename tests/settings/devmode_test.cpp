// Defaulting, converting and merging device modes.
#include "settings/devmode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "description.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "lib/pool_tags.h"
#include "support/host_fixture.h"

namespace {

std::vector<std::uint8_t> BytesOf(const void* data, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(data);
  return {first, first + size};
}

std::u16string Text(const WCHAR* text, std::size_t capacity) {
  std::u16string s(text, capacity);
  return s.substr(0, s.find(u'\0'));
}

// A description with duplex, collate and a monochrome printer.
constexpr std::string_view kDuplexCollatePpd =
    "*PPD-Adobe: \"4.3\"\n"
    "*ColorDevice: False\n"
    "*OpenUI *Duplex: PickOne\n"
    "*DefaultDuplex: None\n"
    "*Duplex None: \"\"\n"
    "*Duplex DuplexNoTumble: \"\"\n"
    "*CloseUI: *Duplex\n"
    "*OpenUI *Collate: Boolean\n"
    "*DefaultCollate: False\n"
    "*Collate True: \"\"\n"
    "*Collate False: \"\"\n"
    "*CloseUI: *Collate\n";

class DevModeTest : public HostEngineTest {
 protected:
  void SetUp() override { SetDefaultDevMode(&cur, u"Card Printer", ppd.get(), FALSE); }

  // An application's device mode: the driver's defaults with no field set.
  CARDDEVMODE Incoming() {
    CARDDEVMODE in;
    SetDefaultDevMode(&in, u"Other", ppd.get(), FALSE);
    in.dmPublic.dmFields = 0;
    return in;
  }

  // The description goes before the engine checks what is outstanding.
  void TearDown() override {
    ppd.reset();
    HostEngineTest::TearDown();
  }

  Description ppd = BuiltInDescription();
  CARDDEVMODE cur;
};

TEST_F(DevModeTest, DefaultsAreTheDriversOwn) {
  const DEVMODEW& dm = cur.dmPublic;
  EXPECT_EQ(Text(dm.dmDeviceName, CCHDEVICENAME), u"Card Printer");
  EXPECT_EQ(dm.dmSpecVersion, 0x401);
  EXPECT_EQ(dm.dmDriverVersion, 0x402);
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 1216);
  EXPECT_EQ(dm.dmFields, 0x10F0Fu);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmPaperSize, 0);
  EXPECT_EQ(dm.dmPaperLength, 535);
  EXPECT_EQ(dm.dmPaperWidth, 858);
  EXPECT_EQ(dm.dmScale, 100);
  EXPECT_EQ(dm.dmCopies, 1);
  EXPECT_EQ(dm.dmDefaultSource, 0);
  EXPECT_EQ(dm.dmPrintQuality, 300);
  EXPECT_EQ(dm.dmColor, DMCOLOR_COLOR);
  EXPECT_EQ(dm.dmDuplex, DMDUP_SIMPLEX);
  EXPECT_EQ(dm.dmYResolution, 0);
  EXPECT_EQ(dm.dmTTOption, DMTT_BITMAP);
  EXPECT_EQ(dm.dmCollate, 0);
  EXPECT_EQ(Text(dm.dmFormName, CCHFORMNAME), u"Letter");

  // Every other public byte is zero.
  DEVMODEW rest = dm;
  std::memset(&rest, 0, offsetof(DEVMODEW, dmFormName) + sizeof rest.dmFormName);
  EXPECT_EQ(BytesOf(&rest, sizeof rest), std::vector<std::uint8_t>(sizeof rest, 0));

  PRIVATEDEVMODE expected = DefPrivateDevMode;
  expected.wChecksum = ppd->checksum;
  expected.wOptions = 1;  // the page size
  EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof cur.dmPrivate), BytesOf(&expected, sizeof expected));
}

TEST_F(DevModeTest, DeviceNameIsCutAndMetricPicksA4) {
  SetDefaultDevMode(&cur, u"0123456789012345678901234567890123456789", ppd.get(), TRUE);
  EXPECT_EQ(Text(cur.dmPublic.dmDeviceName, CCHDEVICENAME), u"0123456789012345678901234567890");
  EXPECT_EQ(Text(cur.dmPublic.dmFormName, CCHFORMNAME), u"A4");
  SetDefaultDevMode(&cur, nullptr, ppd.get(), FALSE);
  EXPECT_EQ(Text(cur.dmPublic.dmDeviceName, CCHDEVICENAME), u"");
}

TEST(CheckDevmodeVersion, FollowsThePublicSize) {
  struct Case {
    WORD size;
    WORD spec;
    WORD version;
  };
  constexpr Case kCases[] = {
      {188, 0, 0x320},     {212, 0, 0x400},     {220, 0, 0x401},
      {220, 0x999, 0x401}, {200, 0x123, 0x123}, {200, 0, 0},
  };
  for (const Case& c : kCases) {
    DEVMODEW dm{};
    dm.dmSize = c.size;
    dm.dmSpecVersion = c.spec;
    EXPECT_EQ(CheckDevmodeVersion(&dm), c.version) << c.size;
  }
  EXPECT_EQ(CheckDevmodeVersion(nullptr), 0);
}

TEST_F(DevModeTest, ConvertCopiesWhatBothLayoutsHold) {
  // An old layout: 188 public bytes, then 8 private bytes.
  std::vector<std::uint64_t> storage(200 / 8, 0);
  auto* old = reinterpret_cast<DEVMODEW*>(storage.data());
  std::memcpy(old, &cur.dmPublic, 188);
  old->dmSize = 188;
  old->dmSpecVersion = 0x320;
  old->dmDriverExtra = 8;
  old->dmDriverVersion = 0x7;
  old->dmScale = 55;
  std::memset(reinterpret_cast<BYTE*>(old) + 188, 0x5A, 8);

  CARDDEVMODE out = cur;
  EXPECT_EQ(ConvertDevmode(old, &out.dmPublic), 188 + 8);
  EXPECT_EQ(out.dmPublic.dmScale, 55);
  EXPECT_EQ(out.dmPublic.dmSize, 220);
  EXPECT_EQ(out.dmPublic.dmDriverExtra, 1216);
  EXPECT_EQ(out.dmPublic.dmDriverVersion, 0x402);
  EXPECT_EQ(out.dmPublic.dmSpecVersion, 0x401);
  EXPECT_EQ(out.dmPrivate.dwPrivSignature, 0x5A5A5A5Au);
  EXPECT_EQ(out.dmPrivate.bPrintYMC, 1u);  // past the 8 bytes copied

  CARDDEVMODE full = cur;
  full.dmPrivate.bPrintK = 0;
  out = cur;
  EXPECT_EQ(ConvertDevmode(&full.dmPublic, &out.dmPublic), 220 + 1216);
  EXPECT_EQ(out.dmPrivate.bPrintK, 0u);

  old->dmSize = 100;
  old->dmSpecVersion = 0;
  EXPECT_EQ(ConvertDevmode(old, &out.dmPublic), -1);
}

// One rule of the merge: what the application sets, and what the current
// device mode must hold afterwards.
struct MergeCase {
  const char* what;
  std::function<void(DEVMODEW&)> set;
  std::function<void(const DEVMODEW&)> check;
};

// Merges each case into freshly defaulted settings and checks the result.
void RunMergeCases(PPDOBJ* ppd, const std::vector<MergeCase>& cases) {
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.what);
    CARDDEVMODE in;
    SetDefaultDevMode(&in, u"Other", ppd, FALSE);
    in.dmPublic.dmFields = 0;
    c.set(in.dmPublic);
    CARDDEVMODE cur;
    SetDefaultDevMode(&cur, u"Card Printer", ppd, FALSE);
    EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd));
    c.check(cur.dmPublic);
  }
}

TEST_F(DevModeTest, MergeChecksEachPublicField) {
  const std::vector<MergeCase> cases = {
      {"scale 0",
       [](DEVMODEW& d) {
         d.dmFields = DM_SCALE;
         d.dmScale = 0;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmScale, 100);
         EXPECT_TRUE(d.dmFields & DM_SCALE);
       }},
      {"scale 1001",
       [](DEVMODEW& d) {
         d.dmFields = DM_SCALE;
         d.dmScale = 1001;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmScale, 100); }},
      {"scale 1000",
       [](DEVMODEW& d) {
         d.dmFields = DM_SCALE;
         d.dmScale = 1000;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmScale, 1000); }},
      {"scale 1",
       [](DEVMODEW& d) {
         d.dmFields = DM_SCALE;
         d.dmScale = 1;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmScale, 1); }},
      {"scale without its bit", [](DEVMODEW& d) { d.dmScale = 50; },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmScale, 100);
         EXPECT_FALSE(d.dmFields & DM_SCALE);
       }},
      {"copies 1000",
       [](DEVMODEW& d) {
         d.dmFields = DM_COPIES;
         d.dmCopies = 1000;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmCopies, 1); }},
      {"copies 999",
       [](DEVMODEW& d) {
         d.dmFields = DM_COPIES;
         d.dmCopies = 999;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmCopies, 999); }},
      {"copies 0",
       [](DEVMODEW& d) {
         d.dmFields = DM_COPIES;
         d.dmCopies = 0;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmCopies, 1); }},
      {"quality 600",
       [](DEVMODEW& d) {
         d.dmFields = DM_PRINTQUALITY;
         d.dmPrintQuality = 600;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmPrintQuality, 600); }},
      {"quality draft",
       [](DEVMODEW& d) {
         d.dmFields = DM_PRINTQUALITY;
         d.dmPrintQuality = -1;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmPrintQuality, 300); }},
      {"portrait",
       [](DEVMODEW& d) {
         d.dmFields = DM_ORIENTATION;
         d.dmOrientation = 1;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmOrientation, 1); }},
      {"orientation 3",
       [](DEVMODEW& d) {
         d.dmFields = DM_ORIENTATION;
         d.dmOrientation = 3;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmOrientation, 1); }},
      {"colour",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLOR;
         d.dmColor = 2;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmColor, 2); }},
      {"colour 5",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLOR;
         d.dmColor = 5;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmColor, 1); }},
      {"default source",
       [](DEVMODEW& d) {
         d.dmFields = DM_DEFAULTSOURCE;
         d.dmDefaultSource = 7;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmDefaultSource, 7);
         EXPECT_TRUE(d.dmFields & DM_DEFAULTSOURCE);
       }},
      {"duplex without a duplex feature",
       [](DEVMODEW& d) {
         d.dmFields = DM_DUPLEX;
         d.dmDuplex = 2;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmDuplex, 1);
         EXPECT_FALSE(d.dmFields & DM_DUPLEX);
       }},
      {"collate without a collate feature",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLLATE;
         d.dmCollate = 1;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmCollate, 0);
         EXPECT_FALSE(d.dmFields & DM_COLLATE);
       }},
      {"fields never taken",
       [](DEVMODEW& d) {
         d.dmFields = 0xFFFFFFFF & ~(DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PAPERSIZE);
         d.dmYResolution = 600;
         d.dmTTOption = DMTT_DOWNLOAD;
         d.dmDeviceName[0] = u'X';
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmYResolution, 0);
         EXPECT_EQ(d.dmTTOption, DMTT_BITMAP);
         EXPECT_EQ(d.dmDeviceName[0], u'C');
       }},
  };
  RunMergeCases(ppd.get(), cases);
}

TEST_F(DevModeTest, MergeOnAMonochromeDuplexCollatingPrinter) {
  Description other = DescriptionFromText(kDuplexCollatePpd);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(other->colorDevice, 0u);
  const std::vector<MergeCase> cases = {
      {"colour on a monochrome printer",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLOR;
         d.dmColor = 2;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmColor, 1); }},
      {"duplex 2",
       [](DEVMODEW& d) {
         d.dmFields = DM_DUPLEX;
         d.dmDuplex = 2;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmDuplex, 2);
         EXPECT_TRUE(d.dmFields & DM_DUPLEX);
       }},
      {"duplex 4",
       [](DEVMODEW& d) {
         d.dmFields = DM_DUPLEX;
         d.dmDuplex = 4;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmDuplex, 1); }},
      {"collate 1",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLLATE;
         d.dmCollate = 1;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmCollate, 1);
         EXPECT_TRUE(d.dmFields & DM_COLLATE);
       }},
      {"collate 2",
       [](DEVMODEW& d) {
         d.dmFields = DM_COLLATE;
         d.dmCollate = 2;
       },
       [](const DEVMODEW& d) { EXPECT_EQ(d.dmCollate, 0); }},
  };
  RunMergeCases(other.get(), cases);
}

TEST_F(DevModeTest, PaperIsTakenByTheFirstWayThatApplies) {
  static constexpr DWORD kBySize = DM_PAPERWIDTH | DM_PAPERLENGTH;
  auto name = [](DEVMODEW& d, std::u16string text) {
    std::memset(d.dmFormName, 0, sizeof d.dmFormName);
    std::memcpy(d.dmFormName, text.data(), std::min<std::size_t>(text.size(), 32) * 2);
  };
  const std::vector<MergeCase> cases = {
      {"by size",
       [&](DEVMODEW& d) {
         d.dmFields = kBySize | DM_PAPERSIZE | DM_FORMNAME;
         d.dmPaperWidth = 860;
         d.dmPaperLength = 540;
         d.dmPaperSize = 9;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmPaperWidth, 860);
         EXPECT_EQ(d.dmPaperLength, 540);
         EXPECT_EQ(d.dmPaperSize, 0);
         EXPECT_EQ(d.dmFields & (kBySize | DM_PAPERSIZE | DM_FORMNAME), kBySize);
       }},
      {"width 0 falls to the index",
       [&](DEVMODEW& d) {
         d.dmFields = kBySize | DM_PAPERSIZE | DM_FORMNAME;
         d.dmPaperWidth = 0;
         d.dmPaperLength = 540;
         d.dmPaperSize = 9;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmPaperSize, 9);
         EXPECT_EQ(d.dmPaperWidth, 858);
         EXPECT_EQ(d.dmFields & (kBySize | DM_PAPERSIZE | DM_FORMNAME), DM_PAPERSIZE);
       }},
      {"negative length falls to the name",
       [&](DEVMODEW& d) {
         d.dmFields = kBySize | DM_FORMNAME;
         d.dmPaperWidth = 860;
         d.dmPaperLength = -5;
         name(d, u"Card");
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(Text(d.dmFormName, CCHFORMNAME), u"Card");
         EXPECT_EQ(d.dmFields & (kBySize | DM_PAPERSIZE | DM_FORMNAME), DM_FORMNAME);
       }},
      {"name without a terminator is cut to 31",
       [&](DEVMODEW& d) {
         d.dmFields = DM_FORMNAME;
         name(d, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(Text(d.dmFormName, CCHFORMNAME), u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
       }},
      {"no paper field keeps the current paper",
       [&](DEVMODEW& d) {
         d.dmFields = DM_SCALE;
         d.dmScale = 100;
         d.dmPaperWidth = 1;
         d.dmPaperSize = 3;
       },
       [](const DEVMODEW& d) {
         EXPECT_EQ(d.dmPaperWidth, 858);
         EXPECT_EQ(d.dmPaperSize, 0);
         EXPECT_EQ(Text(d.dmFormName, CCHFORMNAME), u"Letter");
         EXPECT_EQ(d.dmFields & (kBySize | DM_PAPERSIZE | DM_FORMNAME),
                   kBySize | DM_PAPERSIZE | DM_FORMNAME);
       }},
  };
  RunMergeCases(ppd.get(), cases);
}

TEST_F(DevModeTest, OldLayoutWithoutPrivatePartKeepsTheCurrentPrivatePart) {
  std::vector<std::uint64_t> storage(188 / 8 + 1, 0);
  auto* old = reinterpret_cast<DEVMODEW*>(storage.data());
  std::memcpy(old, &cur.dmPublic, 188);
  old->dmSize = 188;
  old->dmSpecVersion = 0x320;
  old->dmDriverExtra = 0;
  old->dmFields = DM_ORIENTATION | DM_COPIES;
  old->dmOrientation = DMORIENT_PORTRAIT;
  old->dmCopies = 3;

  cur.dmPrivate.bPrintK = 0;
  const PRIVATEDEVMODE before = cur.dmPrivate;
  EXPECT_TRUE(ValidateSetDevMode(&cur, old, ppd.get()));
  EXPECT_EQ(cur.dmPublic.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(cur.dmPublic.dmCopies, 3);
  EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof before), BytesOf(&before, sizeof before));
}

// Device modes of other layouts: the 212-byte public part, and newer ones
// with a larger public part, a larger private part or both. The public
// fields and the private part (as far as the layout carries it) are taken;
// a shorter private part leaves the rest of the current one as it was.
TEST_F(DevModeTest, OtherLayoutsAreMergedWithTheirPrivateFields) {
  struct Layout {
    const char* what;
    WORD size;
    WORD spec;
    WORD driverExtra;
  };
  const Layout layouts[] = {
      {"212-byte public part", 212, 0x400, 1216},
      {"220-byte public part", 220, 0x401, 1216},
      {"newer, larger public part", 236, 0x500, 1216},
      {"newer, larger private part", 220, 0x401, 1300},
      {"newer, both larger", 244, 0x500, 1400},
      {"212-byte public part, short private part", 212, 0x400, 600},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.what);
    SetDefaultDevMode(&cur, u"Card Printer", ppd.get(), FALSE);
    const PRIVATEDEVMODE before = cur.dmPrivate;

    CARDDEVMODE app = Incoming();
    app.dmPublic.dmFields = DM_COPIES;
    app.dmPublic.dmCopies = 4;
    PRIVATEDEVMODE& priv = app.dmPrivate;
    priv.bPrintK = 0;                                      // offset 184
    priv.rcPrint = {10, 20, 600, 1000};                    // 204
    std::memcpy(priv.wszTrack2, u"1234", sizeof u"1234");  // 578
    priv.wMagMode = MAGMODE_W;                             // 1170
    priv.lAdjust3 = -2;                                    // 1180
    priv.alColor[0] = -50;                                 // 1196

    std::vector<std::uint64_t> storage((layout.size + layout.driverExtra) / 8 + 1, 0);
    auto* bytes = reinterpret_cast<BYTE*>(storage.data());
    std::memcpy(bytes, &app.dmPublic, std::min<std::size_t>(layout.size, 220));
    auto* in = reinterpret_cast<DEVMODEW*>(bytes);
    in->dmSize = layout.size;
    in->dmSpecVersion = layout.spec;
    in->dmDriverExtra = layout.driverExtra;
    std::size_t cbPrivate = std::min<std::size_t>(layout.driverExtra, sizeof(PRIVATEDEVMODE));
    std::memcpy(bytes + layout.size, &priv, cbPrivate);

    EXPECT_TRUE(ValidateSetDevMode(&cur, in, ppd.get()));
    EXPECT_EQ(cur.dmPublic.dmCopies, 4);
    EXPECT_EQ(cur.dmPublic.dmSize, 220);
    EXPECT_EQ(cur.dmPublic.dmDriverExtra, 1216);
    PRIVATEDEVMODE expected = before;
    std::memcpy(&expected, &priv, cbPrivate);
    EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof expected), BytesOf(&expected, sizeof expected));
    EXPECT_EQ(cur.dmPrivate.bPrintK, 0u);
    EXPECT_EQ(Text(cur.dmPrivate.wszTrack2, CCH_TRACK2), u"1234");
    EXPECT_EQ(cur.dmPrivate.lAdjust3, cbPrivate > 1180 ? -2 : 0);
    EXPECT_EQ(cur.dmPrivate.alColor[0], cbPrivate > 1196 ? -50 : 0);
  }
}

TEST_F(DevModeTest, UnrecognisedLayoutOrNoMemoryLeavesTheDeviceModeAlone) {
  const CARDDEVMODE before = cur;
  CARDDEVMODE in = Incoming();
  in.dmPublic.dmFields = DM_COPIES;
  in.dmPublic.dmCopies = 5;

  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_FALSE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  engine.pool().ClearFaults();
  EXPECT_EQ(BytesOf(&cur, sizeof cur), BytesOf(&before, sizeof before));

  in.dmPublic.dmSize = 200;
  in.dmPublic.dmSpecVersion = 0;
  EXPECT_FALSE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(BytesOf(&cur, sizeof cur), BytesOf(&before, sizeof before));

  EXPECT_TRUE(ValidateSetDevMode(&cur, nullptr, ppd.get()));
  EXPECT_EQ(BytesOf(&cur, sizeof cur), BytesOf(&before, sizeof before));
}

TEST_F(DevModeTest, PrivatePartIsTakenOnlyWithTheSignature) {
  CARDDEVMODE in = Incoming();
  PRIVATEDEVMODE& priv = in.dmPrivate;
  priv.dwPrivFlags = PRIVFLAG_ROTATE_OTHER_WAY;
  priv.bPrintK = 0;
  priv.rcPrint = {10, 20, 600, 1000};
  priv.aOverlayArea[1] = {0, 5, 6, 100, 200};
  priv.wDocMode = DOCMODE_D;
  priv.wMagMode = MAGMODE_W;
  priv.lAdjust3 = -2;
  priv.alColor[0] = -96;
  priv.alColor[1] = 50;
  priv.coloradj.caContrast = 30;
  std::memcpy(priv.wszTrack1, u"TRACK1", 14);

  priv.dwPrivSignature = 0x12345678;
  const PRIVATEDEVMODE before = cur.dmPrivate;
  EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof before), BytesOf(&before, sizeof before));

  priv.dwPrivSignature = PRIVATEDEVMODE_SIGNATURE;
  EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof priv), BytesOf(&priv, sizeof priv));
}

TEST_F(DevModeTest, PrivatePartOfAnotherDescriptionGetsFreshOptions) {
  CARDDEVMODE in = Incoming();
  in.dmPrivate.wOptions = 2;
  in.dmPrivate.aOptions[0] = 9;
  in.dmPrivate.aOptions[1] = 9;

  in.dmPrivate.wChecksum = ppd->checksum;
  EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(cur.dmPrivate.wOptions, 2);
  EXPECT_EQ(cur.dmPrivate.aOptions[0], 9);

  in.dmPrivate.wChecksum = static_cast<WORD>(ppd->checksum + 0x55);
  EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(cur.dmPrivate.wChecksum, ppd->checksum);
  EXPECT_EQ(cur.dmPrivate.wOptions, 1);
  EXPECT_EQ(cur.dmPrivate.aOptions[0], 0);  // the page size's default option
  EXPECT_EQ(cur.dmPrivate.aOptions[1], 9);  // past the options: as it came
}

TEST_F(DevModeTest, TrackTextsWithoutTerminatorAreCut) {
  CARDDEVMODE in = Incoming();
  std::fill(std::begin(in.dmPrivate.wszTrack1), std::end(in.dmPrivate.wszTrack1), u'1');
  std::fill(std::begin(in.dmPrivate.wszTrack2), std::end(in.dmPrivate.wszTrack2), u'2');
  std::fill(std::begin(in.dmPrivate.wszTrack3), std::end(in.dmPrivate.wszTrack3), u'3');
  EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
  EXPECT_EQ(Text(cur.dmPrivate.wszTrack1, CCH_TRACK1), std::u16string(CCH_TRACK1 - 1, u'1'));
  EXPECT_EQ(Text(cur.dmPrivate.wszTrack2, CCH_TRACK2), std::u16string(CCH_TRACK2 - 1, u'2'));
  EXPECT_EQ(Text(cur.dmPrivate.wszTrack3, CCH_TRACK3), std::u16string(CCH_TRACK3 - 1, u'3'));
}

// The one rule for the private fields: a switch, area or mode without a
// defined value gets its default; a number outside its range gets the
// nearest value inside: the colour weights -96 to 96, the saturation -50 to
// 50, lAdjust1 -94 to 5 and lAdjust2 to lAdjust4 -5 to 94 (so that every
// adjustment field of the stream, 5 - lAdjust1 and the others + 5, stays
// within 00 to 99).
TEST_F(DevModeTest, PrivateFieldsOutOfRangeAreReplacedOneByOne) {
  using Set = std::function<void(PRIVATEDEVMODE&)>;
  struct Case {
    const char* what;
    Set set;
    Set expect;  // what the merge makes of it; empty: the defaults
  };
  auto same = [](const Set& set) { return set; };
  const Set ymc0 = [](PRIVATEDEVMODE& p) { p.bPrintYMC = 0; };
  const Set adjust0 = [](PRIVATEDEVMODE& p) { p.bColorAdjust = 0; };
  const Set areaEdges = [](PRIVATEDEVMODE& p) { p.rcPrint = {10, 20, 646, 1004}; };
  const Set overlayFrame = [](PRIVATEDEVMODE& p) { p.aOverlayArea[3] = {0, 0, 0, 656, 1024}; };
  const Set mode2 = [](PRIVATEDEVMODE& p) { p.wMagMode = 2; };
  const Set yellowLowest = [](PRIVATEDEVMODE& p) { p.alColor[0] = -96; };
  const Set magentaHighest = [](PRIVATEDEVMODE& p) { p.alColor[2] = 96; };
  const Set cyanLowest = [](PRIVATEDEVMODE& p) { p.alColor[3] = -96; };
  const Set cyanHighest = [](PRIVATEDEVMODE& p) { p.alColor[3] = 96; };
  const Set saturationGrey = [](PRIVATEDEVMODE& p) { p.alColor[1] = -50; };
  const Set saturationDouble = [](PRIVATEDEVMODE& p) { p.alColor[1] = 50; };
  const Set adjustEnds = [](PRIVATEDEVMODE& p) {
    p.lAdjust1 = -94;
    p.lAdjust2 = 94;
    p.lAdjust3 = -5;
    p.lAdjust4 = 94;
  };
  const Set adjustOtherEnds = [](PRIVATEDEVMODE& p) {
    p.lAdjust1 = 5;
    p.lAdjust2 = -5;
    p.lAdjust3 = 94;
    p.lAdjust4 = -5;
  };
  const Case cases[] = {
      {"YMC switch 2", [](PRIVATEDEVMODE& p) { p.bPrintYMC = 2; }, {}},
      {"YMC switch 0", ymc0, same(ymc0)},
      {"black switch all ones", [](PRIVATEDEVMODE& p) { p.bPrintK = 0xFFFFFFFF; }, {}},
      {"overlay switch 5", [](PRIVATEDEVMODE& p) { p.bPrintOverlay = 5; }, {}},
      {"colour adjust 2", [](PRIVATEDEVMODE& p) { p.bColorAdjust = 2; }, {}},
      {"colour adjust 0", adjust0, same(adjust0)},
      {"print area past the line",
       [](PRIVATEDEVMODE& p) {
         p.rcPrint = {1, 0, 656, 1024};
       },
       {}},
      {"print area past the card",
       [](PRIVATEDEVMODE& p) {
         p.rcPrint = {0, 1, 656, 1024};
       },
       {}},
      {"print area with huge size",
       [](PRIVATEDEVMODE& p) {
         p.rcPrint = {0, 0, 0xFFFF, 1};
       },
       {}},
      {"print area at the edges", areaEdges, same(areaEdges)},
      {"overlay past the line",
       [](PRIVATEDEVMODE& p) {
         p.aOverlayArea[2] = {1, 600, 0, 57, 10};
       },
       {}},
      {"overlay past the card",
       [](PRIVATEDEVMODE& p) {
         p.aOverlayArea[0] = {0, 0, 1000, 10, 25};
       },
       {}},
      {"overlay of type 3",
       [](PRIVATEDEVMODE& p) {
         p.aOverlayArea[3] = {3, 0, 0, 10, 10};
       },
       {}},
      {"overlay of the whole frame", overlayFrame, same(overlayFrame)},
      {"magnetic mode 3", [](PRIVATEDEVMODE& p) { p.wMagMode = 3; }, {}},
      {"magnetic mode 2", mode2, same(mode2)},
      {"yellow below range", [](PRIVATEDEVMODE& p) { p.alColor[0] = -97; }, yellowLowest},
      {"yellow asked -100", [](PRIVATEDEVMODE& p) { p.alColor[0] = -100; }, yellowLowest},
      {"yellow at its lowest", yellowLowest, same(yellowLowest)},
      {"magenta above range", [](PRIVATEDEVMODE& p) { p.alColor[2] = 97; }, magentaHighest},
      {"cyan at its highest", cyanHighest, same(cyanHighest)},
      {"cyan far below", [](PRIVATEDEVMODE& p) { p.alColor[3] = INT32_MIN; }, cyanLowest},
      {"cyan far above", [](PRIVATEDEVMODE& p) { p.alColor[3] = INT32_MAX; }, cyanHighest},
      {"saturation above range", [](PRIVATEDEVMODE& p) { p.alColor[1] = 51; }, saturationDouble},
      {"saturation far below", [](PRIVATEDEVMODE& p) { p.alColor[1] = -1000; }, saturationGrey},
      {"saturation at grey", saturationGrey, same(saturationGrey)},
      {"adjustments at their ends", adjustEnds, same(adjustEnds)},
      {"adjustments at their other ends", adjustOtherEnds, same(adjustOtherEnds)},
      {"adjustments one past their ends",
       [](PRIVATEDEVMODE& p) {
         p.lAdjust1 = -95;
         p.lAdjust2 = 95;
         p.lAdjust3 = -6;
         p.lAdjust4 = 95;
       },
       adjustEnds},
      {"adjustments 1000 and -500",
       [](PRIVATEDEVMODE& p) {
         p.lAdjust1 = 1000;
         p.lAdjust2 = -500;
         p.lAdjust3 = INT32_MAX;
         p.lAdjust4 = INT32_MIN;
       },
       adjustOtherEnds},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CARDDEVMODE in = Incoming();
    in.dmPrivate.wDocMode = 7;  // a field with no range, kept either way
    c.set(in.dmPrivate);
    SetDefaultDevMode(&cur, u"Card Printer", ppd.get(), FALSE);
    EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));

    PRIVATEDEVMODE expected = DefPrivateDevMode;
    expected.wChecksum = cur.dmPrivate.wChecksum;
    expected.wOptions = cur.dmPrivate.wOptions;
    expected.wDocMode = 7;
    if (c.expect) c.expect(expected);
    EXPECT_EQ(BytesOf(&cur.dmPrivate, sizeof expected), BytesOf(&expected, sizeof expected));
  }
}

// A stored track text with a control character (the stream's framing bytes
// among them) would break the job: the merge takes it as empty and keeps
// the other tracks.
TEST_F(DevModeTest, TrackTextsWithControlCharactersAreTakenAsEmpty) {
  struct Case {
    const char* what;
    std::u16string text;
    bool kept;
  };
  const Case cases[] = {
      {"SO",
       u"12\x0E"
       u"34",
       false},
      {"CR", u"1234\r", false},
      {"ESC",
       u"\x1B"
       u"P",
       false},
      {"SOH", u"\x01", false},
      {"EOT", u"\x04", false},
      {"US", u"A\x1F", false},
      {"DEL", u"A\x7F", false},
      {"printable", u" 09;=?AZ_^", true},
      {"beyond ASCII", u"\u00E9\u20AC", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int track = 0; track < 3; ++track) {
      CARDDEVMODE in = Incoming();
      PRIVATEDEVMODE& priv = in.dmPrivate;
      WCHAR* fields[] = {priv.wszTrack1, priv.wszTrack2, priv.wszTrack3};
      for (WCHAR* field : fields) std::memcpy(field, u"5", sizeof u"5");
      std::memcpy(fields[track], c.text.c_str(), (c.text.size() + 1) * sizeof(char16_t));
      EXPECT_TRUE(ValidateSetDevMode(&cur, &in.dmPublic, ppd.get()));
      const PRIVATEDEVMODE& merged = cur.dmPrivate;
      std::u16string texts[] = {Text(merged.wszTrack1, CCH_TRACK1),
                                Text(merged.wszTrack2, CCH_TRACK2),
                                Text(merged.wszTrack3, CCH_TRACK3)};
      for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(texts[t], t != track ? u"5" : c.kept ? c.text : u"") << "track " << t + 1;
      }
      const WCHAR* merged_fields[] = {merged.wszTrack1, merged.wszTrack2, merged.wszTrack3};
      const int capacities[] = {CCH_TRACK1, CCH_TRACK2, CCH_TRACK3};
      if (!c.kept) {
        EXPECT_EQ(std::u16string(merged_fields[track], capacities[track]),
                  std::u16string(capacities[track], u'\0'));
      }
    }
  }
}

}  // namespace
