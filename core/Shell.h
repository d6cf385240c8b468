#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tto {

// How a run talks to the person: the window implements it with Qt widgets, the command
// line with its arguments and standard streams, the tests with a script of answers.
class Shell {
 public:
  virtual ~Shell() = default;

  // OpenDialogXML: title "Archivo XML", filter *.xml, default suffix xml. The picked
  // file's full native path, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> PickSchoolFile() = 0;
  // A modal message (caption "TransTarvosOrdalis", one button "Aceptar"); program text,
  // CR LF is a line break. Returns once the person has dismissed it.
  virtual void ShowMessage(std::string_view ansiText) = 0;
  virtual void SetWaitCursor(bool waiting) = 0;
  // Closes the main window; in hosted mode that writes the result flag and ends the program.
  virtual void CloseMainWindow() = 0;
};

// Shows the wait cursor for one scope, errors included.
class WaitCursor {
 public:
  explicit WaitCursor(Shell& shell) : shell_(shell) { shell_.SetWaitCursor(true); }
  ~WaitCursor() { shell_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Shell& shell_;
};

}  // namespace tto
