#pragma once

#include <exception>
#include <new>
#include <string>

#include "core/Shell.h"
#include "store/AnsiText.h"
#include "store/RunError.h"

namespace tto {

// The one place where an error that ends a run is caught: its text is shown to the
// person and the run is over. Tables and the wait cursor have already been released by
// the scopes that held them. Answers whether the run completed without an error.
template <typename Run>
bool RunReportingErrors(Shell& shell, Run&& run) {
  try {
    run();
    return true;
  } catch (const RunError& error) {
    shell.ShowMessage(error.what());
  } catch (const std::bad_alloc&) {
    shell.ShowMessage("No hay memoria suficiente para terminar el proceso");
  } catch (const std::exception& error) {
    shell.ShowMessage(Utf8ToAnsi(error.what()));
  }
  return false;
}

}  // namespace tto
