#include "platform/win32/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
std::atomic<EFileWriteFault> s_eFault{EFileWriteFault::None};
std::atomic<unsigned> s_nTempCounter{0};

struct CFdCloser
{
    explicit CFdCloser(int n) : fd(n) {}
    int fd;
    CFdCloser(const CFdCloser&) = delete;
    CFdCloser& operator=(const CFdCloser&) = delete;
    ~CFdCloser() { ::close(fd); }
};

bool Faulted(EFileWriteFault eStep) { return s_eFault.load() == eStep; }

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty())
    {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t n = path.rfind('/');
    if (n == std::string::npos)
        return ".";
    return n == 0 ? "/" : path.substr(0, n);
}

// The process id in a temporary file name "<name>.~PID-N" of the file called name, or 0.
pid_t TempFileOwner(std::string_view entry, std::string_view name)
{
    const std::string prefix = std::string(name) + ".~";
    if (entry.size() <= prefix.size() || entry.substr(0, prefix.size()) != prefix)
        return 0;
    entry.remove_prefix(prefix.size());
    const std::size_t nDash = entry.find('-');
    const auto AllDigits = [](std::string_view text)
    { return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos; };
    if (nDash == std::string_view::npos || nDash > 9 || !AllDigits(entry.substr(0, nDash)) ||
        !AllDigits(entry.substr(nDash + 1)))
        return 0;
    return static_cast<pid_t>(std::atol(std::string(entry.substr(0, nDash)).c_str()));
}

bool ProcessIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the temporary files an interrupted replacement of path left behind, once the
// process that made them is gone (a live one may still be writing its file).
void RemoveStaleTempFiles(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    DIR* pDir = ::opendir(folder.c_str());
    if (pDir == nullptr)
        return;
    while (const dirent* pEntry = ::readdir(pDir))
    {
        const pid_t pid = TempFileOwner(pEntry->d_name, name);
        if (pid > 0 && pid != ::getpid() && ProcessIsGone(pid))
            ::unlink((folder + "/" + pEntry->d_name).c_str());
    }
    ::closedir(pDir);
}

// Makes the rename itself durable; a failure here does not undo the replacement.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

namespace
{
/// The whole-file read into a string or a vector of bytes alike.
template <class TBytes> EFileRead ReadWholeFileInto(const std::string& path, TBytes& bytes, std::size_t nMaxBytes)
{
    bytes.clear();
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? EFileRead::Missing : EFileRead::Refused;
    const CFdCloser closer(fd);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > nMaxBytes)
        return EFileRead::Refused;
    TBytes text(static_cast<std::size_t>(st.st_size), 0);
    std::size_t nHave = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    for (;;)
    {
        if (nHave == text.size())
            text.resize(std::min(nMaxBytes + 1, std::max<std::size_t>(text.size() * 2, 4096)));
        const ssize_t n = ::read(fd, text.data() + nHave, text.size() - nHave);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return EFileRead::Refused;
        if (n == 0)
            break;
        nHave += static_cast<std::size_t>(n);
        if (nHave > nMaxBytes)
            return EFileRead::Refused;
    }
    text.resize(nHave);
    bytes = std::move(text);
    return EFileRead::Read;
}
} // namespace

EFileRead ReadWholeFileChecked(const std::string& path, std::string& bytes, std::size_t nMaxBytes)
{
    return ReadWholeFileInto(path, bytes, nMaxBytes);
}

EFileRead ReadWholeFileChecked(const std::string& path, std::vector<unsigned char>& bytes, std::size_t nMaxBytes)
{
    return ReadWholeFileInto(path, bytes, nMaxBytes);
}

std::FILE* OpenRegularFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st
    {
    };
    // Reads of a regular file never wait, so the non-blocking flag may stay.
    std::FILE* pFile = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::fdopen(fd, "rb") : nullptr;
    if (pFile == nullptr)
        ::close(fd);
    return pFile;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t nMaxBytes)
{
    return ReadWholeFileChecked(path, bytes, nMaxBytes) == EFileRead::Read;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    // Same folder as the target, so the rename cannot cross file systems; the name is unique
    // per process and call, and O_EXCL refuses anything already there.
    const std::string temp =
        path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(s_nTempCounter.fetch_add(1));
    struct stat old
    {
    };
    const bool bHadOld = ::stat(path.c_str(), &old) == 0;
    // Only a regular file is replaced, and only one the user may write.
    if (bHadOld && (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0))
        return false;
    const mode_t mode = bHadOld ? (old.st_mode & 07777) : 0666;
    RemoveStaleTempFiles(path);

    const int fd = Faulted(EFileWriteFault::Create) ? -1 : ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd < 0)
        return false;
    bool bOk = !Faulted(EFileWriteFault::Write) && WriteAll(fd, bytes);
    if (bOk && bHadOld)
        (void)::fchmod(fd, mode); // the umask may have narrowed the old file's permissions
    bOk = bOk && !Faulted(EFileWriteFault::Sync) && ::fsync(fd) == 0;
    bOk = (::close(fd) == 0) && bOk;
    bOk = bOk && !Faulted(EFileWriteFault::Rename) && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!bOk)
    {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

void SetFileWriteFaultForTest(EFileWriteFault eFault) { s_eFault.store(eFault); }
