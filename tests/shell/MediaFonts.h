// The start-up loads "/sylfaen.fs" and "/64font.fs" from the media and stops without the
// first. Test programs that start the saver run in a folder whose "Media" holds small
// stand-ins of both fonts (cells of solid white glyph boxes), which a Media folder serves before any
// archive, so that every test's start-up finds them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3dx9/ImageEncoder.h"
#include "tests/support/TempDir.h"

namespace shelltest {

// A font of one charset, "<font>.fs" with "<charset>.css" and "<charset>.png", covering the
// printable ASCII characters in cells of `cell` pixels, 16 to a row: file names and bytes.
inline std::vector<std::pair<std::string, std::string>> testFontFiles(const std::string& font,
                                                                      const std::string& charset, int size, int cell) {
  const auto side = static_cast<UINT>(cell * 16);
  d3dx9::Image image = d3dx9::blankImage(side, side);
  for (UINT y = 0; y < side; ++y)
    for (UINT x = 0; x < side; ++x)
      if (x % static_cast<UINT>(cell) > 0 && y % static_cast<UINT>(cell) > 0) image.at(x, y) = 0xFFFFFFFFu;
  std::vector<BYTE> png;
  d3dx9::encodePng(image, true, png);
  return {{charset + ".png", std::string(png.begin(), png.end())},
          {charset + ".css", "Name = \"" + charset + ".png\"; CharsPerLine = 16; CharWidth = " + std::to_string(cell) +
                                 "; CharHeight = " + std::to_string(cell) + "; StartChar = 32; EndChar = 126;"},
          {font + ".fs",
           "Styles[0].Size = " + std::to_string(size) + "; Styles[0].Charsets = array(\"" + charset + ".css\");"}};
}

inline void writeTestFont(const testsupport::TempDir& folder, const std::string& font, const std::string& charset,
                          int size, int cell) {
  for (const auto& [name, bytes] : testFontFiles(font, charset, size, cell))
    folder.write("Media/" + name, bytes);
}

class MediaFonts : public ::testing::Environment {
public:
  void SetUp() override {
    folder_ = std::make_unique<testsupport::TempDir>();
    writeTestFont(*folder_, "sylfaen", "sylfaen_eng_14", 14, 8);
    writeTestFont(*folder_, "64font", "64font", 64, 16);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_->path());
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    folder_.reset();
  }

private:
  std::unique_ptr<testsupport::TempDir> folder_;
  std::filesystem::path previous_;
};

} // namespace shelltest
