#pragma once
// Reading a firmware image file: its text decoded, block by block, into the image bytes.
#include <cstdint>
#include <string>
#include <vector>

enum class ImageFileRead {
  Read,        // the whole text decoded
  CannotOpen,  // the file could not be opened
  ReadFailed,  // reading stopped with an error
  TooLarge,    // the text holds more than an image may
};

// Reads the file at `path` into `image`; a failing system call is recorded with the path.
ImageFileRead ReadImageFile(const std::wstring& path, std::vector<std::uint8_t>& image);
