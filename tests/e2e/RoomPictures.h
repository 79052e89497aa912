// How the end-to-end tests judge a screenshot of the saver from afar.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>

#include "tests/e2e/TickwoodFixture.h"

namespace e2e {

// What a frame of the room looks like from afar: many colours, neither black nor white.
inline ::testing::AssertionResult showsTheRoom(const std::filesystem::path& file) {
  d3dx9::Image image;
  if (!readPicture(file, image)) return ::testing::AssertionFailure() << file << " is no PNG";
  std::set<std::uint32_t> colours;
  double luma = 0.0;
  for (std::uint32_t pixel : image.pixels) {
    colours.insert(pixel & 0xFFFFFF);
    luma += (((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF)) / 3.0;
  }
  luma /= double(image.pixels.size());
  if (colours.size() < 500 || luma < 10.0 || luma > 230.0)
    return ::testing::AssertionFailure() << file << ": " << colours.size() << " colours, mean brightness " << luma;
  return ::testing::AssertionSuccess();
}

// The same for a frame that may fall into a tour's fade from or to black: the room's many
// colours survive the fade, its brightness does not.
inline ::testing::AssertionResult showsTheRoomPerhapsFaded(const std::filesystem::path& file) {
  d3dx9::Image image;
  if (!readPicture(file, image)) return ::testing::AssertionFailure() << file << " is no PNG";
  std::set<std::uint32_t> colours;
  for (std::uint32_t pixel : image.pixels)
    colours.insert(pixel & 0xFFFFFF);
  if (colours.size() < 100) return ::testing::AssertionFailure() << file << ": " << colours.size() << " colours";
  return ::testing::AssertionSuccess();
}

// A frame of nothing but a green background (whatever lightning does to the screen's ramp).
inline ::testing::AssertionResult onlyGreenBackground(const std::filesystem::path& file, d3dx9::Image& image) {
  if (!readPicture(file, image)) return ::testing::AssertionFailure() << file << " is no PNG";
  const std::uint32_t first = image.pixels.front() & 0xFFFFFF;
  const int r = (first >> 16) & 0xFF, g = (first >> 8) & 0xFF, b = first & 0xFF;
  const long other = std::count_if(image.pixels.begin(), image.pixels.end(),
                                   [&](std::uint32_t pixel) { return (pixel & 0xFFFFFF) != first; });
  if (other != 0 || g < r + 40 || g < b + 40)
    return ::testing::AssertionFailure() << file << ": " << other << " pixels differ from " << std::hex << first;
  return ::testing::AssertionSuccess();
}

} // namespace e2e
