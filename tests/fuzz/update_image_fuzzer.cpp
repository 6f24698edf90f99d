// Fuzz target: image text through the decoder, the checks, the chunk cutting and the update
// dialog's machine. Every chunk must lie within the decoded bytes, whether or not the image
// passed its checks, and the machine must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "update/core/firmware_image.h"
#include "update/core/hex_decoder.h"
#include "update/core/update_dialog_machine.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CutWithinBounds(const std::vector<std::uint8_t>& image, std::uint32_t length) {
  ChunkCutter cutter(image, kImageStreamOffset, length);
  std::size_t expected = kImageStreamOffset;
  for (Chunk c; cutter.Next(c);) {
    Require(c.length >= 1 && c.length <= kChunkBytes);
    Require(c.offset == expected && c.offset + c.length <= image.size());
    Require(c.blockStart < length);
    expected += c.length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> image;
  if (DecodeHexText({data, size}, image) == HexDecoder::Status::TooLarge) return 0;
  Require(image.size() <= kMaxImageBytes);

  std::uint32_t length = 0;
  if (CheckImage(image, &length) == ImageCheck::Valid) {
    Require(BlocksFit(image, kImageStreamOffset, length));
  }
  // The cutter on its own, with whatever length the header claims, stays in bounds too.
  if (image.size() >= kImageStreamOffset) CutWithinBounds(image, ReadStreamLength(image));

  // The dialog's machine on the raw bytes: replies taken from the input at first, then all
  // accepted, after which it must end within a packet per two bytes, plus the packets of a
  // last block that runs past the end (at most 65537 / 47 of them).
  UpdateDialogMachine machine(image);
  const std::size_t limit = size + 2 * image.size() + 65537 / 47 + 4;
  for (std::size_t step = 0; step < limit; ++step) {
    const std::uint8_t reply = step < size ? data[step] : 0x11;
    const auto next = machine.OnReply(reply);
    if (next.action != UpdateDialogMachine::Action::SendPacket) return 0;
    Require(next.packet[0] == 0x51 && next.percent <= 100);
  }
  std::abort();  // a transfer that never ends
}
