// The program's command line of any words (the input cut at zero bytes), parsed as start-up parses
// it. Properties: the file to open is the first word that is neither empty nor a flag; the file the
// kill option names is the end of one of its flag words.
#include "tests/fuzz/FuzzTarget.h"

#include "app/CommandLine.h"

#include <algorithm>

namespace
{
bool IsFlag(const std::string& strWord) { return !strWord.empty() && (strWord[0] == '-' || strWord[0] == '/'); }
bool IsFileName(const std::string& strWord) { return !strWord.empty() && !IsFlag(strWord); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    static CWinApp s_app("Vorn");
    std::vector<std::string> aWords{"Vorn"};
    const std::string text = FuzzText(pData, nSize);
    for (std::size_t nAt = 0; nAt <= text.size() && aWords.size() < 64;)
    {
        const std::size_t nEnd = std::min(text.find('\0', nAt), text.size());
        aWords.push_back(text.substr(nAt, nEnd - nAt));
        nAt = nEnd + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& strWord : aWords)
        argv.push_back(strWord.c_str());
    CWinApp::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    g_strKillFile.Empty();
    CVornCommandLineInfo info;
    s_app.ParseCommandLine(info);

    const auto firstName = std::find_if(aWords.begin() + 1, aWords.end(), IsFileName);
    FuzzCheck(info.m_strFileName.Str() == (firstName != aWords.end() ? *firstName : std::string()),
              "the file to open is not the first plain word");
    const std::string& strKill = g_strKillFile.Str();
    FuzzCheck(strKill.empty() || std::any_of(aWords.begin() + 1, aWords.end(),
                                             [&](const std::string& strWord)
                                             { return IsFlag(strWord) && strWord.ends_with(":" + strKill); }),
              "the kill option names a file no flag gave");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    using namespace std::string_literals;
    return {FuzzBytes("-kill_it:/tmp/vorn.kill\0-check_GPF\0/teacher\0saved.sav\0-setup"s),
            FuzzBytes("-logfile\0-web_session\0-robot_level\0/register_document_only\0-KILL_IT:C:\\x:y"s)};
}
