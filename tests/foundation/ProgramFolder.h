// The program folder every foundation test runs with: a fresh folder below the temporary
// folder, holding the (absent) program file "Vorn". Set before any test asks for a folder, so
// the folders that are computed once agree in every test.
#pragma once

#include "tests/platform/EnvScope.h"

#include <string>

/// The test program folder, ending in "/".
const std::string& TestProgramFolder();

/// Points the program file elsewhere for one scope; the data folder and the ini path are
/// chosen again on the way in and on the way out.
class CProgramScope
{
public:
    explicit CProgramScope(const std::string& programFile);
    ~CProgramScope();
    CProgramScope(const CProgramScope&) = delete;
    CProgramScope& operator=(const CProgramScope&) = delete;
};
