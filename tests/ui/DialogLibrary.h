// A resource library of dialog templates and flat-coloured pictures written for one test and made
// the current one while the object lives.
#pragma once

#include "fixtures/ImageFixtures.h"

#include "platform/TempFolder.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

class CDialogLibrary
{
public:
    ~CDialogLibrary()
    {
        if (m_hModule == nullptr)
            return;
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hModule);
    }
    void AddTemplate(int nId, const char* szText)
    {
        Add(SResourceKey::Id(RT_DIALOG_ID), nId, std::vector<BYTE>(szText, szText + std::strlen(szText)));
    }
    /// A "_DATA" JPEG of one colour.
    void AddPicture(int nId, UINT nWidth, UINT nHeight, BYTE r, BYTE g, BYTE b)
    {
        Add(SResourceKey::Name("_DATA"), nId, FlatColourJpeg(nWidth, nHeight, r, g, b));
    }
    /// Writes the library and makes it the current one.
    void Load()
    {
        std::string strError;
        ASSERT_TRUE(m_writer.WriteFile(m_folder.File("VornRes.dll"), strError)) << strError;
        m_hModule = LoadLibrary(m_folder.File("VornRes.dll").c_str());
        ASSERT_NE(nullptr, m_hModule);
        AfxSetResourceHandle(m_hModule);
    }

private:
    void Add(const SResourceKey& type, int nId, std::vector<BYTE> data)
    {
        std::string strError;
        ASSERT_TRUE(m_writer.Add(type, SResourceKey::Id(static_cast<WORD>(nId)), 0, std::move(data), strError))
            << strError;
    }

    CTempFolder m_folder;
    CResourceLibraryWriter m_writer;
    HMODULE m_hModule = nullptr;
};
