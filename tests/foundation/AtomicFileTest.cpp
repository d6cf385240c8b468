#include "store/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "store/RunError.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ScratchFolder;

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFile, CreatesANewFileWithTheUsualPermissions) {
  ScratchFolder scratch;
  const mode_t mask = umask(022);
  WriteFileAtomically(scratch / "nuevo.txt", std::string("a\0b\r\n", 5));
  umask(mask);
  EXPECT_EQ(ReadFileBytes(scratch / "nuevo.txt"), std::string("a\0b\r\n", 5));
  EXPECT_EQ(fs::status(scratch / "nuevo.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
  EXPECT_EQ(EntriesIn(scratch.path()), 1u);
}

TEST(AtomicFile, ReplacesAnExistingFileKeepingItsPermissions) {
  ScratchFolder scratch;
  const fs::path file = scratch.Write("viejo.txt", "contenido anterior, m\xE1s largo");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write);
  WriteFileAtomically(file, "nuevo");
  EXPECT_EQ(ReadFileBytes(file), "nuevo");
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write);
  EXPECT_EQ(EntriesIn(scratch.path()), 1u);
}

TEST(AtomicFile, ReplacesTheTargetOfASymbolicLinkNotTheLink) {
  ScratchFolder scratch;
  fs::create_directory(scratch / "real");
  const fs::path target = scratch.Write("real/Velmora.ini", "viejo");
  fs::create_symlink("real/Velmora.ini", scratch / "enlace.ini");
  WriteFileAtomically(scratch / "enlace.ini", "nuevo");
  EXPECT_TRUE(fs::is_symlink(scratch / "enlace.ini"));
  EXPECT_EQ(ReadFileBytes(target), "nuevo");
}

TEST(AtomicFile, FailureThrowsTheGivenTextAndLeavesNothingBehind) {
  ScratchFolder scratch;
  fs::create_directory(scratch / "carpeta");
  const fs::path cases[] = {scratch / "carpeta", scratch / "falta" / "x.txt"};
  for (const fs::path& target : cases) {
    SCOPED_TRACE(target);
    try {
      WriteFileAtomically(target, "x", "No se puede escribir '%s'.");
      ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
      EXPECT_EQ(std::string(error.what()), "No se puede escribir '" + target.string() + "'.");
    }
  }
  EXPECT_EQ(EntriesIn(scratch.path()), 1u);
  EXPECT_TRUE(fs::is_empty(scratch / "carpeta"));
}

}  // namespace
}  // namespace tto
