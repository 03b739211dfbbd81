// The pre-scan that counts what TinyXML would build: exact counts for the shapes it has to follow,
// and never less than TinyXML builds from random markup.
#include "support/XmlParserLoad.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <random>
#include <string>

namespace VFoundation {
namespace {

struct CountCase {
  const char* why;
  std::string text;
  int64_t nodes;
  int64_t attributes;
  int64_t attributeComparisons;
  int deepestNesting;
};

TEST(XmlParserLoadTest, CountsFollowTinyXmlsReading) {
  const std::string longName(64, 'n');
  const CountCase cases[] = {
      {"a state document",
       "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<root StateVersion=\"2.2\" Oversample=\"2\">"
       "<TimeInfo name=\"TimeInfo\" Tempo=\"120\" TSN=\"4\"/><VString name=\"N\">Name</VString>"
       "</root>",
       4, 6, 1 + 3, 2},
      {"markup inside comments, CDATA and values",
       "<root a=\"<b/>\" b='>'><!-- <c/> -->"
       "<![CDATA[<d/>]]><!DOCTYPE x></root>",
       4, 2, 1, 1},
      {"'<' before no name is read to the first '>'", "<root>< \"><b/>\"<1 '><c/>'</root>", 5, 0, 0,
       2},
      {"an end tag outside any element", "</x><root/>", 2, 0, 0, 1},
      {"a declaration value holding '>'", "<?xml version=\"><!--\" ?><root/><!---->", 3, 0, 0, 1},
      {"other declaration text ends at '>'", "<?XML foo=\"><root/>\"", 2, 0, 0, 1},
      {"a hex reference reaching over a comment", "<root>&#x<!-- x41;<b/>--></root>", 2, 0, 0, 2},
      {"a decimal reference reaching over a comment", "<root>&#<!-- #65;<b/>--></root>", 2, 0, 0,
       2},
      {"a reference that does not read", "<root>&#x<!-- 4g1;<b/>--></root>", 2, 0, 0, 1},
      {"a reference inside a value reaching past its quote",
       "<root a=\"&#x\" b='x41;\"><c/>'/></root>", 2, 1, 0, 2},
      {"long names count once more per 64 bytes",
       "<root b=\"1\" " + longName + "=\"2\" c = \"3\"/>", 1, 3, 2 + 2, 1},
      {"self-closing elements do not nest", "<root><a/><a/><a><b/></a></root>", 5, 0, 0, 3},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.why);
    const XmlParserLoad load = CountXmlParserLoad(c.text);
    EXPECT_EQ(load.nodes, c.nodes);
    EXPECT_EQ(load.attributes, c.attributes);
    EXPECT_EQ(load.attributeComparisons, c.attributeComparisons);
    EXPECT_EQ(load.deepestNesting, c.deepestNesting);
    EXPECT_FALSE(load.localeDependentDeclaration);
  }
}

TEST(XmlParserLoadTest, DeclarationsOutsideAsciiAreFlagged) {
  EXPECT_TRUE(
      CountXmlParserLoad("<?xml x\xC2\xA0version=\"1\" ?><root/>").localeDependentDeclaration);
  EXPECT_TRUE(
      CountXmlParserLoad("<?xml \xEF\xBB\xBFversion=\"1\"?><root/>").localeDependentDeclaration);
  // Text outside ASCII inside a quoted value is read the same in every locale.
  EXPECT_FALSE(
      CountXmlParserLoad("<?xml version=\"\xC3\xA9\"?><root/>").localeDependentDeclaration);
}

// What TinyXML built, counted the way the scan counts.
void CountBuilt(const TiXmlNode* parent, int depth, XmlParserLoad& built) {
  for (const TiXmlNode* child = parent->FirstChild(); child; child = child->NextSibling()) {
    const TiXmlText* text = child->ToText();
    if (!text || text->CDATA()) ++built.nodes;
    const TiXmlElement* element = child->ToElement();
    if (!element) continue;
    built.deepestNesting = std::max(built.deepestNesting, depth + 1);
    int64_t attributes = 0;
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) ++attributes;
    built.attributes += attributes;
    built.attributeComparisons += attributes * (attributes - 1) / 2;
    CountBuilt(child, depth + 1, built);
  }
}

// Random markup, mostly malformed, from the pieces that steer TinyXML's reading.
TEST(XmlParserLoadTest, NeverCountsLessThanTinyXmlBuilds) {
  const char* pieces[] = {"<",        ">",    "/",      "root",      "a",     "b",     "=",
                          "\"",       "'",    " ",      "\n",        "<?xml", "<?XML", "version",
                          "encoding", "<!--", "-->",    "<![CDATA[", "]]>",   "</",    "/>",
                          "<!",       "<?",   "&#x41;", "&#x",       ";",     "&amp;", "&#",
                          "&#65;",    "x",    "#",      "4",         "f",     "_",     "-",
                          "\xC3\xA9", "<a ",  "x='",    " y=\"",     "<b>",   "</a>",  "?>"};
  std::mt19937 random(2024);
  for (int round = 0; round < 100000; ++round) {
    std::string text;
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
    const XmlParserLoad load = CountXmlParserLoad(text);
    if (load.localeDependentDeclaration) continue;
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    XmlParserLoad built;
    CountBuilt(&document, 0, built);
    ASSERT_LE(built.nodes, load.nodes) << text;
    ASSERT_LE(built.attributes, load.attributes) << text;
    ASSERT_LE(built.attributeComparisons, load.attributeComparisons) << text;
    ASSERT_LE(built.deepestNesting, load.deepestNesting) << text;
  }
}

}  // namespace
}  // namespace VFoundation
