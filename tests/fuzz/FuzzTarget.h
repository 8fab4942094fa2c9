// What every fuzz target defines, and what the targets share.
//
// A target is one source file that defines LLVMFuzzerTestOneInput (the input handed to one
// parser, with its property checked where one exists) and FuzzSeeds (small inputs made by the
// game's own writers). Built with libFuzzer it fuzzes; linked with FuzzDriver.cpp it runs once
// over its seeds and the reproducers of past findings, as an ordinary test.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize);

/// Seed inputs made by the writers of the format the target reads.
std::vector<std::vector<BYTE>> FuzzSeeds();

/// Ends the process with a message when a property does not hold (a finding).
void FuzzCheck(bool bHolds, const char* szWhat);

/// A folder of this process for the files a target writes, removed when the process ends;
/// ends with a separator.
const std::string& FuzzFolder();

/// Writes bytes to a file of FuzzFolder and returns its path.
std::string WriteFuzzFile(const std::string& name, const std::uint8_t* pData, std::size_t nSize);

/// Puts bytes in a profile file of FuzzFolder kept in memory and returns its path. From the first
/// call on, every profile file of the process is kept in memory (Profile.h).
std::string FuzzProfileFile(const std::string& name, const std::uint8_t* pData, std::size_t nSize);

/// The bytes of a text.
std::vector<BYTE> FuzzBytes(const std::string& text);

/// The input as a text.
std::string FuzzText(const std::uint8_t* pData, std::size_t nSize);

/// The bytes of a file of the source tree (its path from the repository's root), such as the
/// game's own data texts: empty when it cannot be read, which is a finding.
std::vector<BYTE> FuzzSourceFile(const std::string& relativePath);
