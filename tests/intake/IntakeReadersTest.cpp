// Two dBase engines that are not ours, TDbf and dbfread, read the catalogue, teacher and
// room tables an intake run writes as we wrote them: accents, cut values, blank and never
// written fields, both booleans, and ABREV_GESTION under its whole name.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/intake/IntakeHarness.h"
#include "tests/support/IndependentReaders.h"

namespace tto::testing {
namespace {

std::string Pair(const char* element, const std::string& codigo, const std::string& nombre) {
  return XmlElement(element, {{"Codigo", codigo}, {"Denominacion", nombre}});
}

std::string Teacher(const std::string& codigo, const std::string& apellido2,
                    const std::string& dep) {
  return XmlElement("Profesor", {{"Codigo", codigo},
                                 {"Nombre", "María José"},
                                 {"Apellido1", "Peñalver"},
                                 {"Apellido2", apellido2},
                                 {"CodigoDep", dep}});
}

const std::string kLongName(90, 'x');

const std::string kSchool =
    XmlSection("Materias", {Pair("Materia", "MAT", "Matemáticas"),
                            Pair("Materia", "ECONOMIAEMPRESA", "Economía de la Empresa"),
                            Pair("Materia", "", kLongName)}) +
    XmlSection("TiposActividad", {Pair("TipoActividad", "GUA", "Guardia"),
                                  Pair("TipoActividad", "RD", "Reunión de Departamento")}) +
    XmlSection("Profesores", {Teacher("P1", "Núñez", "MAT"), Teacher("p1", "", ""),
                              Teacher("PROFESORADO1", "Güell", "LEN")}) +
    XmlSection("Departamentos", {Pair("Departamento", "MAT", "Matemáticas"),
                                 Pair("Departamento", "LEN", kLongName)}) +
    XmlSection("Aulas", {Pair("Aula", "LABORATORIO-DE-QUÍMICA", "Laboratorio de Química"),
                         Pair("Aula", "", "Gimnasio"), Pair("Aula", "A1", "")});

struct TableLevel {
  const char* table;
  int level;
};

TEST(IntakeTablesForOtherEngines, IndependentReadersSeeWhatTheRunWrote) {
  IntakeHarness harness;
  harness.RunWith(kSchool);
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});

  for (const TableLevel& t :
       {TableLevel{"ASIGNOMT", 7}, TableLevel{"PROFT", 4}, TableLevel{"AULAT", 7}}) {
    SCOPED_TRACE(t.table);
    const std::filesystem::path dbf = harness.exchange / (std::string(t.table) + ".DBF");
    ASSERT_FALSE(harness.Read(t.table, {}).empty());
    ExpectIndependentReadersAgree(dbf);
    EXPECT_EQ(ReadWithTdbf(dbf).level, t.level);
  }

  // Velmora reads the school's codes by the field's whole name.
  for (const char* table : {"ASIGNOMT", "AULAT"}) {
    const ReaderView view = ReadWithTdbf(harness.exchange / (std::string(table) + ".DBF"));
    EXPECT_TRUE(std::any_of(view.fields.begin(), view.fields.end(), [](const ReaderField& f) {
      return f.name == "ABREV_GESTION";
    })) << table;
  }
}

}  // namespace
}  // namespace tto::testing
