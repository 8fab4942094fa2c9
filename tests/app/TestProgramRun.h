// The real program run for a test that may also act as its peer: it can take on the run's
// environment, so that it finds the program's window and sends it messages.
#pragma once

#include "fixtures/ProgramRun.h"

#include "platform/EnvScope.h"

#include <memory>
#include <string>
#include <vector>

class CTestProgramRun : public CProgramRun
{
public:
    /// By default the program with the test libraries; the game's own program and folder may be given.
    explicit CTestProgramRun(const std::string& strProgram = VORN_PROGRAM,
                             const std::string& strLibraryFolder = VORN_APP_FIXTURE_DIR)
        : CProgramRun(strProgram, strLibraryFolder)
    {
    }

    /// Takes on the run's environment in this process too, for the length of the object's life.
    void ShareEnvironment()
    {
        for (const std::string& strVariable : Environment())
        {
            const size_t nEquals = strVariable.find('=');
            m_aScopes.push_back(std::make_unique<CEnvScope>(strVariable.substr(0, nEquals).c_str(),
                                                            strVariable.substr(nEquals + 1).c_str()));
        }
    }

private:
    std::vector<std::unique_ptr<CEnvScope>> m_aScopes;
};
