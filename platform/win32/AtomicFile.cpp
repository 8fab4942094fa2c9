#include "platform/win32/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::atomic<EFileWriteFault> s_eFault{EFileWriteFault::None};
std::atomic<unsigned> s_nTempCounter{0};

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

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    bytes = std::move(text).str();
    return true;
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
    const mode_t mode = bHadOld ? (old.st_mode & 07777) : 0666;

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
