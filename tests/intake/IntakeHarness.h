#pragma once

// Drives intake runs on small school files written inline: a scripted shell answers the
// dialog, a scratch folder serves as the exchange folder, and tables are read back through
// the store.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/RunState.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedShell.h"

namespace tto::testing {

using XmlAttributes = std::vector<std::pair<std::string, std::string>>;

// <name a="v" .../> with the values escaped; values are UTF-8, as the school file holds them.
std::string XmlElement(std::string_view name, const XmlAttributes& attributes);
// <container>children...</container>
std::string XmlSection(std::string_view container, const std::vector<std::string>& children);
// A whole school file: declaration, root Centro with its four attributes, the body.
std::string SchoolFileXml(std::string_view body);

// Rows projected on a few fields (program text), as ReadColumns gives them.
using Columns = std::vector<std::vector<std::string>>;

class IntakeHarness {
 public:
  IntakeHarness();

  // Writes a school file and answers the next dialog with its path.
  std::filesystem::path OfferSchoolFile(std::string_view body,
                                        std::string_view fileName = "centro.xml");
  // One intake run (BExportarClick) on the given school file body.
  void RunWith(std::string_view body);
  // One intake run with whatever the dialog script holds.
  void Run();

  Columns Read(std::string_view table, const std::vector<std::string>& fields) const;
  // Whether the exchange folder holds NAME.DBF.
  bool HasTable(std::string_view table) const;
  // Whether every listed table can be opened (and so is not held by anyone).
  void ExpectTablesFree(std::initializer_list<std::string_view> tables) const;

  ScratchFolder files;
  ScratchFolder exchange;
  RunState state;
  ScriptedShell shell;
};

}  // namespace tto::testing
