// The folder a generator writes into. Every file written is remembered; Finish writes their list
// as "files.txt", which the build takes as the sign that the generator's run is complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CArtOutput
{
public:
    /// Creates the folder (and its parents) when it does not exist.
    explicit CArtOutput(std::string strFolder);

    /// Writes one file below the folder (sub-folders are made as needed); false, with a message
    /// on standard error, when that fails.
    bool Write(const std::string& strName, const std::vector<std::uint8_t>& bytes);
    /// Writes the list of the files written; false when any write failed.
    bool Finish();

    const std::string& Folder() const { return m_strFolder; }

private:
    std::string m_strFolder;
    std::vector<std::string> m_names;
    bool m_bFailed = false;
};

/// The usual body of a generator's main: argv[1] is the output folder; the function fills it.
/// Returns the process exit code.
int RunArtGenerator(int argc, const char* const* argv, const char* szTool, bool (*pfnGenerate)(CArtOutput&));
