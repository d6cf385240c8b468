#include "store/XmlUntrusted.h"

#include <fcntl.h>
#include <libxml/SAX2.h>
#include <libxml/chvalid.h>
#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>

#include "store/AnsiText.h"
#include "store/RunError.h"

// What a school file can try, and what stops it:
// - external entities and an external DTD (file or network): the process-wide entity
//   loader refuses every request, the parser runs with XML_PARSE_NONET and without
//   XML_PARSE_NOENT, XML_PARSE_DTDLOAD, XML_PARSE_DTDATTR and XML_PARSE_DTDVALID, so
//   nothing outside the bytes is asked for in the first place; XInclude is never run;
// - entity expansion ("billion laughs", quadratic blow-up): entities are not substituted
//   by the parser, whose own amplification checks stay on (no XML_PARSE_HUGE, which also
//   keeps its limits on name and text sizes and on nesting depth). libxml2 keeps a
//   reference to an internal entity inside an attribute value as a reference node, and
//   its own reading of such a value would expand it without any bound; so right after
//   parsing we expand those references ourselves, within a budget, and a document that
//   exceeds it counts as not parsing;
// - parser messages never reach stderr (XML_PARSE_NOERROR, XML_PARSE_NOWARNING).

namespace tto::xml {
namespace {

namespace fs = std::filesystem;

// Room enough for any school file that really uses entities in attribute values, and far
// below what would hurt: expansion stops there and the document does not parse.
constexpr std::size_t kExpansionBudget = 1 << 20;
// References nested deeper than this are a loop or an attack.
constexpr int kMaxEntityDepth = 16;

xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

void IgnoreMessage(void*, const char*, ...) {}

void PrepareLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
    xmlThrDefSetGenericErrorFunc(nullptr, IgnoreMessage);
  });
}

[[noreturn]] void FailToRead(const fs::path& path, const char* reason) {
  throw RunError("No se puede leer el archivo XML '" + PathToAnsi(path) + "': " + reason);
}

const char* ReasonOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "no existe";
    case EACCES:
    case EPERM:
      return "permiso denegado";
    case EISDIR:
      return "es una carpeta";
    default:
      return "error de lectura";
  }
}

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Expands the internal entities of attribute values as the XML rules say (character
// references, predefined and internal general entities, white space turned into blanks),
// within one budget for the whole document. External and unparsed entities are never
// expanded: their references fail the document.
class AttributeEntityExpander {
 public:
  explicit AttributeEntityExpander(xmlDoc* doc) : doc_(doc) {}

  bool AppendReference(std::string& out, std::string_view name, int depth) {
    if (depth > kMaxEntityDepth) return false;
    if (!name.empty() && name[0] == '#') return AppendCharacter(out, name.substr(1));
    const std::string key(name);
    const xmlEntity* entity = xmlGetDocEntity(doc_, reinterpret_cast<const xmlChar*>(key.c_str()));
    if (entity == nullptr || entity->content == nullptr) return false;
    const auto* content = reinterpret_cast<const char*>(entity->content);
    switch (entity->etype) {
      case XML_INTERNAL_PREDEFINED_ENTITY:
        return Append(out, content);
      case XML_INTERNAL_GENERAL_ENTITY:
        return AppendReplacementText(out, content, depth + 1);
      default:
        return false;
    }
  }

 private:
  bool Append(std::string& out, std::string_view text) {
    if (text.size() > budget_) return false;
    budget_ -= text.size();
    out += text;
    return true;
  }

  bool AppendCharacter(std::string& out, std::string_view digits) {
    int base = 10;
    if (!digits.empty() && digits[0] == 'x') {
      base = 16;
      digits.remove_prefix(1);
    }
    if (digits.empty() || digits.size() > 8) return false;
    unsigned long cp = 0;
    for (char c : digits) {
      int value = -1;
      if (c >= '0' && c <= '9') value = c - '0';
      if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
      if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
      if (value < 0) return false;
      cp = cp * static_cast<unsigned long>(base) + static_cast<unsigned long>(value);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || !xmlIsCharQ(cp)) {
      return false;
    }
    std::string encoded;
    AppendUtf8(encoded, cp);
    return Append(out, encoded);
  }

  bool AppendReplacementText(std::string& out, std::string_view text, int depth) {
    while (!text.empty()) {
      const std::size_t amp = text.find('&');
      std::string plain(text.substr(0, amp));
      for (char& c : plain) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
      }
      if (!Append(out, plain)) return false;
      if (amp == std::string_view::npos) break;
      const std::size_t semicolon = text.find(';', amp);
      if (semicolon == std::string_view::npos) return false;
      if (!AppendReference(out, text.substr(amp + 1, semicolon - amp - 1), depth)) return false;
      text.remove_prefix(semicolon + 1);
    }
    return true;
  }

  xmlDoc* doc_;
  std::size_t budget_ = kExpansionBudget;
};

bool DeclaresEntities(const xmlDoc* doc) {
  const xmlDtd* subset = doc->intSubset;
  return subset != nullptr && subset->entities != nullptr &&
         xmlHashSize(static_cast<xmlHashTablePtr>(subset->entities)) > 0;
}

// Replaces the reference nodes in one attribute's value by the plain text they stand for.
bool ResolveAttribute(xmlAttr* attribute, AttributeEntityExpander& expander) {
  bool hasReference = false;
  for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
    hasReference = hasReference || child->type == XML_ENTITY_REF_NODE;
  }
  if (!hasReference) return true;
  std::string value;
  for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE && child->content != nullptr) {
      value += reinterpret_cast<const char*>(child->content);
    } else if (child->type == XML_ENTITY_REF_NODE) {
      if (!expander.AppendReference(value, reinterpret_cast<const char*>(child->name), 0)) {
        return false;
      }
    }
  }
  xmlFreeNodeList(attribute->children);
  xmlNode* text = xmlNewDocText(attribute->doc, reinterpret_cast<const xmlChar*>(value.c_str()));
  attribute->children = text;
  attribute->last = text;
  if (text != nullptr) text->parent = reinterpret_cast<xmlNode*>(attribute);
  return text != nullptr;
}

// Walks every element (without recursion: depth is the parser's to bound, not our stack's).
bool ResolveAttributeEntities(xmlDoc* doc) {
  if (!DeclaresEntities(doc)) return true;
  AttributeEntityExpander expander(doc);
  xmlNode* node = doc->children;
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      for (xmlAttr* attribute = node->properties; attribute != nullptr;
           attribute = attribute->next) {
        if (!ResolveAttribute(attribute, expander)) return false;
      }
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node == reinterpret_cast<xmlNode*>(doc)) node = nullptr;
    }
    if (node != nullptr) node = node->next;
  }
  return true;
}

// libxml2 keeps an element's line in 16 bits. Beyond line 65535 we keep it ourselves, in
// the node's application field, taken at the same moment libxml2 takes it (the end of the
// start tag), so messages about huge school files still point at the right line.
void StartElementKeepingLine(void* context, const xmlChar* localName, const xmlChar* prefix,
                             const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                             int attributeCount, int defaultedCount, const xmlChar** attributes) {
  xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                        defaultedCount, attributes);
  const auto* parser = static_cast<xmlParserCtxt*>(context);
  if (parser->node != nullptr && parser->input != nullptr && parser->input->line >= 65535) {
    parser->node->_private =
        reinterpret_cast<void*>(static_cast<std::intptr_t>(parser->input->line));
  }
}

struct ParserContextFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

}  // namespace

long LineOf(const xmlNode* element) {
  if (element->_private != nullptr) {
    return static_cast<long>(reinterpret_cast<std::intptr_t>(element->_private));
  }
  return element->line;
}

std::string ReadWholeFile(const fs::path& path) {
  // O_NONBLOCK: a named pipe given as the school file must not hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) FailToRead(path, ReasonOf(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const bool folder = S_ISDIR(info.st_mode);
    ::close(fd);
    FailToRead(path, folder ? "es una carpeta" : "no es un archivo");
  }
  if (info.st_size > INT_MAX) {  // beyond what the parser takes in one piece
    ::close(fd);
    FailToRead(path, "es demasiado grande");
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      FailToRead(path, ReasonOf(error));
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

DocPtr ParseUntrusted(std::string_view bytes) {
  PrepareLibrary();
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  const std::unique_ptr<xmlParserCtxt, ParserContextFree> context(xmlNewParserCtxt());
  if (context == nullptr || context->sax == nullptr) return nullptr;
  context->sax->startElementNs = StartElementKeepingLine;
  constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  DocPtr doc(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               nullptr, kOptions));
  if (doc == nullptr || !ResolveAttributeEntities(doc.get())) return nullptr;
  return doc;
}

bool StartsWithDeclaration(std::string_view bytes) {
  // The first six characters, in the encoding the byte-order mark or the zero bytes of
  // UTF-16 show; "<?xml" must be followed by white space (<?xml-stylesheet?> is not one).
  std::size_t step = 1;
  std::size_t offset = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    offset = bytes[0] == '\xFE' ? 1 : 0;
    step = 2;
    bytes.remove_prefix(2);
  } else if (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0')) {
    offset = bytes[0] == '\0' ? 1 : 0;
    step = 2;
  }
  std::string head;
  for (std::size_t i = offset; i < bytes.size() && head.size() < 6; i += step) head += bytes[i];
  return head.size() == 6 && head.starts_with("<?xml") &&
         (head[5] == ' ' || head[5] == '\t' || head[5] == '\r' || head[5] == '\n');
}

}  // namespace tto::xml
