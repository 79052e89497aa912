#include "engine/core/WideString.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {
const std::u16string kSample = u"Tick \u00E9\u20AC \U0001F570 end"; // includes a pair above 0xFFFF
}

TEST(WideString, EveryEncodingRoundTrips) {
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf32LE,
                         TextEncoding::Utf32BE}) {
    EXPECT_EQ(widen(narrow(kSample, e), e), kSample) << static_cast<int>(e);
  }
  const std::u16string western = u"caf\u00E9 \u20AC5 \u2013 ok";
  EXPECT_EQ(widen(narrow(western, TextEncoding::SystemCodePage)), western);
}

TEST(WideString, KnownByteSequences) {
  EXPECT_EQ(narrow(u"\U0001F570", TextEncoding::Utf8), "\xF0\x9F\x95\xB0");
  EXPECT_EQ(widen("\xF0\x9F\x95\xB0", TextEncoding::Utf8), std::u16string({0xD83D, 0xDD70}));
  EXPECT_EQ(narrow(u"A", TextEncoding::Utf16BE), std::string("\0A", 2));
  EXPECT_EQ(narrow(u"A", TextEncoding::Utf16LE), std::string("A\0", 2));
  EXPECT_EQ(narrow(u"A", TextEncoding::Utf32BE), std::string("\0\0\0A", 4));
  EXPECT_EQ(widen(std::string("\x70\xF5\x01\x00", 4), TextEncoding::Utf32LE), std::u16string({0xD83D, 0xDD70}));
  EXPECT_EQ(widen("\x80\x9F", TextEncoding::SystemCodePage), std::u16string({0x20AC, 0x0178}));
  EXPECT_EQ(narrow(u"\u4E2D", TextEncoding::SystemCodePage), "?");
}

TEST(WideString, MalformedUtf8BecomesReplacementCharacters) {
  const char16_t R = kReplacementCharacter;
  EXPECT_EQ(widen("a\xC3", TextEncoding::Utf8), std::u16string({u'a', R}));               // truncated tail
  EXPECT_EQ(widen("\xC0\xAF", TextEncoding::Utf8), std::u16string({R, R}));               // overlong '/'
  EXPECT_EQ(widen("\xED\xA0\x80", TextEncoding::Utf8), std::u16string({R, R, R}));        // encoded surrogate
  EXPECT_EQ(widen("\xF4\x90\x80\x80", TextEncoding::Utf8), std::u16string({R, R, R, R})); // > 0x10FFFF
  EXPECT_EQ(widen("\xE2\x82x", TextEncoding::Utf8), std::u16string({R, u'x'}));           // broken in the middle
  EXPECT_EQ(widen("\x80", TextEncoding::Utf8), std::u16string({R}));                      // lone continuation
}

TEST(WideString, TruncatedAndInvalidUnitsAreReplaced) {
  const char16_t R = kReplacementCharacter;
  EXPECT_EQ(widen(std::string("A\0B", 3), TextEncoding::Utf16LE), std::u16string({u'A', R}));
  EXPECT_EQ(widen(std::string("\0\0\0A\0\0", 6), TextEncoding::Utf32BE), std::u16string({u'A', R}));
  EXPECT_EQ(widen(std::string("\0\x11\0\0", 4), TextEncoding::Utf32BE), std::u16string({R})); // 0x110000
  EXPECT_EQ(widen(std::string("\0\xD8\0\0", 4), TextEncoding::Utf32LE), std::u16string({R})); // surrogate
  // Unpaired surrogates never reach the byte encodings.
  const std::u16string lone({u'x', 0xD800, u'y', 0xDC00});
  EXPECT_EQ(narrow(lone, TextEncoding::Utf8), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
  EXPECT_EQ(widen(narrow(lone, TextEncoding::Utf16LE), TextEncoding::Utf16LE), std::u16string({u'x', R, u'y', R}));
  EXPECT_TRUE(widen("", TextEncoding::Utf16BE).empty());
}

TEST(WideString, EncodingNumbersAreOneToSix) {
  EXPECT_FALSE(isValidEncoding(0));
  EXPECT_TRUE(isValidEncoding(1));
  EXPECT_TRUE(isValidEncoding(6));
  EXPECT_FALSE(isValidEncoding(7));
}
