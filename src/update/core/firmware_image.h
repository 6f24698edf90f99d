#pragma once
// The firmware image of the console update and the cutting of its block stream.
//
// Layout of a decoded image of N bytes: 12 header bytes, the block stream length L (32-bit
// big-endian) at offset 12, 4 more header bytes, the block stream from offset 20, and in the
// last two bytes the CRC-16/ARC (big-endian) of every byte before them.
//
// The block stream is a run of blocks, each a 16-bit big-endian value V followed by V bytes,
// V + 2 in all. Blocks are taken while their start is below L; the one that starts below L is
// sent whole even when it ends past L, but never past the decoded bytes.
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t kImageLengthOffset = 12;
inline constexpr std::size_t kImageStreamOffset = 20;
inline constexpr std::size_t kImageChecksumSize = 2;
inline constexpr std::size_t kMinImageBytes = kImageStreamOffset + kImageChecksumSize;

// The outcome of checking a decoded image, in the order the checks are made.
enum class ImageCheck {
  Valid,
  TooLarge,          // more than kMaxImageBytes values in the file
  TooShort,          // fewer than kMinImageBytes: no room for header and checksum
  BadChecksum,       // the trailer does not match the bytes before it
  LengthBeyondEnd,   // 20 + L reaches past the decoded bytes
  BlockBeyondEnd,    // a block of the stream reaches past the decoded bytes
};

// Checks the size, the checksum and the structure of a decoded image. On Valid, *streamLength
// is L. (TooLarge is the decoder's verdict; it is part of this list for the messages.)
ImageCheck CheckImage(std::span<const std::uint8_t> image, std::uint32_t* streamLength);

std::uint32_t ReadStreamLength(std::span<const std::uint8_t> image);  // needs >= 16 bytes

// Chunks of the console transfer: at most 47 bytes of a block each.
inline constexpr std::size_t kChunkBytes = 47;
inline constexpr std::uint8_t kMarkFirst = 0x41;  // "A"
inline constexpr std::uint8_t kMarkLast = 0x42;   // "B"

struct Chunk {
  std::size_t offset = 0;       // image position of the chunk's first byte
  std::size_t length = 0;       // 1 to 47
  std::uint8_t mark = kMarkFirst;
  std::uint32_t blockStart = 0;  // stream offset of the chunk's block: the progress so far
};

// Walks the chunks of a block stream in sending order. The image must have passed
// CheckImage, or at least its block walk (the cutter stops at a block beyond the end).
class ChunkCutter {
public:
  ChunkCutter(std::span<const std::uint8_t> image, std::size_t streamOffset,
              std::uint32_t streamLength);
  // The next chunk; false at the end of the stream (or at a block that would not fit).
  bool Next(Chunk& chunk);

private:
  bool StartBlock();

  std::span<const std::uint8_t> m_image;
  std::size_t m_nStreamOffset;
  std::uint32_t m_nStreamLength;
  std::uint64_t m_nBlockStart = 0;  // stream offset of the current block
  std::uint32_t m_nBlockSize = 0;   // V + 2; 0 before the first block
  std::uint32_t m_nSent = 0;        // bytes of the current block already cut
};

// The mark of a console chunk: "B" for the last chunk of a block that is not also its first.
std::uint8_t ChunkMark(bool firstOfBlock, bool lastOfBlock);

// The chunk of a block of blockSize bytes that starts after `sent` of them (sent < blockSize).
struct ChunkCut {
  std::uint32_t length;
  std::uint8_t mark;
};
ChunkCut CutChunk(std::uint32_t blockSize, std::uint32_t sent);

// Whether every block that starts below streamLength ends within the image.
bool BlocksFit(std::span<const std::uint8_t> image, std::size_t streamOffset,
               std::uint32_t streamLength);
