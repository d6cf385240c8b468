#include "store/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "store/RunError.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ScratchFolder;

struct IniCase {
  const char* name;
  std::optional<std::string> before;  // nothing: no file yet
  std::string after;                  // after writing Transformadores / Transformado = 1
};

class IniWrite : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniWrite, ChangesOnlyTheOneValue) {
  ScratchFolder scratch;
  const fs::path file = scratch / "Velmora.ini";
  if (GetParam().before) scratch.Write("Velmora.ini", *GetParam().before);
  WriteIniInteger(file, "Transformadores", "Transformado", 1);
  EXPECT_EQ(ReadFileBytes(file), GetParam().after);
  // Nothing else is left in the folder (no temporary file).
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsRules, IniWrite,
    ::testing::Values(
        IniCase{"NewFileUsesCrlf", std::nullopt, "[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"EmptyFile", "", "[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"ValueReplacedInPlace",
                "[Velmora]\r\nRuta=C:\\ZTEMP\r\n[Transformadores]\r\nTransformado=0\r\nOtro=5\r\n",
                "[Velmora]\r\nRuta=C:\\ZTEMP\r\n[Transformadores]\r\nTransformado=1\r\nOtro=5\r\n"},
        IniCase{"SectionAndKeyIgnoreCase", "[TRANSFORMADORES]\r\ntransformado=-1\r\n",
                "[TRANSFORMADORES]\r\ntransformado=1\r\n"},
        IniCase{"BlanksAroundNamesAndEquals", "  [ Transformadores ]  \n\tTransformado  =  0\n",
                "  [ Transformadores ]  \n\tTransformado  =  1\n"},
        IniCase{"LfFileStaysLf", "[A]\nx=1\n", "[A]\nx=1\n\n[Transformadores]\nTransformado=1\n"},
        IniCase{"KeyAppendedAfterTheSectionsLastKey",
                "[A]\r\nx=1\r\n[Transformadores]\r\nOtro=2\r\n\r\n\r\n[B]\r\ny=3\r\n",
                "[A]\r\nx=1\r\n[Transformadores]\r\nOtro=2\r\nTransformado=1\r\n\r\n\r\n[B]\r\ny="
                "3\r\n"},
        IniCase{"KeyAppendedToEmptySection", "[Transformadores]\r\n\r\n[B]\r\n",
                "[Transformadores]\r\nTransformado=1\r\n\r\n[B]\r\n"},
        IniCase{"SectionAppendedAfterABlankLine", "[A]\r\nx=1\r\n",
                "[A]\r\nx=1\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"NoSecondBlankLineBeforeANewSection", "[A]\r\nx=1\r\n\r\n",
                "[A]\r\nx=1\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"NoFinalNewlineSectionMissing", "[A]\r\nx=1",
                "[A]\r\nx=1\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"NoFinalNewlineKeyMissing", "[Transformadores]\nOtro=2",
                "[Transformadores]\nOtro=2\nTransformado=1\n"},
        IniCase{"NoFinalNewlineKeyPresent", "[Transformadores]\r\nTransformado=0",
                "[Transformadores]\r\nTransformado=1"},
        IniCase{"HeaderOnlyWithoutNewline", "[Transformadores]",
                "[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"SameKeyInAnotherSectionUntouched", "[Otra]\r\nTransformado=5\r\n",
                "[Otra]\r\nTransformado=5\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"KeyBeforeAnySectionUntouched", "Transformado=5\r\n[Transformadores]\r\n",
                "Transformado=5\r\n[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"FirstOfTwoSectionsWins",
                "[Transformadores]\r\na=1\r\n[Transformadores]\r\nTransformado=0\r\n",
                "[Transformadores]\r\na=1\r\nTransformado=1\r\n[Transformadores]\r\nTransformado="
                "0\r\n"},
        IniCase{"LongerKeyIsAnotherKey", "[Transformadores]\r\nTransformados=3\r\n",
                "[Transformadores]\r\nTransformados=3\r\nTransformado=1\r\n"},
        IniCase{"EmptyValueReplaced", "[Transformadores]\r\nTransformado=\r\n",
                "[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{
            "CommentsAndOddLinesKept",
            "; Velmora\r\n[Transformadores]\r\n; nota\r\nsin igual\r\nTransformado = 0 ; viejo\r\n",
            "; Velmora\r\n[Transformadores]\r\n; nota\r\nsin igual\r\nTransformado = 1\r\n"},
        IniCase{"ByteOrderMarkBeforeTheFirstSection",
                "\xEF\xBB\xBF[Transformadores]\r\nTransformado=0\r\n",
                "\xEF\xBB\xBF[Transformadores]\r\nTransformado=1\r\n"},
        IniCase{"FirstLineDecidesTheLineEnding", "[A]\nx=1\r\n",
                "[A]\nx=1\r\n\n[Transformadores]\nTransformado=1\n"}),
    [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

TEST(IniFile, AccentedNamesMatchIgnoringCase) {
  ScratchFolder scratch;
  const fs::path file = scratch.Write("a.ini", "[CONFIGURACI\xD3N]\r\nA\xD1O=1\r\n");
  WriteIniString(file, "Configuraci\xF3n", "a\xF1o", "2024");
  EXPECT_EQ(ReadFileBytes(file), "[CONFIGURACI\xD3N]\r\nA\xD1O=2024\r\n");
  WriteIniString(file, "Configuracion", "ano", "x");  // e is not é
  EXPECT_EQ(ReadFileBytes(file),
            "[CONFIGURACI\xD3N]\r\nA\xD1O=2024\r\n\r\n[Configuracion]\r\nano=x\r\n");
}

TEST(IniFile, IntegersAreWrittenInDecimal) {
  ScratchFolder scratch;
  const fs::path file = scratch / "Velmora.ini";
  for (int flag : {-1, 0, 1}) {
    WriteIniInteger(file, "Transformadores", "Transformado", flag);
    EXPECT_EQ(ReadFileBytes(file),
              "[Transformadores]\r\nTransformado=" + std::to_string(flag) + "\r\n");
  }
}

TEST(IniFile, LineBreaksInAValueCannotSplitTheFile) {
  ScratchFolder scratch;
  const fs::path file = scratch / "Velmora.ini";
  WriteIniString(file, "Transformadores", "Transformado", "1\r\n[Otra]");
  EXPECT_EQ(ReadFileBytes(file), "[Transformadores]\r\nTransformado=1  [Otra]\r\n");
}

TEST(IniFile, FileThatCannotBeWrittenIsAnErrorNamingIt) {
  ScratchFolder scratch;
  fs::create_directory(scratch / "carpeta.ini");
  const fs::path cases[] = {scratch / "carpeta.ini", scratch / "falta" / "Velmora.ini"};
  for (const fs::path& file : cases) {
    SCOPED_TRACE(file);
    try {
      WriteIniInteger(file, "Transformadores", "Transformado", 1);
      ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
      EXPECT_EQ(std::string(error.what()), "Unable to write to " + file.string());
    }
  }
  EXPECT_TRUE(fs::is_directory(scratch / "carpeta.ini"));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST(IniFile, ReadOnlyFileOrFolderStaysUntouched) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  ScratchFolder scratch;
  const fs::path file = scratch.Write("Velmora.ini", "[Transformadores]\r\nTransformado=0\r\n");
  fs::permissions(file, fs::perms::owner_read);
  EXPECT_THROW(WriteIniInteger(file, "Transformadores", "Transformado", 1), RunError);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(scratch.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(WriteIniInteger(file, "Transformadores", "Transformado", 1), RunError);
  fs::permissions(scratch.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(file), "[Transformadores]\r\nTransformado=0\r\n");
}

}  // namespace
}  // namespace tto
