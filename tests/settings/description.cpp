#include "description.h"

#include <gtest/gtest.h>

#include "ppd/packed_image.h"
#include "ppd/parser/ppd_file_reader.h"

void PpdDeleter::operator()(PPDOBJ* ppd) const { PpdDelete(ppd); }

Description BuiltInDescription() {
  Description ppd(PpdCreate(u"cardprint.ppd"));
  EXPECT_NE(ppd, nullptr);
  return ppd;
}

Description DescriptionFromText(std::string_view text) {
  PPDREADRESULT result{};
  PPDFILE_Read({text.data(), text.size()}, u"test.ppd", &result);
  EXPECT_EQ(result.cRefusals, 0u) << "first refused line " << result.refusals[0].line;
  PPDFILE_FreeRefusals(&result);
  Description image(PpdCreateFromParsed(result.ppd));
  EXPECT_NE(image, nullptr);
  return image;
}
