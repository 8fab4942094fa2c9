// The manifest that tells respack what goes into a resource library. One statement per line:
//
//   # a comment (also after a statement)
//   version 1.2.3.4              the library's version stamp (major.minor.build.revision)
//   language 0x409               the language of the entries that follow (0 until set)
//   <type> <name> <file>         an entry holding a file of the source folder
//   string <id> "text"           a string-table entry; \n \t \r \" \\ are escapes
//   menu <name> <file>           a menu compiled from its source (see MenuSource.h)
//   accelerators <name> <file>   an accelerator table compiled from its source
//
// A type or name made of digits only is a numeric id (1..65535), anything else a name; a
// token with spaces is written in double quotes. Files are relative to the source folder. An
// entry of type 5 is a dialog template (see platform/win32/DialogTemplate.h), checked as it is packed.
#pragma once

#include "platform/win32/ResourceLibrary.h"

#include <string>
#include <vector>

/// How an entry's file becomes its data.
enum class EEntrySource
{
    Raw,         // the file's bytes as they are
    Menu,        // a menu source, compiled
    Accelerators // an accelerator source, compiled
};

struct SManifestEntry
{
    SResourceKey type;
    SResourceKey name;
    WORD nLanguage = 0;
    std::string strFile; // relative to the source folder; empty for a string
    std::string strText; // the string of a string-table entry
    EEntrySource eSource = EEntrySource::Raw;
    int nLine = 0;
};

struct SManifest
{
    SResourceVersion version;
    std::vector<SManifestEntry> entries;
};

/// Cuts a line into tokens: runs of non-blank characters, or double-quoted texts with the escapes
/// above. A '#' at the start of a token ends the line. False with the reason for a bad quote.
bool TokenizeLine(const std::string& strLine, std::vector<std::string>& tokens, std::string& strError);
/// A decimal or 0x-hexadecimal number no greater than nMax.
bool ParseSourceNumber(const std::string& strToken, unsigned long nMax, unsigned long& nValue);

/// Parses manifest text; false with "line N: what is wrong" in strError.
bool ParseManifest(const std::string& strText, SManifest& manifest, std::string& strError);
