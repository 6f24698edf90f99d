#include "update/image_file.h"

#include <windows.h>

#include "base/scoped_handle.h"
#include "base/system_failure.h"
#include "update/core/hex_decoder.h"

namespace {
constexpr DWORD kFileReadBlock = 64 * 1024;
}  // namespace

ImageFileRead ReadImageFile(const std::wstring& path, std::vector<std::uint8_t>& image) {
  image.clear();
  // Opened by its wide name, so every name the file system has can be read.
  const ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    RecordSystemFailure(L"CreateFileW", path);
    return ImageFileRead::CannotOpen;
  }
  HexDecoder decoder(image);
  std::vector<std::uint8_t> block(kFileReadBlock);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), block.data(), kFileReadBlock, &got, nullptr)) {
      RecordSystemFailure(L"ReadFile", path);
      return ImageFileRead::ReadFailed;
    }
    if (got == 0 || decoder.Feed({block.data(), got}) != HexDecoder::Status::Reading) break;
  }
  return decoder.Finish() == HexDecoder::Status::TooLarge ? ImageFileRead::TooLarge : ImageFileRead::Read;
}
