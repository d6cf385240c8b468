#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/ExchangeFolder.h"
#include "store/Table.h"
#include "store/XmlDocument.h"

namespace tto {

// The state that the two runs share. The main window owns one for its lifetime; the
// command line owns one per invocation.
struct RunState {
  // 2 in hosted mode (Velmora started us with a mode word and its window), else 0.
  int NumParametros = 0;
  // Result flag written for Velmora on closing in hosted mode: 1 after a completed run,
  // -1 after a hosted run that found no file, 0 otherwise.
  int ResultadoTransformacion = 0;
  // Full native path of the school file; kept when a later dialog is cancelled.
  std::string FicheroXML;

  // Registries of the catalogue builders: sorted, case-sensitive (ef and EF differ).
  std::set<std::string> CodigosUsados;
  std::set<std::string> NombresUsados;

  // Session lengths in minutes, set by the time-slot builder for the load builder.
  int Duracion1 = 0;
  int Duracion2 = 0;
  int Duracion3 = 0;

  // The slot list: entries in ascending text order, equal entries kept.
  std::vector<std::string> ListBoxPlanti;

  // The current run's document; each run replaces it.
  std::unique_ptr<XmlDocument> DocXML;

  ExchangeFolder exchange;

  // The table components, one per table a run opens by name.
  Table wwTableNomAsg{"ASIGNOMT"};
  Table wwTableProfesor{"PROFT"};
  Table wwTableTramos{"DIASHORAST"};
  Table wwTableAulas{"AULAT"};
  Table wwTableGrupos{"GRUPOST"};
  Table wwTableAsig{"ASIGT"};
  Table wwTableSoluc{"SOLUC"};

  bool Hosted() const { return NumParametros == 2; }
};

}  // namespace tto
