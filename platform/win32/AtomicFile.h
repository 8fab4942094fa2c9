// Whole-file replacement that never leaves a half-written file behind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

/// The largest file a whole-file read takes in: anything bigger is no file of the game's.
inline constexpr std::size_t MAX_WHOLE_FILE_BYTES = std::size_t{256} << 20;

enum class EFileRead
{
    Read,    ///< the bytes are the file's
    Missing, ///< nothing of that name exists
    Refused, ///< it exists but is no regular file, is too big, or cannot be read
};

/// Reads the whole file at the Linux path into bytes. Only a regular file of at most nMaxBytes
/// is read: a FIFO, a device or a link to one is refused at once, never waited on or read
/// without end. bytes is left empty unless the file was read.
EFileRead ReadWholeFileChecked(const std::string& path, std::string& bytes,
                               std::size_t nMaxBytes = MAX_WHOLE_FILE_BYTES);
EFileRead ReadWholeFileChecked(const std::string& path, std::vector<unsigned char>& bytes,
                               std::size_t nMaxBytes = MAX_WHOLE_FILE_BYTES);

/// Opens a regular file for reading ("rb"); null for anything else (a FIFO, a device, a folder),
/// which is refused at once instead of being waited on.
std::FILE* OpenRegularFile(const std::string& path);

/// ReadWholeFileChecked, true when the file was read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t nMaxBytes = MAX_WHOLE_FILE_BYTES);

/// Replaces the file at the Linux path with bytes: they are written to a new temporary file
/// in the same folder, flushed to the disk and renamed over the old file, so a crash or a
/// full disk leaves either the old file or the new one, never a mixture. The new file takes
/// the old one's permissions. A file the user may not write (read-only) is refused, as the
/// system refuses it, although the folder would allow the rename. On failure the temporary
/// file is removed, the old file is as it was, and false is returned. Temporary files that an
/// interrupted replacement of the same file left behind are removed once the process that
/// made them no longer exists.
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
