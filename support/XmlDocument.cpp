// The XML document layer over TinyXML: named values, named objects and string objects.
#include "support/XmlDocument.h"

#include <tinyxml.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

#include "support/Log.h"
#include "support/Paths.h"
#include "support/ValueText.h"
#include "support/XmlParserLoad.h"

namespace VFoundation {

namespace {

// Strings shorter than this many characters are stored in the "string" attribute.
constexpr size_t kStringAttributeLimit = 11;
constexpr size_t kMaxUtf8SequenceBytes = 4;
constexpr double kFloatMax = std::numeric_limits<float>::max();

// Logs the first limit the load goes beyond.
bool WithinParserLimits(const XmlParserLoad& load) {
  const auto refuse = [](long long count, long long limit, const char* what) {
    Log("XmlDocument::Parse, document refused: %lld %s, more than %lld\n", count, what, limit);
    return false;
  };
  if (load.deepestNesting > XmlDocument::kMaxDepth) {
    return refuse(load.deepestNesting, XmlDocument::kMaxDepth, "levels of nesting");
  }
  if (load.nodes > XmlDocument::kMaxNodes) {
    return refuse(load.nodes, XmlDocument::kMaxNodes, "nodes");
  }
  if (load.attributes > XmlDocument::kMaxAttributes) {
    return refuse(load.attributes, XmlDocument::kMaxAttributes, "attributes");
  }
  if (load.attributeComparisons > XmlDocument::kMaxAttributeComparisons) {
    return refuse(load.attributeComparisons, XmlDocument::kMaxAttributeComparisons,
                  "attribute name comparisons");
  }
  if (load.localeDependentDeclaration) {
    Log("XmlDocument::Parse, document refused: an XML declaration with text outside ASCII\n");
    return false;
  }
  return true;
}

// XML names: a document with a bad attribute or tag name would print but never parse again.
bool IsXmlName(const char* name) {
  if (!name || !*name) return false;
  const auto isStart = [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
  };
  if (!isStart(static_cast<unsigned char>(*name))) return false;
  for (const char* p = name + 1; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!isStart(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
  }
  return true;
}

// Length of the valid UTF-8 sequence at the start of text, 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto continuation = [&](size_t i, unsigned char lo, unsigned char hi) {
    return i < text.size() && byte(i) >= lo && byte(i) <= hi;
  };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned char lo = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
    const unsigned char hi = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    return continuation(1, lo, hi) && continuation(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned char lo = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    return continuation(1, lo, hi) && continuation(2, 0x80, 0xBF) && continuation(3, 0x80, 0xBF)
               ? 4
               : 0;
  }
  return 0;
}

// TinyXML takes a lead byte's length on trust: a stray lead byte before a closing quote swallows
// the quote, and the document it prints no longer parses. Invalid bytes become U+FFFD on the way
// in and on the way out, NULs (which no XML text can hold) are dropped.
std::string RepairedUtf8(std::string_view text) {
  std::string repaired;
  repaired.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t length = Utf8SequenceLength(text.substr(i));
    if (length == 0) {
      repaired += "\xEF\xBF\xBD";
      ++i;
    } else {
      if (text[i] != '\0') repaired.append(text.substr(i, length));
      i += length;
    }
  }
  return repaired;
}

size_t Utf8Characters(std::string_view text) {
  size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// TinyXML condenses runs of spaces and trims both ends of element text; such text goes into
// CDATA sections, which it keeps verbatim.
bool NeedsVerbatimText(std::string_view text) {
  return text.front() == ' ' || text.back() == ' ' || text.find("  ") != std::string_view::npos;
}

void AppendCData(TiXmlElement* element, std::string_view text) {
  // "]]>" cannot appear inside a section, so it is split across two.
  size_t start = 0;
  while (start < text.size()) {
    const size_t cut = text.find("]]>", start);
    const size_t end = cut == std::string_view::npos ? text.size() : cut + 2;
    auto* node = new TiXmlText(std::string(text.substr(start, end - start)));
    node->SetCDATA(true);
    element->LinkEndChild(node);
    start = end;
  }
}

}  // namespace

// --- XmlNode -----------------------------------------------------------------------------------

void XmlNode::WriteInt(const char* name, int32_t value) {
  WriteString(name, FormatInt(value));
}

void XmlNode::WriteInt64(const char* name, int64_t value) {
  WriteString(name, FormatInt(value));
}

void XmlNode::WriteDouble(const char* name, double value) {
  WriteString(name, FormatDouble(value));
}

void XmlNode::WriteBool(const char* name, bool value) {
  WriteString(name, FormatBool(value));
}

void XmlNode::WriteString(const char* name, std::string_view value) {
  if (!element_ || !IsXmlName(name)) return;
  element_->SetAttribute(std::string(name), RepairedUtf8(value));
}

void XmlNode::WriteFloatArray(const char* name, const float* values, int count) {
  std::string text;
  for (int i = 0; values && i < count; ++i) {
    if (i > 0) text += ' ';
    text += FormatDouble(values[i], 9);
  }
  WriteString(name, text);
}

bool XmlNode::ReadInt(const char* name, int32_t& out) const {
  std::string text;
  return ReadString(name, text) && ParseInt32(text, out);
}

bool XmlNode::ReadInt64(const char* name, int64_t& out) const {
  std::string text;
  return ReadString(name, text) && ParseInt64(text, out);
}

bool XmlNode::ReadDouble(const char* name, double& out) const {
  std::string text;
  return ReadString(name, text) && ParseDouble(text, out);
}

bool XmlNode::ReadFloat(const char* name, float& out) const {
  double value = 0.0;
  if (!ReadDouble(name, value) || value > kFloatMax || value < -kFloatMax) return false;
  out = static_cast<float>(value);
  return true;
}

bool XmlNode::ReadBool(const char* name, bool& out) const {
  std::string text;
  return ReadString(name, text) && ParseBool(text, out);
}

bool XmlNode::ReadString(const char* name, std::string& out) const {
  if (!element_ || !name) return false;
  const char* value = element_->Attribute(name);
  if (!value) return false;
  out = value;
  return true;
}

int XmlNode::ReadFloatArray(const char* name, float* values, int count) const {
  std::string text;
  if (!values || !ReadString(name, text)) return 0;
  int read = 0;
  size_t start = text.find_first_not_of(" \t\r\n");
  for (int i = 0; i < count && start != std::string::npos; ++i) {
    size_t end = text.find_first_of(" \t\r\n", start);
    if (end == std::string::npos) end = text.size();
    double value = 0.0;
    if (ParseDouble(std::string_view(text).substr(start, end - start), value) &&
        value <= kFloatMax && value >= -kFloatMax) {
      values[i] = static_cast<float>(value);
      ++read;
    }
    start = text.find_first_not_of(" \t\r\n", end);
  }
  return read;
}

bool XmlNode::Has(const char* name) const {
  return element_ && name && element_->Attribute(name) != nullptr;
}

XmlNode XmlNode::AddObject(const char* className, std::string_view name, int version) {
  if (!element_ || !IsXmlName(className)) return XmlNode();
  auto* child = new TiXmlElement(className);
  child->SetAttribute(std::string("name"), RepairedUtf8(name));
  if (version > 1) child->SetAttribute(std::string("version"), FormatInt(version));
  element_->LinkEndChild(child);
  return XmlNode(child);
}

namespace {

// An object of class `wanted` is a child whose tag, or whose "class" attribute, is that name.
bool IsObjectOf(const TiXmlElement& child, std::string_view wanted) {
  const char* classAttribute = child.Attribute("class");
  return child.ValueStr() == wanted || (classAttribute && wanted == classAttribute);
}

std::string_view ObjectName(const TiXmlElement& child) {
  const char* name = child.Attribute("name");
  return name ? name : "";
}

}  // namespace

XmlNode XmlNode::FindObject(const char* className, std::string_view name) const {
  if (!element_ || !className) return XmlNode();
  const std::string wantedName = RepairedUtf8(name);
  for (TiXmlElement* child = element_->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (IsObjectOf(*child, className) && ObjectName(*child) == wantedName) return XmlNode(child);
  }
  return XmlNode();
}

std::unordered_map<std::string, XmlNode> XmlNode::ObjectsByName(const char* className) const {
  std::unordered_map<std::string, XmlNode> objects;
  if (!element_ || !className) return objects;
  for (TiXmlElement* child = element_->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (IsObjectOf(*child, className)) objects.emplace(ObjectName(*child), XmlNode(child));
  }
  return objects;
}

int XmlNode::ObjectVersion() const {
  int32_t version = 1;
  return ReadInt("version", version) ? version : 1;
}

std::string XmlNode::Text() const {
  std::string text;
  if (!element_) return text;
  for (const TiXmlNode* child = element_->FirstChild(); child; child = child->NextSibling()) {
    if (const TiXmlText* part = child->ToText()) text += part->ValueStr();
  }
  return text;
}

void XmlNode::SetText(std::string_view text) {
  if (!element_) return;
  for (TiXmlNode* child = element_->FirstChild(); child;) {
    TiXmlNode* next = child->NextSibling();
    if (child->ToText()) element_->RemoveChild(child);
    child = next;
  }
  const std::string repaired = RepairedUtf8(text);
  if (repaired.empty()) return;
  if (NeedsVerbatimText(repaired)) {
    AppendCData(element_, repaired);
  } else {
    element_->LinkEndChild(new TiXmlText(repaired));
  }
}

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> children;
  if (!element_) return children;
  for (TiXmlElement* child = element_->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    children.emplace_back(child);
  }
  return children;
}

std::vector<std::pair<std::string, std::string>> XmlNode::Attributes() const {
  std::vector<std::pair<std::string, std::string>> attributes;
  if (!element_) return attributes;
  for (const TiXmlAttribute* a = element_->FirstAttribute(); a; a = a->Next()) {
    attributes.emplace_back(a->NameTStr(), a->ValueStr());
  }
  return attributes;
}

std::string XmlNode::Tag() const {
  return element_ ? element_->ValueStr() : std::string();
}

void WriteStringObject(XmlNode parent, std::string_view name, std::string_view text) {
  XmlNode object = parent.AddObject("VString", name);
  if (!object) return;
  const std::string repaired = RepairedUtf8(text);
  if (Utf8Characters(repaired) < kStringAttributeLimit) {
    object.WriteString("string", repaired);
  } else {
    object.SetText(repaired);
  }
}

bool ReadStringObject(XmlNode parent, std::string_view name, std::string& out) {
  const XmlNode object = parent.FindObject("VString", name);
  if (!object) return false;
  if (!object.ReadString("string", out)) out = object.Text();
  return true;
}

// --- XmlDocument -------------------------------------------------------------------------------

XmlDocument::XmlDocument() : document_(std::make_unique<TiXmlDocument>()) {}

XmlDocument::~XmlDocument() = default;

void XmlDocument::CreateNew(const char* rootName) {
  document_ = std::make_unique<TiXmlDocument>();
  document_->LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  if (IsXmlName(rootName)) document_->LinkEndChild(new TiXmlElement(rootName));
}

bool XmlDocument::Parse(std::string_view text, const char* rootName) {
  document_ = std::make_unique<TiXmlDocument>();
  if (!rootName) return false;
  // TinyXML reads up to the first NUL, which also ends host chunks that carry a terminator.
  const std::string_view content = text.substr(0, text.find('\0'));
  if (content.size() > kMaxBytes) {
    Log("XmlDocument::Parse, document refused: %lld bytes, more than %lld\n",
        static_cast<long long>(content.size()), static_cast<long long>(kMaxBytes));
    return false;
  }
  // The repaired copy holds only whole UTF-8 sequences (so TinyXML, which steps over a sequence by
  // its lead byte, reads the markup where the pre-scan finds it); the extra NULs keep TinyXML
  // inside the buffer should one still be cut.
  std::string terminated = RepairedUtf8(content);
  if (!WithinParserLimits(CountXmlParserLoad(terminated))) return false;
  terminated.append(kMaxUtf8SequenceBytes, '\0');
  document_->Parse(terminated.c_str(), nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = document_->RootElement();
  if (document_->Error() || !root || root->ValueStr() != rootName) {
    document_ = std::make_unique<TiXmlDocument>();
    return false;
  }
  return true;
}

bool XmlDocument::Load(const std::filesystem::path& path, const char* rootName) {
  document_ = std::make_unique<TiXmlDocument>();
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;
  if (size > kMaxBytes) {
    Log("XmlDocument::Load, %s refused: %lld bytes, more than %lld\n",
        VApplication::Paths::ToUtf8(path).c_str(), static_cast<long long>(size),
        static_cast<long long>(kMaxBytes));
    return false;
  }
  // The stream opens wide-character paths on Windows, so non-ASCII folders work.
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  return Parse(text, rootName);
}

bool XmlDocument::Save(const std::filesystem::path& path) const {
  const std::string text = Print();
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

std::string XmlDocument::Print() const {
  TiXmlPrinter printer;
  document_->Accept(&printer);
  return printer.Str();
}

XmlNode XmlDocument::Root() const {
  return XmlNode(document_->RootElement());
}

}  // namespace VFoundation
