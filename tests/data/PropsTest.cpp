#include "engine/data/props/PropsNode.h"
#include "engine/data/props/PropsParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "tests/support/TempDir.h"

using namespace engine;

namespace {

bool parse(const std::string& text, PropsTree& tree, const FileSearchPaths* paths = nullptr) {
  MemoryStream stream;
  stream.openOver(text);
  return parseProps(stream, tree, paths);
}

std::vector<std::string> names(const PropsMap& map) {
  std::vector<std::string> out;
  for (const auto& entry : map)
    out.push_back(entry.name);
  return out;
}

std::vector<std::string> values(const PropsMap& map) {
  std::vector<std::string> out;
  for (const auto& entry : map)
    out.push_back(entry.value->value());
  return out;
}

} // namespace

TEST(PropsValues, ConversionsOfValueText) {
  struct Case {
    const char* text;
    double asFloat;
    int asInt;
    bool intOk;
  } cases[] = {
      {"0.1", 0.1, 0, true},
      {"1e3", 1000, 1000, true},
      {"12px", 12, 0, false},
      {"", 0, 0, true},
      {"0x10", 0, 0, false},
      {"2.9", 2.9, 2, true},
      {"-2.9", -2.9, -2, true},
      {"  7", 7, 7, true},
      {"7 ", 7, 0, false},
      {"+3", 3, 3, true},
      {".5", 0.5, 0, true},
      {"5.", 5, 5, true},
      {"abc", 0, 0, false},
      {"inf", 0, 0, false},
      {"nan", 0, 0, false},
      {"1e10", 1e10, 0, false},
      {"-1e400", -HUGE_VAL, 0, false},
      {"1e-400", 0, 0, true},
      {"1e", 1, 0, false},
      {"-", 0, 0, false},
  };
  for (const Case& c : cases) {
    PropsNode node("n", 1);
    node.setValue(c.text);
    EXPECT_EQ(node.asFloat(), c.asFloat) << c.text;
    bool ok = !c.intOk;
    EXPECT_EQ(node.asInt(&ok), c.asInt) << c.text;
    EXPECT_EQ(ok, c.intOk) << c.text;
    EXPECT_EQ(node.asString(), c.text);
  }
}

TEST(PropsValues, CopyIsDeepAndKeepsTheTargetsName) {
  PropsTree tree;
  ASSERT_TRUE(parse("O = object(x = 1, y = array(2, 3)); C = O; O = 5;", tree));
  const PropsNode* copy = tree.findChild("c");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), "C");
  EXPECT_EQ(copy->kind(), PropsKind::Object);
  EXPECT_EQ(names(copy->children()), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(values(copy->findChild("y")->children()), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(copy->findChild("y")->nextIndex(), 2);
  EXPECT_EQ(tree.findChild("O")->value(), "5");
  EXPECT_EQ(tree.findChild("O")->children().count(), 0u);
}

TEST(PropsParser, ShippedLineForms) {
  PropsTree tree;
  ASSERT_TRUE(parse("Ambient    = array(255,255,255);\n"
                    "NearPlane  = 0.1;\n"
                    "Name         = \"font02.dds\";\n"
                    "Animations = array(\"c1.cam\", \"c2.cam\", \"c3.cam\", \"c4.cam\", \"c5.cam\", \"c6.cam\", "
                    "\"c7.cam\", \"c8.cam\", \"c9.cam\", \"c10.cam\");\n"
                    "Styles[0].Charsets = array(\"64font.css\");\n"
                    "Styles[0].Size     = 64;\n"
                    "Sizes[\"0\"] = 37;\n",
                    tree));
  EXPECT_EQ(tree.findChild("nearplane")->value(), "0.1");
  EXPECT_DOUBLE_EQ(tree.getFloat("NEARPLANE", 5), 0.1);
  EXPECT_EQ(tree.getString("Name", ""), "font02.dds");

  const PropsNode* ambient = tree.findChild("Ambient");
  EXPECT_EQ(ambient->kind(), PropsKind::Array);
  EXPECT_EQ(names(ambient->children()), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(values(ambient->children()), (std::vector<std::string>{"255", "255", "255"}));

  const PropsNode* animations = tree.findChild("Animations");
  ASSERT_EQ(animations->children().count(), 10u);
  EXPECT_EQ(animations->findChild("9")->value(), "c10.cam");
  EXPECT_EQ(animations->findChild("0")->value(), "c1.cam");

  const PropsNode* styles = tree.findChild("Styles");
  EXPECT_EQ(styles->kind(), PropsKind::Array);
  EXPECT_EQ(styles->findChild("0")->kind(), PropsKind::Object);
  EXPECT_EQ(styles->findChild("0")->findChild("Size")->value(), "64");
  EXPECT_EQ(tree.getInt("Styles[0].Size", 0), 64);
  EXPECT_EQ(tree.getString("Styles[0].Charsets[0]", ""), "64font.css");
  EXPECT_EQ(names(tree.findChild("Sizes")->children()), std::vector<std::string>{"\"0\""});
  EXPECT_EQ(tree.getInt("Sizes[\"0\"]", 0), 37);
  EXPECT_EQ(tree.getInt("Missing", -7), -7);
  EXPECT_EQ(tree.getString("Styles[1].Size", "none"), "none");
}

TEST(PropsParser, MultiLineListsWithCommentLinesReadAsOneLine) {
  PropsTree spread;
  ASSERT_TRUE(parse("Sizes = array(\r\n"
                    "  // first row\r\n"
                    "  10, 11,\r\n"
                    "// second row\n"
                    "  12\n"
                    "); // done\n"
                    "Next = 1;",
                    spread));
  PropsTree flat;
  ASSERT_TRUE(parse("Sizes = array(10, 11, 12); Next = 1;", flat));
  EXPECT_EQ(values(spread.findChild("Sizes")->children()), values(flat.findChild("Sizes")->children()));
  EXPECT_EQ(spread.getInt("Next", 0), 1);
}

TEST(PropsParser, ReferencesCopyOrCreateEmptyKeys) {
  PropsTree tree;
  ASSERT_TRUE(parse("Base = 5; A = Base; B = Nothing; H = 0x10; W = 12px;", tree));
  EXPECT_EQ(tree.getString("A", ""), "5");
  const PropsNode* b = tree.findChild("B");
  EXPECT_EQ(b->kind(), PropsKind::Value);
  EXPECT_EQ(b->value(), "");
  ASSERT_NE(tree.findChild("Nothing"), nullptr);
  EXPECT_EQ(tree.findChild("Nothing")->value(), "");
  // A hexadecimal number is no decimal number: it names a key.
  ASSERT_NE(tree.findChild("0x10"), nullptr);
  ASSERT_NE(tree.findChild("12px"), nullptr);
  EXPECT_EQ(names(tree), (std::vector<std::string>{"Base", "A", "B", "Nothing", "H", "0x10", "W", "12px"}));
}

TEST(PropsParser, ReassignmentRemovesChildrenAndLaterStatementsWin) {
  PropsTree tree;
  ASSERT_TRUE(parse("K = array(1, 2, 3); K = 4;", tree));
  EXPECT_EQ(tree.findChild("K")->children().count(), 0u);
  EXPECT_EQ(tree.findChild("K")->kind(), PropsKind::Value);
  ASSERT_TRUE(parse("k = array(9);", tree)); // a second parse into the same tree
  EXPECT_EQ(tree.findChild("K")->kind(), PropsKind::Array);
  EXPECT_EQ(tree.findChild("K")->name(), "K");
  EXPECT_EQ(tree.findChild("K")->children().count(), 1u);
}

TEST(PropsParser, AnEmptyStatementEndsTheFile) {
  PropsTree tree;
  ASSERT_TRUE(parse("A = 1;;B = 2;", tree));
  EXPECT_EQ(tree.findChild("B"), nullptr);
  PropsTree commented;
  ASSERT_TRUE(parse("A = 1;\n// nothing here\n  \t;B = 2;", commented));
  EXPECT_EQ(commented.findChild("B"), nullptr);
  EXPECT_EQ(commented.getInt("A", 0), 1);
}

TEST(PropsParser, QuotesCommentsAndOperators) {
  PropsTree tree;
  ASSERT_TRUE(parse("S = 'x;y'; E = \"a\\\"b\"; U = \"open; R => 3;", tree));
  EXPECT_EQ(tree.getString("S", ""), "x;y");
  EXPECT_EQ(tree.getString("E", ""), "a\\\"b"); // escapes stay as written
  // An unclosed quote swallows the rest, ';' included, and keeps its opening quote.
  EXPECT_EQ(tree.getString("U", ""), "\"open; R => 3;");
  EXPECT_EQ(tree.findChild("R"), nullptr);

  PropsTree arrows;
  ASSERT_TRUE(parse("R => 3; Q = a=>b;", arrows));
  EXPECT_EQ(arrows.getString("R", ""), "3");
  ASSERT_NE(arrows.findChild("Q = a"), nullptr); // the first "=>" decides

  // A comment starts at "//" even inside quotes; the statement then runs on.
  PropsTree url;
  ASSERT_TRUE(parse("A = \"http://x\";\nB = 2;", url));
  EXPECT_EQ(url.getString("A", ""), "\"http:B = 2;");
  EXPECT_EQ(url.findChild("B"), nullptr);

  // An '=' inside brackets is no operator, so the statement is ignored at file scope.
  PropsTree bracket;
  ASSERT_TRUE(parse("Sizes[\"=\"] = 5; Sizes[\"a\"] = 6;", bracket));
  EXPECT_EQ(names(bracket), std::vector<std::string>{"Sizes"});
  EXPECT_EQ(names(bracket.findChild("Sizes")->children()), std::vector<std::string>{"\"a\""});
}

TEST(PropsParser, KeyPathsSplitAtTheFirstDotOrBracketEvenInsideBrackets) {
  PropsTree tree;
  ASSERT_TRUE(parse("Sizes[\".\"] = 5; Sizes[\":\"] = 6; Grid[1][2] = 7; Obj.Inner.Leaf = 8; Sp[ 3 ] . x = 9;", tree));
  const PropsNode* sizes = tree.findChild("Sizes");
  EXPECT_EQ(names(sizes->children()), (std::vector<std::string>{"\"", "\":\""}));
  EXPECT_EQ(sizes->findChild("\"")->kind(), PropsKind::Object);
  EXPECT_EQ(sizes->findChild("\"")->findChild("\"]")->value(), "5");
  EXPECT_EQ(tree.getInt("Grid[1][2]", 0), 7);
  EXPECT_EQ(tree.findChild("Grid")->findChild("1")->kind(), PropsKind::Array);
  EXPECT_EQ(tree.findChild("Obj")->kind(), PropsKind::Object);
  EXPECT_EQ(tree.getInt("Obj.Inner.Leaf", 0), 8);
  EXPECT_EQ(tree.getInt("Sp[3].x", 0), 9);
}

TEST(PropsParser, ElementListsNumberAnonymousElementsOnly) {
  PropsTree tree;
  ASSERT_TRUE(
      parse("X = array(0 = 5, 7, 8); O = object(a = 1, b = array(1, array(2, 3)), 4); E = array(1,,2, );", tree));
  const PropsNode* x = tree.findChild("X");
  EXPECT_EQ(names(x->children()), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(values(x->children()), (std::vector<std::string>{"5", "7", "8"}));
  const PropsNode* o = tree.findChild("O");
  EXPECT_EQ(o->kind(), PropsKind::Object);
  EXPECT_EQ(names(o->children()), (std::vector<std::string>{"a", "b", "0"}));
  EXPECT_EQ(tree.getInt("O.b[1][1]", 0), 3);
  // The list is trimmed first, so a trailing comma adds nothing while an inner gap does.
  EXPECT_EQ(values(tree.findChild("E")->children()), (std::vector<std::string>{"1", "", "2"}));
}

TEST(PropsParser, UsingAndIncludeArePrefixTests) {
  PropsTree tree;
  ASSERT_TRUE(parse("using Styles[0]; Size = 64; 5; using; Top = 1; usingFoo = 3; 9; using;"
                    "includeBar = 2; include(\"missing-file.props\"); include(noquotes);",
                    tree));
  EXPECT_EQ(tree.getInt("Styles[0].Size", 0), 64);
  EXPECT_EQ(tree.getInt("Styles[0][0]", 0), 5);
  EXPECT_EQ(tree.findChild("Styles")->findChild("0")->kind(), PropsKind::Object);
  EXPECT_EQ(tree.getInt("Top", 0), 1);
  // "usingFoo = 3" is a using statement whose key path is "Foo = 3".
  const PropsNode* scope = tree.findChild("Foo = 3");
  ASSERT_NE(scope, nullptr);
  EXPECT_EQ(scope->kind(), PropsKind::Object);
  EXPECT_EQ(scope->findChild("0")->value(), "9");
  EXPECT_EQ(tree.getInt("includeBar", 0), 2);
  EXPECT_EQ(names(tree), (std::vector<std::string>{"Styles", "Top", "Foo = 3", "includeBar"}));
}

TEST(PropsParser, IncludeOfAFolderIsAnIncludeThatCannotBeOpened) {
  // Found by fuzzing: "/" followed by a NUL opened the root folder and asked it its size.
  PropsTree tree;
  static const char text[] = "include(\"/\0x\"); include(\"/\"); A = 1;";
  EXPECT_TRUE(parse(std::string(text, sizeof text - 1), tree));
  EXPECT_EQ(tree.getInt("A", 0), 1);
  EXPECT_EQ(names(tree), std::vector<std::string>{"A"});
}

TEST(PropsParser, UnreadableOrEmptyInputFailsAndLeavesTheTree) {
  PropsTree tree;
  ASSERT_TRUE(parse("A = 1;", tree));
  EXPECT_FALSE(parse("", tree));
  EXPECT_EQ(tree.count(), 1u);
  EXPECT_TRUE(parse("   ", tree));
  EXPECT_FALSE(parsePropsFile(FileLocation("/nonexistent/file.props"), tree));
}

TEST(PropsParser, IncludesReadFilesThroughTheSearchPaths) {
  testsupport::TempDir dir;
  dir.write("fonts/common.props", "Size = 14; Color = array(1,2,3);");
  dir.write("fonts/main.props", "Name = \"main\"; include(\"common.props\"); Size = 16;");
  FileSearchPaths paths;
  paths.add(FileLocation((dir.path() / "fonts").string()));
  PropsTree tree;
  ASSERT_TRUE(parsePropsFile(FileLocation("main.props"), tree, &paths));
  EXPECT_EQ(tree.getString("Name", ""), "main");
  EXPECT_EQ(tree.getInt("Size", 0), 16);
  EXPECT_EQ(tree.getInt("Color[2]", 0), 3);
}

TEST(PropsParser, IncludeCyclesStopAndFailThatInclude) {
  testsupport::TempDir dir;
  dir.write("self.props", "A = 1; include(\"self.props\"); B = 2;");
  dir.write("one.props", "One = 1; include(\"two.props\");");
  dir.write("two.props", "Two = 2; include(\"one.props\"); After = 3;");
  FileSearchPaths paths;
  paths.add(FileLocation(dir.path().string()));

  PropsTree self;
  LogCapture log;
  EXPECT_FALSE(parsePropsFile(FileLocation("self.props"), self, &paths));
  EXPECT_EQ(self.getInt("B", 0), 2);
  ASSERT_FALSE(log.lines().empty());
  EXPECT_NE(log.lines()[0].find("includes itself"), std::string::npos);

  PropsTree loop;
  EXPECT_FALSE(parsePropsFile(FileLocation("one.props"), loop, &paths));
  EXPECT_EQ(loop.getInt("Two", 0), 2);
  EXPECT_EQ(loop.getInt("After", 0), 3);

  // Read from a bare stream the file is not known by name: one extra round, then it stops.
  const std::string text = "Count = 1; include(\"self.props\");";
  PropsTree stream;
  EXPECT_FALSE(parse(text, stream, &paths));
}

TEST(PropsParser, HostileNestingFailsWithoutExhaustingTheStack) {
  LogCapture log;
  std::string arrays;
  for (int i = 0; i < 100000; ++i)
    arrays += "array(";
  arrays += "1";
  arrays.append(100000, ')');
  PropsTree deepArrays;
  EXPECT_FALSE(parse("A = " + arrays + "; B = 2;", deepArrays));
  EXPECT_EQ(deepArrays.getInt("B", 0), 2);

  std::string path = "k";
  for (int i = 0; i < 100000; ++i)
    path += ".k";
  PropsTree deepPath;
  EXPECT_FALSE(parse(path + " = 1; C = 3;", deepPath));
  EXPECT_EQ(deepPath.getInt("C", 0), 3);

  // Within the limit nothing fails.
  std::string fine = "k";
  for (int i = 1; i < PropsMap::kMaxDepth; ++i)
    fine += ".k";
  PropsTree limit;
  EXPECT_TRUE(parse(fine + " = 1;", limit));
  EXPECT_EQ(limit.getInt(fine, 0), 1);
  // A copy that would hang below the limit is refused.
  EXPECT_FALSE(parse("x.y = k;", limit));

  // Copies that double at every statement stop once a parse has copied 2^17 nodes.
  std::string doubling = "K0 = array(1, 2);";
  for (int i = 1; i < 40; ++i)
    doubling +=
        " K" + std::to_string(i) + " = object(a = K" + std::to_string(i - 1) + ", b = K" + std::to_string(i - 1) + ");";
  PropsTree laughs;
  EXPECT_FALSE(parse(doubling + " Last = 1;", laughs));
  EXPECT_EQ(laughs.getInt("Last", 0), 1);
  // K14 holds 2^16 - 2 nodes; copying it twice more would pass the budget.
  EXPECT_TRUE(log.contains("Error: props copies grow too large at K14\n"));
  EXPECT_EQ(laughs.findChild("K14")->descendantCount(), (1u << 16) - 2);
  EXPECT_EQ(laughs.findChild("K15")->findChild("a")->descendantCount(), 0u);

  // An element that reassigns the list's own ancestors takes it out of the tree; the
  // list keeps being filled without harm.
  testsupport::TempDir dir;
  dir.write("reset.props", "a = 1; Scope = 0;");
  FileSearchPaths paths;
  paths.add(FileLocation(dir.path().string()));
  PropsTree tree;
  EXPECT_TRUE(
      parse("a = array(array(include(\"reset.props\"), 5), 6); using Scope.Inner; include(\"reset.props\"); X = 1;",
            tree, &paths));
  EXPECT_EQ(tree.getString("a", "?"), "1");
  EXPECT_EQ(tree.getString("Scope", "?"), "0");
}
