// The real program with a resource taken out of its library: the message that stands in for it,
// and no crash.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace
{
/// Where a library is packed from: its manifest and the folders its files are found in.
struct SLibrarySource
{
    std::string strManifest;
    std::string strFolders; // quoted, blank-separated
};
const SLibrarySource TEST_LIBRARY{VORN_APP_FIXTURE_SOURCE "Program.manifest", "'" VORN_APP_FIXTURE_SOURCE "'"};
const SLibrarySource GAME_LIBRARY{VORN_GAME_RES_SOURCE "VornRes.manifest",
                                  "'" VORN_GAME_RES_SOURCE "' '" VORN_ART_DIR "/pictures'"};

/// Packs the library again without the manifest's lines that start with strLine, over the run's
/// program library.
void PackLibraryWithout(const CProgramRun& run, const SLibrarySource& source, const std::string& strLine)
{
    std::ifstream in(source.strManifest);
    std::string strManifest;
    int nLeftOut = 0;
    for (std::string strRow; std::getline(in, strRow);)
    {
        if (strRow.starts_with(strLine))
            ++nLeftOut;
        else
            strManifest += strRow + "\n";
    }
    ASSERT_EQ(1, nLeftOut) << strLine;
    const std::filesystem::path manifest = run.Root() / "Without.manifest";
    std::ofstream(manifest) << strManifest;
    const std::string strCommand = std::string("'") + VORN_RESPACK + "' '" + manifest.string() + "' " +
                                   source.strFolders + " '" + (run.Program() / "VornRes.dll").string() +
                                   "' > /dev/null";
    ASSERT_EQ(0, std::system(strCommand.c_str())) << strCommand;
}

TEST(ProgramMissingResourceTest, AMissingTemplateOrStringGivesItsMessageAndAMissingPictureIsDoneWithout)
{
    struct SCase
    {
        const char* szName;
        const char* szLeftOut; // the manifest line's start
        const char* szIni;
        const char* szScript;
        const char* szMessage;
        bool bGameStarted;
        bool bGameLibrary = false; // the game's own library and program, else the test's
    };
    const SCase aCases[] = {
        {"the start screen's template: the program ends without a game", "5 168", "", "",
         "The start screen (dialog 168) is missing from the program library.", false},
        {"the saved-games dialog's template", "5 580", "",
         "wait Game: at rest, it can be saved or loaded\nafter 0 key down Left Ctrl\nafter 100 key press S\n"
         "after 100 key up Left Ctrl\nafter 500 close\nanswer ok\n",
         "The saved-games dialog could not be shown: its template (580) is missing from VornRes.dll.", true},
        {"the last game's string: its number stands for it", "string 21623", "[Settings]\nGameType=33\n",
         "answer ok\nframe 10 close\nanswer ok\n", "Vorn: Error 21623.\n", true},
        // A skinned dialog without its background picture is shown without it, and says nothing.
        {"the start screen's background picture: the screen is shown and plays without it", "_DATA 166 ", "",
         "wait Game started\nframe +2 close\nanswer ok\n", "Dialog 168: ended with 1\n", true, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(c.bGameLibrary ? VORN_GAME_DIR "/Vorn" : VORN_PROGRAM,
                        c.bGameLibrary ? VORN_GAME_DIR : VORN_APP_FIXTURE_DIR);
        PackLibraryWithout(run, c.bGameLibrary ? GAME_LIBRARY : TEST_LIBRARY, c.szLeftOut);
        std::ofstream(run.Program() / "Vorn.ini") << c.szIni;
        ASSERT_EQ(0, run.Run(c.szScript)) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find(c.szMessage)) << strLog;
        EXPECT_EQ(c.bGameStarted, strLog.find("Game started") != std::string::npos) << strLog;
    }
}
} // namespace
