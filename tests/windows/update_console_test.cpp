// PelnixCpl.exe -u under Wine, standard output byte for byte: the file lookup, every
// rejection of an image, and a valid image with no touch screen attached.
#include <gtest/gtest.h>

#include <string>

#include "support/process_runner.h"
#include "support/update_test_images.h"
#include "update/core/hex_decoder.h"

using namespace update_test;

namespace {

// Test paths are ASCII: the ANSI text the program prints is the same.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

const std::string kPressToExit = "Press any key to exit......\r\n";

class UpdateConsole : public ::testing::Test {
protected:
  ProgramResult Run(const std::wstring& argument) {
    ProgramResult result = RunProgram(DistProgram() + L" -u " + argument, m_folder.path());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    return result;
  }
  std::wstring Write(const std::wstring& name, const std::string& text) {
    WriteFileBytes(m_folder.File(name), text);
    return m_folder.File(name);
  }
  std::string Path(const std::wstring& name) { return Narrow(m_folder.File(name)); }

  TempFolder m_folder;
};

}  // namespace

TEST_F(UpdateConsole, MissingFileIsLookedUpInTheCurrentDirectory) {
  EXPECT_EQ(Run(L"fw.hex").output, "\r\n" + Path(L"fw.hex") + " doesn't exist!\r\n" + kPressToExit);
  // A name with a backslash is used as it is; one with only a slash is below the current one.
  EXPECT_EQ(Run(L"sub\\fw.hex").output, "\r\nsub\\fw.hex doesn't exist!\r\n" + kPressToExit);
  EXPECT_EQ(Run(L"sub/x.bin").output, "\r\n" + Path(L"sub/x.bin") + " doesn't exist!\r\n" + kPressToExit);
}

TEST_F(UpdateConsole, BareNameIsFoundInTheCurrentDirectory) {
  Write(L"fw.hex", ToHexText(MakeImage(MakeBlock(10))));
  EXPECT_EQ(Run(L"fw.hex").output, "\r\n");
  CreateDirectoryW(m_folder.File(L"sub").c_str(), nullptr);
  Write(L"sub\\fw.hex", ToHexText(MakeImage(MakeBlock(10))));
  EXPECT_EQ(Run(L"sub\\fw.hex").output, "\r\n");
  EXPECT_EQ(Run(L"sub/fw.hex").output, "\r\n");
}

TEST_F(UpdateConsole, UnreadableFile) {
  const std::wstring path = Write(L"locked.hex", ToHexText(MakeImage(MakeBlock(10))));
  // Held open without sharing: it exists, but cannot be opened.
  HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::string output = Run(L"locked.hex").output;
  CloseHandle(lock);
  EXPECT_EQ(output, "\r\nCan't open  file " + Narrow(path) +
                        ",Please check the filename or file path!\r\n" + kPressToExit);
  // A folder exists too, and cannot be read as an image.
  CreateDirectoryW(m_folder.File(L"folder").c_str(), nullptr);
  EXPECT_EQ(Run(L"folder").output, "\r\nCan't open  file " + Path(L"folder") +
                                       ",Please check the filename or file path!\r\n" + kPressToExit);
}

TEST_F(UpdateConsole, DamagedFile) {
  Bytes image = MakeImage(MakeBlock(30));
  image[25] ^= 0x40;
  Write(L"fw.hex", ToHexText(image));
  EXPECT_EQ(Run(L"fw.hex").output,
            "\r\nthe file you selected has been destroyed or changed,Please check!\r\n" + kPressToExit);
}

TEST_F(UpdateConsole, ImagesThatWouldBeReadOutOfBoundsAreRejected) {
  Write(L"short.hex", "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14\r\n");
  EXPECT_EQ(Run(L"short.hex").output,
            "\r\nthe file you selected is too short to be a firmware image,Please check!\r\n" + kPressToExit);
  Write(L"length.hex", ToHexText(MakeImage(MakeBlock(10), 100)));
  EXPECT_EQ(Run(L"length.hex").output,
            "\r\nthe file you selected has a data length beyond its end,Please check!\r\n" + kPressToExit);
  Write(L"block.hex", ToHexText(MakeImage({0x01, 0x00, 1, 2, 3})));
  EXPECT_EQ(Run(L"block.hex").output,
            "\r\nthe file you selected has a block beyond its end,Please check!\r\n" + kPressToExit);
  std::string large;
  for (std::size_t i = 0; i <= kMaxImageBytes; ++i) large += "00 ";
  Write(L"large.hex", large);
  EXPECT_EQ(Run(L"large.hex").output,
            "\r\nthe file you selected is larger than 262144 bytes,Please check!\r\n" + kPressToExit);
}

TEST_F(UpdateConsole, ValidImageWithNoTouchScreenPrintsNothingAfterTheCheck) {
  Write(L"fw.hex", ToHexText(MakeImage(Concat({MakeBlock(100), MakeBlock(3)}))));
  EXPECT_EQ(Run(L"fw.hex").output, "\r\n");
  // Text that is not hex ends the image.
  Write(L"fw2.hex", ToHexText(MakeImage(MakeBlock(5))) + "\r\n-- end of image --\r\n");
  EXPECT_EQ(Run(L"fw2.hex").output, "\r\n");
}

// The demo build: the program itself with two simulated touch screens, both updated.
TEST_F(UpdateConsole, DemoBuildUpdatesBothSimulatedTouchScreens) {
  const std::wstring demo = DemoPath(L"PelnixCpl.exe");
  if (GetFileAttributesW(demo.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no demo build";
  Write(L"fw.hex", ToHexText(MakeImage(MakeBlock(120))));  // one block of three chunks
  ProgramResult result = RunProgram(L"\"" + demo + L"\" -u fw.hex", m_folder.path(), 60000);
  EXPECT_FALSE(result.timedOut);
  // Only what the program writes itself: whatever cls prints here is taken out.
  const std::string cls = RunProgram(L"cmd /c cls", m_folder.path()).output;
  for (std::size_t at; !cls.empty() && (at = result.output.find(cls)) != std::string::npos;)
    result.output.erase(at, cls.size());
  const std::string one =
      "Note:Please don't close the console or remove the touch Screen!\r\n"
      "Please wait a moment for updating!\r\n"
      "Updating...0%Updating...0%Updating...0%Updating...100%"
      "\r\nUpdate successfully!\r\nPress any key to continue......";
  EXPECT_EQ(result.output, "\r\n" + one + one);
}
