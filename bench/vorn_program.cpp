// The program as a player meets it, on SDL's dummy drivers in a folder of its own with the game's
// libraries: the time from start to the first frame shown (tables.dat already made), the processor
// time over 5 s while minimised and unfocused, while only unfocused, and while resting at the aim in
// full screen at 800 x 600 with "Wait flip" off and on, the frames shown per second, the peak
// resident memory, and the resident memory over minutes of play, game after game (two computers
// playing racks of nine-ball resumed from a last game; VORN_BENCH_PLAY_SECONDS sets how long, 600
// unless set).
#include "fixtures/LastGameFile.h"
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

/// A run in a folder prepared with tables.dat from an earlier run.
class CBenchRun : public CProgramRun
{
public:
    CBenchRun() : CProgramRun(VORN_GAME_DIR "Vorn", VORN_GAME_DIR) {}

    /// Waits until the file exists (the script writes it at a frame); the time it appeared.
    static Clock::time_point WaitForFile(const std::filesystem::path& path)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(path) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return Clock::now();
    }

    /// The program's processor time so far, in seconds.
    double CpuSeconds() const
    {
        std::ifstream in("/proc/" + std::to_string(Pid()) + "/stat");
        std::string strStat;
        std::getline(in, strStat);
        std::istringstream fields(strStat.substr(strStat.rfind(')') + 2));
        std::string strField;
        unsigned long long nUser = 0, nSystem = 0;
        for (int i = 3; i <= 15 && fields >> strField; ++i)
        {
            if (i == 14)
                nUser = std::stoull(strField);
            if (i == 15)
                nSystem = std::stoull(strField);
        }
        return static_cast<double>(nUser + nSystem) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    /// The program's resident memory now, in megabytes (0 once it has ended).
    double ResidentMegabytes() const
    {
        std::ifstream in("/proc/" + std::to_string(Pid()) + "/status");
        for (std::string strLine; std::getline(in, strLine);)
            if (strLine.starts_with("VmRSS:"))
                return std::stod(strLine.substr(6)) / 1024.0;
        return 0.0;
    }
};

/// How many times the text occurs in the log.
int CountInLog(const std::string& strLog, const std::string& strText)
{
    int nCount = 0;
    for (std::size_t nAt = strLog.find(strText); nAt != std::string::npos; nAt = strLog.find(strText, nAt + 1))
        ++nCount;
    return nCount;
}

void BM_StartToFirstFrame(benchmark::State& state)
{
    CBenchRun run;
    run.Run("frame 1 close\nanswer ok\n"); // makes tables.dat and the ini file
    double dSeconds = 0;
    for (auto _ : state)
    {
        const auto png = run.Root() / "first.png";
        std::filesystem::remove(png);
        const auto start = Clock::now();
        run.Start("frame 1 png " + png.string() + "\nframe 1 close\nanswer ok\n");
        dSeconds = std::chrono::duration<double>(CBenchRun::WaitForFile(png) - start).count();
        run.Wait();
        state.SetIterationTime(dSeconds);
    }
    state.counters["first_frame_s"] = dSeconds;
    state.counters["peak_rss_MB"] = static_cast<double>(run.PeakKilobytes()) / 1024.0;
}
BENCHMARK(BM_StartToFirstFrame)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_FramesPerSecond(benchmark::State& state)
{
    CBenchRun run;
    const auto a = run.Root() / "a.png", b = run.Root() / "b.png";
    constexpr int FRAMES = 300;
    double dFps = 0;
    for (auto _ : state)
    {
        run.Start("frame 10 png " + a.string() + "\nframe " + std::to_string(10 + FRAMES) + " png " + b.string() +
                  "\nframe " + std::to_string(10 + FRAMES) + " close\nanswer ok\n");
        const auto t0 = CBenchRun::WaitForFile(a);
        const auto t1 = CBenchRun::WaitForFile(b);
        run.Wait();
        dFps = FRAMES / std::chrono::duration<double>(t1 - t0).count();
    }
    state.counters["frames_per_s"] = dFps;
    state.counters["peak_rss_MB"] = static_cast<double>(run.PeakKilobytes()) / 1024.0;
}
BENCHMARK(BM_FramesPerSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

/// Once the run's script has written the file, the program's processor time over 5 s, as a share
/// of one core; then the run is ended.
double UnattendedCpuShare(CBenchRun& run, const std::filesystem::path& ready)
{
    CBenchRun::WaitForFile(ready);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double dCpu0 = run.CpuSeconds();
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double dCpu1 = run.CpuSeconds();
    const double dShare = (dCpu1 - dCpu0) / std::chrono::duration<double>(Clock::now() - t0).count();
    ::kill(run.Pid(), SIGTERM);
    run.Wait(5);
    return dShare;
}

void BM_IdleMinimisedCpu(benchmark::State& state)
{
    CBenchRun run;
    double dShare = 0;
    for (auto _ : state)
    {
        const auto ready = run.Root() / "ready.png";
        run.Start("frame 2 minimise\nframe 2 unfocus\nframe 2 png " + ready.string() + "\nat 60000 close\nanswer ok\n");
        dShare = UnattendedCpuShare(run, ready);
    }
    state.counters["cpu_share_of_a_core"] = dShare;
}
BENCHMARK(BM_IdleMinimisedCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_UnfocusedCpu(benchmark::State& state)
{
    // The game left in its window while another has the focus: the window shows, the game rests.
    CBenchRun run;
    double dShare = 0;
    for (auto _ : state)
    {
        const auto ready = run.Root() / "ready.png";
        run.Start("frame 2 unfocus\nframe 2 png " + ready.string() + "\nat 60000 close\nanswer ok\n");
        dShare = UnattendedCpuShare(run, ready);
    }
    state.counters["cpu_share_of_a_core"] = dShare;
}
BENCHMARK(BM_UnfocusedCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

/// The game resting at the aim, full screen in the mode 800 x 600 x 32, "Wait flip" as the argument:
/// the processor time over the frames counted (all threads) as a share of a core and per frame, and the
/// frames shown per second meanwhile. The time per frame holds on a busy machine, where fewer frames
/// are shown than the display refreshes.
void BM_RestingAtTheAimCpu(benchmark::State& state)
{
    CBenchRun run;
    std::ofstream(run.Program() / "Vorn.ini")
        << "[Settings]\nFullScreen=1\nDriver=Primary Videocard\nDevice=RGB Software Renderer\n"
           "Mode=800 x 600 x 32\nWait flip="
        << state.range(0) << "\n";
    double dShare = 0, dFps = 0, dCpuPerFrame = 0;
    constexpr int FRAMES_AT_REST = 200, FRAMES_COUNTED = 120;
    for (auto _ : state)
    {
        const auto ready = run.Root() / "ready.png", done = run.Root() / "done.png";
        // Escape ends the intro; the flight to the table is over well before the frame counted from.
        run.Start("frame 5 key press Escape\nframe " + std::to_string(FRAMES_AT_REST) + " png " + ready.string() +
                  "\nframe " + std::to_string(FRAMES_AT_REST + FRAMES_COUNTED) + " png " + done.string() +
                  "\nat 120000 close\nanswer ok\n");
        const auto t0 = CBenchRun::WaitForFile(ready);
        const double dCpu0 = run.CpuSeconds();
        const auto t1 = CBenchRun::WaitForFile(done);
        const double dSeconds = std::chrono::duration<double>(t1 - t0).count();
        const double dCpu = run.CpuSeconds() - dCpu0;
        dShare = dCpu / dSeconds;
        dCpuPerFrame = dCpu * 1000.0 / FRAMES_COUNTED;
        dFps = FRAMES_COUNTED / dSeconds;
        ::kill(run.Pid(), SIGTERM);
        run.Wait(5);
    }
    state.counters["cpu_share_of_a_core"] = dShare;
    state.counters["cpu_ms_per_frame"] = dCpuPerFrame;
    state.counters["frames_per_s"] = dFps;
}
BENCHMARK(BM_RestingAtTheAimCpu)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
void BM_ResidentDuringPlay(benchmark::State& state)
{
    CBenchRun run;
    run.Run("frame 1 close\nanswer ok\n"); // makes tables.dat and the ini file
    // Both seats the computer's, resumed from the last game, racks without end.
    SNineBallGame game;
    game.nLevel1 = game.nLevel2 = 9;
    game.nCurrentPlayer = 1;
    std::string strReason;
    if (!WriteNineBallLastGame(run.Program() / "Saved" / "lastgame", game, strReason))
    {
        state.SkipWithError(strReason.c_str());
        return;
    }
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    for (const auto& [szKey, szValue] :
         {std::pair{"GameType", "33"}, std::pair{"Competition Type", "0"}, std::pair{"Player level 1", "9"},
          std::pair{"Player level 2", "9"}, std::pair{"Games Goal", "99"}})
        WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
    const char* szSeconds = std::getenv("VORN_BENCH_PLAY_SECONDS");
    const int nSeconds = szSeconds != nullptr ? std::max(10, std::atoi(szSeconds)) : 600;
    double dStart = 0, dFirstGame = 0, dLastGame = 0, dEnd = 0, dPeak = 0;
    int nGames = 0;
    for (auto _ : state)
    {
        std::string strScript;
        for (int i = 0; i < 20; ++i)
            strScript += "answer ok\n"; // any match's end question
        // The window closes a little after the last sample, which is then of the program still playing.
        run.Start(strScript + "at " + std::to_string(nSeconds * 1000 + 5000) + " close\nanswer ok\n");
        const auto deadline = Clock::now() + std::chrono::seconds(nSeconds);
        while (Clock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const double dNow = run.ResidentMegabytes();
            if (dNow == 0)
                break; // the program has ended
            const std::string strLog = run.Log();
            if (dStart == 0 && strLog.find("Game: resumed") != std::string::npos)
                dStart = dNow;
            const int nNow = CountInLog(strLog, " wins the rack");
            if (nNow > nGames)
            {
                if (nGames == 0)
                    dFirstGame = dNow;
                dLastGame = dNow;
                nGames = nNow;
            }
            dEnd = dNow;
            dPeak = std::max(dPeak, dNow);
        }
        run.Wait(60);
    }
    state.counters["resident_at_start_MB"] = dStart;
    state.counters["resident_after_first_game_MB"] = dFirstGame;
    state.counters["resident_at_the_end_MB"] = dEnd;
    state.counters["resident_peak_MB"] = dPeak;
    state.counters["games"] = nGames;
    state.counters["growth_per_game_MB"] = nGames > 1 ? (dLastGame - dFirstGame) / (nGames - 1) : 0.0;
}
BENCHMARK(BM_ResidentDuringPlay)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
