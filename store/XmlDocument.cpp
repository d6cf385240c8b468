#include "store/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <unordered_set>

#include "store/AnsiText.h"
#include "store/AtomicFile.h"
#include "store/RunError.h"
#include "store/XmlUntrusted.h"

// Nodes belong to the document: libxml2 frees a node with its tree, so a node the runs
// created but never attached, or removed from the tree, would leak. The document keeps
// every such detached tree top in one set, and frees them with itself. Invariant: a node
// is in the set exactly when it has no parent.

namespace tto {
namespace {

const char* Chars(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}
const xmlChar* XmlChars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

xmlNode* AsNode(xmlDoc* doc) {
  return reinterpret_cast<xmlNode*>(doc);
}

bool IsDocumentNode(const xmlNode* node) {
  return node != nullptr &&
         (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE);
}

// The name as written in the file: "prefix:local" for a prefixed element or attribute.
// Paths and attribute names match it exactly, case included, whatever the namespace.
bool QualifiedNameIs(const xmlNode* node, std::string_view name) {
  std::string_view local(Chars(node->name));
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    const std::string_view prefix(Chars(node->ns->prefix));
    if (name.size() != prefix.size() + 1 + local.size() || !name.starts_with(prefix) ||
        name[prefix.size()] != ':') {
      return false;
    }
    name.remove_prefix(prefix.size() + 1);
  }
  return name == local;
}

std::string QualifiedName(const xmlNode* node) {
  std::string name;
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    name = Chars(node->ns->prefix);
    name += ':';
  }
  name += Chars(node->name);
  return name;
}

xmlAttr* FindAttribute(const xmlNode* element, std::string_view name) {
  for (xmlAttr* attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (QualifiedNameIs(reinterpret_cast<const xmlNode*>(attribute), name)) return attribute;
  }
  return nullptr;
}

// An attribute's value in UTF-8. Entity references were expanded when the file was read,
// so the value is its text nodes.
std::string AttributeValue(const xmlAttr* attribute) {
  std::string value;
  for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE && child->content != nullptr) value += Chars(child->content);
  }
  return value;
}

// Program text to an attribute value: characters XML 1.0 does not allow (control
// characters other than tab, line feed and carriage return) become '?', like any other
// character the target cannot hold.
std::string ToXmlText(std::string_view ansi) {
  std::string clean(ansi);
  for (char& c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') c = '?';
  }
  return AnsiToUtf8(clean);
}

void RequireName(std::string_view name, const char* what) {
  const std::string text(name);
  if (name.empty() || xmlValidateName(XmlChars(text), 0) != 0) {
    throw RunError(std::string("Nombre de ") + what + " XML no v\xE1lido: '" + text + "'");
  }
}

// An absolute ("/Centro/Aulas/Aula") or relative ("Aulas/Aula") element path: names
// separated by '/'. Anything else of XPath is refused, so a mistyped path fails loudly.
std::vector<std::string_view> StepsOf(std::string_view path) {
  std::vector<std::string_view> steps;
  std::string_view rest = path;
  if (rest.starts_with('/')) rest.remove_prefix(1);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view step = rest.substr(0, slash);
    constexpr std::string_view kNotInNames = "*[]@()=|\"' \t,<>!$";
    const bool plainName = !step.empty() && step != "." && step != ".." &&
                           step.find_first_of(kNotInNames) == std::string_view::npos &&
                           step.find('\0') == std::string_view::npos;
    if (!plainName) {
      throw RunError("Ruta XML no admitida: '" + std::string(path) + "'");
    }
    steps.push_back(step);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
    if (rest.empty()) throw RunError("Ruta XML no admitida: '" + std::string(path) + "'");
  }
  return steps;
}

// Level by level: the elements of one level are in document order, so the children of
// each, taken in turn, are too. Every node is looked at once at most: linear.
std::vector<xmlNode*> Select(xmlNode* start, const std::vector<std::string_view>& steps) {
  std::vector<xmlNode*> level;
  if (start == nullptr || steps.empty()) return level;
  level.push_back(start);
  std::vector<xmlNode*> next;
  for (const std::string_view step : steps) {
    next.clear();
    for (xmlNode* node : level) {
      for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && QualifiedNameIs(child, step)) next.push_back(child);
      }
    }
    level.swap(next);
    if (level.empty()) break;
  }
  return level;
}

int CollectOutput(void* context, const char* buffer, int length) {
  static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(length));
  return length;
}

// Our own declaration, for documents whose declaration names no encoding: libxml2 would
// otherwise either add encoding="UTF-8" or write every non-ASCII character as a reference.
std::string PlainDeclaration(const xmlDoc* doc) {
  std::string declaration = "<?xml version=\"";
  declaration += doc->version != nullptr ? Chars(doc->version) : "1.0";
  declaration += '"';
  if (doc->standalone == 1) declaration += " standalone=\"yes\"";
  if (doc->standalone == 0) declaration += " standalone=\"no\"";
  declaration += "?>\n";
  return declaration;
}

// The document's bytes; empty on failure (an encoding libxml2 cannot write).
std::string Serialize(xmlDoc* doc, const char* encoding, int options) {
  std::string bytes;
  xmlSaveCtxt* context = xmlSaveToIO(CollectOutput, nullptr, &bytes, encoding, options);
  if (context == nullptr) return {};
  const bool ok = xmlSaveDoc(context, doc) >= 0 && xmlSaveFlush(context) >= 0;
  xmlSaveClose(context);
  return ok ? bytes : std::string();
}

}  // namespace

struct XmlDocument::Impl {
  xmlDoc* doc = nullptr;
  // Whether Save writes an XML declaration: the loaded file had one, or the document is new.
  bool writesDeclaration = true;
  std::unordered_set<xmlNode*> detached;

  Impl() { Reset(NewDocument(), true); }
  ~Impl() { Release(); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  static xmlDoc* NewDocument() {
    xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (doc == nullptr) throw RunError("No se puede crear el documento XML");
    doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));
    return doc;
  }

  void Reset(xmlDoc* replacement, bool declaration) {
    Release();
    doc = replacement;
    writesDeclaration = declaration;
  }

  // Appends child, an element of this document, as the last child of parent. Appending an
  // attached node moves it.
  void Append(xmlNode* parent, xmlNode* child, bool sameDocument) {
    if (child == nullptr || !sameDocument || IsDocumentNode(child) || child->doc != doc) {
      throw RunError(
          "El nodo XML que se a\xF1"
          "ade no es un elemento de este documento");
    }
    for (const xmlNode* above = parent; above != nullptr; above = above->parent) {
      if (above == child) {
        throw RunError(
            "No se puede a\xF1"
            "adir el elemento '" +
            Utf8ToAnsi(QualifiedName(child)) + "' dentro de s\xED mismo");
      }
    }
    if (IsDocumentNode(parent)) {
      const xmlNode* root = xmlDocGetRootElement(doc);
      if (root != nullptr && root != child) {
        throw RunError("El documento XML ya tiene el elemento ra\xEDz '" +
                       Utf8ToAnsi(QualifiedName(root)) + "'");
      }
    }
    if (child->parent != nullptr) {
      xmlUnlinkNode(child);
    } else {
      detached.erase(child);
    }
    xmlAddChild(parent, child);
  }

  void Remove(xmlNode* parent, xmlNode* child) {
    if (child == nullptr || child->parent != parent) {
      const std::string parentName =
          IsDocumentNode(parent) ? "#document" : Utf8ToAnsi(QualifiedName(parent));
      throw RunError("El nodo XML que se quita no es hijo de '" + parentName + "'");
    }
    xmlUnlinkNode(child);
    detached.insert(child);
  }

  // Detached trees first: their names may live in the document's dictionary.
  void Release() {
    for (xmlNode* node : detached) xmlFreeNode(node);
    detached.clear();
    if (doc != nullptr) xmlFreeDoc(doc);
    doc = nullptr;
  }
};

// ---- XmlNode

std::string XmlNode::Name() const {
  if (node_ == nullptr) return {};
  if (IsDocumentNode(node_)) return "#document";
  return Utf8ToAnsi(QualifiedName(node_));
}

XmlNode XmlNode::ParentNode() const {
  if (node_ == nullptr || node_->parent == nullptr) return {};
  return XmlNode(document_, node_->parent);
}

long XmlNode::Line() const {
  if (node_ == nullptr || IsDocumentNode(node_)) return 0;
  return xml::LineOf(node_);
}

bool XmlNode::HasAttribute(std::string_view name) const {
  return node_ != nullptr && node_->type == XML_ELEMENT_NODE &&
         FindAttribute(node_, name) != nullptr;
}

const _xmlAttr* XmlNode::RequireAttribute(std::string_view name) const {
  if (node_ == nullptr || node_->type != XML_ELEMENT_NODE) {
    throw RunError("No existe el elemento del que leer el atributo '" + std::string(name) + "'");
  }
  const xmlAttr* attribute = FindAttribute(node_, name);
  if (attribute == nullptr) {
    std::string text =
        "Falta el atributo '" + std::string(name) + "' en el elemento '" + Name() + "'";
    if (const long line = Line(); line > 0) text += " (l\xEDnea " + std::to_string(line) + ")";
    throw RunError(text);
  }
  return attribute;
}

std::string XmlNode::AttributeText(std::string_view name) const {
  return TrimAttributeText(Utf8ToAnsi(AttributeValue(RequireAttribute(name))));
}

std::string XmlNode::AttributeTextUtf8(std::string_view name) const {
  // Trimming bytes at or below the blank trims exactly the characters at or below U+0020:
  // every byte of a multi-byte UTF-8 sequence is above 0x7F.
  return TrimAttributeText(AttributeValue(RequireAttribute(name)));
}

void XmlNode::SetAttribute(std::string_view name, std::string_view ansiValue) {
  if (node_ == nullptr || node_->type != XML_ELEMENT_NODE) {
    throw RunError("No existe el elemento en el que escribir el atributo '" + std::string(name) +
                   "'");
  }
  RequireName(name, "atributo");
  // xmlSetProp stores the value as plain text (no entity parsing) and keeps the place of
  // an attribute already set; a new one goes after the others.
  if (xmlSetProp(node_, XmlChars(std::string(name)), XmlChars(ToXmlText(ansiValue))) == nullptr) {
    throw RunError("No se puede escribir el atributo '" + std::string(name) + "'");
  }
}

XmlNodeList XmlNode::SelectNodes(std::string_view path) const {
  if (document_ == nullptr) return {};
  if (path.starts_with('/')) return document_->SelectNodes(path);
  XmlNodeList list;
  list.document_ = document_;
  list.nodes_ = Select(node_, StepsOf(path));
  return list;
}

XmlNode XmlNode::SelectSingleNode(std::string_view path) const {
  const XmlNodeList list = SelectNodes(path);
  return list.Count() > 0 ? list.Item(0) : XmlNode();
}

void XmlNode::AppendChild(XmlNode child) {
  if (document_ == nullptr || node_ == nullptr) {
    throw RunError(
        "No existe el nodo XML al que a\xF1"
        "adir");
  }
  document_->impl_->Append(node_, child.node_, child.document_ == document_);
}

void XmlNode::RemoveChild(XmlNode child) {
  if (document_ == nullptr || node_ == nullptr) {
    throw RunError("No existe el nodo XML del que quitar");
  }
  document_->impl_->Remove(node_, child.node_);
}

// ---- XmlNodeList

XmlNode XmlNodeList::Item(std::size_t index) const {
  if (index >= nodes_.size()) return {};
  return XmlNode(document_, nodes_[index]);
}

// ---- XmlDocument

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

void XmlDocument::Load(const std::filesystem::path& path) {
  const std::string bytes = xml::ReadWholeFile(path);
  xml::DocPtr parsed = xml::ParseUntrusted(bytes);
  if (parsed == nullptr) {
    // Not a document: empty, every selection empty, as the Windows component leaves it.
    xml::DocPtr empty(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    if (empty == nullptr) throw RunError("No se puede crear el documento XML");
    impl_->Reset(empty.release(), true);
    return;
  }
  impl_->Reset(parsed.release(), xml::StartsWithDeclaration(bytes));
}

XmlNodeList XmlDocument::SelectNodes(std::string_view path) const {
  XmlNodeList list;
  list.document_ = const_cast<XmlDocument*>(this);
  list.nodes_ = Select(AsNode(impl_->doc), StepsOf(path));
  return list;
}

XmlNode XmlDocument::SelectSingleNode(std::string_view path) const {
  const XmlNodeList list = SelectNodes(path);
  return list.Count() > 0 ? list.Item(0) : XmlNode();
}

XmlNode XmlDocument::DocumentElement() const {
  return XmlNode(const_cast<XmlDocument*>(this), xmlDocGetRootElement(impl_->doc));
}

XmlNode XmlDocument::DocumentNode() const {
  return XmlNode(const_cast<XmlDocument*>(this), AsNode(impl_->doc));
}

XmlNode XmlDocument::CreateElement(std::string_view name) {
  RequireName(name, "elemento");
  xmlNode* node = xmlNewDocNode(impl_->doc, nullptr, XmlChars(std::string(name)), nullptr);
  if (node == nullptr) throw RunError("No se puede crear el elemento '" + std::string(name) + "'");
  impl_->detached.insert(node);
  return XmlNode(this, node);
}

XmlNode XmlDocument::CreateNode(XmlNodeType type, std::string_view name,
                                std::string_view namespaceUri) {
  if (type != XmlNodeType::Element) throw RunError("Tipo de nodo XML no admitido");
  XmlNode element = CreateElement(name);
  if (!namespaceUri.empty()) {
    const std::size_t colon = name.find(':');
    const std::string prefix =
        colon == std::string_view::npos ? "" : std::string(name.substr(0, colon));
    xmlNs* ns = xmlNewNs(element.node_, XmlChars(std::string(namespaceUri)),
                         prefix.empty() ? nullptr : XmlChars(prefix));
    if (ns != nullptr) {
      xmlSetNs(element.node_, ns);
      if (colon != std::string_view::npos) {
        xmlNodeSetName(element.node_, XmlChars(std::string(name.substr(colon + 1))));
      }
    }
  }
  return element;
}

void XmlDocument::AppendChild(XmlNode child) {
  impl_->Append(AsNode(impl_->doc), child.node_, child.document_ == this);
}

void XmlDocument::RemoveChild(XmlNode child) {
  impl_->Remove(AsNode(impl_->doc), child.node_);
}

// Encoding: the one the loaded file declared (characters it lacks become character
// references, which libxml2's writer does by itself), or UTF-8 where it declared none.
// New elements are indented (libxml2's format output); what was loaded keeps its own
// white space, since it has text nodes of its own.
void XmlDocument::Save(const std::filesystem::path& path) const {
  xmlDoc* doc = impl_->doc;
  std::string bytes;
  if (doc->encoding != nullptr && impl_->writesDeclaration) {
    bytes = Serialize(doc, nullptr, XML_SAVE_FORMAT);
  }
  if (bytes.empty()) {
    bytes = Serialize(doc, "UTF-8", XML_SAVE_FORMAT | XML_SAVE_NO_DECL);
    if (impl_->writesDeclaration) bytes.insert(0, PlainDeclaration(doc));
  }
  WriteFileAtomically(path, bytes, "No se puede guardar el archivo XML '%s'");
}

}  // namespace tto
