// The real program, run on SDL's dummy drivers in a folder of its own with the test libraries,
// driven by an input script.
#include "platform/TempFolder.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
constexpr const char* LIBRARIES[] = {"VornRes.dll", "VornWave.dll", "VornBall.dat", "Imagery.dll", "Imagery1.dll"};

/// One run of the program: its folder, home, configuration, run-time and temporary folders all
/// inside one temporary folder.
class CProgramRun
{
public:
    CProgramRun()
    {
        std::filesystem::create_directories(Program());
        for (const char* szFolder : {"home", "config", "tmp", "run"})
            std::filesystem::create_directories(m_root.Path() / szFolder);
        std::filesystem::permissions(m_root.Path() / "run", std::filesystem::perms::owner_all);
        std::filesystem::copy_file(VORN_PROGRAM, Program() / "Vorn");
        for (const char* szName : LIBRARIES)
            std::filesystem::copy_file(std::string(VORN_APP_FIXTURE_DIR) + szName, Program() / szName);
    }

    std::filesystem::path Program() const { return m_root.Path() / "program"; }

    /// Runs the program with the script to its end (killed after a minute); its exit status, or
    /// 128 + the signal that ended it.
    int Run(const std::string& strScript, const std::vector<std::string>& aArgs = {})
    {
        m_root.Write("script.txt", strScript);
        std::vector<std::string> aEnv = {"HOME=" + m_root.File("home"),
                                         "XDG_CONFIG_HOME=" + m_root.File("config"),
                                         "XDG_RUNTIME_DIR=" + m_root.File("run"),
                                         "TMPDIR=" + m_root.File("tmp"),
                                         "SDL_VIDEODRIVER=dummy",
                                         "SDL_AUDIODRIVER=dummy",
                                         "VORN_DEBUG=1",
                                         "VORN_INPUT_SCRIPT=" + m_root.File("script.txt")};
        for (char** p = environ; *p != nullptr; ++p)
            if (std::string(*p).rfind("ASAN_OPTIONS=", 0) == 0 || std::string(*p).rfind("UBSAN_OPTIONS=", 0) == 0 ||
                std::string(*p).rfind("PATH=", 0) == 0)
                aEnv.emplace_back(*p);
        std::vector<std::string> aArgv = {(Program() / "Vorn").string()};
        aArgv.insert(aArgv.end(), aArgs.begin(), aArgs.end());
        return Spawn(aArgv, aEnv);
    }

    std::string Log() const { return m_root.Read("stderr.txt"); }

private:
    static std::vector<char*> Pointers(std::vector<std::string>& aTexts)
    {
        std::vector<char*> a;
        for (std::string& s : aTexts)
            a.push_back(s.data());
        a.push_back(nullptr);
        return a;
    }

    int Spawn(std::vector<std::string> aArgv, std::vector<std::string> aEnv)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string strLog = m_root.File("stderr.txt");
        posix_spawn_file_actions_addopen(&actions, 2, strLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        std::vector<char*> argv = Pointers(aArgv), envp = Pointers(aEnv);
        const int nError = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (nError != 0)
            return -1;
        int nStatus = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (waitpid(pid, &nStatus, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > deadline)
            {
                kill(pid, SIGKILL);
                waitpid(pid, &nStatus, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
    }

    CTempFolder m_root;
};

TEST(ProgramTest, StartsShowsFramesAndEndsWhenTheScriptClosesIt)
{
    CProgramRun run;
    const std::string strPng = (run.Program() / "frame.png").string();
    ASSERT_EQ(0, run.Run("frame 3 png " + strPng + "\nframe 3 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    // Start-up in its order, the game started, then the close asked and answered.
    size_t nAt = 0;
    for (const char* szStep :
         {"command line", "single instance", "launcher", "resources", "folders", "artwork libraries", "main frame",
          "ball sets", "tables.dat", "rule plug-ins", "window", "Game started", "Do you really want to quit?"})
    {
        SCOPED_TRACE(szStep);
        nAt = strLog.find(szStep, nAt);
        ASSERT_NE(std::string::npos, nAt) << strLog;
    }
    EXPECT_TRUE(std::filesystem::exists(run.Program() / "Vorn.ini")) << "settings saved in the program folder";
    EXPECT_TRUE(std::filesystem::exists(run.Program() / "tables.dat"));
    EXPECT_GT(std::filesystem::file_size(strPng), 0u) << "a frame was shown";
}

TEST(ProgramTest, DecliningTheCloseKeepsTheGameRunning)
{
    CProgramRun run;
    ASSERT_EQ(0, run.Run("frame 2 close\nframe 4 close\nanswer cancel\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    const size_t nFirst = strLog.find("Do you really want to quit?");
    ASSERT_NE(std::string::npos, nFirst);
    EXPECT_NE(std::string::npos, strLog.find("Do you really want to quit?", nFirst + 1));
}

TEST(ProgramTest, MissingLibraryIsNamedAndEndsWithStatusTwo)
{
    struct SCase
    {
        const char* szRemoved;
        const char* szMessage;
    };
    for (const SCase& c :
         {SCase{"VornRes.dll", "FATAL ERROR!\nCan't load "}, SCase{"VornWave.dll", "not found or corrupt."},
          SCase{"Imagery.dll", "not found or corrupt."}})
    {
        SCOPED_TRACE(c.szRemoved);
        CProgramRun run;
        std::filesystem::remove(run.Program() / c.szRemoved);
        EXPECT_EQ(2, run.Run("")) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find(c.szMessage)) << strLog;
        EXPECT_NE(std::string::npos, strLog.find((run.Program() / c.szRemoved).string())) << strLog;
        EXPECT_EQ(std::string::npos, strLog.find("Game started"));
    }
}
} // namespace
