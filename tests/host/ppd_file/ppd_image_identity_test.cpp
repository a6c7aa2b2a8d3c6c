// The packed images of a set of real PPD files stay byte for byte what they
// were: every 50th file of the openprinting-ppds package (in path order)
// and the two large ones the PPD benchmark reads, each read through the
// file reader and packed, its image's size and FNV-1a digest compared with
// tests/data/ppd_image_digests.txt (size, digest, path; one file a line). The files are those the corpus setup test
// unpacks into the build folder; the test skips when the package is absent.
//
// CARDPRINT_RECORD_PPD_DIGESTS=<file> writes the digests of the current
// code to <file> instead of comparing (how the fixture was made).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ppd_file/ppd_file.h"
#include "ppd/packed_image.h"
#include "support/host_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kEvery = 50;
constexpr const char* kBenchFiles[] = {
    "ppd/openprinting/Canon/cnprc650x1g.ppd.gz",
    "ppd/openprinting/Ricoh/PS/Ricoh-Pro_C7200S_Light_PS.ppd.gz",
};

struct ImageDigest {
  std::string path;  // relative to the corpus folder
  std::uint64_t size = 0;
  std::uint64_t fnv = 0;
  bool operator==(const ImageDigest&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ImageDigest& d) {
  return out << d.size << ' ' << std::hex << d.fnv << std::dec << ' ' << d.path;
}

std::uint64_t Fnv1a(const std::uint8_t* bytes, std::size_t size) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3u;
  return hash;
}

std::vector<std::string> ChosenFiles(const fs::path& folder) {
  std::vector<std::string> all;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".gz")
      all.push_back(fs::relative(entry.path(), folder).generic_string());
  }
  std::sort(all.begin(), all.end());
  std::vector<std::string> chosen;
  for (std::size_t i = 0; i < all.size(); i += kEvery) chosen.push_back(all[i]);
  for (const char* file : kBenchFiles) chosen.push_back(file);
  return chosen;
}

class PpdImageIdentityTest : public HostEngineTest {
 protected:
  ImageDigest DigestOf(const fs::path& folder, const std::string& relative) {
    PpdFile file = ReadPpdFile(folder / relative);
    ImageDigest digest{relative};
    if (file.description == nullptr) return digest;
    PPDOBJ* image = PackPpdData(file.description.release());
    if (image == nullptr) return digest;
    digest.size = image->imageSize;
    digest.fnv = Fnv1a(reinterpret_cast<const std::uint8_t*>(image), image->imageSize);
    PpdDelete(image);
    return digest;
  }
};

std::vector<ImageDigest> ReadDigests(const fs::path& path) {
  std::vector<ImageDigest> digests;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ImageDigest d;
    fields >> d.size >> std::hex >> d.fnv >> std::ws;
    std::getline(fields, d.path);
    if (!d.path.empty()) digests.push_back(d);
  }
  return digests;
}

TEST_F(PpdImageIdentityTest, RealPpdImagesAreUnchanged) {
  if (!fs::exists(OPENPRINTING_PPDS_PROGRAM)) {
    GTEST_SKIP() << OPENPRINTING_PPDS_PROGRAM << " is absent: install openprinting-ppds (scripts/install-deps)";
  }
  const fs::path folder = PPD_CORPUS_DIR;
  const std::vector<std::string> files = ChosenFiles(folder);
  ASSERT_GT(files.size(), 100u) << "the corpus in " << folder << " is not unpacked";

  std::vector<ImageDigest> digests;
  for (const std::string& file : files) digests.push_back(DigestOf(folder, file));

  if (const char* record = std::getenv("CARDPRINT_RECORD_PPD_DIGESTS")) {
    std::ofstream out(record);
    for (const ImageDigest& d : digests) out << d << '\n';
    GTEST_SKIP() << "digests recorded to " << record;
  }
  const std::vector<ImageDigest> expected =
      ReadDigests(fs::path(CARDPRINT_TEST_DATA) / "ppd_image_digests.txt");
  ASSERT_EQ(expected.size(), digests.size());
  for (std::size_t i = 0; i < digests.size(); ++i) EXPECT_EQ(expected[i], digests[i]);
}

}  // namespace
