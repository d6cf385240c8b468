#include "store/XmlDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/AnsiText.h"
#include "store/RunError.h"
#include "tests/support/ErrorText.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::ReadFileBytes;
using testing::ScratchFolder;

const fs::path kXmlFixtures = fs::path(TTO_FIXTURES_DIR) / "xml";

// The named attribute of every element of a list, in list order.
std::vector<std::string> Attributes(const XmlNodeList& list, std::string_view name) {
  std::vector<std::string> values;
  for (std::size_t i = 0; i < list.Count(); ++i) values.push_back(list.Item(i).AttributeText(name));
  return values;
}

// ---------------------------------------------------------------- loading

class SchoolFileEncoding : public ::testing::TestWithParam<const char*> {};

TEST_P(SchoolFileEncoding, LoadsWithAccentedNamesIntact) {
  XmlDocument doc;
  doc.Load(kXmlFixtures / GetParam());
  const XmlNode root = doc.DocumentElement();
  ASSERT_TRUE(root);
  EXPECT_EQ(root.AttributeText("Nombre"),
            "IES Pe\xF1"
            "alver");
  EXPECT_EQ(Attributes(doc.SelectNodes("/Centro/Materias/Materia"), "Nombre"),
            (std::vector<std::string>{"Matem\xE1ticas", "Educaci\xF3n F\xEDsica",
                                      "Econom\xED"
                                      "a \x80"}));
  const XmlNode teacher = doc.SelectSingleNode("/Centro/Profesores/Profesor");
  EXPECT_EQ(teacher.AttributeText("Apellido1"),
            "Pe\xF1"
            "alver");
  EXPECT_EQ(teacher.AttributeText("Apellido2"),
            "N\xFA\xF1"
            "ez");
}

TEST_P(SchoolFileEncoding, SavesInTheDeclaredEncodingAndReadsBackTheSame) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / GetParam());
  doc.SelectSingleNode("/Centro/Profesores/Profesor").SetAttribute("Nombre", "\xC1ngel \x80");
  doc.Save(scratch / "out.xml");

  const std::string original = ReadFileBytes(kXmlFixtures / GetParam());
  const std::string saved = ReadFileBytes(scratch / "out.xml");
  // UTF-16 stays UTF-16 with a byte-order mark (little-endian is what libxml2 writes);
  // 8-bit files keep their declaration as it was.
  const auto utf16 = [](const std::string& bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  };
  EXPECT_EQ(utf16(saved), utf16(original));
  if (!utf16(original)) {
    EXPECT_EQ(saved.substr(0, saved.find('>')), original.substr(0, original.find('>')));
  }
  XmlDocument again;
  again.Load(scratch / "out.xml");
  EXPECT_EQ(again.DocumentElement().AttributeText("Nombre"),
            "IES Pe\xF1"
            "alver");
  EXPECT_EQ(Attributes(again.SelectNodes("/Centro/Materias/Materia"), "Nombre"),
            (std::vector<std::string>{"Matem\xE1ticas", "Educaci\xF3n F\xEDsica",
                                      "Econom\xED"
                                      "a \x80"}));
  EXPECT_EQ(again.SelectSingleNode("/Centro/Profesores/Profesor").AttributeText("Nombre"),
            "\xC1ngel \x80");
}

INSTANTIATE_TEST_SUITE_P(EveryEncoding, SchoolFileEncoding,
                         ::testing::Values("school-utf8.xml", "school-iso-8859-1.xml",
                                           "school-windows-1252.xml", "school-utf16le-bom.xml",
                                           "school-utf16be-bom.xml"));

TEST(XmlSave, WritesCharactersTheEncodingLacksAsReferences) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "school-iso-8859-1.xml");
  doc.Save(scratch / "out.xml");
  const std::string saved = ReadFileBytes(scratch / "out.xml");
  EXPECT_TRUE(saved.starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
  EXPECT_NE(saved.find("Econom\xED"
                       "a &#8364;"),
            std::string::npos)
      << saved;                                                // Latin-1 has no euro
  EXPECT_NE(saved.find("Matem\xE1ticas"), std::string::npos);  // but has á

  doc.Load(kXmlFixtures / "school-windows-1252.xml");
  doc.Save(scratch / "out.xml");
  EXPECT_NE(ReadFileBytes(scratch / "out.xml")
                .find("Econom\xED"
                      "a \x80"),
            std::string::npos);
  // A character the file held as a reference, and its encoding lacks, stays a reference.
  doc.Load(scratch.Write("omega.xml",
                         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                         "<Centro Nombre=\"&#937; \x80\">&#937;</Centro>\n"));
  doc.Save(scratch / "out.xml");
  EXPECT_EQ(ReadFileBytes(scratch / "out.xml"),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
            "<Centro Nombre=\"&#937; \x80\">&#937;</Centro>\n");
}

TEST(XmlLoad, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("s.xml", "<Centro Nombre=\"\xCE\xA9mega \xE4\xB8\xAD &#x1F600;\"/>"));
  EXPECT_EQ(doc.DocumentElement().AttributeText("Nombre"), "?mega ? ?");
}

TEST(XmlLoad, WhatDoesNotParseLeavesAnEmptyDocument) {
  const std::string cases[] = {
      "",                    // empty file
      "   \r\n",             // blanks only
      "\xEF\xBB\xBF",        // byte-order mark only
      "texto",               // not XML
      "<Centro>",            // unclosed
      "<Centro></centro>",   // mismatched case
      "<Centro/><Centro/>",  // two roots
      "<Centro/>basura",     // text after the root
      "<Centro Nombre=\"Pe\xF1"
      "alver\"/>",  // Latin-1 bytes, no declaration
      "<?xml version=\"1.0\" encoding=\"x-desconocida\"?><Centro/>",  // unknown encoding
      "<Centro a=\"1\" a=\"2\"/>",                                    // attribute twice
      "<Centro>&desconocida;</Centro>",                               // undeclared entity
      std::string("<Centro\0/>", 10),                                 // NUL byte
  };
  ScratchFolder scratch;
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    XmlDocument doc;
    doc.Load(kXmlFixtures / "school-utf8.xml");  // a document before: the load replaces it
    doc.Load(scratch.Write("bad.xml", bytes));
    EXPECT_FALSE(doc.DocumentElement());
    EXPECT_EQ(doc.SelectNodes("/Centro").Count(), 0u);
    EXPECT_EQ(doc.SelectNodes("/Centro/Materias/Materia").Count(), 0u);
    EXPECT_FALSE(doc.SelectSingleNode("/Centro"));
  }
}

TEST(XmlLoad, PathThatCannotBeReadIsAnErrorNamingIt) {
  ScratchFolder scratch;
  fs::create_directory(scratch / "carpeta.xml");
  ASSERT_EQ(mkfifo((scratch / "tuberia.xml").c_str(), 0600), 0);
  struct Case {
    fs::path path;
    const char* reason;
  };
  const Case cases[] = {
      {scratch / "falta.xml", "no existe"},
      {scratch / "no" / "hay" / "carpeta.xml", "no existe"},
      {scratch / "carpeta.xml", "es una carpeta"},
      {scratch / "tuberia.xml", "no es un archivo"},  // and does not hang waiting for a writer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    XmlDocument doc;
    EXPECT_EQ(ErrorOf([&] { doc.Load(c.path); }),
              "No se puede leer el archivo XML '" + c.path.string() + "': " + c.reason);
  }
}

TEST(XmlLoad, FileWithoutReadPermissionIsAnErrorNamingIt) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  ScratchFolder scratch;
  const fs::path file = scratch.Write("cerrado.xml", "<Centro/>");
  fs::permissions(file, fs::perms::none);
  XmlDocument doc;
  EXPECT_EQ(ErrorOf([&] { doc.Load(file); }),
            "No se puede leer el archivo XML '" + file.string() + "': permiso denegado");
}

// ---------------------------------------------------------------- attributes

constexpr const char* kTeachers =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Centro Codigo=\" C1 \">\n"
    "  <Profesores>\n"
    "    <Profesor Codigo=\"\tP1\r\n\" Apellido1=\"Garc\xC3\xAD"
    "a\" Apellido2=\"\"/>\n"
    "    <Profesor Codigo=\"P2\" Apellido1=\"L\xC3\xB3pez\"/>\n"
    "  </Profesores>\n"
    "</Centro>\n";

TEST(XmlAttributes, AttributeTextIsTrimmedProgramText) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("t.xml", kTeachers));
  const XmlNodeList teachers = doc.SelectNodes("/Centro/Profesores/Profesor");
  EXPECT_EQ(doc.DocumentElement().AttributeText("Codigo"), "C1");
  EXPECT_EQ(teachers.Item(0).AttributeText("Codigo"), "P1");  // tab, CR, LF normalised and trimmed
  EXPECT_EQ(teachers.Item(0).AttributeText("Apellido1"),
            "Garc\xED"
            "a");
  EXPECT_EQ(teachers.Item(0).AttributeText("Apellido2"), "");  // present but empty
  EXPECT_TRUE(teachers.Item(0).HasAttribute("Apellido2"));
  EXPECT_FALSE(teachers.Item(1).HasAttribute("Apellido2"));
  EXPECT_FALSE(teachers.Item(1).HasAttribute("codigo"));  // names match case included
}

TEST(XmlAttributes, MissingAttributeNamesElementAttributeAndLine) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("t.xml", kTeachers));
  const XmlNodeList teachers = doc.SelectNodes("/Centro/Profesores/Profesor");
  EXPECT_EQ(ErrorOf([&] { teachers.Item(1).AttributeText("Apellido2"); }),
            "Falta el atributo 'Apellido2' en el elemento 'Profesor' (l\xEDnea 6)");
  EXPECT_EQ(ErrorOf([&] { teachers.Item(1).AttributeText("codigo"); }),
            "Falta el atributo 'codigo' en el elemento 'Profesor' (l\xEDnea 6)");
  EXPECT_EQ(ErrorOf([&] { doc.DocumentElement().AttributeText("Version"); }),
            "Falta el atributo 'Version' en el elemento 'Centro' (l\xEDnea 2)");
  // A created element has no line in any file.
  EXPECT_EQ(ErrorOf([&] { doc.CreateElement("horario").AttributeText("dia"); }),
            "Falta el atributo 'dia' en el elemento 'horario'");
  // Reading from no element at all (an empty document's root) is an error too, not a crash.
  XmlDocument empty;
  EXPECT_NE(ErrorOf([&] { empty.DocumentElement().AttributeText("Nombre"); }), "(no error)");
}

TEST(XmlAttributes, LineNumbersBeyond65535AreKept) {
  std::string text = "<Centro>\n<Aulas>\n";
  for (int i = 0; i < 70000; ++i) text += "<Aula Codigo=\"A\"/>\n";
  text += "<Aula/>\n</Aulas>\n</Centro>\n";
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("big.xml", text));
  const XmlNodeList rooms = doc.SelectNodes("/Centro/Aulas/Aula");
  ASSERT_EQ(rooms.Count(), 70001u);
  EXPECT_EQ(ErrorOf([&] { rooms.Item(70000).AttributeText("Codigo"); }),
            "Falta el atributo 'Codigo' en el elemento 'Aula' (l\xEDnea 70003)");
}

TEST(XmlAttributes, SetAttributeKeepsTheOrderOfFirstSetting) {
  XmlDocument doc;
  XmlNode element = doc.CreateElement("Centro");
  element.SetAttribute("Codigo", "C1");
  element.SetAttribute("Nombre", "uno");
  element.SetAttribute("CursoEscolar", "2024");
  element.SetAttribute("Nombre", "dos");  // replaced in its place
  doc.AppendChild(element);
  ScratchFolder scratch;
  doc.Save(scratch / "out.xml");
  EXPECT_EQ(ReadFileBytes(scratch / "out.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<Centro Codigo=\"C1\" Nombre=\"dos\" CursoEscolar=\"2024\"/>\n");
}

TEST(XmlAttributes, ValuesRoundTripWhateverTheyHold) {
  const std::string values[] = {
      "a & b < c > d \" e ' f",  // markup characters
      "&amp; &lt; &#65;",        // text that looks like references stays text
      "Pe\xF1"
      "alver \x80 \x93x\x94",  // Windows-1252 letters and signs
      "  con blancos  ",       // AttributeText trims what SetAttribute kept
      "",
  };
  ScratchFolder scratch;
  XmlDocument doc;
  XmlNode root = doc.CreateElement("Centro");
  doc.AppendChild(root);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    root.SetAttribute("v" + std::to_string(i), values[i]);
  }
  doc.Save(scratch / "out.xml");
  XmlDocument again;
  again.Load(scratch / "out.xml");
  for (std::size_t i = 0; i < std::size(values); ++i) {
    SCOPED_TRACE(values[i]);
    EXPECT_EQ(again.DocumentElement().AttributeText("v" + std::to_string(i)),
              TrimAttributeText(values[i]));
  }
}

TEST(XmlAttributes, ControlCharactersXmlCannotHoldBecomeQuestionMarks) {
  ScratchFolder scratch;
  XmlDocument doc;
  XmlNode root = doc.CreateElement("Centro");
  doc.AppendChild(root);
  root.SetAttribute("Nombre", std::string("a\x01"
                                          "b\x1F"
                                          "c\0d",
                                          7));
  doc.Save(scratch / "out.xml");
  XmlDocument again;
  again.Load(scratch / "out.xml");  // still well-formed
  EXPECT_EQ(again.DocumentElement().AttributeText("Nombre"), "a?b?c?d");
}

TEST(XmlAttributes, InvalidNamesAreRefused) {
  XmlDocument doc;
  XmlNode element = doc.CreateElement("Centro");
  EXPECT_THROW(element.SetAttribute("", "x"), RunError);
  EXPECT_THROW(element.SetAttribute("1a", "x"), RunError);
  EXPECT_THROW(element.SetAttribute("a b", "x"), RunError);
  EXPECT_THROW(doc.CreateElement("<Centro>"), RunError);
  EXPECT_THROW(doc.CreateElement(""), RunError);
}

// ---------------------------------------------------------------- selection

constexpr const char* kRooms =
    "<Centro>\n"
    "  <Aulas><Aula Codigo=\"A1\"/><Aula Codigo=\"A2\"><Aula Codigo=\"dentro\"/></Aula></Aulas>\n"
    "  <Otros><Aula Codigo=\"fuera\"/></Otros>\n"
    "  <Aulas><aula Codigo=\"minuscula\"/><Aula Codigo=\"A3\"/></Aulas>\n"
    "  <x:Aulas xmlns:x=\"urn:x\"><Aula Codigo=\"prefijo\"/></x:Aulas>\n"
    "</Centro>\n";

TEST(XmlSelect, AbsolutePathsGiveExactMatchesInDocumentOrderFromAnyNode) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("rooms.xml", kRooms));
  struct Case {
    const char* path;
    std::vector<std::string> codes;
  };
  const Case cases[] = {
      {"/Centro/Aulas/Aula", {"A1", "A2", "A3"}},  // across both Aulas, in order
      {"/Centro/Aulas/Aula/Aula", {"dentro"}},
      {"/Centro/Aulas/aula", {"minuscula"}},  // case matters
      {"/Centro/Otros/Aula", {"fuera"}},
      {"/Centro/x:Aulas/Aula", {"prefijo"}},  // names as written, prefix included
      {"/centro/Aulas/Aula", {}},
      {"/Centro/Aula", {}},
      {"/Aulas/Aula", {}},
      {"/Centro/Profesores/Profesor", {}},
  };
  XmlNode created = doc.CreateElement("suelto");
  const XmlNode askers[] = {doc.DocumentNode(), doc.DocumentElement(),
                            doc.SelectSingleNode("/Centro/Aulas/Aula/Aula"), created};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Attributes(doc.SelectNodes(c.path), "Codigo"), c.codes);
    for (const XmlNode& asker : askers) {
      EXPECT_EQ(Attributes(asker.SelectNodes(c.path), "Codigo"), c.codes);
    }
    const XmlNode first = doc.SelectSingleNode(c.path);
    EXPECT_EQ(first.IsNull(), c.codes.empty());
    if (first) {
      EXPECT_EQ(first.AttributeText("Codigo"), c.codes.front());
    }
  }
}

TEST(XmlSelect, RelativePathsStartAtTheNode) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("rooms.xml", kRooms));
  const XmlNode secondGroup = doc.SelectNodes("/Centro/Aulas").Item(1);
  EXPECT_EQ(Attributes(secondGroup.SelectNodes("Aula"), "Codigo"), std::vector<std::string>{"A3"});
  EXPECT_EQ(Attributes(doc.DocumentElement().SelectNodes("Aulas/Aula"), "Codigo"),
            (std::vector<std::string>{"A1", "A2", "A3"}));
}

TEST(XmlSelect, PathsBeyondPlainNamesAreRefused) {
  XmlDocument doc;
  for (const char* path : {"//Aula", "/Centro/*", "/Centro/Aula[1]", "/Centro/@Codigo", "/Centro/",
                           "/Centro//Aula", "/Centro/../Centro", "/Centro | /Otro"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ErrorOf([&] { doc.SelectNodes(path); }),
              std::string("Ruta XML no admitida: '") + path + "'");
  }
}

TEST(XmlSelect, ListItemsOutOfRangeAreNull) {
  XmlDocument doc;
  const XmlNodeList none = doc.SelectNodes("/Centro");
  EXPECT_EQ(none.Count(), 0u);
  EXPECT_TRUE(none.Item(0).IsNull());
}

TEST(XmlNodes, ParentsLeadUpToTheDocument) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("rooms.xml", kRooms));
  const XmlNode inner = doc.SelectSingleNode("/Centro/Aulas/Aula/Aula");
  EXPECT_EQ(inner.ParentNode().AttributeText("Codigo"), "A2");
  EXPECT_EQ(inner.ParentNode().ParentNode().ParentNode(), doc.DocumentElement());
  EXPECT_EQ(doc.DocumentElement().ParentNode(), doc.DocumentNode());
  EXPECT_EQ(doc.DocumentNode().Name(), "#document");
  EXPECT_TRUE(doc.DocumentNode().ParentNode().IsNull());
  EXPECT_TRUE(doc.CreateElement("x").ParentNode().IsNull());
}

// ---------------------------------------------------------------- changing and saving

TEST(XmlChange, NewRootReplacesTheOldOneAndChildrenFollowInOrder) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "prolog.xml");
  const XmlNode old = doc.SelectSingleNode("/Centro");
  const std::string name = old.AttributeText("Nombre");
  doc.RemoveChild(old);
  EXPECT_FALSE(doc.DocumentElement());
  EXPECT_FALSE(doc.SelectSingleNode("/Centro"));

  XmlNode root = doc.CreateElement("Centro");
  root.SetAttribute("Codigo", "C1");
  root.SetAttribute("Nombre", name);
  doc.AppendChild(root);
  XmlNode horario = doc.CreateNode(XmlNodeType::Element, "horario", "");
  root.AppendChild(horario);
  for (const char* day : {"L", "M", "X"}) {
    XmlNode activity = doc.CreateElement("actividad");
    activity.SetAttribute("dia", day);
    horario.AppendChild(activity);
  }
  EXPECT_EQ(doc.SelectSingleNode("/Centro"), root);
  EXPECT_EQ(doc.DocumentElement(), root);
  EXPECT_EQ(doc.SelectNodes("/Centro/Aulas/Aula").Count(), 0u);  // the old content is gone
  EXPECT_EQ(Attributes(doc.SelectNodes("/Centro/horario/actividad"), "dia"),
            (std::vector<std::string>{"L", "M", "X"}));

  doc.Save(scratch / "ResultadoTarvosprolog.xml");
  // The prolog as loaded; the epilog stays before the new root, which is the last child.
  EXPECT_EQ(ReadFileBytes(scratch / "ResultadoTarvosprolog.xml"),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
            "<!-- Exportado por Ordalis -->\n"
            "<?xml-stylesheet type=\"text/xsl\" href=\"centro.xsl\"?>\n"
            "<!-- Segundo comentario: a\xF1o 2024 -->\n"
            "<?ordalis version=\"5.2\"?>\n"
            "<!-- Fin del archivo -->\n"
            "<?ordalis-fin firma=\"abc\"?>\n"
            "<Centro Codigo=\"C1\" Nombre=\"IES Pe\xF1"
            "alver\">\n"
            "  <horario>\n"
            "    <actividad dia=\"L\"/>\n"
            "    <actividad dia=\"M\"/>\n"
            "    <actividad dia=\"X\"/>\n"
            "  </horario>\n"
            "</Centro>\n");
}

TEST(XmlChange, UnchangedDocumentSavesAsLoaded) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "prolog.xml");
  doc.Save(scratch / "copy.xml");
  EXPECT_EQ(ReadFileBytes(scratch / "copy.xml"), ReadFileBytes(kXmlFixtures / "prolog.xml"));
}

TEST(XmlChange, DeclarationIsWrittenOnlyAsTheFileHadIt) {
  struct Case {
    std::string loaded;
    std::string saved;
  };
  const Case cases[] = {
      // No declaration: none written, UTF-8 text as it is.
      {"<Centro Nombre=\"Pe\xC3\xB1"
       "alver\"/>",
       "<Centro Nombre=\"Pe\xC3\xB1"
       "alver\"/>\n"},
      // A declaration without encoding stays without one; accents stay plain UTF-8.
      {"<?xml version=\"1.0\"?>\n<Centro Nombre=\"Pe\xC3\xB1"
       "alver\"/>",
       "<?xml version=\"1.0\"?>\n<Centro Nombre=\"Pe\xC3\xB1"
       "alver\"/>\n"},
      {"<?xml version=\"1.0\" standalone=\"no\"?><Centro>\xC3\xB1</Centro>",
       "<?xml version=\"1.0\" standalone=\"no\"?>\n<Centro>\xC3\xB1</Centro>\n"},
      // A byte-order mark without declaration: UTF-8 without either.
      {"\xEF\xBB\xBF<Centro/>", "<Centro/>\n"},
      // A leading processing instruction is no declaration.
      {"<?xml-stylesheet href=\"a.xsl\"?><Centro/>",
       "<?xml-stylesheet href=\"a.xsl\"?>\n<Centro/>\n"},
  };
  ScratchFolder scratch;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loaded);
    XmlDocument doc;
    doc.Load(scratch.Write("in.xml", c.loaded));
    doc.Save(scratch / "out.xml");
    EXPECT_EQ(ReadFileBytes(scratch / "out.xml"), c.saved);
  }
}

TEST(XmlChange, StructuralMistakesAreErrorsNotCorruption) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(scratch.Write("rooms.xml", kRooms));
  XmlNode root = doc.DocumentElement();
  XmlNode group = doc.SelectSingleNode("/Centro/Aulas");
  XmlNode room = doc.SelectSingleNode("/Centro/Aulas/Aula");

  EXPECT_THROW(doc.AppendChild(doc.CreateElement("Centro")), RunError);  // a second root
  EXPECT_THROW(room.AppendChild(group), RunError);                       // into its own child
  EXPECT_THROW(room.AppendChild(room), RunError);                        // into itself
  EXPECT_THROW(root.RemoveChild(room), RunError);                        // not its child
  EXPECT_THROW(root.AppendChild(XmlNode()), RunError);
  XmlDocument other;
  EXPECT_THROW(root.AppendChild(other.CreateElement("ajeno")), RunError);  // another document

  // Appending an attached element moves it.
  XmlNode others = doc.SelectSingleNode("/Centro/Otros");
  others.AppendChild(room);
  EXPECT_EQ(Attributes(doc.SelectNodes("/Centro/Otros/Aula"), "Codigo"),
            (std::vector<std::string>{"fuera", "A1"}));
  EXPECT_EQ(Attributes(doc.SelectNodes("/Centro/Aulas/Aula"), "Codigo"),
            (std::vector<std::string>{"A2", "A3"}));
}

TEST(XmlChange, RemovedAndUnattachedNodesAreFreedWithTheDocument) {
  // Under LeakSanitizer a leak here fails the run.
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "school-utf8.xml");
  XmlNode lost = doc.CreateElement("nunca");
  lost.SetAttribute("a", "b");
  lost.AppendChild(doc.CreateElement("hijo"));
  XmlNode teacher = doc.SelectSingleNode("/Centro/Profesores/Profesor");
  teacher.ParentNode().RemoveChild(teacher);
  lost.AppendChild(teacher);  // a removed node put into an unattached one
  doc.RemoveChild(doc.DocumentElement());
  doc.Load(kXmlFixtures / "school-utf8.xml");  // a second load frees the first document
  doc.RemoveChild(doc.DocumentElement());
  doc.CreateElement("tambien");
}

TEST(XmlChange, NewDocumentSavesAsUtf8) {
  ScratchFolder scratch;
  XmlDocument doc;
  XmlNode root = doc.CreateElement("Centro");
  root.SetAttribute("Nombre",
                    "Pe\xF1"
                    "alver");
  doc.AppendChild(root);
  doc.Save(scratch / "new.xml");
  EXPECT_EQ(ReadFileBytes(scratch / "new.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Centro Nombre=\"Pe\xC3\xB1"
            "alver\"/>\n");
}

TEST(XmlSave, FailureLeavesTheExistingFileAndNamesThePath) {
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "school-utf8.xml");
  fs::create_directory(scratch / "carpeta.xml");
  const fs::path targets[] = {scratch / "carpeta.xml", scratch / "falta" / "out.xml"};
  for (const fs::path& target : targets) {
    SCOPED_TRACE(target);
    EXPECT_EQ(ErrorOf([&] { doc.Save(target); }),
              "No se puede guardar el archivo XML '" + target.string() + "'");
  }
  EXPECT_TRUE(fs::is_directory(scratch / "carpeta.xml"));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST(XmlSave, ReadOnlyFolderOrFileIsNotWritten) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  ScratchFolder scratch;
  XmlDocument doc;
  doc.Load(kXmlFixtures / "school-utf8.xml");
  const fs::path earlier = scratch.Write("ResultadoTarvos.xml", "anterior");
  fs::permissions(scratch.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(doc.Save(earlier), RunError);
  fs::permissions(scratch.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(earlier), "anterior");
}

TEST(XmlSave, ReplacesAnEarlierResult) {
  ScratchFolder scratch;
  const fs::path target = scratch.Write("ResultadoTarvos.xml", "anterior");
  XmlDocument doc;
  doc.Load(kXmlFixtures / "school-utf8.xml");
  doc.Save(target);
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(kXmlFixtures / "school-utf8.xml"));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tto
