#pragma once

// The XML document service over libxml2: the few DOM operations the runs use, with
// hostile input in mind (no external entity or DTD is ever read, no network, bounded
// entity expansion). Names (elements, attributes, paths) are ASCII; attribute values cross
// the boundary as program text (Windows-1252).

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _xmlNode;
struct _xmlAttr;
struct _xmlDoc;

namespace tto {

class XmlDocument;
class XmlNodeList;

// A non-owning handle to an element (or the document node) of one XmlDocument. Valid
// while its document lives. A default-constructed node is null.
class XmlNode {
 public:
  XmlNode() = default;
  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }
  bool operator==(const XmlNode& other) const { return node_ == other.node_; }

  std::string Name() const;
  XmlNode ParentNode() const;
  // Line of the school file where the element starts (0 for created elements).
  long Line() const;

  // The attribute's value as attribute text (trimmed, Windows-1252). An element lacking
  // the attribute is a RunError naming the element, the attribute and the line.
  std::string AttributeText(std::string_view name) const;
  // The same value as the document holds it, in UTF-8, before the characters that
  // Windows-1252 lacks became '?': program text equals it only when it converts back to
  // the same characters (AnsiToUtf8(programText) == AttributeTextUtf8(name)).
  std::string AttributeTextUtf8(std::string_view name) const;
  bool HasAttribute(std::string_view name) const;
  // Sets (or replaces) an attribute; a new attribute comes after the existing ones.
  void SetAttribute(std::string_view name, std::string_view ansiValue);

  // Absolute paths ("/Centro/Aulas/Aula"): the same answer from any node of the document.
  XmlNodeList SelectNodes(std::string_view path) const;
  XmlNode SelectSingleNode(std::string_view path) const;

  void AppendChild(XmlNode child);
  void RemoveChild(XmlNode child);

  _xmlNode* Raw() const { return node_; }

 private:
  friend class XmlDocument;
  friend class XmlNodeList;
  XmlNode(XmlDocument* document, _xmlNode* node) : document_(document), node_(node) {}
  // The named attribute, or the RunError naming element, attribute and line.
  const _xmlAttr* RequireAttribute(std::string_view name) const;
  XmlDocument* document_ = nullptr;
  _xmlNode* node_ = nullptr;
};

// Elements matching a path, in document order.
class XmlNodeList {
 public:
  XmlNodeList() = default;
  std::size_t Count() const { return nodes_.size(); }
  XmlNode Item(std::size_t index) const;  // index < Count()

 private:
  friend class XmlNode;
  friend class XmlDocument;
  XmlDocument* document_ = nullptr;
  std::vector<_xmlNode*> nodes_;
};

enum class XmlNodeType { Element = 1 };

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Reads and parses the whole file. A file that does not parse (or is empty) leaves an
  // empty document; a path that cannot be read is a RunError naming it.
  void Load(const std::filesystem::path& path);

  XmlNodeList SelectNodes(std::string_view path) const;
  XmlNode SelectSingleNode(std::string_view path) const;
  XmlNode DocumentElement() const;
  // The document node itself, parent of the root element.
  XmlNode DocumentNode() const;

  XmlNode CreateElement(std::string_view name);
  XmlNode CreateNode(XmlNodeType type, std::string_view name, std::string_view namespaceUri);

  void AppendChild(XmlNode child);  // to the document: a new root element
  void RemoveChild(XmlNode child);  // from the document

  // Writes the whole document (prolog and epilog included) in the encoding the loaded
  // document declared, through a temporary file renamed over the target. Failure is a
  // RunError naming the path; an existing file then stays untouched.
  void Save(const std::filesystem::path& path) const;

 private:
  friend class XmlNode;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tto
