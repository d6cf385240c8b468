// The table store across processes: another program holding a table, and a program
// that ends without closing its table.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

#include "store/DbfFormat.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;

// Runs child in a forked process and answers its exit code. The child never returns
// into the test framework.
int InChildProcess(const std::function<int()>& child) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = child();
    } catch (...) {
      code = 98;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// 0: the table was refused as in use by another program; 1: it opened; 2: other error.
int TryOpenInAnotherProcess(const std::filesystem::path& folder) {
  return InChildProcess([&] {
    Table table("PROFT");
    try {
      table.Open(folder);
    } catch (const RunError& error) {
      const std::string expected = "La tabla PROFT (" + (folder / "PROFT.DBF").string() +
                                   ") est\xE1 en uso por otro programa";
      return error.what() == expected ? 0 : 2;
    }
    return 1;
  });
}

TEST(TableProcesses, AnotherProcessCannotOpenAHeldTableUntilItIsClosed) {
  ScratchFolder folder;
  CreateTable(folder.path(), "PROFT", {{"ABREV", FieldKind::Text, 10}});
  Table holder("PROFT");
  holder.Open(folder.path());
  EXPECT_EQ(TryOpenInAnotherProcess(folder.path()), 0);
  const std::string before = ReadFileBytes(folder / "PROFT.DBF");
  EXPECT_EQ(InChildProcess([&] {
              DeleteTableFiles(folder.path(), "PROFT");
              return 0;
            }),
            0);
  EXPECT_EQ(ReadFileBytes(folder / "PROFT.DBF"), before) << "another process deleted it";
  holder.Close();
  EXPECT_EQ(TryOpenInAnotherProcess(folder.path()), 1);
}

TEST(TableProcesses, APostedRowSurvivesAnErrorThatEndsTheRun) {
  ScratchFolder folder;
  CreateTable(folder.path(), "ASIGT", {{"CASIG", FieldKind::Text, 10}});
  Table table("ASIGT");
  try {
    OpenTable open(table, folder.path());
    table.Append();
    table.SetText("CASIG", "MAT");
    table.Post();
    table.Append();
    table.SetText("CASIG", "NEVER");  // never posted
    throw RunError("'x' no es un valor punto flotante v\xE1lido");
  } catch (const RunError&) {
  }
  EXPECT_FALSE(table.IsOpen());
  table.Open(folder.path());
  ASSERT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(table.Text("CASIG"), "MAT");
}

TEST(TableProcesses, AProgramEndingWithoutClosingLeavesAWholeTable) {
  ScratchFolder folder;
  CreateTable(folder.path(), "ASIGT",
              {{"CASIG", FieldKind::Text, 10}, {"N", FieldKind::Integer, 0}});
  const int rows = 30000;  // several batches of appended rows
  EXPECT_EQ(InChildProcess([&] {
              Table* table = new Table("ASIGT");  // never destroyed: the process just ends
              table->Open(folder.path());
              for (int i = 0; i < rows; ++i) {
                table->Append();
                table->SetText("CASIG", "R" + std::to_string(i));
                table->SetInteger("N", i);
                table->Post();
              }
              return 0;
            }),
            0);
  const std::string bytes = ReadFileBytes(folder / "ASIGT.DBF");
  const dbf::Layout layout = dbf::DecodeLayout(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), bytes.size());
  EXPECT_GT(layout.header.recordCount, 0u);
  Table table("ASIGT");
  table.Open(folder.path());
  int n = 0;
  for (table.First(); !table.Eof(); table.Next(), ++n) {
    ASSERT_EQ(table.Integer("N"), n);
    ASSERT_EQ(table.Text("CASIG"), "R" + std::to_string(n));
  }
  EXPECT_EQ(n, static_cast<int>(layout.header.recordCount));
  EXPECT_LE(n, rows);
}

}  // namespace
}  // namespace tto
