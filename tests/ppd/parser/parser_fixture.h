// A fixture with an empty description and a parser object, for tests that
// feed single statements to the interpreter, and readers of the records the
// statements build.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ppd/parser/parser.h"
#include "ppd/records.h"
#include "support/host_fixture.h"

class ParserTest : public HostEngineTest {
 protected:
  void SetUp() override {
    parser = PARSEROBJ_Create();
    ASSERT_NE(parser, nullptr);
    ppd = PPDOBJ_CreateEmpty(u"test.ppd");
    ASSERT_NE(ppd, nullptr);
  }
  void TearDown() override {
    PPDOBJ_Delete(ppd);
    if (parser != nullptr) PARSEROBJ_Delete(parser);
    HostEngineTest::TearDown();
  }

  // One statement: keyword, option keyword, translation, value, value type.
  WORD Insert(const char* keyword, const char* option, const char* translation, const char* value,
              WORD valueType) {
    return PPDOBJ_InsertEntry(ppd, parser, keyword, option, translation, value, valueType);
  }
  // "*Keyword: value" with a plain value.
  WORD Plain(const char* keyword, const char* value) {
    return Insert(keyword, "", "", value, PPDVALUE_PLAIN);
  }
  // "*Keyword: \"value\"".
  WORD Quoted(const char* keyword, const char* value) {
    return Insert(keyword, "", "", value, PPDVALUE_QUOTED);
  }
  // "*Keyword Option/Translation: \"value\"".
  WORD OptionEntry(const char* keyword, const char* option, const char* value,
                   const char* translation = "") {
    return Insert(keyword, option, translation, value, PPDVALUE_QUOTED);
  }

  UIGROUP* Group(const char* name) {
    LISTOBJ* item = LISTOBJ_Find(ppd->uiGroups, name);
    return item != nullptr ? ListRecord<UIGROUP>(item) : nullptr;
  }
  template <typename Record = UIOPTION>
  Record* Option(const char* group, const char* name) {
    UIGROUP* found = Group(group);
    if (found == nullptr) return nullptr;
    LISTOBJ* item = LISTOBJ_Find(found->options, name);
    return item != nullptr ? ListRecord<Record>(item) : nullptr;
  }

  PPDOBJ* ppd = nullptr;
  PARSEROBJ* parser = nullptr;
};

// A description string as text; "(null)" for NULL, so that a test tells an
// absent string from an empty one.
inline std::string Text(const char* s) { return s != nullptr ? std::string(s) : "(null)"; }

// PS real of a whole number of points.
constexpr LONG Real(LONG points) { return points * 256; }
