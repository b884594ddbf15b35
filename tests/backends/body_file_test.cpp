// Reading damaged or foreign files, and writing that never leaves a
// half-written body under the target name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "backend_fixture.h"
#include "block_codec.h"
#include "body_file.h"
#include "kernels/crc32c.h"
#include "test_support.h"

namespace qvbtest {
namespace {

using qvb::qvbflex::readBody;
using qvb::qvbflex::writeBody;

uint32_t u32(const std::string &s, size_t at) {
  uint32_t v;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}
uint64_t u64(const std::string &s, size_t at) {
  uint64_t v;
  std::memcpy(&v, s.data() + at, 8);
  return v;
}

size_t pad8(size_t n) { return (8 - n % 8) % 8; }

// Offset of the payload of a block of body 1, walking the documented layout:
// a 24-byte file header and 16-byte directory entries, "BODY" and a chunk
// count, then 24-byte chunk headers, each followed by a lead of 0 to 7 bytes
// (the flags) and its payload, padded to 8 bytes.
size_t payloadOffset(const std::string &file, uint32_t block) {
  size_t at = static_cast<size_t>(u64(file, 24)) + 8;
  for (uint32_t c = 0; c < u32(file, static_cast<size_t>(u64(file, 24)) + 4); ++c) {
    size_t lead = u32(file, at + 4) & 7, length = static_cast<size_t>(u64(file, at + 8));
    if (u32(file, at) == block) return at + 24 + lead;
    at += 24 + lead + length + pad8(lead + length);
  }
  return std::string::npos;
}

void putU32(std::string &s, size_t at, uint32_t v) { std::memcpy(&s[at], &v, 4); }
void putU64(std::string &s, size_t at, uint64_t v) { std::memcpy(&s[at], &v, 8); }
void sealHeader(std::string &file, uint32_t version) {
  putU32(file, 8, version);
  uint32_t crc = qvb::kernels::crc32c(0, file.data(), 20);
  putU32(file, 20, qvb::kernels::crc32c(crc, file.data() + 24, 16));
}

// The same one-body file as the first format wrote it: no leads, so mode
// values may lie anywhere.
std::string asFormatOne(const std::string &file) {
  const size_t start = static_cast<size_t>(u64(file, 24));
  std::string body = file.substr(start, 8);
  size_t at = start + 8;
  for (uint32_t c = 0; c < u32(file, start + 4); ++c) {
    std::string chunk = file.substr(at, 24);
    size_t lead = u32(chunk, 4) & 7, length = static_cast<size_t>(u64(chunk, 8));
    putU32(chunk, 4, 0);
    putU32(chunk, 20, qvb::kernels::crc32c(0, chunk.data(), 20));
    body += chunk + file.substr(at + 24 + lead, length) + std::string(pad8(length), '\0');
    at += 24 + lead + length + pad8(lead + length);
  }
  std::string out = file.substr(0, start) + body;
  putU64(out, 32, body.size());
  sealHeader(out, 1);
  return out;
}

class BodyFile : public ::testing::Test {
 protected:
  void SetUp() override {
    original = dir.file("good.qvb");
    QVB_Handle b = buildFullBody("kg", "m", 1.0, 1.0);
    ASSERT_EQ(flex().QVB_write_QVB(b, original.c_str()), 1);
    flex().QVB_Terminate();
    good = readFile(original);
  }

  // Reads bytes as a file: null body and a message, or a body.
  std::unique_ptr<qvb::body::Body> readBytes(const std::string &bytes, std::string *error) {
    std::string path = dir.file("damaged.qvb");
    writeFile(path, bytes);
    error->clear();
    return readBody(path, 1, false, error);
  }

  TempDir dir;
  std::string original, good;
};

// The checksum runs several registers side by side on long inputs and joins
// them, or folds long inputs with carry-less products where the processor
// has them; every length around the joins and folds, and every way of
// continuing a sum, must give what the bit-by-bit definition gives.
TEST(Crc32c, MatchesTheBitwiseDefinitionAtEveryJoinAndSplit) {
  auto bitwise = [](const unsigned char *p, size_t n) {
    uint32_t c = ~0u;
    while (n--) {
      c ^= *p++;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0x82F63B78u & (0u - (c & 1u)));
    }
    return ~c;
  };
  EXPECT_EQ(qvb::kernels::crc32c(0, "123456789", 9), 0xE3069283u);
  std::vector<unsigned char> data(3 * 3 * 8192 + 4099);
  uint64_t state = 7;
  for (unsigned char &b : data) b = static_cast<unsigned char>((state = state * 6364136223846793005u + 1) >> 56);
  for (size_t n : {size_t{0}, size_t{7}, size_t{8}, size_t{1023}, size_t{1024}, size_t{1025}, size_t{1535},
                   size_t{1536}, size_t{24575}, size_t{24576}, size_t{24577}, size_t{24583}, size_t{2 * 24576 + 9},
                   data.size()}) {
    const uint32_t want = bitwise(data.data(), n);
    EXPECT_EQ(qvb::kernels::crc32c(0, data.data(), n), want) << n;
    for (size_t split : {std::min<size_t>(1, n), n / 3, n - n / 5}) {
      const uint32_t head = qvb::kernels::crc32c(0, data.data(), split);
      EXPECT_EQ(qvb::kernels::crc32c(head, data.data() + split, n - split), want) << n << " split at " << split;
    }
  }
}

// Foreign, damaged and missing files and bodies are refused with the cause.
TEST_F(BodyFile, RefusalsNameTheCause) {
  const size_t shapes = payloadOffset(good, 8);
  ASSERT_NE(shapes, std::string::npos);
  std::string damaged = good, future = good;
  damaged[shapes + 40] ^= 1;
  future[8] = 3;  // a format from the future
  const std::pair<std::string, const char *> cases[] = {
      {std::string(), "is not a body file"},
      {"solid cube\nfacet normal 0 0 1\n", "is not a body file"},
      {std::string(64, '\0'), "is not a body file"},
      {good.substr(0, 7) + "X" + good.substr(8), "is not a body file"},
      {damaged, "body 1: block 8 fails its checksum"},
      {future, "format 3"}};
  std::string error;
  for (const auto &[bytes, cause] : cases) {
    EXPECT_EQ(readBytes(bytes, &error), nullptr) << cause;
    EXPECT_NE(error.find(cause), std::string::npos) << cause << ": " << error;
  }
  EXPECT_EQ(readBody(dir.file("missing.qvb"), 1, false, &error), nullptr);
  EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
  EXPECT_EQ(readBody(original, 2, false, &error), nullptr);
  EXPECT_NE(error.find("holds 1 bodies; there is no body 2"), std::string::npos) << error;
}

// Cut at, or one byte flipped at, every byte of the headers and a sample of
// the rest (every byte would only repeat the same cases, slowly): a cut file
// is refused; a flipped byte is caught by a checksum, except in the padding
// between chunks, which carries nothing.
TEST_F(BodyFile, EveryTruncationIsRefusedAndEveryCorruptionCaughtOrHarmless) {
  auto expected = qvb::body::encodeBody(*readBody(original, 1, false, nullptr));
  std::string error;
  for (size_t at = 0; at < good.size(); at += at < 256 || at + 13 >= good.size() ? 1 : 13) {
    EXPECT_EQ(readBytes(good.substr(0, at), &error), nullptr) << at;
    EXPECT_FALSE(error.empty()) << at;
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    auto body = readBytes(bytes, &error);
    if (body) EXPECT_EQ(qvb::body::encodeBody(*body), expected) << "byte " << at;
    else EXPECT_FALSE(error.empty()) << "byte " << at;
  }
}

TEST_F(BodyFile, FirstFormatFilesStillRead) {
  const auto expected = qvb::body::encodeBody(*readBody(original, 1, false, nullptr));
  std::string error;
  auto body = readBytes(asFormatOne(good), &error);
  ASSERT_NE(body, nullptr) << error;
  EXPECT_EQ(qvb::body::encodeBody(*body), expected);
  // A lead is new in format 2: the first format never had one.
  std::string mislabelled = good;
  sealHeader(mislabelled, 1);
  EXPECT_EQ(readBytes(mislabelled, &error), nullptr);
  EXPECT_NE(error.find("flags"), std::string::npos) << error;
}

// Mode values are used where they lie in the file, aligned, until a change
// copies them; replacing the file (as every writer here does) leaves an open
// body alone.
TEST_F(BodyFile, ModeValuesStayInTheFileUntilChanged) {
  using qvb::body::kShape;
  using qvb::body::kStress;
  auto body = readBody(original, 1, false, nullptr);
  ASSERT_NE(body, nullptr);
  const qvb::body::ModeValues &shape = body->kinds[kShape].modes[0];
  ASSERT_TRUE(shape.isBorrowed());
  EXPECT_TRUE(body->kinds[kStress].modes[0].isBorrowed());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(shape.data()) % alignof(double), 0u);
  const std::vector<double> before(shape.begin(), shape.end());

  QVB_Handle other = buildFullBody("g", "mm", 2.0, 3.0);
  ASSERT_EQ(flex().QVB_write_QVB(other, original.c_str()), 1);
  flex().QVB_Terminate();
  EXPECT_EQ(std::vector<double>(shape.begin(), shape.end()), before);

  body->scaleMode(0, 2.0);
  const qvb::body::ModeValues &scaled = body->kinds[kShape].modes[0];
  EXPECT_FALSE(scaled.isBorrowed());
  for (size_t k = 0; k < before.size(); ++k) EXPECT_EQ(scaled[k], 2.0 * before[k]) << k;

  ScopedEnv copying("QVB_MAP_BODY_FILES", "0");
  auto copied = readBody(original, 1, false, nullptr);
  ASSERT_NE(copied, nullptr);
  EXPECT_FALSE(copied->kinds[kShape].modes[0].isBorrowed());
}

// A body of several write pieces: its chunk headers are filled in after the
// piece holding them has gone to the file, and must still check out.
TEST_F(BodyFile, BodiesLargerThanOneWritePieceReadBackAndRewriteTheSame) {
  const s_FLEX_INTERFACE &f = flex();
  constexpr int kNodes = 120000;
  QVB_Handle b = f.QVB_Create(kNodes, 2);
  for (int n = 0; n < kNodes; ++n) {
    f.QVB_SetNodeCoordinates(b, n + 1, n, 0.5 * n, 0.0);
    f.QVB_SetNodalMass(b, n + 1, 1.0 + n % 7);
    for (int m = 1; m <= 2; ++m) f.QVB_SetMode(b, m, n + 1, 0, 1e-3 * n, -m, 0.5, m * 1e-6, 0, n % 3);
  }
  const std::string big = dir.file("big.qvb"), again = dir.file("again.qvb");
  ASSERT_EQ(f.QVB_write_QVB(b, big.c_str()), 1);
  f.QVB_Terminate();
  ASSERT_GT(std::filesystem::file_size(big), size_t{12} << 20);
  std::string error;
  auto body = readBody(big, 1, false, &error);
  ASSERT_NE(body, nullptr) << error;
  ASSERT_TRUE(writeBody(again, *body, 0, &error)) << error;
  EXPECT_TRUE(readFile(big) == readFile(again));
}

TEST_F(BodyFile, OverlongNamesAndTexts) {
  const s_FLEX_INTERFACE &f = flex();
  std::string longName = dir.file(std::string(5000, 'n') + ".qvb");
  messages().clear();
  EXPECT_EQ(f.QVB_CreateFromFileByIndex(longName.c_str()), nullptr);
  QVB_Handle b = f.QVB_Create(0, 0);
  EXPECT_EQ(f.QVB_write_QVB(b, longName.c_str()), 0);
  EXPECT_EQ(messages().size(), 2u);

  std::string title(300, 't'), type(40, 'y');
  f.QVB_SetHeader(b, title.c_str(), title.c_str(), type.c_str(), title.c_str(), nullptr, "");
  char out[7][300];
  f.QVB_Header(b, out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
  EXPECT_EQ(std::strlen(out[0]), 127u);
  EXPECT_EQ(std::strlen(out[1]), 31u);  // the smallest buffer callers give for it
  EXPECT_EQ(std::strlen(out[3]), 15u);
  EXPECT_EQ(std::strlen(out[4]), 79u);
  EXPECT_EQ(std::strlen(out[5]), 0u);
  f.QVB_Terminate();
}

// Element topology and stored modal statistics have no setter in the table;
// they come from translators through the body model and must survive too.
TEST_F(BodyFile, BlocksWithoutSettersSurvive) {
  auto body = readBody(original, 1, false, nullptr);
  body->elementTopology = {8, 10, 11, 12, 13};
  body->modalStatistics.assign(body->modeCount(), qvb::body::ModeStatistics{0.5, 0.25, 3e6, 1e-3, 11, 12, 13, 10});
  ASSERT_TRUE(writeBody(original, *body, 0, nullptr));
  auto reread = readBody(original, 1, false, nullptr);
  ASSERT_TRUE(reread);
  EXPECT_TRUE(reread->exists(qvb::body::kElementTopology));
  EXPECT_EQ(reread->elementTopology, body->elementTopology);
  EXPECT_EQ(reread->statistics(2).stressNode, 13);
  EXPECT_EQ(qvb::body::encodeBody(*reread), qvb::body::encodeBody(*body));
}

}  // namespace
}  // namespace qvbtest
