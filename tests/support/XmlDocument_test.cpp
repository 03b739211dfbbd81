// The XML document layer: named values and objects, string objects, files and malformed input.
#include "support/XmlDocument.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "support/Log.h"
#include "support/Paths.h"

namespace VFoundation {
namespace {

std::string Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

class XmlTest : public testing::Test {
 protected:
  void SetUp() override { document_.CreateNew("root"); }
  XmlNode Root() { return document_.Root(); }
  std::string Attribute(const char* name) {
    std::string text;
    EXPECT_TRUE(Root().ReadString(name, text)) << name;
    return text;
  }
  XmlDocument document_;
};

TEST_F(XmlTest, DoublesAreStoredWithSixteenSignificantDigits) {
  const double values[] = {0.0,   0.1,     -0.25,   1.0 / 3.0,          512.0, 2.2, 1e-20,
                           1e300, -7.5e-5, 44100.0, 123456789.123456789};
  for (const double value : values) {
    Root().WriteDouble("Value", value);
    EXPECT_EQ(Attribute("Value"), Printf("%.16g", value));
    double read = -1.0;
    ASSERT_TRUE(Root().ReadDouble("Value", read));
    EXPECT_NEAR(read, value, std::abs(value) * 1e-15);
  }
}

TEST_F(XmlTest, IntegersAndBooleansAreStoredAsPrintfText) {
  Root().WriteInt("Oversample", 2);
  Root().WriteInt("Negative", -2147483647 - 1);
  Root().WriteInt64("Big", (int64_t{1} << 40) + 3);
  Root().WriteBool("On", true);
  Root().WriteBool("Off", false);
  EXPECT_EQ(Attribute("Oversample"), "2");
  EXPECT_EQ(Attribute("Negative"), "-2147483648");
  EXPECT_EQ(Attribute("Big"), "1099511627779");
  EXPECT_EQ(Attribute("On"), "true");
  EXPECT_EQ(Attribute("Off"), "false");

  int32_t i = 0;
  int64_t big = 0;
  bool on = false, off = true;
  EXPECT_TRUE(Root().ReadInt("Negative", i));
  EXPECT_EQ(i, -2147483647 - 1);
  EXPECT_TRUE(Root().ReadInt64("Big", big));
  EXPECT_EQ(big, (int64_t{1} << 40) + 3);
  EXPECT_TRUE(Root().ReadBool("On", on));
  EXPECT_TRUE(Root().ReadBool("Off", off));
  EXPECT_TRUE(on);
  EXPECT_FALSE(off);
}

TEST_F(XmlTest, MalformedValuesLeaveTheTargetUntouched) {
  struct Case {
    const char* text;
    bool intOk;
    int32_t intValue;
    bool doubleOk;
    double doubleValue;
  };
  const Case cases[] = {
      {"12", true, 12, true, 12.0},
      {" 7 ", true, 7, true, 7.0},
      {"+3", true, 3, true, 3.0},
      {"-0.5", false, 0, true, -0.5},
      {"12abc", false, 0, false, 0},
      {"", false, 0, false, 0},
      {"2147483648", false, 0, true, 2147483648.0},
      {"0x10", false, 0, false, 0},
      {"nan", false, 0, false, 0},
      {"inf", false, 0, false, 0},
      {"1e999", false, 0, false, 0},
      {"0,5", false, 0, false, 0},
  };
  for (const Case& c : cases) {
    Root().WriteString("V", c.text);
    int32_t i = -99;
    double d = -99.0;
    EXPECT_EQ(Root().ReadInt("V", i), c.intOk) << c.text;
    EXPECT_EQ(i, c.intOk ? c.intValue : -99) << c.text;
    EXPECT_EQ(Root().ReadDouble("V", d), c.doubleOk) << c.text;
    EXPECT_EQ(d, c.doubleOk ? c.doubleValue : -99.0) << c.text;
  }
  float f = -99.0f;
  Root().WriteString("V", "1e39");
  EXPECT_FALSE(Root().ReadFloat("V", f));
  EXPECT_EQ(f, -99.0f);
  int32_t missing = -99;
  EXPECT_FALSE(Root().ReadInt("Missing", missing));
  EXPECT_EQ(missing, -99);
  EXPECT_FALSE(Root().Has("Missing"));
}

TEST_F(XmlTest, BooleansAcceptTheUsualSpellings) {
  const std::pair<const char*, int> cases[] = {
      {"true", 1},  {"True", 1},  {"TRUE", 1}, {"yes", 1}, {"Yes", 1},    {"1", 1}, {"on", 1},
      {"false", 0}, {"False", 0}, {"no", 0},   {"0", 0},   {"maybe", -1}, {"", -1},
  };
  for (const auto& [text, expected] : cases) {
    Root().WriteString("B", text);
    bool value = false;
    const bool ok = Root().ReadBool("B", value);
    EXPECT_EQ(ok, expected >= 0) << text;
    if (ok) {
      EXPECT_EQ(value, expected == 1) << text;
    }
  }
}

TEST_F(XmlTest, FloatArraysReadWhatIsThereAndSkipBadEntries) {
  const float written[] = {0.1f, -2.5f, 3.0f};
  Root().WriteFloatArray("Curve", written, 3);
  EXPECT_EQ(Attribute("Curve"), "0.100000001 -2.5 3");
  float read[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(Root().ReadFloatArray("Curve", read, 5), 3);
  EXPECT_EQ(read[0], 0.1f);
  EXPECT_EQ(read[1], -2.5f);
  EXPECT_EQ(read[2], 3.0f);
  EXPECT_EQ(read[3], 9.0f);

  Root().WriteString("Damaged", "1 x 3 4");
  float partial[3] = {9, 9, 9};
  EXPECT_EQ(Root().ReadFloatArray("Damaged", partial, 3), 2);
  EXPECT_EQ(partial[0], 1.0f);
  EXPECT_EQ(partial[1], 9.0f);
  EXPECT_EQ(partial[2], 3.0f);
  EXPECT_EQ(Root().ReadFloatArray("Missing", partial, 3), 0);
}

TEST_F(XmlTest, ObjectsAreTaggedByClassAndFoundByName) {
  XmlNode time = Root().AddObject("TimeInfo", "TimeInfo");
  time.WriteDouble("Tempo", 120.0);
  XmlNode engine = Root().AddObject("NorvProcess", "Norv", 3);
  engine.WriteDouble("LinkOffset", 0.25);
  const std::string printed = document_.Print();
  EXPECT_NE(printed.find("<TimeInfo name=\"TimeInfo\" Tempo=\"120\" />"), std::string::npos)
      << printed;
  EXPECT_NE(printed.find("<NorvProcess name=\"Norv\" version=\"3\" LinkOffset=\"0.25\" />"),
            std::string::npos)
      << printed;

  EXPECT_EQ(Root().FindObject("TimeInfo", "TimeInfo").ObjectVersion(), 1);
  EXPECT_EQ(Root().FindObject("NorvProcess", "Norv").ObjectVersion(), 3);
  EXPECT_FALSE(Root().FindObject("NorvProcess", "Other"));
  EXPECT_FALSE(Root().FindObject("TimeInfo", "Norv"));

  // Readers also accept an object whose class is given by a "class" attribute.
  XmlDocument other;
  ASSERT_TRUE(other.Parse(
      "<root><Object class=\"NorvProcess\" name=\"Other\"/><Object class=\"NorvProcess\" "
      "name=\"Norv\" LinkOffset=\"0.5\"/></root>",
      "root"));
  double offset = 0;
  EXPECT_TRUE(other.Root().FindObject("NorvProcess", "Norv").ReadDouble("LinkOffset", offset));
  EXPECT_EQ(offset, 0.5);
}

TEST_F(XmlTest, StringObjectsUseTheAttributeBelowElevenCharacters) {
  struct Case {
    const char* text;
    bool inAttribute;
  };
  const Case cases[] = {
      {"", true},
      {"Default", true},
      {"0123456789", true},
      {"01234567890", false},
      {"My Long Preset Name", false},
      {"\xC3\x9C"
       "bersteuer",
       true},  // 11 bytes but 10 characters
      {"  spaced   out  ", false},
      {"a]]>b   and more", false},
      {"tab\tand\nnewline here", false},
      {"<&\"'> &#x41;", false},
  };
  for (const Case& c : cases) {
    XmlDocument document;
    document.CreateNew("root");
    WriteStringObject(document.Root(), "LastPresetName", c.text);
    const XmlNode object = document.Root().FindObject("VString", "LastPresetName");
    ASSERT_TRUE(object) << c.text;
    EXPECT_EQ(object.Has("string"), c.inAttribute) << c.text;

    XmlDocument reread;
    ASSERT_TRUE(reread.Parse(document.Print(), "root")) << document.Print();
    std::string read = "unchanged";
    EXPECT_TRUE(ReadStringObject(reread.Root(), "LastPresetName", read));
    EXPECT_EQ(read, c.text) << document.Print();
  }
}

TEST_F(XmlTest, StringObjectsReadTextContentAndMissingOnes) {
  XmlDocument document;
  ASSERT_TRUE(document.Parse(
      "<root><VString name=\"A\">Some long preset name</VString><VString name=\"B\"/></root>",
      "root"));
  std::string text = "unchanged";
  EXPECT_TRUE(ReadStringObject(document.Root(), "A", text));
  EXPECT_EQ(text, "Some long preset name");
  EXPECT_TRUE(ReadStringObject(document.Root(), "B", text));
  EXPECT_EQ(text, "");
  text = "unchanged";
  EXPECT_FALSE(ReadStringObject(document.Root(), "C", text));
  EXPECT_EQ(text, "unchanged");
}

TEST_F(XmlTest, ParseChecksTheRootElement) {
  XmlDocument document;
  EXPECT_TRUE(document.Parse("<?xml version=\"1.0\" ?><root StateVersion=\"2.2\"/>", "root"));
  EXPECT_TRUE(document.Root());
  EXPECT_FALSE(document.Parse("<Preferences/>", "root"));
  EXPECT_FALSE(document.Root());
  // Host chunks may carry a terminating NUL.
  EXPECT_TRUE(document.Parse(std::string_view("<root a=\"1\"/>\0garbage", 22), "root"));
}

TEST_F(XmlTest, FilesRoundTripThroughNonAsciiFolders) {
  const std::filesystem::path folder = VApplication::Paths::GetApplicationDataPath() /
                                       VApplication::Paths::FromUtf8("Pr\xC3\xA9sets \xE2\x99\xAB");
  const std::filesystem::path file = folder / VApplication::Paths::FromUtf8(
                                                  "D\xC3\xBC"
                                                  "nn.tavo");
  Root().WriteDouble("StateVersion", 2.2);
  WriteStringObject(Root(), "LastPresetName",
                    "\xC3\x9C"
                    "ber-long preset name");
  ASSERT_TRUE(document_.Save(file));

  XmlDocument loaded;
  ASSERT_TRUE(loaded.Load(file, "root"));
  double version = 0;
  std::string name;
  EXPECT_TRUE(loaded.Root().ReadDouble("StateVersion", version));
  EXPECT_EQ(version, 2.2);
  EXPECT_TRUE(ReadStringObject(loaded.Root(), "LastPresetName", name));
  EXPECT_EQ(name,
            "\xC3\x9C"
            "ber-long preset name");
  EXPECT_FALSE(loaded.Load(folder / "missing.tavo", "root"));
  EXPECT_FALSE(loaded.Root());
}

TEST(XmlMalformed, CorpusIsRejectedOrParsedWithoutHarm) {
  const std::string corpus[] = {
      "",
      "<",
      "<root",
      "<root>",
      "<root><a></root>",
      "</root>",
      "<root a=\"1></root>",
      "<root a='1' a='2'/>",
      "<root a=1/>",
      "<?xml",
      "<!--",
      "<![CDATA[",
      "<root>&#x;</root>",
      "<root>&#xFFFFFFFF;&#99999999999;</root>",
      "<root a=\"&#x110000;&#xD800;\"/>",
      "<root>&unknown;&amp</root>",
      "\xEF\xBB\xBF<root/>",
      "\xEF\xBB\xBF",
      "<root>\xFF\xFE\xC3</root>",
      "<root><!DOCTYPE x [<!ENTITY a \"b\">]></root>",
      "<root/><root/>",
      "<<<<>>>>",
      "<root><![CDATA[unterminated</root>",
      "<root a=\"\xC3\"/>",
      // Truncated UTF-8 sequences at the very end.
      "<root>text\xC3",
      "<root>&amp;\xF0",
      "<root a=\"\xE2\x99",
      std::string("<root>\0</root>", 14),
  };
  for (const std::string& text : corpus) {
    XmlDocument document;
    if (document.Parse(text, "root")) {
      EXPECT_EQ(document.Root().Tag(), "root");
      XmlDocument again;
      EXPECT_TRUE(again.Parse(document.Print(), "root")) << document.Print();
    } else {
      EXPECT_FALSE(document.Root());
    }
  }
}

TEST(XmlMalformed, DeepNestingAndAttributeFloodsAreRefused) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  XmlDocument document;
  EXPECT_FALSE(document.Parse("<root>" + deep + "</root>", "root"));

  // Quotes cannot hide nesting from the depth limit.
  std::string disguised;
  for (int i = 0; i < 100000; ++i) disguised += "<a x=\"/>\">";
  EXPECT_FALSE(document.Parse("<root>" + disguised + "</root>", "root"));

  std::string flood = "<root";
  for (int i = 0; i < 20000; ++i) flood += " a" + std::to_string(i) + "=\"1\"";
  EXPECT_FALSE(document.Parse(flood + "/>", "root"));

  // A moderate document of the usual shape still parses.
  std::string normal = "<root>";
  for (int i = 0; i < 60; ++i) normal += "<a><b><c x=\"1\"/></b></a>";
  EXPECT_TRUE(document.Parse(normal + "</root>", "root"));
}

TEST(XmlMalformed, RandomTokenSoupNeverCrashes) {
  const char* tokens[] = {"<", ">",  "/",  "root", "a",    "=",   "\"",      "'",
                          "&", "#x", "41", ";",    "!--",  "-->", "[CDATA[", "]]>",
                          "?", " ",  "\n", "\xC3", "\xFF", "amp", "name",    "VString"};
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string text = round % 2 ? "<root>" : "";
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) text += tokens[random() % std::size(tokens)];
    if (round % 3 == 0) text += "</root>";
    XmlDocument document;
    if (document.Parse(text, "root")) {
      EXPECT_EQ(document.Root().Tag(), "root");
    }
  }
}

// Whatever text the plug-in hands over (a name cut inside a character, Latin-1 bytes from an old
// file name, control characters), the document it writes must read back.
TEST(XmlMalformed, WrittenTextAlwaysReadsBack) {
  std::mt19937 random(777);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 30);
    for (int i = 0; i < length; ++i) text += static_cast<char>(random() % 256);
    XmlDocument document;
    document.CreateNew("root");
    document.Root().WriteString("Value", text);
    WriteStringObject(document.Root(), "Name", text);
    document.Root().AddObject("VString", text);

    XmlDocument reread;
    ASSERT_TRUE(reread.Parse(document.Print(), "root")) << document.Print();
    std::string value, name;
    EXPECT_TRUE(reread.Root().ReadString("Value", value));
    EXPECT_TRUE(ReadStringObject(reread.Root(), "Name", name));
    EXPECT_EQ(name, value);
    EXPECT_TRUE(reread.Root().FindObject("VString", text));
  }
  // Valid text comes back unchanged; a cut character becomes U+FFFD.
  const std::pair<std::string, std::string> cases[] = {
      {"caf\xC3\xA9 \xF0\x9F\x8E\xB9", "caf\xC3\xA9 \xF0\x9F\x8E\xB9"},
      {"Preset \xC3", "Preset \xEF\xBF\xBD"},
      {"\xE9t\xE9", "\xEF\xBF\xBDt\xEF\xBF\xBD"},
      {"tab\tline\nend\x01", "tab\tline\nend\x01"},
  };
  for (const auto& [written, expected] : cases) {
    XmlDocument document;
    document.CreateNew("root");
    document.Root().WriteString("Value", written);
    XmlDocument reread;
    ASSERT_TRUE(reread.Parse(document.Print(), "root"));
    std::string value;
    EXPECT_TRUE(reread.Root().ReadString("Value", value));
    EXPECT_EQ(value, expected);
  }
}

// --- Size limits ------------------------------------------------------------------------------

// "<root>" holding `elements` children, with `attributes` attributes spread over them in groups of
// at most 32 (few enough per element to stay clear of the comparison limit).
std::string SpreadAttributes(int64_t attributes) {
  std::string text = "<root>";
  for (int64_t written = 0; written < attributes;) {
    text += "<a";
    for (int a = 0; a < 32 && written < attributes; ++a, ++written) {
      text += " a" + std::to_string(a) + "=\"" + std::to_string(written) + "\"";
    }
    text += "/>";
  }
  return text + "</root>";
}

std::string WideRoot(int64_t attributes) {
  std::string text = "<root";
  for (int64_t a = 0; a < attributes; ++a) {
    text += " a" + std::to_string(a) + "=\"" + std::to_string(a) + "\"";
  }
  return text + "/>";
}

// Names of 64 bytes: each comparison with one of them counts twice.
std::string LongNamedRoot(int64_t attributes) {
  std::string text = "<root";
  char name[8];
  for (int64_t a = 0; a < attributes; ++a) {
    std::snprintf(name, sizeof name, "%04d", static_cast<int>(a));
    text += " " + std::string(60, 'n') + name + "=\"" + std::to_string(a) + "\"";
  }
  return text + "/>";
}

// The root and then elements and comments in turn: both cost the parser a node.
std::string ManyNodes(int64_t nodes) {
  std::string text = "<root>";
  for (int64_t n = 1; n < nodes; ++n) text += n % 2 ? "<a/>" : "<!--c-->";
  return text + "</root>";
}

std::string Nested(int64_t depth) {
  std::string text;
  for (int64_t level = 0; level < depth; ++level) text += level == 0 ? "<root>" : "<a>";
  text += "deepest";
  for (int64_t level = depth - 1; level > 0; --level) text += "</a>";
  return text + "</root>";
}

std::string OfSize(int64_t bytes) {
  const std::string open = "<root v=\"";
  const std::string close = "\"/>";
  return open + std::string(static_cast<size_t>(bytes) - open.size() - close.size(), 'x') + close;
}

// The last lines of the run-time log, once every queued line is written.
std::string LogTail() {
  RuntimeLog::Flush();
  std::ifstream file(VApplication::Paths::FromUtf8(RuntimeLog::FilePath()), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
}

struct LimitCase {
  const char* name;
  std::function<std::string(int64_t)> document;
  int64_t atLimit;
  // Checks that the document at the limit was read in full.
  std::function<void(const XmlDocument&, int64_t)> check;
  const char* logged;
};

// Each document is refused one step beyond a limit and read in full at it; reading stays linear
// in the size (the widest element costs the parser a bounded number of name comparisons), so even
// the largest accepted document parses in well under a second.
TEST(XmlLimits, DocumentsBeyondALimitAreRefusedAndLogged) {
  RuntimeLog::Start();
  const auto lastAttributeOfLastChild = [](const XmlDocument& document, int64_t attributes) {
    TiXmlElement* last = document.Root().Element()->LastChild()->ToElement();
    int32_t value = -1;
    EXPECT_TRUE(
        XmlNode(last).ReadInt(("a" + std::to_string((attributes - 1) % 32)).c_str(), value));
    EXPECT_EQ(value, attributes - 1);
  };
  const auto everyAttribute = [](const XmlDocument& document, int64_t attributes) {
    for (int64_t a = 0; a < attributes; ++a) {
      int32_t value = -1;
      ASSERT_TRUE(document.Root().ReadInt(("a" + std::to_string(a)).c_str(), value)) << a;
      ASSERT_EQ(value, a);
    }
  };
  const auto nodeCount = [](const XmlDocument& document, int64_t nodes) {
    int64_t children = 0;
    for (TiXmlNode* child = document.Root().Element()->FirstChild(); child;
         child = child->NextSibling()) {
      ++children;
    }
    EXPECT_EQ(children + 1, nodes);
  };
  const auto deepestText = [](const XmlDocument& document, int64_t depth) {
    TiXmlElement* element = document.Root().Element();
    for (int64_t level = 1; level < depth; ++level) element = element->FirstChildElement();
    EXPECT_EQ(XmlNode(element).Text(), "deepest");
  };
  const auto lastLongName = [](const XmlDocument& document, int64_t attributes) {
    char name[8];
    std::snprintf(name, sizeof name, "%04d", static_cast<int>(attributes - 1));
    int32_t value = -1;
    EXPECT_TRUE(document.Root().ReadInt((std::string(60, 'n') + name).c_str(), value));
    EXPECT_EQ(value, attributes - 1);
  };
  const auto size = [](const XmlDocument& document, int64_t bytes) {
    std::string value;
    EXPECT_TRUE(document.Root().ReadString("v", value));
    EXPECT_EQ(static_cast<int64_t>(value.size()), bytes - 12);
  };
  const LimitCase cases[] = {
      {"bytes", OfSize, static_cast<int64_t>(XmlDocument::kMaxBytes), size,
       "16777217 bytes, more than 16777216"},
      {"nodes", ManyNodes, XmlDocument::kMaxNodes, nodeCount, "262145 nodes, more than 262144"},
      {"attributes", SpreadAttributes, XmlDocument::kMaxAttributes, lastAttributeOfLastChild,
       "1048577 attributes, more than 1048576"},
      {"attributes on one element", WideRoot, 5793, everyAttribute,
       "16782321 attribute name comparisons, more than 16777216"},
      {"long attribute names", LongNamedRoot, 4096, lastLongName,
       "16781312 attribute name comparisons, more than 16777216"},
      {"depth", Nested, XmlDocument::kMaxDepth, deepestText,
       "129 levels of nesting, more than 128"},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    XmlDocument document;
    EXPECT_FALSE(document.Parse(c.document(c.atLimit + 1), "root"));
    EXPECT_FALSE(document.Root());
    EXPECT_NE(LogTail().find(std::string("XmlDocument::Parse, document refused: ") + c.logged),
              std::string::npos);
    ASSERT_TRUE(document.Parse(c.document(c.atLimit), "root"));
    c.check(document, c.atLimit);
  }
  RuntimeLog::Stop();
}

// TinyXML reads "< x>", "<?x>" and "<!x>" up to the first '>' whatever the quotes, takes the
// quoted values of a declaration as attributes, and steps over everything between "&#x" and a
// later "x41;". None of them hides markup from the limits.
TEST(XmlLimits, NoReadingOfTheMarkupHidesNodes) {
  const std::string children = [] {
    std::string text;
    for (int64_t n = 0; n < XmlDocument::kMaxNodes; ++n) text += "<b/>";
    return text;
  }();
  const std::string disguises[] = {
      "<root>< \">" + children + "\"</root>",
      "<root><?x '>" + children + "'</root>",
      "<root><!x \">" + children + "\"</root>",
      "<?xml version=\"><!--\" ?><root>" + children + "</root><!---->",
      "<?XML ENCODING='><!--' ?><root>" + children + "</root><!---->",
      "<root>&#x<!-- x41;" + children + "--></root>",
      "<root>&#<!-- #65;" + children + "--></root>",
      "<root a=\"&#x\" b='x41;\">" + children + "'/></root>",
  };
  for (const std::string& text : disguises) {
    SCOPED_TRACE(text.substr(0, 40));
    XmlDocument document;
    EXPECT_FALSE(document.Parse(text, "root"));
    // The same shape with fewer children is read, children and all.
    const std::string few =
        std::string(text).replace(text.find(children), children.size(), "<b/><b/><b/>");
    ASSERT_TRUE(document.Parse(few, "root"));
    EXPECT_TRUE(document.Root().Element()->FirstChildElement("b"));
  }
  // Deep nesting behind such markup would overflow the stack.
  std::string deep = "<root>< \">";
  for (int level = 0; level < 100000; ++level) deep += "<a>";
  XmlDocument document;
  EXPECT_FALSE(document.Parse(deep, "root"));
  // A declaration whose reading would depend on the C library's locale is refused.
  EXPECT_FALSE(document.Parse("<?xml x\xC2\xA0version=\"1.0\" ?><root/>", "root"));
  EXPECT_TRUE(document.Parse("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><root/>", "root"));
}

TEST(XmlLimits, FilesGetTheSameLimits) {
  RuntimeLog::Start();
  const std::filesystem::path folder = VApplication::Paths::GetApplicationDataPath();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const auto write = [&](const char* name, const std::string& text) {
    const std::filesystem::path path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  };
  XmlDocument document;
  const std::filesystem::path large =
      write("large.tavo", OfSize(static_cast<int64_t>(XmlDocument::kMaxBytes) + 1));
  EXPECT_FALSE(document.Load(large, "root"));
  EXPECT_NE(LogTail().find("large.tavo refused: 16777217 bytes, more than 16777216"),
            std::string::npos);
  EXPECT_FALSE(document.Load(write("crowded.tavo", ManyNodes(XmlDocument::kMaxNodes + 1)), "root"));
  EXPECT_NE(LogTail().find("XmlDocument::Parse, document refused: 262145 nodes, more than 262144"),
            std::string::npos);
  EXPECT_TRUE(document.Load(write("full.tavo", ManyNodes(XmlDocument::kMaxNodes)), "root"));
  for (const char* name : {"large.tavo", "crowded.tavo", "full.tavo"}) {
    std::filesystem::remove(folder / name, error);
  }
  RuntimeLog::Stop();
}

// The largest document the plug-in writes: a bindings document with 8 bindings on every one of
// the 2048 controller slots.
TEST(XmlLimits, TheLargestDocumentThePluginWritesIsRead) {
  XmlDocument document;
  document.CreateNew("root");
  XmlNode root = document.Root();
  std::vector<float> hostValues(62, 0.5f);
  root.WriteFloatArray("HostParameters", hostValues.data(), 62);
  char name[48];
  for (int slot = 0; slot < 2048; ++slot) {
    std::snprintf(name, sizeof name, "MIDI%dCC%dBindingCount", slot / 128, slot % 128);
    root.WriteInt(name, 8);
    for (int j = 0; j < 8; ++j) {
      std::snprintf(name, sizeof name, "MIDI%dCC%dBinding%d", slot / 128, slot % 128, j);
      XmlNode binding = root.AddObject("Binding", name);
      for (const char* key : {"Min", "Max", "MIDI", "MajorIndex", "MinorIndex", "TargetMode",
                              "EnterTargetMode", "EditorOnly"}) {
        binding.WriteString(key, "false");
      }
      binding.WriteString("Path", "Filter1/Cutoff");
      binding.WriteString("Name", "Filter 1 Cutoff " + std::to_string(slot * 8 + j));
      binding.WriteString("MessageStuffer", "Binding::StuffToValue0");
      binding.WriteString("MessagePopper", "Binding::GetValueFromValue0");
      XmlNode message = binding.AddObject("Message", "MessagePrototype");
      for (const char* key :
           {"EngineIndex", "PadIndex", "LayerIndex", "PatternIndex", "TrackIndex", "StepIndex"}) {
        message.WriteInt(key, -1);
      }
      message.WriteString("Type", "e_setFilterParameter");
      for (const char* value : {"MessageValue0", "MessageValue1", "MessageValue2"}) {
        XmlNode variant = message.AddObject("VVariant", value);
        variant.WriteString("Type", "Float");
        variant.WriteDouble("Value", 0.25);
      }
      binding.WriteString("Type", "Continuous");
    }
  }
  const std::string printed = document.Print();
  EXPECT_GT(printed.size(), size_t{10} << 20);

  XmlDocument reread;
  ASSERT_TRUE(reread.Parse(printed, "root"));
  int32_t count = 0;
  EXPECT_TRUE(reread.Root().ReadInt("MIDI15CC127BindingCount", count));
  EXPECT_EQ(count, 8);
  std::string bindingName;
  EXPECT_TRUE(
      reread.Root().FindObject("Binding", "MIDI15CC127Binding7").ReadString("Name", bindingName));
  EXPECT_EQ(bindingName, "Filter 1 Cutoff 16383");
}

}  // namespace
}  // namespace VFoundation
