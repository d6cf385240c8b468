#pragma once

// Reading a school file that may be hostile: the one place where libxml2's parser is
// configured. Private to the XML document service.

#include <libxml/tree.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tto::xml {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// The line where an element of a parsed document starts (0 for created elements).
long LineOf(const xmlNode* element);

// The whole file. A path that names no readable regular file (missing, a folder, a device,
// no permission) is a RunError naming it.
std::string ReadWholeFile(const std::filesystem::path& path);

// The document the bytes hold, or null when they are not a well-formed document (empty
// bytes included) or would expand entities beyond reason. Nothing outside the bytes is
// ever read: no external entity, no external DTD, no network.
DocPtr ParseUntrusted(std::string_view bytes);

// Whether the bytes open with an XML declaration (in any of the encodings a school file
// may use), so that saving writes one only where the file had one.
bool StartsWithDeclaration(std::string_view bytes);

}  // namespace tto::xml
