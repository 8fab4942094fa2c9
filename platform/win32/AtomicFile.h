// Whole-file replacement that never leaves a half-written file behind.
#pragma once

#include <string>
#include <string_view>

/// Reads the whole file at the Linux path into bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

/// Replaces the file at the Linux path with bytes: they are written to a new temporary file
/// in the same folder, flushed to the disk and renamed over the old file, so a crash or a
/// full disk leaves either the old file or the new one, never a mixture. The new file takes
/// the old one's permissions. On failure the temporary file is removed, the old file is as
/// it was, and false is returned.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

/// Test seam: the step at which the next replacements fail, as a full disk or a read-only
/// folder would make them fail. Tests set it for their own duration only.
enum class EFileWriteFault
{
    None,
    Create,
    Write,
    Sync,
    Rename,
};
void SetFileWriteFaultForTest(EFileWriteFault eFault);
