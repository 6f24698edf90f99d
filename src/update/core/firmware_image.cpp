#include "update/core/firmware_image.h"

#include "update/core/crc16_arc.h"
#include "update/core/hex_decoder.h"

namespace {

std::uint32_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 8 | bytes[at + 1];
}

}  // namespace

std::uint32_t ReadStreamLength(std::span<const std::uint8_t> image) {
  const std::size_t at = kImageLengthOffset;
  return static_cast<std::uint32_t>(image[at]) << 24 | static_cast<std::uint32_t>(image[at + 1]) << 16 |
         static_cast<std::uint32_t>(image[at + 2]) << 8 | image[at + 3];
}

std::uint8_t ChunkMark(bool firstOfBlock, bool lastOfBlock) {
  return lastOfBlock && !firstOfBlock ? kMarkLast : kMarkFirst;
}

ChunkCut CutChunk(std::uint32_t blockSize, std::uint32_t sent) {
  const std::uint32_t remaining = blockSize - sent;
  const bool last = remaining <= kChunkBytes;
  return {last ? remaining : static_cast<std::uint32_t>(kChunkBytes), ChunkMark(sent == 0, last)};
}

bool BlocksFit(std::span<const std::uint8_t> image, std::size_t streamOffset,
               std::uint32_t streamLength) {
  if (streamOffset > image.size()) return false;
  const std::uint64_t available = image.size() - streamOffset;
  std::uint64_t start = 0;
  while (start < streamLength) {
    if (start + 2 > available) return false;
    const std::uint64_t size = BigEndian16(image, streamOffset + start) + 2ull;
    if (start + size > available) return false;
    start += size;
  }
  return true;
}

ImageCheck CheckImage(std::span<const std::uint8_t> image, std::uint32_t* streamLength) {
  if (image.size() > kMaxImageBytes) return ImageCheck::TooLarge;
  if (image.size() < kMinImageBytes) return ImageCheck::TooShort;
  const std::size_t covered = image.size() - kImageChecksumSize;
  if (Crc16Arc(image.first(covered)) != BigEndian16(image, covered)) return ImageCheck::BadChecksum;
  const std::uint32_t length = ReadStreamLength(image);
  if (length > image.size() - kImageStreamOffset) return ImageCheck::LengthBeyondEnd;
  if (!BlocksFit(image, kImageStreamOffset, length)) return ImageCheck::BlockBeyondEnd;
  *streamLength = length;
  return ImageCheck::Valid;
}

ChunkCutter::ChunkCutter(std::span<const std::uint8_t> image, std::size_t streamOffset,
                         std::uint32_t streamLength)
    : m_image(image), m_nStreamOffset(streamOffset), m_nStreamLength(streamLength) {}

bool ChunkCutter::StartBlock() {
  if (m_nBlockStart >= m_nStreamLength) return false;
  const std::uint64_t at = m_nStreamOffset + m_nBlockStart;
  if (at + 2 > m_image.size()) return false;
  const std::uint32_t size = BigEndian16(m_image, at) + 2;
  if (at + size > m_image.size()) return false;
  m_nBlockSize = size;
  m_nSent = 0;
  return true;
}

bool ChunkCutter::Next(Chunk& chunk) {
  if (m_nSent == m_nBlockSize) {
    // The first call, or the current block is done: move on to the next one.
    m_nBlockStart += m_nBlockSize;
    if (!StartBlock()) {
      m_nBlockSize = m_nSent = 0;
      m_nBlockStart = m_nStreamLength;  // stays at the end on later calls
      return false;
    }
  }
  const ChunkCut cut = CutChunk(m_nBlockSize, m_nSent);
  chunk.offset = m_nStreamOffset + m_nBlockStart + m_nSent;
  chunk.length = cut.length;
  chunk.mark = cut.mark;
  chunk.blockStart = static_cast<std::uint32_t>(m_nBlockStart);
  m_nSent += cut.length;
  return true;
}
