// Building a resource library from a parsed manifest and its source folder.
#pragma once

#include "tools/respack/Manifest.h"

#include <string>

/// Reads every entry's source and writes the library to strOutput (Linux paths); false with the
/// reason in strError, and nothing written, when a source is missing or an entry is refused.
bool BuildResourceLibrary(const SManifest& manifest, const std::string& strSourceDir, const std::string& strOutput,
                          std::string& strError);

/// The whole tool: respack <manifest> <source folder> <output>. Returns the exit code; messages
/// go to standard error.
int RunRespack(int argc, const char* const* argv);
