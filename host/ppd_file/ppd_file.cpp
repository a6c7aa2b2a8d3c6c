#include "host/ppd_file/ppd_file.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "ppd/parser/parser.h"
#include "ppd/parser/ppd_file_reader.h"

namespace {

constexpr unsigned char kGzipMagic[] = {0x1F, 0x8B};

// Bytes that are written before they are read: growing the buffer leaves
// them as they are instead of zeroing them first.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using ByteBuffer = std::vector<char, UninitializedAllocator<char>>;

bool IsGzip(std::span<const char> bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kGzipMagic[0] &&
         static_cast<unsigned char>(bytes[1]) == kGzipMagic[1];
}

ByteBuffer ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  const std::streamoff size = file.tellg();
  if (size < 0) throw std::runtime_error("cannot read " + path.string());
  ByteBuffer bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(bytes.data(), size)) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) throw std::runtime_error("zlib: cannot start inflating");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates every gzip member of input.
  std::vector<char> Inflate(std::span<const char> input, const std::string& name) {
    std::vector<char> output;
    std::size_t consumed = 0;
    char chunk[1 << 16];
    for (;;) {
      const std::size_t feed = std::min<std::size_t>(input.size() - consumed, 1u << 30);
      stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + consumed));
      stream_.avail_in = static_cast<uInt>(feed);
      stream_.next_out = reinterpret_cast<Bytef*>(chunk);
      stream_.avail_out = sizeof(chunk);
      const int status = inflate(&stream_, Z_NO_FLUSH);
      consumed += feed - stream_.avail_in;
      output.insert(output.end(), chunk, chunk + (sizeof(chunk) - stream_.avail_out));
      if (status == Z_STREAM_END) {
        const std::span<const char> rest = input.subspan(consumed);
        if (rest.empty()) return output;
        if (!IsGzip(rest)) throw std::runtime_error(name + ": data behind the gzip stream");
        inflateReset(&stream_);
      } else if (status == Z_BUF_ERROR && consumed == input.size()) {
        throw std::runtime_error(name + ": gzip data cut short");
      } else if (status != Z_OK && status != Z_BUF_ERROR) {
        throw std::runtime_error(name + ": damaged gzip data" +
                                 (stream_.msg != nullptr ? std::string(" (") + stream_.msg + ")" : ""));
      }
    }
  }

 private:
  z_stream stream_{};
};

// Inflates every gzip member of input in whole buffers (libdeflate, several
// times faster than zlib's streaming); nothing when it cannot, and the
// streaming inflater then has its say (the same bytes, or the error that
// names what is wrong).
std::optional<ByteBuffer> InflateWhole(std::span<const char> input) {
  std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
      libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
  if (decompressor == nullptr || input.size() < 4) return std::nullopt;
  // A member's last four bytes hold its size (modulo 2^32): the last
  // member's, a first guess at the room needed when it is a likely one.
  std::uint32_t lastSize = 0;
  std::memcpy(&lastSize, input.data() + input.size() - 4, 4);
  const std::size_t guess = lastSize <= 64 * input.size() ? lastSize : 4 * input.size();
  ByteBuffer output(std::max<std::size_t>(guess, 1u << 16));
  std::size_t consumed = 0;
  std::size_t produced = 0;
  while (consumed < input.size()) {
    const std::span<const char> rest = input.subspan(consumed);
    if (!IsGzip(rest)) return std::nullopt;
    std::size_t in = 0;
    std::size_t out = 0;
    const libdeflate_result result =
        libdeflate_gzip_decompress_ex(decompressor.get(), rest.data(), rest.size(), output.data() + produced,
                                      output.size() - produced, &in, &out);
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE) {
      output.resize(output.size() * 2);
      continue;
    }
    if (result != LIBDEFLATE_SUCCESS) return std::nullopt;
    consumed += in;
    produced += out;
  }
  output.resize(produced);
  return output;
}

// Frees the reader's refusal list however the copy into C++ ends.
struct RefusalList {
  PPDREADRESULT result{};
  RefusalList() = default;
  RefusalList(const RefusalList&) = delete;
  RefusalList& operator=(const RefusalList&) = delete;
  ~RefusalList() { PPDFILE_FreeRefusals(&result); }
};

}  // namespace

void PpdDescriptionDeleter::operator()(PPDOBJ* ppd) const { PPDOBJ_Delete(ppd); }

namespace {

ByteBuffer LoadBytes(const std::filesystem::path& path) {
  ByteBuffer bytes = ReadWholeFile(path);
  if (!IsGzip(bytes)) return bytes;
  if (std::optional<ByteBuffer> inflated = InflateWhole(bytes)) return std::move(*inflated);
  const std::vector<char> inflated = Inflater().Inflate(bytes, path.string());
  return ByteBuffer(inflated.begin(), inflated.end());
}

}  // namespace

std::vector<char> LoadPpdBytes(const std::filesystem::path& path) {
  const ByteBuffer bytes = LoadBytes(path);
  return std::vector<char>(bytes.begin(), bytes.end());
}

PpdFile ReadPpdText(std::span<const char> text, std::u16string_view fileName) {
  const std::u16string name(fileName);
  PpdFile file;
  RefusalList list;
  PPDFILE_Read(text, name.c_str(), &list.result);
  file.description.reset(list.result.ppd);
  const std::span<const PPDREFUSAL> refusals(list.result.refusals, list.result.cRefusals);
  file.refusals.reserve(refusals.size());
  for (const PPDREFUSAL& refusal : refusals) file.refusals.push_back({refusal.line, refusal.code});
  return file;
}

PpdFile ReadPpdFile(const std::filesystem::path& path) {
  const ByteBuffer bytes = LoadBytes(path);
  return ReadPpdText(bytes, path.filename().u16string());
}
