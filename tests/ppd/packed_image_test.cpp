// The packed description image: its bytes, its relocation, and the
// normalisations and name resolutions made while packing.
#include "ppd/packed_image.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/services.h"
#include "image_fixture.h"
#include "lib/pool_tags.h"
#include "ppd/parser/parser.h"
#include "support/byte_diff.h"

namespace {

using namespace std::string_literals;

constexpr std::size_t RoundUp(std::size_t size, std::size_t align) {
  return (size + align - 1) / align * align;
}
constexpr std::size_t kRecordAlign = alignof(void*);

constexpr LONG Real(LONG points) { return points * 256; }

std::string FixtureText(const char* name) {
  std::ifstream file(std::filesystem::path(CARDPRINT_TEST_DATA) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// An image's expected bytes, written field by field at the records' offsets.
class ExpectedImage {
 public:
  explicit ExpectedImage(std::size_t size) : bytes_(size) {}

  template <typename T>
  void Put(std::size_t offset, T value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
  }
  // A string or list field holding the offset of its data.
  void PutOffset(std::size_t offset, std::size_t target) { Put<ULONG_PTR>(offset, target); }
  void PutText(std::size_t offset, std::string_view text) {
    std::memcpy(bytes_.data() + offset, text.data(), text.size());
  }
  void PutBytes(std::size_t offset, const void* data, std::size_t size) {
    std::memcpy(bytes_.data() + offset, data, size);
  }
  void PutWide(std::size_t offset, std::u16string_view text) {
    std::memcpy(bytes_.data() + offset, text.data(), text.size() * sizeof(char16_t));
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> ImageBytes(const PPDOBJ* image) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(image);
  return {bytes, bytes + image->imageSize};
}

using BuiltInImage = PackedImageTest;

// The card's own description, packed: every byte, padding included.
TEST_F(BuiltInImage, PacksToTheExpectedBytes) {
  PPDOBJ* packed = PackPpdData(PPDOBJ_Create(u"cardprint.ppd"));
  ASSERT_NE(packed, nullptr);

  const std::size_t fileName = PPDOBJ_HEADER_SIZE;  // 13 UTF-16 units + NUL: 28 bytes
  const std::size_t orderDeps = fileName + 28;
  const std::size_t constraints = orderDeps + 4 + 2 * 12;
  const std::size_t group = RoundUp(constraints + 4, kRecordAlign);
  const std::size_t groupName = group + sizeof(UIGROUP);  // "PageSize": 12 bytes
  const std::size_t option = RoundUp(groupName + 12, kRecordAlign);
  const std::size_t optionName = option + sizeof(MEDIAOPTION);  // "CR_80": 8 bytes
  const std::size_t translation = optionName + 8;               // "CR-80": 8 bytes
  const std::size_t invocation = translation + 8;               // "": 4 bytes
  const std::size_t pageRegion = invocation + 4;                // "": 4 bytes
  const std::size_t size = pageRegion + 4;

  ExpectedImage expected(size);
  expected.Put<ULONG>(offsetof(PPDOBJ, imageSize), size);
  expected.PutOffset(offsetof(PPDOBJ, fileName), fileName);
  expected.Put<WORD>(offsetof(PPDOBJ, formatVersion), 3);
  expected.Put<ULONG>(offsetof(PPDOBJ, freeVm), 102400);
  expected.Put<ULONG>(offsetof(PPDOBJ, languageLevel), 1);
  expected.Put<ULONG>(offsetof(PPDOBJ, waitTimeout), 240);
  expected.Put<ULONG>(offsetof(PPDOBJ, colorDevice), 1);
  expected.Put<LONG>(offsetof(PPDOBJ, screenAngle), Real(45));
  expected.Put<LONG>(offsetof(PPDOBJ, screenFreq), Real(60));
  expected.Put<WORD>(offsetof(PPDOBJ, docStickyCount), 1);
  expected.PutOffset(offsetof(PPDOBJ, uiGroups), group);
  expected.PutOffset(offsetof(PPDOBJ, orderDepTable), orderDeps);
  expected.PutOffset(offsetof(PPDOBJ, uiConstraintTable), constraints);
  expected.PutWide(fileName, u"cardprint.ppd");

  expected.Put(orderDeps, PPDTABLE{2, 12});
  expected.Put(orderDeps + 4, ORDERDEPENTRY{0, PPD_ANY_OPTION, Real(30), SECTION_ANYSETUP, 0});
  // "PageRegion" names no group of its own: the entry stays unresolved.
  expected.Put(orderDeps + 16, ORDERDEPENTRY{PPD_UNRESOLVED, 0, Real(40), SECTION_ANYSETUP, 0});
  expected.Put(constraints, PPDTABLE{0, 8});

  expected.PutOffset(group + offsetof(UIGROUP, header.name), groupName);
  expected.Put<ULONG>(group + offsetof(UIGROUP, header.nameHash), HashKeyword("PageSize"));
  expected.Put<ULONG>(group + offsetof(UIGROUP, optionSize), sizeof(MEDIAOPTION));
  expected.Put<WORD>(group + offsetof(UIGROUP, uiType), UITYPE_PICKONE);
  expected.PutOffset(group + offsetof(UIGROUP, options), option);
  expected.PutText(groupName, "PageSize");

  expected.PutOffset(option + offsetof(UIOPTION, header.name), optionName);
  expected.Put<ULONG>(option + offsetof(UIOPTION, header.nameHash), HashKeyword("CR_80"));
  expected.PutOffset(option + offsetof(UIOPTION, translation), translation);
  expected.PutOffset(option + offsetof(UIOPTION, invocation), invocation);
  expected.PutOffset(option + offsetof(MEDIAOPTION, pageRegionCode), pageRegion);
  expected.Put<LONG>(option + offsetof(MEDIAOPTION, paperWidth), 40448);
  expected.Put<LONG>(option + offsetof(MEDIAOPTION, paperHeight), 62976);
  expected.Put(option + offsetof(MEDIAOPTION, imageableArea), PSRECT{0, 0, 40305, 62915});
  expected.PutText(optionName, "CR_80");
  expected.PutText(translation, "CR-80");

  EXPECT_BYTES_EQ(expected.bytes(), ImageBytes(packed));
  PpdDelete(packed);
}

TEST_F(BuiltInImage, UnpacksIntoTheRecords) {
  PpdImage image(PpdCreate(u"cardprint.ppd"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::u16string(image->fileName), u"cardprint.ppd");
  EXPECT_EQ(image->nickName, nullptr);
  EXPECT_EQ(image->docStickyCount, 1);
  EXPECT_EQ(image->printerStickyCount, 0);

  UIGROUP* pageSize = image->predefinedGroups[UIGRP_PAGESIZE];
  ASSERT_NE(pageSize, nullptr);
  EXPECT_EQ(&pageSize->header, image->uiGroups);
  EXPECT_STREQ(pageSize->header.name, "PageSize");
  EXPECT_EQ(pageSize->defaultIndex, 0u);
  for (ULONG kind = 1; kind < MAX_PREDEFINED_GROUPS; ++kind) {
    EXPECT_EQ(image->predefinedGroups[kind], nullptr) << kind;
  }
  auto* media = Option<MEDIAOPTION>(image.get(), "PageSize", "CR_80");
  ASSERT_NE(media, nullptr);
  EXPECT_STREQ(media->option.translation, "CR-80");
  EXPECT_STREQ(media->option.invocation, "");
  EXPECT_STREQ(media->pageRegionCode, "");
  EXPECT_EQ(media->option.header.next, nullptr);

  const PPDTABLE* deps = PpdOrderDepTable(image.get());
  ASSERT_NE(deps, nullptr);
  EXPECT_EQ(deps->count, 2);
  const PPDTABLE* constraints = PpdConstraintTable(image.get());
  ASSERT_NE(constraints, nullptr);
  EXPECT_EQ(constraints->count, 0);
}

// Every pointer an unpacked image holds, as its offset from the image start,
// with a name saying which field it is; the test fails for a pointer that
// leaves the image or a string that runs past its end.
std::vector<std::pair<std::string, std::ptrdiff_t>> PointerOffsets(PPDOBJ* image) {
  const auto* begin = reinterpret_cast<const BYTE*>(image);
  const BYTE* end = begin + image->imageSize;
  std::vector<std::pair<std::string, std::ptrdiff_t>> offsets;
  auto note = [&](const std::string& field, const void* pointer, std::size_t size) {
    if (pointer == nullptr) return;
    const auto* at = static_cast<const BYTE*>(pointer);
    EXPECT_TRUE(at >= begin && at + size <= end) << field << " leaves the image";
    offsets.emplace_back(field, at - begin);
  };
  auto text = [&](const std::string& field, const CHAR* value) {
    note(field, value, 1);
    if (value == nullptr) return;
    const auto* at = reinterpret_cast<const BYTE*>(value);
    EXPECT_NE(std::memchr(at, 0, static_cast<std::size_t>(end - at)), nullptr)
        << field << " runs past the image";
  };

  note("fileName", image->fileName, sizeof(WCHAR));
  for (auto [field, value] : {std::pair{"nickName", image->nickName},
                              {"password", image->password},
                              {"exitServer", image->exitServer},
                              {"customPageCode", image->customPageCode},
                              {"jclBegin", image->jclBegin},
                              {"jclToPs", image->jclToPs},
                              {"jclEnd", image->jclEnd}}) {
    text(field, value);
  }
  note("orderDeps", image->orderDepTable,
       4 + std::size_t{PpdOrderDepTable(image)->count} * sizeof(ORDERDEPENTRY));
  note("constraints", image->uiConstraintTable,
       4 + std::size_t{PpdConstraintTable(image)->count} * sizeof(CONSTRAINTENTRY));
  for (ULONG kind = 0; kind < MAX_PREDEFINED_GROUPS; ++kind) {
    note("predefined " + std::to_string(kind), image->predefinedGroups[kind], sizeof(UIGROUP));
  }
  note("uiGroups", image->uiGroups, sizeof(UIGROUP));
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next) {
    const UIGROUP* group = ListRecord<UIGROUP>(item);
    const std::string name = "group "s + item->name;
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(item) % kRecordAlign, 0u) << name;
    note(name + " next", item->next, sizeof(UIGROUP));
    text(name + " name", item->name);
    text(name + " translation", group->translation);
    note(name + " options", group->options, group->optionSize);
    for (LISTOBJ* o = group->options; o != nullptr; o = o->next) {
      const UIOPTION* option = ListRecord<UIOPTION>(o);
      const std::string optionName = name + " option " + o->name;
      EXPECT_EQ(reinterpret_cast<ULONG_PTR>(o) % kRecordAlign, 0u) << optionName;
      note(optionName + " next", o->next, group->optionSize);
      text(optionName + " name", o->name);
      text(optionName + " translation", option->translation);
      text(optionName + " invocation", option->invocation);
      if (group->kind == UIGRP_PAGESIZE) {
        text(optionName + " pageRegionCode", ListRecord<MEDIAOPTION>(o)->pageRegionCode);
      } else if (group->kind == UIGRP_RESOLUTION) {
        text(optionName + " jclResolutionCode", ListRecord<RESOPTION>(o)->jclResolutionCode);
        text(optionName + " setResolutionCode", ListRecord<RESOPTION>(o)->setResolutionCode);
      }
    }
  }
  note("deviceFonts", image->deviceFonts, sizeof(DEVFONT));
  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    const std::string name = "font "s + item->name;
    note(name + " next", item->next, sizeof(DEVFONT));
    text(name + " name", item->name);
    text(name + " translation", ListRecord<DEVFONT>(item)->translation);
  }
  return offsets;
}

class Relocation : public PackedImageTest, public ::testing::WithParamInterface<const char*> {};

// An image copied elsewhere before it is unpacked, with the original freed,
// unpacks to the same structure: it refers to nothing outside itself.
TEST_P(Relocation, ImageRefersOnlyToItself) {
  const std::string fixture = GetParam();
  PPDOBJ* packed = PackPpdData(fixture.empty() ? PPDOBJ_Create(u"cardprint.ppd")
                                               : Parse(FixtureText(fixture.c_str())));
  ASSERT_NE(packed, nullptr);
  const ULONG size = packed->imageSize;
  auto* copy = static_cast<PPDOBJ*>(EngAllocMem(0, size, DRIVER_DESC_TAG));
  ASSERT_NE(copy, nullptr);
  std::memcpy(copy, packed, size);

  ASSERT_TRUE(UnpackPpdData(packed, size));
  const auto original = PointerOffsets(packed);
  PpdDelete(packed);
  ASSERT_TRUE(UnpackPpdData(copy, size));
  EXPECT_EQ(PointerOffsets(copy), original);
  EXPECT_GT(original.size(), 4u);
  PpdDelete(copy);
}

INSTANTIATE_TEST_SUITE_P(Descriptions, Relocation,
                         ::testing::Values("", "ppd_real_world_shape.ppd"), [](const auto& info) {
                           return std::string(info.param).empty() ? "BuiltIn"s : "RealWorldShape"s;
                         });

// A packed image before unpacking: its pieces are found by their offsets.
template <typename T>
T* At(PPDOBJ* packed, const void* offsetField) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(packed) +
                              reinterpret_cast<ULONG_PTR>(offsetField));
}
UIGROUP* FirstGroup(PPDOBJ* packed) { return At<UIGROUP>(packed, packed->uiGroups); }
UIOPTION* FirstOption(PPDOBJ* packed) {
  return At<UIOPTION>(packed, FirstGroup(packed)->options);
}
template <typename T>
void SetOffset(T** field, ULONG_PTR offset) {
  *field = reinterpret_cast<T*>(offset);
}
ULONG_PTR OffsetOf(const void* field) { return reinterpret_cast<ULONG_PTR>(field); }

struct DamageCase {
  const char* name;
  void (*damage)(PPDOBJ* packed, ULONG* cbImage);
};

const DamageCase kDamageCases[] = {
    {"ImageSizeOtherThanTheBlock", [](PPDOBJ* p, ULONG*) { p->imageSize += 8; }},
    {"BlockSmallerThanTheHeader", [](PPDOBJ*, ULONG* cb) { *cb = PPDOBJ_HEADER_SIZE - 4; }},
    {"StringAtTheImageEnd", [](PPDOBJ* p, ULONG*) { SetOffset(&p->nickName, p->imageSize); }},
    {"StringWithoutTerminator",
     [](PPDOBJ* p, ULONG*) {
       BYTE* image = reinterpret_cast<BYTE*>(p);
       std::memset(image + p->imageSize - 8, 'x', 8);
       SetOffset(&p->jclEnd, p->imageSize - 8);
     }},
    {"FileNameMisaligned", [](PPDOBJ* p, ULONG*) { SetOffset(&p->fileName, OffsetOf(p->fileName) + 1); }},
    {"GroupBehindTheImageEnd",
     [](PPDOBJ* p, ULONG*) { SetOffset(&p->uiGroups, p->imageSize - sizeof(UIGROUP) / 2); }},
    {"GroupMisaligned", [](PPDOBJ* p, ULONG*) { SetOffset(&p->uiGroups, OffsetOf(p->uiGroups) + 4); }},
    {"GroupInsideTheHeader", [](PPDOBJ* p, ULONG*) { SetOffset(&p->uiGroups, kRecordAlign); }},
    {"OptionSizeZero", [](PPDOBJ* p, ULONG*) { FirstGroup(p)->optionSize = 0; }},
    {"OptionSizeOfAnotherKind", [](PPDOBJ* p, ULONG*) { FirstGroup(p)->optionSize = sizeof(UIOPTION); }},
    {"UnknownKind", [](PPDOBJ* p, ULONG*) { FirstGroup(p)->kind = UIGRP_OTHER + 1; }},
    {"OptionLinkedToItself",
     [](PPDOBJ* p, ULONG*) { FirstOption(p)->header.next = FirstGroup(p)->options; }},
    {"OptionOverlappingItsGroup",
     [](PPDOBJ* p, ULONG*) { SetOffset(&FirstGroup(p)->options, OffsetOf(p->uiGroups) + kRecordAlign); }},
    {"ConstraintTableEntrySize",
     [](PPDOBJ* p, ULONG*) { At<PPDTABLE>(p, p->uiConstraintTable)->entrySize = 4; }},
    {"ConstraintTableBeyondTheImage",
     [](PPDOBJ* p, ULONG*) { At<PPDTABLE>(p, p->uiConstraintTable)->count = 0xFFFF; }},
};

class DamagedImage : public PackedImageTest, public ::testing::WithParamInterface<DamageCase> {};

// Each damage, alone, makes the image refused; the address sanitizer build
// reports any read outside the block.
TEST_P(DamagedImage, IsRefused) {
  PPDOBJ* packed = PackPpdData(PPDOBJ_Create(u"cardprint.ppd"));
  ASSERT_NE(packed, nullptr);
  ULONG cbImage = packed->imageSize;
  GetParam().damage(packed, &cbImage);
  EXPECT_FALSE(UnpackPpdData(packed, cbImage));
  PpdDelete(packed);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedImage, ::testing::ValuesIn(kDamageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The size DoPackPpd gives grows by the rounded size of each string.
TEST_F(PackedImageTest, StringsTakeTheirLengthRoundedToFourBytes) {
  struct Case {
    const char* nickName;
    ULONG bytes;
  };
  constexpr Case kCases[] = {{"abc", 4}, {"abcd", 8}, {"", 4}, {"abcdefg", 8}, {"abcdefgh", 12}};
  PPDOBJ* bare = Parse("");
  const ULONG bareSize = DoPackPpd(nullptr, bare);
  PPDOBJ_Delete(bare);
  for (const Case& c : kCases) {
    PPDOBJ* ppd = Parse("*NickName: \""s + c.nickName + "\"\n");
    EXPECT_EQ(DoPackPpd(nullptr, ppd), bareSize + c.bytes) << c.nickName;
    PPDOBJ_Delete(ppd);
  }

  // A UTF-16 file name of 5 characters takes 12 bytes, an empty one 4.
  struct WideCase {
    const WCHAR* fileName;
    ULONG bytes;
  };
  constexpr WideCase kWide[] = {{u"abcde", 12}, {u"", 4}, {u"abcdef", 16}};
  PPDOBJ* unnamed = PPDOBJ_CreateEmpty(nullptr);
  const ULONG unnamedSize = DoPackPpd(nullptr, unnamed);
  PPDOBJ_Delete(unnamed);
  for (const WideCase& c : kWide) {
    PPDOBJ* ppd = PPDOBJ_CreateEmpty(c.fileName);
    EXPECT_EQ(DoPackPpd(nullptr, ppd), unnamedSize + c.bytes);
    PPDOBJ_Delete(ppd);
  }
}

TEST_F(PackedImageTest, EmptyTablesAreStillWritten) {
  PPDOBJ* packed = PackPpdData(PPDOBJ_CreateEmpty(nullptr));
  ASSERT_NE(packed, nullptr);
  ExpectedImage expected(PPDOBJ_HEADER_SIZE + 8);
  expected.PutBytes(0, packed, PPDOBJ_HEADER_SIZE);
  expected.PutOffset(offsetof(PPDOBJ, orderDepTable), PPDOBJ_HEADER_SIZE);
  expected.PutOffset(offsetof(PPDOBJ, uiConstraintTable), PPDOBJ_HEADER_SIZE + 4);
  expected.Put(PPDOBJ_HEADER_SIZE, PPDTABLE{0, 12});
  expected.Put(PPDOBJ_HEADER_SIZE + 4, PPDTABLE{0, 8});
  EXPECT_BYTES_EQ(expected.bytes(), ImageBytes(packed));
  EXPECT_EQ(packed->uiGroups, nullptr);
  EXPECT_EQ(packed->deviceFonts, nullptr);
  PpdDelete(packed);
}

TEST_F(PackedImageTest, FreeVmHasAFloor) {
  struct Case {
    const char* entry;
    ULONG freeVm;
  };
  constexpr Case kCases[] = {{"", 102400},
                             {"*FreeVM: \"0\"\n", 102400},
                             {"*FreeVM: \"102399\"\n", 102400},
                             {"*FreeVM: \"102400\"\n", 102400},
                             {"*FreeVM: \"6291456\"\n", 6291456}};
  for (const Case& c : kCases) {
    PpdImage image = Image(c.entry);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->freeVm, c.freeVm) << c.entry;
  }
}

TEST_F(PackedImageTest, CustomPageSizeNeedsAMaximumMediaSize) {
  struct Case {
    const char* entries;
    ULONG supported;
  };
  constexpr Case kCases[] = {
      {"*CustomPageSize True: \"pop pop\"\n", 0},
      {"*CustomPageSize True: \"pop pop\"\n*MaxMediaWidth: \"612\"\n", 1},
      {"*CustomPageSize True: \"pop pop\"\n*MaxMediaHeight: \"1008\"\n", 1},
      {"*MaxMediaWidth: \"612\"\n", 0},
  };
  for (const Case& c : kCases) {
    PpdImage image = Image(c.entries);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->customPageSize, c.supported) << c.entries;
  }
}

TEST_F(PackedImageTest, PaperSizesAndImageableAreasAreMadeConsistent) {
  struct Case {
    const char* name;
    const char* paper;
    const char* area;
    LONG width;
    LONG height;
    PSRECT expected;
  };
  const Case kCases[] = {
      {"kept", "158 246", "0 0 157.4399 245.7598", Real(158), Real(246), {0, 0, 40305, 62915}},
      {"zero width", "0 246", "0 0 100 200", 0, 0, {0, 0, 0, 0}},
      {"zero height", "158 0", "0 0 100 200", 0, 0, {0, 0, 0, 0}},
      {"clipped",
       "158 246",
       "10 20 300 400",
       Real(158),
       Real(246),
       {Real(10), Real(20), Real(158), Real(246)}},
      {"left not left of right",
       "158 246",
       "100 0 50 246",
       Real(158),
       Real(246),
       {0, 0, Real(158), Real(246)}},
      {"empty height",
       "158 246",
       "0 20 100 20",
       Real(158),
       Real(246),
       {0, 0, Real(158), Real(246)}},
      {"no area given", "158 246", nullptr, Real(158), Real(246), {0, 0, Real(158), Real(246)}},
  };
  for (const Case& c : kCases) {
    std::string text = "*PageSize Card: \"\"\n*PaperDimension Card: \""s + c.paper + "\"\n";
    if (c.area != nullptr) text += "*ImageableArea Card: \""s + c.area + "\"\n";
    PpdImage image = Image(text);
    ASSERT_NE(image, nullptr);
    auto* media = Option<MEDIAOPTION>(image.get(), "PageSize", "Card");
    ASSERT_NE(media, nullptr) << c.name;
    EXPECT_EQ(media->paperWidth, c.width) << c.name;
    EXPECT_EQ(media->paperHeight, c.height) << c.name;
    const PSRECT& area = media->imageableArea;
    EXPECT_EQ(
        (std::vector<LONG>{area.left, area.bottom, area.right, area.top}),
        (std::vector<LONG>{c.expected.left, c.expected.bottom, c.expected.right, c.expected.top}))
        << c.name;
  }
}

TEST_F(PackedImageTest, DefaultOptionBecomesItsIndex) {
  struct Case {
    const char* defaultEntry;
    ULONG_PTR index;
  };
  constexpr Case kCases[] = {{"", 0},
                             {"*DefaultInputSlot: Upper\n", 0},
                             {"*DefaultInputSlot: Lower\n", 1},
                             {"*DefaultInputSlot: Manual\n", 2},
                             {"*DefaultInputSlot: Missing\n", 0},
                             {"*DefaultInputSlot: lower\n", 0}};
  for (const Case& c : kCases) {
    PpdImage image = Image(std::string(c.defaultEntry) +
                           "*InputSlot Upper: \"1\"\n*InputSlot Lower: \"2\"\n"
                           "*InputSlot Manual: \"3\"\n");
    ASSERT_NE(image, nullptr);
    UIGROUP* slots = image->predefinedGroups[UIGRP_INPUTSLOT];
    ASSERT_NE(slots, nullptr);
    EXPECT_EQ(slots->defaultIndex, c.index) << c.defaultEntry;
  }
}

TEST_F(PackedImageTest, ResolutionDefaultIsInDotsPerInch) {
  struct Case {
    const char* name;
    const char* entries;
    ULONG_PTR dpi;
  };
  constexpr Case kCases[] = {
      {"default",
       "*DefaultResolution: 300dpi\n*Resolution 600dpi: \"\"\n*Resolution 300dpi: \"\"\n", 300},
      {"first option", "*Resolution 600x600dpi: \"\"\n*Resolution 300dpi: \"\"\n", 600},
      {"not a number", "*DefaultResolution: Best\n*Resolution 600dpi: \"\"\n", 300},
      {"negative", "*DefaultResolution: -600dpi\n*Resolution 600dpi: \"\"\n", 300},
      {"zero", "*DefaultResolution: 0dpi\n*Resolution 600dpi: \"\"\n", 300},
      {"signed", "*DefaultResolution: +1200dpi\n", 1200},
      {"not an option", "*DefaultResolution: 2400dpi\n*Resolution 600dpi: \"\"\n", 2400},
      {"no options", "*OpenUI *Resolution: PickOne\n*CloseUI: *Resolution\n", 300},
      {"too large", "*DefaultResolution: 99999999999dpi\n", 0x7FFFFFFF},
  };
  for (const Case& c : kCases) {
    PpdImage image = Image(c.entries);
    ASSERT_NE(image, nullptr);
    UIGROUP* resolution = image->predefinedGroups[UIGRP_RESOLUTION];
    ASSERT_NE(resolution, nullptr) << c.name;
    EXPECT_EQ(resolution->defaultIndex, c.dpi) << c.name;
  }
}

TEST_F(PackedImageTest, RequiresPageRegionForAllSlotsOverridesEachSlot) {
  struct Case {
    const char* allEntry;
    ULONG upper;
    ULONG lower;
  };
  constexpr Case kCases[] = {{"", 1, 0},
                             {"*RequiresPageRegion All: True\n", 1, 1},
                             {"*RequiresPageRegion All: False\n", 0, 0}};
  for (const Case& c : kCases) {
    PpdImage image = Image(std::string(c.allEntry) +
                           "*InputSlot Upper: \"1\"\n*InputSlot Lower: \"2\"\n"
                           "*RequiresPageRegion Lower: False\n");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Option<INPUTSLOTOPTION>(image.get(), "InputSlot", "Upper")->requiresPageRegion,
              c.upper)
        << c.allEntry;
    EXPECT_EQ(Option<INPUTSLOTOPTION>(image.get(), "InputSlot", "Lower")->requiresPageRegion,
              c.lower)
        << c.allEntry;
  }
}

constexpr char kStickyGroups[] =
    "*OpenUI *Toner/Toner Saver: Boolean\n"
    "*Toner True: \"\"\n*Toner False: \"\"\n"
    "*CloseUI: *Toner\n"
    "*OpenGroup: InstallableOptions\n"
    "*OpenUI *Tray2/Second Tray: Boolean\n"
    "*Tray2 True: \"\"\n*Tray2 False: \"\"\n"
    "*CloseUI: *Tray2\n"
    "*CloseGroup: InstallableOptions\n"
    "*VMOption 8MB: \"8388608\"\n"
    "*OpenUI *Staple: PickOne\n"
    "*Staple None: \"\"\n*Staple One: \"\"\n"
    "*CloseUI: *Staple\n";

TEST_F(PackedImageTest, DocumentStickyGroupsComeFirst) {
  PpdImage image = Image(kStickyGroups);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->docStickyCount, 2);
  EXPECT_EQ(image->printerStickyCount, 2);
  std::vector<std::pair<std::string, WORD>> order;
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next) {
    order.emplace_back(item->name, ListRecord<UIGROUP>(item)->featureIndex);
  }
  const std::vector<std::pair<std::string, WORD>> expected = {
      {"Toner", 0}, {"Staple", 1}, {"Tray2", 0}, {"VMOption", 1}};
  EXPECT_EQ(order, expected);
}

std::vector<std::vector<int>> OrderDepRows(const PPDOBJ* image) {
  const PPDTABLE* table = PpdOrderDepTable(image);
  std::vector<std::vector<int>> rows;
  for (WORD i = 0; i < table->count; ++i) {
    const ORDERDEPENTRY& e = PpdOrderDepEntries(table)[i];
    rows.push_back({e.featureIndex, e.optionIndex, e.order, e.section, e.reserved});
  }
  return rows;
}

std::vector<std::vector<int>> ConstraintRows(const PPDOBJ* image) {
  const PPDTABLE* table = PpdConstraintTable(image);
  std::vector<std::vector<int>> rows;
  for (WORD i = 0; i < table->count; ++i) {
    const CONSTRAINTENTRY& e = PpdConstraintEntries(table)[i];
    rows.push_back({e.feature1, e.option1, e.feature2, e.option2});
  }
  return rows;
}

// Names resolve against the sorted groups: Toner 0, Staple 1, Tray2 2,
// VMOption 3.
TEST_F(PackedImageTest, OrderDependenciesResolveToIndexes) {
  PpdImage image = Image(std::string(kStickyGroups) +
                         "*OrderDependency: 10 AnySetup *Tray2\n"
                         "*OrderDependency: 20 PageSetup *Staple One\n"
                         "*OrderDependency: 30 Prolog *Missing\n"
                         "*OrderDependency: 40 JCLSetup *Staple Two\n"
                         "*OrderDependency: 50.5 DocumentSetup *Toner *False\n");
  ASSERT_NE(image, nullptr);
  const std::vector<std::vector<int>> expected = {
      {2, 255, Real(10), SECTION_ANYSETUP, 0},
      {1, 1, Real(20), SECTION_PAGESETUP, 0},
      {0xFFFF, 0, Real(30), SECTION_PROLOG, 0},
      {0xFFFF, 0xFFFF, Real(40), SECTION_JCLSETUP, 0},
      {0xFFFF, 0xFFFF, Real(50) + 128, SECTION_DOCUMENTSETUP, 0},
  };
  EXPECT_EQ(OrderDepRows(image.get()), expected);
  EXPECT_EQ(PpdOrderDepTable(image.get())->entrySize, 12);
}

TEST_F(PackedImageTest, ConstraintsResolveToIndexes) {
  PpdImage image = Image(std::string(kStickyGroups) +
                         "*UIConstraints: *Tray2 False *Staple One\n"
                         "*UIConstraints: *Toner *Staple\n"
                         "*UIConstraints: *Missing True *Staple One\n"
                         "*UIConstraints: *Toner True *Missing\n"
                         "*UIConstraints: *Toner Maybe *Staple One\n"
                         "*UIConstraints: *Toner True *Staple Two\n");
  ASSERT_NE(image, nullptr);
  const std::vector<std::vector<int>> expected = {
      {2, 1, 1, 1},           {0, 255, 1, 255},       {0xFFFF, 0, 1, 1},
      {0xFFFF, 0, 0xFFFF, 0}, {0xFFFF, 0xFFFF, 1, 1}, {0xFFFF, 0, 1, 0xFFFF},
  };
  EXPECT_EQ(ConstraintRows(image.get()), expected);
  EXPECT_EQ(PpdConstraintTable(image.get())->entrySize, 8);
}

// A feature of 300 options (as wide-format page size lists are): a
// constraint or default naming an option that a selection byte cannot hold
// (255 and beyond) is unresolved, resp. falls back to the first option;
// below that, names resolve as usual.
TEST_F(PackedImageTest, OptionsBeyondTheSelectionByteResolveToNothing) {
  struct Case {
    int option;
    std::vector<std::vector<int>> constraints;
    BYTE defaultSelection;
  };
  const Case kCases[] = {
      {254, {{0, 254, 1, 0}, {1, 0, 0, 254}}, 254},
      {255, {{0xFFFF, 0xFFFF, 1, 0}, {0xFFFF, 0, 0, 0xFFFF}}, 0},
      {256, {{0xFFFF, 0xFFFF, 1, 0}, {0xFFFF, 0, 0, 0xFFFF}}, 0},
      {299, {{0xFFFF, 0xFFFF, 1, 0}, {0xFFFF, 0, 0, 0xFFFF}}, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.option);
    const std::string named = std::to_string(c.option).insert(0, 1, 'O');
    std::string text = "*OpenUI *Wide: PickOne\n*DefaultWide: " + named + "\n";
    for (int i = 0; i < 300; ++i) text += "*Wide O" + std::to_string(i) + ": \"\"\n";
    text += "*CloseUI: *Wide\n*OpenUI *Other: PickOne\n*Other A: \"\"\n*CloseUI: *Other\n";
    text += "*UIConstraints: *Wide " + named + " *Other A\n";
    text += "*UIConstraints: *Other A *Wide " + named + "\n";
    PpdImage image = Image(text);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ConstraintRows(image.get()), c.constraints);
    BYTE sel[2];
    PpdDefaultDocumentStickyFeatures(image.get(), sel);
    EXPECT_EQ(sel[0], c.defaultSelection);
  }
}

// Every allocation that can fail, failed in turn: PpdCreate gives NULL and
// leaves nothing allocated (the fixture checks the pool).
TEST_F(PackedImageTest, EveryAllocationFailureGivesNoImage) {
  for (std::size_t n = 1;; ++n) {
    engine.pool().FailNthAllocation(n);
    PPDOBJ* image = PpdCreate(u"cardprint.ppd");
    engine.pool().ClearFaults();
    if (image != nullptr) {
      EXPECT_GT(n, 2u);
      PpdDelete(image);
      break;
    }
  }
}

TEST_F(PackedImageTest, ImageAllocationFailureDeletesTheParseForm) {
  PPDOBJ* ppd = Parse(FixtureText("ppd_real_world_shape.ppd"));
  ASSERT_NE(ppd, nullptr);
  engine.pool().FailNthAllocation(1);
  EXPECT_EQ(PackPpdData(ppd), nullptr);
  EXPECT_EQ(PackPpdData(nullptr), nullptr);
  EXPECT_EQ(PpdCreateFromParsed(nullptr), nullptr);
  PpdDelete(nullptr);
}

}  // namespace
