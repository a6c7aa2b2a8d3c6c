// Descriptions for the packed image's tests: PPD text read by the driver's
// file reader into a parse form, and the images packed from it, freed when
// the test body ends (before the fixture checks the pool).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "ppd/packed_image.h"
#include "ppd/parser/ppd_file_reader.h"
#include "ppd/queries.h"
#include "ppd/records.h"
#include "support/host_fixture.h"

struct ImageDeleter {
  void operator()(PPDOBJ* image) const { PpdDelete(image); }
};
using PpdImage = std::unique_ptr<PPDOBJ, ImageDeleter>;

class PackedImageTest : public HostEngineTest {
 protected:
  // The parse form of a PPD text; the test fails when nothing was built.
  static PPDOBJ* Parse(std::string_view text, const WCHAR* fileName = u"test.ppd") {
    PPDREADRESULT result{};
    PPDFILE_Read(text, fileName, &result);
    PPDFILE_FreeRefusals(&result);
    EXPECT_NE(result.ppd, nullptr);
    return result.ppd;
  }

  // The unpacked image of a PPD text.
  static PpdImage Image(std::string_view text) {
    return PpdImage(PpdCreateFromParsed(Parse(text)));
  }

  // A group and an option of an unpacked image, by name.
  static UIGROUP* Group(PPDOBJ* image, const char* name) {
    LISTOBJ* item = LISTOBJ_Find(image->uiGroups, name);
    return item != nullptr ? ListRecord<UIGROUP>(item) : nullptr;
  }
  template <typename Record = UIOPTION>
  static Record* Option(PPDOBJ* image, const char* group, const char* name) {
    UIGROUP* found = Group(image, group);
    LISTOBJ* item = found != nullptr ? LISTOBJ_Find(found->options, name) : nullptr;
    return item != nullptr ? ListRecord<Record>(item) : nullptr;
  }
};
