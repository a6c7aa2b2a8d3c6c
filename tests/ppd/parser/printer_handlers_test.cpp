#include "ppd/parser/printer_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser_fixture.h"

namespace {

using PrinterHandlers = ParserTest;

TEST_F(PrinterHandlers, PrinterLevelFields) {
  EXPECT_EQ(Plain("ColorDevice", "False"), PPDERR_NONE);
  EXPECT_EQ(Plain("Protocols", "PJL  TBCP Unknown"), PPDERR_NONE);
  EXPECT_EQ(Plain("Protocols", "SIC"), PPDERR_NONE);
  EXPECT_EQ(Quoted("NickName", "Card <50>rinter"), PPDERR_NONE);
  EXPECT_EQ(Quoted("LanguageLevel", "3"), PPDERR_NONE);
  EXPECT_EQ(Plain("TTRasterizer", "Type42"), PPDERR_NONE);
  EXPECT_EQ(Quoted("ExitServer", "<00> exitserver"), PPDERR_NONE);
  EXPECT_EQ(Quoted("Password", "()"), PPDERR_NONE);
  EXPECT_EQ(Quoted("SuggestedJobTimeout", "30"), PPDERR_NONE);
  EXPECT_EQ(Plain("SuggestedWaitTimeout", "300"), PPDERR_NONE);
  EXPECT_EQ(Plain("PrintPSError", "True"), PPDERR_NONE);
  EXPECT_EQ(Quoted("JCLBegin", "<1B>%-12345X@PJL JOB<0A>"), PPDERR_NONE);
  EXPECT_EQ(Quoted("JCLToPSInterpreter", "@PJL ENTER LANGUAGE = POSTSCRIPT <0A>"), PPDERR_NONE);
  EXPECT_EQ(Quoted("JCLEnd", "<1B>%-12345X"), PPDERR_NONE);
  EXPECT_EQ(Plain("LandscapeOrientation", "Minus90"), PPDERR_NONE);

  EXPECT_EQ(ppd->colorDevice, 0u);
  EXPECT_EQ(ppd->protocols, PROTOCOL_PJL | PROTOCOL_TBCP | PROTOCOL_SIC);
  EXPECT_EQ(Text(ppd->nickName), "Card Printer");
  EXPECT_EQ(ppd->languageLevel, 3u);
  EXPECT_EQ(ppd->ttRasterizer, TTRAS_TYPE42);
  EXPECT_EQ(Text(ppd->exitServer), "<00> exitserver");
  EXPECT_EQ(Text(ppd->password), "()");
  EXPECT_EQ(ppd->jobTimeout, 30u);
  EXPECT_EQ(ppd->waitTimeout, 300u);
  EXPECT_EQ(ppd->printPsErrors, 1u);
  EXPECT_EQ(Text(ppd->jclBegin), "\x1b%-12345X@PJL JOB\n");
  EXPECT_EQ(Text(ppd->jclToPs), "@PJL ENTER LANGUAGE = POSTSCRIPT \n");
  EXPECT_EQ(Text(ppd->jclEnd), "\x1b%-12345X");
  EXPECT_EQ(ppd->landscapeOrientation, LSO_MINUS90);
}

TEST_F(PrinterHandlers, WordsOutsideTheirTablesLeaveFieldsAlone) {
  ppd->ttRasterizer = TTRAS_ACCEPT68K;
  ppd->landscapeOrientation = LSO_PLUS90;
  EXPECT_EQ(Plain("TTRasterizer", "Type1"), PPDERR_NONE);
  EXPECT_EQ(Plain("LandscapeOrientation", "Sideways"), PPDERR_NONE);
  EXPECT_EQ(Plain("LanguageEncoding", "Klingon"), PPDERR_NONE);
  EXPECT_EQ(Plain("ColorDevice", "Maybe"), PPDERR_NONE);  // stores false
  EXPECT_EQ(ppd->ttRasterizer, TTRAS_ACCEPT68K);
  EXPECT_EQ(ppd->landscapeOrientation, LSO_PLUS90);
  EXPECT_EQ(ppd->languageEncoding, LANGENC_NONE);
  EXPECT_EQ(ppd->colorDevice, 0u);
  EXPECT_EQ(Quoted("NickName", "bad <4"), PPDERR_SYNTAX);
  EXPECT_EQ(ppd->nickName, nullptr);
}

TEST_F(PrinterHandlers, LanguageVersionSetsTheEncodingOnlyWhileUnset) {
  EXPECT_EQ(Plain("LanguageVersion", "Japanese"), PPDERR_NONE);
  EXPECT_EQ(ppd->languageEncoding, LANGENC_JIS83_RKSJ);
  EXPECT_EQ(Plain("LanguageEncoding", "ISOLatin1"), PPDERR_NONE);
  EXPECT_EQ(ppd->languageEncoding, LANGENC_ISOLATIN1);
}

TEST_F(PrinterHandlers, LanguageVersionAfterAnEncodingChangesNothing) {
  EXPECT_EQ(Plain("LanguageEncoding", "WindowsANSI"), PPDERR_NONE);
  EXPECT_EQ(Plain("LanguageVersion", "English"), PPDERR_NONE);
  EXPECT_EQ(ppd->languageEncoding, LANGENC_WINDOWSANSI);
}

TEST_F(PrinterHandlers, ExtensionsCollectBitsAndCmykMakesAColourDevice) {
  EXPECT_EQ(Plain("ColorDevice", "False"), PPDERR_NONE);
  EXPECT_EQ(Plain("Extensions", "DPS CMYK"), PPDERR_NONE);
  EXPECT_EQ(ppd->extensions, EXTENSION_DPS | EXTENSION_CMYK);
  EXPECT_EQ(ppd->colorDevice, 1u);
  EXPECT_EQ(Plain("Extensions", "FileSystem Other"), PPDERR_NONE);
  EXPECT_EQ(ppd->extensions, EXTENSION_DPS | EXTENSION_CMYK | EXTENSION_FILESYSTEM);
}

// A later entry without CMYK leaves a ColorDevice False that followed the
// CMYK entry in place.
TEST_F(PrinterHandlers, OnlyAnEntryNamingCmykSetsTheColourFlag) {
  EXPECT_EQ(Plain("Extensions", "CMYK"), PPDERR_NONE);
  EXPECT_EQ(ppd->colorDevice, 1u);
  EXPECT_EQ(Plain("ColorDevice", "False"), PPDERR_NONE);
  EXPECT_EQ(Plain("Extensions", "DPS"), PPDERR_NONE);
  EXPECT_EQ(ppd->extensions, EXTENSION_DPS | EXTENSION_CMYK);
  EXPECT_EQ(ppd->colorDevice, 0u);
}

TEST_F(PrinterHandlers, InstallableOptionsBracket) {
  EXPECT_EQ(Plain("CloseGroup", "InstallableOptions"), PPDERR_SYNTAX);  // none open
  EXPECT_EQ(Plain("OpenGroup", "InstallableOptions"), PPDERR_NONE);
  EXPECT_EQ(ppd->inInstallableGroup, 1u);
  EXPECT_EQ(Plain("OpenGroup", "InstallableOptions"), PPDERR_SYNTAX);
  EXPECT_EQ(Plain("OpenGroup", "General"), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseGroup", "General"), PPDERR_NONE);
  // The translation of the group name belongs to the statement, not the word.
  EXPECT_EQ(Plain("CloseGroup", "InstallableOptions/Installed Options"), PPDERR_NONE);
  EXPECT_EQ(ppd->inInstallableGroup, 1u);
  EXPECT_EQ(Plain("CloseGroup", "InstallableOptions"), PPDERR_NONE);
  EXPECT_EQ(ppd->inInstallableGroup, 0u);
}

std::string Describe(const ORDERDEP* dep) {
  return std::string(dep->header.name) + " " + Text(dep->optionKeyword) + " " +
         std::to_string(dep->order) + " " + std::to_string(dep->section);
}

TEST_F(PrinterHandlers, OrderDependencies) {
  EXPECT_EQ(Plain("OrderDependency", "30 AnySetup *PageSize"), PPDERR_NONE);
  EXPECT_EQ(Plain("OrderDependency", "10.5 JCLSetup *JCLEconomode *True extra"), PPDERR_NONE);
  EXPECT_EQ(Plain("OrderDependency", "20 SomeSetup **Odd"), PPDERR_NONE);
  std::vector<std::string> got;
  for (LISTOBJ* item = ppd->orderDeps; item != nullptr; item = item->next) {
    got.push_back(Describe(ListRecord<ORDERDEP>(item)));
    EXPECT_EQ(item->nameHash, HashKeyword(item->name));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"PageSize (null) 7680 32", "JCLEconomode *True 2688 16",
                                           "*Odd (null) 5120 32"}));
  // The feature keyword lives right behind the record.
  auto* first = ListRecord<ORDERDEP>(ppd->orderDeps);
  EXPECT_EQ(first->header.name, reinterpret_cast<CHAR*>(first + 1));
}

TEST_F(PrinterHandlers, OrderDependencyWithMissingPartsIsRefused) {
  for (const char* value : {"x AnySetup *PageSize", "30", "30 AnySetup", "30 AnySetup *"}) {
    EXPECT_EQ(Plain("OrderDependency", value), PPDERR_SYNTAX) << value;
  }
  EXPECT_EQ(ppd->orderDeps, nullptr);
}

std::string Describe(const UICONSTRAINT* c) {
  return std::string(c->header.name) + " " + Text(c->option1) + " " + Text(c->feature2) + " " +
         Text(c->option2);
}

TEST_F(PrinterHandlers, UiConstraints) {
  EXPECT_EQ(Plain("UIConstraints", "*Duplex DuplexTumble *PageSize CR_80"), PPDERR_NONE);
  EXPECT_EQ(Plain("UIConstraints", "*Encoder *Duplex"), PPDERR_NONE);
  EXPECT_EQ(Plain("UIConstraints", "*Encoder False *Duplex"), PPDERR_NONE);
  EXPECT_EQ(Plain("UIConstraints", "*Encoder *Duplex None"), PPDERR_NONE);
  EXPECT_EQ(Plain("UIConstraints", "*Duplex\t DuplexTumble  \t*PageSize   CR_80"), PPDERR_NONE);
  // A word too long for a word buffer is kept cut to it (a feature's with its
  // asterisk).
  const std::string kept(MAX_WORD_LEN - 1, 'x');
  const std::string longWords = "*Encoder " + kept + "yz *" + kept + "z " + kept + "z";
  EXPECT_EQ(Plain("UIConstraints", longWords.c_str()), PPDERR_NONE);
  std::vector<std::string> got;
  for (LISTOBJ* item = ppd->uiConstraints; item != nullptr; item = item->next) {
    got.push_back(Describe(ListRecord<UICONSTRAINT>(item)));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"Duplex DuplexTumble PageSize CR_80",
                                           "Encoder (null) Duplex (null)",
                                           "Encoder False Duplex (null)",
                                           "Encoder (null) Duplex None",
                                           "Duplex DuplexTumble PageSize CR_80",
                                           "Encoder " + kept + " " + kept.substr(1) + " " + kept}));
  // Feature 1 lives right behind the record.
  auto* first = ListRecord<UICONSTRAINT>(ppd->uiConstraints);
  EXPECT_EQ(first->header.name, reinterpret_cast<CHAR*>(first + 1));
}

TEST_F(PrinterHandlers, UiConstraintWithMissingPartsIsRefused) {
  for (const char* value : {"*Duplex", "*", "*Duplex DuplexTumble", "*Duplex *", "* *Duplex"}) {
    EXPECT_EQ(Plain("UIConstraints", value), PPDERR_SYNTAX) << value;
  }
  EXPECT_EQ(ppd->uiConstraints, nullptr);
}

TEST_F(PrinterHandlers, DoNothingKeywords) {
  EXPECT_EQ(Quoted("Include", "other.ppd"), PPDERR_NONE);
  EXPECT_EQ(Insert("JCLRes", "600", "", "x", PPDVALUE_QUOTED), PPDERR_NONE);
  EXPECT_EQ(ppd->uiGroups, nullptr);
}

}  // namespace
