// The instance records: the validity check, and the defaults as they lie in
// memory, byte for byte where the layout crosses the driver's boundary.
#include "driver/pdev.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(PdevTest, ValidOnlyWithBothSignaturesIntact) {
  auto pdev = std::make_unique<PDEV>();
  EXPECT_FALSE(bValidatePDEV(pdev.get()));
  pdev->dwSignature = PDEV_SIGNATURE;
  pdev->dwEndSignature = PDEV_SIGNATURE;
  EXPECT_TRUE(bValidatePDEV(pdev.get()));
  pdev->dwEndSignature = 0x50534445;
  EXPECT_FALSE(bValidatePDEV(pdev.get()));
  EXPECT_FALSE(bValidatePDEV(nullptr));

  BYTE signature[4];
  std::memcpy(signature, &pdev->dwSignature, 4);
  EXPECT_EQ(std::memcmp(signature, "DDSP", 4), 0);
}

template <typename T>
T At(const void* record, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const BYTE*>(record) + offset, sizeof value);
  return value;
}

TEST(PdevTest, PrivateDefaultsLieAtTheirOffsets) {
  const PRIVATEDEVMODE& d = DefPrivateDevMode;
  EXPECT_EQ(std::memcmp(&d, "aRIV", 4), 0);
  EXPECT_EQ(At<WORD>(&d, 88), 24);          // caSize
  EXPECT_EQ(At<WORD>(&d, 88 + 6), 10000);   // caRedGamma
  EXPECT_EQ(At<WORD>(&d, 88 + 14), 10000);  // caReferenceWhite
  EXPECT_EQ(At<DWORD>(&d, 180), 1u);
  EXPECT_EQ(At<DWORD>(&d, 184), 1u);
  EXPECT_EQ(At<DWORD>(&d, 188), 1u);
  EXPECT_EQ(At<WORD>(&d, 204), 0);
  EXPECT_EQ(At<WORD>(&d, 206), 0);
  EXPECT_EQ(At<WORD>(&d, 208), 656);
  EXPECT_EQ(At<WORD>(&d, 210), 1024);
  for (std::size_t area = 0; area < 4; ++area) {
    std::size_t offset = 212 + area * 10;
    EXPECT_EQ(At<WORD>(&d, offset), 2);
    EXPECT_EQ(At<WORD>(&d, offset + 6), 655);
    EXPECT_EQ(At<WORD>(&d, offset + 8), 1023);
  }
  EXPECT_EQ(At<WORD>(&d, 258), 0);  // empty track 1
  EXPECT_EQ(At<DWORD>(&d, 1212), 1u);
  EXPECT_EQ(sizeof(CARDDEVMODE), 1436u);
}

TEST(PdevTest, PrinterPropertiesDefaultsLieAtTheirOffsets) {
  EXPECT_EQ(At<WORD>(&DefPrinterProps, 0), 0x402);
  EXPECT_EQ(At<WORD>(&DefPrinterProps, 2), 140);
  EXPECT_EQ(At<DWORD>(&DefPrinterProps, 132), 0u);
}

}  // namespace
