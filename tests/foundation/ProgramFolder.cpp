#include "tests/foundation/ProgramFolder.h"

#include "foundation/Folders.h"
#include "platform/win32/Files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
std::string MakeProgramFolder()
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vorn_program_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    OverrideProgramFilePath((folder / "Vorn").string());
    FindDataFolder();
    InitIniFilePath();
    return folder.string() + "/";
}

class CProgramFolderEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { TestProgramFolder(); }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(TestProgramFolder(), ec);
        OverrideProgramFilePath("");
    }
};

const auto* const s_pEnvironment = ::testing::AddGlobalTestEnvironment(new CProgramFolderEnvironment);
} // namespace

const std::string& TestProgramFolder()
{
    static const std::string s_strFolder = MakeProgramFolder();
    return s_strFolder;
}

CProgramScope::CProgramScope(const std::string& programFile)
{
    OverrideProgramFilePath(programFile);
    FindDataFolder();
    InitIniFilePath();
}

CProgramScope::~CProgramScope()
{
    OverrideProgramFilePath(TestProgramFolder() + "Vorn");
    FindDataFolder();
    InitIniFilePath();
}
