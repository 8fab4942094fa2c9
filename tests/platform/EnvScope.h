// Sets an environment variable for one scope and puts the old value back (null unsets it).
#pragma once

#include <cstdlib>
#include <string>

class CEnvScope
{
public:
    CEnvScope(const char* szName, const char* szValue) : m_strName(szName)
    {
        const char* szOld = std::getenv(szName);
        m_bHadOld = szOld != nullptr;
        if (m_bHadOld)
            m_strOld = szOld;
        if (szValue != nullptr)
            ::setenv(szName, szValue, 1);
        else
            ::unsetenv(szName);
    }
    ~CEnvScope()
    {
        if (m_bHadOld)
            ::setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        else
            ::unsetenv(m_strName.c_str());
    }
    CEnvScope(const CEnvScope&) = delete;
    CEnvScope& operator=(const CEnvScope&) = delete;

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadOld = false;
};
