// The firmware image rules: "%2X" decoding, CRC-16/ARC, the checks and the chunk cutting.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/update_test_images.h"
#include "update/core/crc16_arc.h"
#include "update/core/firmware_image.h"
#include "update/core/hex_decoder.h"

using update_test::Bytes;
using update_test::MakeBlock;
using update_test::MakeImage;
using Status = HexDecoder::Status;

namespace {

Bytes Decode(const std::string& text, Status* status = nullptr) {
  Bytes out;
  const Status s = DecodeHexText(
      {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, out);
  if (status) *status = s;
  return out;
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Cut {
  std::size_t offset, length;
  char mark;
  std::uint32_t blockStart;
  bool operator==(const Cut&) const = default;
};

std::vector<Cut> CutAll(const Bytes& image, std::uint32_t length) {
  std::vector<Cut> cuts;
  ChunkCutter cutter(image, kImageStreamOffset, length);
  for (Chunk c; cutter.Next(c);)
    cuts.push_back({c.offset, c.length, static_cast<char>(c.mark), c.blockStart});
  return cuts;
}

}  // namespace

TEST(UpdateHexDecoder, ReadsValuesTheWayPercent2XDoes) {
  EXPECT_EQ(Decode("0A 1b"), (Bytes{0x0A, 0x1B}));
  EXPECT_EQ(Decode("0a1B"), (Bytes{0x0A, 0x1B}));
  EXPECT_EQ(Decode("ABC"), (Bytes{0xAB, 0x0C}));
  EXPECT_EQ(Decode(" \t\r\n\v\f7f"), (Bytes{0x7F}));
  EXPECT_EQ(Decode("1 2  3\r\n"), (Bytes{1, 2, 3}));
  EXPECT_EQ(Decode(""), Bytes{});
}

TEST(UpdateHexDecoder, StopsAtTheFirstTextThatIsNotHex) {
  Status status;
  EXPECT_EQ(Decode("0A 1b G 22", &status), (Bytes{0x0A, 0x1B}));
  EXPECT_EQ(status, Status::Stopped);
  EXPECT_EQ(Decode("AG12"), (Bytes{0x0A}));  // the one digit before the stop still counts
  EXPECT_EQ(Decode("01 -2 03"), (Bytes{0x01}));  // no signs
  EXPECT_EQ(Decode("01 x2"), (Bytes{0x01}));
  EXPECT_EQ(Decode(std::string("01\0" "02", 5)), (Bytes{0x01}));
}

TEST(UpdateHexDecoder, AValueMayBeSplitAcrossPieces) {
  Bytes out;
  HexDecoder decoder(out);
  const std::string a = "0A 1", b = "B 2";
  decoder.Feed({reinterpret_cast<const std::uint8_t*>(a.data()), a.size()});
  decoder.Feed({reinterpret_cast<const std::uint8_t*>(b.data()), b.size()});
  EXPECT_EQ(decoder.Finish(), Status::Reading);
  EXPECT_EQ(out, (Bytes{0x0A, 0x1B, 0x02}));
}

TEST(UpdateHexDecoder, RejectsMoreThanTheImageLimit) {
  std::string text;
  for (std::size_t i = 0; i < kMaxImageBytes; ++i) text += "5A";
  Status status;
  EXPECT_EQ(Decode(text + "\r\n", &status).size(), kMaxImageBytes);
  EXPECT_EQ(status, Status::Reading);
  Decode(text + "1", &status);
  EXPECT_EQ(status, Status::TooLarge);
  Decode(text + " G", &status);  // the limit exactly, then text that ends the image
  EXPECT_EQ(status, Status::Stopped);
}

TEST(UpdateCrc16Arc, MatchesTheCheckValue) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc16Arc({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0xBB3D);
  EXPECT_EQ(Crc16Arc({}), 0);
}

TEST(UpdateImageCheck, AcceptsAWellFormedImage) {
  std::uint32_t length = 0;
  const Bytes image = MakeImage(update_test::Concat({MakeBlock(10), MakeBlock(50)}));
  EXPECT_EQ(CheckImage(image, &length), ImageCheck::Valid);
  EXPECT_EQ(length, 60u);
  // Bytes between the stream and the checksum are covered by the checksum and allowed.
  EXPECT_EQ(CheckImage(MakeImage(MakeBlock(10), -1, {1, 2, 3}), &length), ImageCheck::Valid);
}

TEST(UpdateImageCheck, ChangingAnySingleByteFailsTheChecksum) {
  const Bytes image = MakeImage(MakeBlock(12));
  for (std::size_t at = 0; at < image.size(); ++at) {
    for (int flip : {0x01, 0x80, 0xFF}) {
      Bytes damaged = image;
      damaged[at] ^= static_cast<std::uint8_t>(flip);
      std::uint32_t length = 0;
      EXPECT_EQ(CheckImage(damaged, &length), ImageCheck::BadChecksum) << "byte " << at;
    }
  }
}

TEST(UpdateImageCheck, RejectsImagesThatWouldBeReadOutOfBounds) {
  std::uint32_t length = 0;
  EXPECT_EQ(CheckImage(Bytes(kMinImageBytes - 1, 0), &length), ImageCheck::TooShort);
  EXPECT_EQ(CheckImage(Bytes(kMaxImageBytes + 1, 0), &length), ImageCheck::TooLarge);
  EXPECT_EQ(CheckImage(MakeImage({}), &length), ImageCheck::Valid);  // 22 bytes, L = 0
  // L reaching past the decoded bytes; L may reach into the bytes after the stream.
  EXPECT_EQ(CheckImage(MakeImage(MakeBlock(10), 13), &length), ImageCheck::LengthBeyondEnd);
  EXPECT_EQ(CheckImage(MakeImage(MakeBlock(10), 0xFFFFFFFF), &length), ImageCheck::LengthBeyondEnd);
  EXPECT_EQ(CheckImage(MakeImage(MakeBlock(10), 12, {0, 0}), &length), ImageCheck::Valid);
  // A block whose V runs past the end, and a block whose V itself lies past it.
  EXPECT_EQ(CheckImage(MakeImage({0x10, 0x00, 1, 2, 3}), &length), ImageCheck::BlockBeyondEnd);
  EXPECT_FALSE(BlocksFit(Bytes{0x00, 0x00, 0x00}, 0, 3));
  EXPECT_TRUE(BlocksFit(Bytes{0x00, 0x00, 0x00, 0x01, 0x09}, 0, 3));
}

TEST(UpdateChunks, MarksFollowTheBlockSize) {
  auto marks = [](std::uint32_t size) {
    std::string m;
    for (std::uint32_t sent = 0; sent < size;) {
      const ChunkCut c = CutChunk(size, sent);
      m += static_cast<char>(c.mark);
      sent += c.length;
    }
    return m;
  };
  EXPECT_EQ(marks(1), "A");
  EXPECT_EQ(marks(2), "A");
  EXPECT_EQ(marks(47), "A");
  EXPECT_EQ(marks(48), "AB");
  EXPECT_EQ(marks(94), "AB");
  EXPECT_EQ(marks(95), "AAB");
  EXPECT_EQ(marks(65537), std::string(1394, 'A') + "B");
}

TEST(UpdateChunks, CutterWalksBlocksInOrder) {
  const Bytes stream = update_test::Concat({MakeBlock(2), MakeBlock(47), MakeBlock(48), MakeBlock(95)});
  const Bytes image = MakeImage(stream);
  const std::size_t s = kImageStreamOffset;
  const std::vector<Cut> expected = {
      {s, 2, 'A', 0},           {s + 2, 47, 'A', 2},      {s + 49, 47, 'A', 49},
      {s + 96, 1, 'B', 49},     {s + 97, 47, 'A', 97},    {s + 144, 47, 'A', 97},
      {s + 191, 1, 'B', 97}};
  EXPECT_EQ(CutAll(image, static_cast<std::uint32_t>(stream.size())), expected);
}

TEST(UpdateChunks, EmptyStreamAndBlockPastTheLength) {
  EXPECT_TRUE(CutAll(MakeImage({}), 0).empty());
  // A block that starts below L is sent whole; the next one is not sent.
  const Bytes image = MakeImage(update_test::Concat({MakeBlock(60), MakeBlock(5)}), 10);
  const std::vector<Cut> expected = {{20, 47, 'A', 0}, {67, 13, 'B', 0}};
  EXPECT_EQ(CutAll(image, 10), expected);
}

// The seed corpus of the fuzz target: each file decodes, checks and cuts within bounds, and
// its name tells the verdict.
TEST(UpdateChunks, SeedCorpus) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PELNIX_FUZZ_CORPUS_DIR)) {
    ++files;
    const std::string name = entry.path().filename().string();
    Bytes image;
    const Status status = DecodeHexText(ReadFile(entry.path()), image);
    ASSERT_NE(status, Status::TooLarge) << name;
    std::uint32_t length = 0;
    const ImageCheck check = CheckImage(image, &length);
    EXPECT_EQ(check == ImageCheck::Valid, name.rfind("valid_", 0) == 0) << name;
    if (check != ImageCheck::Valid) continue;
    std::size_t covered = kImageStreamOffset;
    for (const Cut& c : CutAll(image, length)) {
      EXPECT_EQ(c.offset, covered) << name;
      EXPECT_LE(c.offset + c.length, image.size()) << name;
      covered += c.length;
    }
    EXPECT_GE(covered, kImageStreamOffset + length) << name;
  }
  EXPECT_GE(files, 10);
}
