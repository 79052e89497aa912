// The markup reader and style resolution without fonts: tags, attributes, RAW sections,
// markup that is not markup, attribute numbers and the styles nodes take.
#include <gtest/gtest.h>

#include "engine/core/WideString.h"
#include "engine/gui/text/MarkupReader.h"
#include "engine/gui/text/TextEditor.h"
#include "engine/gui/text/TextStyles.h"

namespace {

using namespace engine;

// The tree as text: elements as <tag a=v>...</tag>, runs as "characters".
std::string dump(const TextNode& node) {
  if (node.isText) return "\"" + narrow(node.text, TextEncoding::Utf8) + "\"";
  std::string out = "<" + narrow(node.tagName, TextEncoding::Utf8);
  for (const auto& [name, value] : node.attributes)
    out += " " + narrow(name, TextEncoding::Utf8) + "=" + narrow(value, TextEncoding::Utf8);
  out += ">";
  for (const auto& child : node.children)
    out += dump(*child);
  return out + "</>";
}

std::string parsed(std::u16string_view markup) {
  TextNode root;
  root.tagName = u"root";
  readMarkup(markup, root);
  return dump(root);
}

TEST(Markup, TagsAttributesAndRawSections) {
  EXPECT_EQ(parsed(u"a<B>bold <I>both</I></B>c"), "<root>\"a\"<B>\"bold \"<I>\"both\"</></>\"c\"</>");
  EXPECT_EQ(parsed(u"<font Size=\"20\" Color='4278190335' TextFloat>x</font>"),
            "<root><font Color=4278190335 Size=20 TextFloat=>\"x\"</></>");
  EXPECT_EQ(parsed(u"<IMG Src=pic.png Width=8/>after"), "<root><IMG Src=pic.png Width=8></>\"after\"</>");
  // IMG holds nothing even when not written as self-closing.
  EXPECT_EQ(parsed(u"<img src=a>b"), "<root><img src=a></>\"b\"</>");
  // Inside RAW everything is literal, up to the closing tag in any letter case.
  EXPECT_EQ(parsed(u"<RAW>12:05 <pm> & <B></raw>x"), "<root><RAW>\"12:05 <pm> & <B>\"</>\"x\"</>");
  EXPECT_EQ(parsed(u"<RAW>open to the end"), "<root><RAW>\"open to the end\"</></>");
}

TEST(Markup, WhatIsNoWellFormedTagIsText) {
  EXPECT_EQ(parsed(u"1 < 2 and 3 > 2"), "<root>\"1 < 2 and 3 > 2\"</>");
  EXPECT_EQ(parsed(u"<B unclosed"), "<root>\"<B unclosed\"</>");
  EXPECT_EQ(parsed(u"<a x=\"never closed>"), "<root>\"<a x=\"never closed>\"</>");
  EXPECT_EQ(parsed(u"</nothing>text</B>"), "<root>\"text\"</>");
  // A closing tag closes the elements inside the one it names.
  EXPECT_EQ(parsed(u"<B><I>x</B>y"), "<root><B><I>\"x\"</></>\"y\"</>");
  // Deep nesting stops at the limit; the text is kept.
  std::u16string deep;
  for (int i = 0; i < 1000; ++i)
    deep += u"<B>";
  deep += u"x";
  const std::string tree = parsed(deep);
  std::size_t elements = 0;
  for (std::size_t at = tree.find("<B>"); at != std::string::npos; at = tree.find("<B>", at + 1))
    ++elements;
  EXPECT_EQ(elements, static_cast<std::size_t>(kMaxMarkupDepth));
  EXPECT_NE(tree.find("\"x\""), std::string::npos);
}

TEST(Markup, AttributeNumbers) {
  EXPECT_EQ(attributeNumber(u"42"), 42);
  EXPECT_EQ(attributeNumber(u" 12.75 "), 12);
  EXPECT_EQ(attributeNumber(u"-3"), -3);
  EXPECT_EQ(attributeNumber(u"4294901760"), 4294901760LL);
  EXPECT_EQ(attributeNumber(u"12px"), 0);
  EXPECT_EQ(attributeNumber(u""), 0);
  EXPECT_EQ(attributeNumber(u"0x10"), 0);
  EXPECT_EQ(attributeNumber(u"99999999999999999999999"), 0);
}

TEST(Markup, StylesFollowTagsThenAttributesInOrder) {
  TextNode root;
  root.tagName = u"root";
  readMarkup(u"<B Size=20 CharSpace=2 Color=4294901760>a<N Italic BGColor=2164260863>b</N><I RowSpace=7>c</I></B>",
             root);
  TextStyle base;
  base.scale = 2.0f;
  resolveStyles(root, base, nullptr);
  const TextNode& bold = *root.children[0];
  EXPECT_EQ(bold.style.size, 20);
  EXPECT_EQ(bold.style.flags, kTextBold);
  EXPECT_EQ(bold.style.charSpace, 2);
  EXPECT_FLOAT_EQ(bold.style.scale, 2.0f);
  EXPECT_EQ(toColor(bold.style.color), 0xFFFF0000u);
  const TextNode& normal = *bold.children[1];
  // "Normal" clears bold and the italic its own attribute set.
  EXPECT_EQ(normal.style.flags, 0u);
  EXPECT_EQ(toColor(normal.style.bgColor), 0x80FFFFFFu);
  EXPECT_EQ(normal.children[0]->style.size, 20);
  const TextNode& italic = *bold.children[2];
  EXPECT_EQ(italic.style.flags, kTextBold | kTextItalic);
  EXPECT_EQ(italic.style.rowSpace, 7);
  // Without fonts every character is in a run without charset.
  EXPECT_EQ(bold.children[0]->charsetRuns.size(), 1u);
  EXPECT_EQ(bold.children[0]->charsetAt(0), nullptr);
}

TEST(TextEditing, KeysTypeAndEdit) {
  std::u16string text = u"ab";
  TextEditor editor;
  EXPECT_TRUE(editor.key(35, text)); // h, at the end
  EXPECT_TRUE(editor.key(23, text)); // i
  EXPECT_EQ(text, u"abhi");
  EXPECT_TRUE(editor.key(14, text));
  EXPECT_TRUE(editor.key(28, text));
  EXPECT_EQ(text, u"abh\n");
  editor.press(1);
  editor.extend(3);
  EXPECT_TRUE(editor.key(44, text)); // z replaces "bh"
  EXPECT_EQ(text, u"az\n");
  EXPECT_FALSE(editor.key(15, text));
  editor.press(0);
  EXPECT_FALSE(editor.key(14, text)); // nothing before the caret
  editor.key(1, text);
  EXPECT_FALSE(editor.editing());
}

} // namespace
