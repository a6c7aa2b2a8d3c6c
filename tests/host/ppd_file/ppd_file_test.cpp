// The host loader: plain and gzip'd files (the gzip'd ones are made here
// from a plain fixture), and the failures it reports as exceptions.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "describe_ppd.h"
#include "host/ppd_file/ppd_file.h"
#include "support/byte_diff.h"
#include "support/host_fixture.h"

namespace {

std::filesystem::path Fixture(const char* name) { return std::filesystem::path(CARDPRINT_TEST_DATA) / name; }

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One gzip member holding text.
std::string Gzip(std::string_view text) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A file in the test's own temporary folder, removed with the test.
class LoaderTest : public HostEngineTest {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("cardprint_ppd_file_") + info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    HostEngineTest::TearDown();
  }

  std::filesystem::path Write(const char* name, std::string_view bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path folder_;
};

constexpr const char* kShape = "ppd_real_world_shape.ppd";

TEST_F(LoaderTest, PlainFileIsLoadedAsItStands) {
  EXPECT_BYTES_EQ(ReadBytes(Fixture(kShape)), LoadPpdBytes(Fixture(kShape)));
}

TEST_F(LoaderTest, GzippedFileIsInflated) {
  const std::string plain = ReadBytes(Fixture(kShape));
  EXPECT_BYTES_EQ(plain, LoadPpdBytes(Write("shape.ppd.gz", Gzip(plain))));
}

TEST_F(LoaderTest, EveryMemberOfAGzippedFileIsInflated) {
  const std::string plain = ReadBytes(Fixture(kShape));
  const std::size_t half = plain.size() / 2;
  const std::string twoMembers = Gzip(std::string_view(plain).substr(0, half)) + Gzip(std::string_view(plain).substr(half));
  EXPECT_BYTES_EQ(plain, LoadPpdBytes(Write("shape.ppd.gz", twoMembers)));
}

TEST_F(LoaderTest, GzippedFileGivesTheSameDescriptionAsThePlainOne) {
  const PpdFile plain = ReadPpdFile(Fixture(kShape));
  const PpdFile gzipped = ReadPpdFile(Write(kShape, Gzip(ReadBytes(Fixture(kShape)))));
  ASSERT_NE(plain.description, nullptr);
  ASSERT_NE(gzipped.description, nullptr);
  EXPECT_EQ(DescribePpd(*gzipped.description), DescribePpd(*plain.description));
  EXPECT_EQ(gzipped.refusals, plain.refusals);
}

TEST_F(LoaderTest, EmptyFileGivesAnEmptyDescription) {
  const PpdFile file = ReadPpdFile(Write("empty.ppd", ""));
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.description->uiGroups, nullptr);
  EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
}

struct BrokenGzipCase {
  const char* name;
  std::string (*make)(const std::string& gzipped);
};

const BrokenGzipCase kBrokenGzipCases[] = {
    {"CutShort", [](const std::string& gz) { return gz.substr(0, gz.size() / 2); }},
    {"CutBeforeItsTrailer", [](const std::string& gz) { return gz.substr(0, gz.size() - 4); }},
    {"DamagedData",
     [](const std::string& gz) {
       std::string damaged = gz;
       for (std::size_t i = 20; i < 60; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
       return damaged;
     }},
    {"WrongChecksum",
     [](const std::string& gz) {
       std::string damaged = gz;
       damaged[damaged.size() - 8] = static_cast<char>(damaged[damaged.size() - 8] ^ 1);
       return damaged;
     }},
    {"DataBehindTheStream", [](const std::string& gz) { return gz + "trailing"; }},
    {"MagicOnly", [](const std::string&) { return std::string("\x1F\x8B"); }},
};

class BrokenGzipTest : public LoaderTest, public ::testing::WithParamInterface<BrokenGzipCase> {};

TEST_P(BrokenGzipTest, IsReportedNotRead) {
  const std::string gzipped = Gzip(ReadBytes(Fixture(kShape)));
  const std::filesystem::path path = Write("broken.ppd.gz", GetParam().make(gzipped));
  EXPECT_THROW(LoadPpdBytes(path), std::runtime_error);
  EXPECT_THROW(ReadPpdFile(path), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenGzipTest, ::testing::ValuesIn(kBrokenGzipCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, MissingFileIsReported) {
  EXPECT_THROW(ReadPpdFile(folder_ / "absent.ppd"), std::runtime_error);
}

}  // namespace
