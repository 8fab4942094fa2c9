// Building a resource library from a parsed manifest and its source folder.
#pragma once

#include "tools/respack/Manifest.h"

#include <string>
#include <vector>

/// Reads every entry's source and writes the library to strOutput (Linux paths); false with the
/// reason in strError, and nothing written, when a source is missing or an entry is refused. A
/// source file is taken from the first of the folders that holds it, so hand-written sources and
/// generated ones can live apart.
bool BuildResourceLibrary(const SManifest& manifest, const std::vector<std::string>& sourceDirs,
                          const std::string& strOutput, std::string& strError);

/// The whole tool: respack <manifest> <source folder>... <output>. Returns the exit code; messages
/// go to standard error.
int RunRespack(int argc, const char* const* argv);
