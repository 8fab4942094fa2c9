#include "platform/win32/Profile.h"

#include "tests/platform/TempFolder.h"

#include "platform/win32/AtomicFile.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
const char* const s_szSample = "; comment before any section\r\n"
                               "stray=ignored\r\n"
                               "[Settings]\r\n"
                               "  Volume =  21845  \r\n"
                               "Quoted=\"  padded  \"\r\n"
                               "Single='x'\r\n"
                               "HalfQuote=\"open\r\n"
                               "Empty=\r\n"
                               "NoEquals line\r\n"
                               "Neg=-42abc\r\n"
                               "Plus=+7\r\n"
                               "Text=abc\r\n"
                               "Huge=99999999999999\r\n"
                               "Volume=second copy\r\n"
                               "[ artwork ]\r\n"
                               "ArtFile=C:\\x\\3-DVorn.art\r\n"
                               "[settings]\r\n"
                               "Late=from the second section\r\n";

std::string Read(const std::string& file, const char* szApp, const char* szKey, const char* szDefault,
                 DWORD nSize = 260)
{
    std::string buffer(nSize, '\x7f');
    const DWORD n = GetPrivateProfileString(szApp, szKey, szDefault, buffer.data(), nSize, file.c_str());
    EXPECT_EQ(n, std::string(buffer.c_str()).size());
    return buffer.c_str();
}
} // namespace

TEST(ProfileTest, ReadsValuesWithTheSystemsRules)
{
    CTempFolder dir;
    dir.Write("a.ini", s_szSample);
    const std::string file = dir.File("a.ini");
    struct SCase
    {
        const char* szName;
        const char* szApp;
        const char* szKey;
        const char* szDefault;
        DWORD nSize;
        const char* szExpected;
    };
    const SCase cases[] = {
        {"trimmed, first duplicate wins", "Settings", "Volume", "d", 260, "21845"},
        {"section and key without case", "SETTINGS", "volume", "d", 260, "21845"},
        {"one quote pair removed, inside kept", "Settings", "Quoted", "d", 260, "  padded  "},
        {"single quotes too", "Settings", "Single", "d", 260, "x"},
        {"unmatched quote kept", "Settings", "HalfQuote", "d", 260, "\"open"},
        {"empty value is a value", "Settings", "Empty", "d", 260, ""},
        {"line without equals is no key", "Settings", "NoEquals line", "d", 260, "d"},
        {"missing key gives default", "Settings", "Nope", "dflt", 260, "dflt"},
        {"default loses trailing blanks", "Settings", "Nope", "dflt  ", 260, "dflt"},
        {"null default is empty", "Settings", "Nope", nullptr, 260, ""},
        {"cut to the buffer", "Settings", "Text", "d", 3, "ab"},
        {"section name trimmed", "Artwork", "ArtFile", "d", 260, "C:\\x\\3-DVorn.art"},
        {"second copy of a section is not read", "Settings", "Late", "d", 260, "d"},
        {"lines before any section are not read", "Settings", "stray", "d", 260, "d"},
        {"missing section gives default", "Sounds", "Volume", "d", 260, "d"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.szExpected, Read(file, c.szApp, c.szKey, c.szDefault, c.nSize));
    }
    EXPECT_EQ("dflt", Read(dir.File("missing.ini"), "Settings", "Volume", "dflt"));
}

TEST(ProfileTest, IntegersTakeTheLeadingNumber)
{
    CTempFolder dir;
    dir.Write("a.ini", s_szSample);
    const std::string file = dir.File("a.ini");
    struct SCase
    {
        const char* szKey;
        int nExpected;
    };
    const SCase cases[] = {
        {"Volume", 21845}, {"Neg", -42}, {"Plus", 7}, {"Text", 0}, {"Huge", 2147483647}, {"Empty", 99}, {"Nope", 99},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szKey);
        EXPECT_EQ(c.nExpected, static_cast<int>(GetPrivateProfileInt("Settings", c.szKey, 99, file.c_str())));
    }
    EXPECT_EQ(5, static_cast<int>(GetPrivateProfileInt("Settings", "Volume", 5, dir.File("none.ini").c_str())));
}

TEST(ProfileTest, ListsSectionAndKeyNames)
{
    CTempFolder dir;
    dir.Write("a.ini", "[One]\nk1=1\nk2=2\n[Two]\n");
    const std::string file = dir.File("a.ini");
    char buffer[64];
    DWORD n = GetPrivateProfileString(nullptr, nullptr, nullptr, buffer, sizeof(buffer), file.c_str());
    EXPECT_EQ(std::string("One\0Two\0", 8), std::string(buffer, n));
    EXPECT_EQ('\0', buffer[n]);
    n = GetPrivateProfileString("one", nullptr, nullptr, buffer, sizeof(buffer), file.c_str());
    EXPECT_EQ(std::string("k1\0k2\0", 6), std::string(buffer, n));
    n = GetPrivateProfileString("One", nullptr, nullptr, buffer, 5, file.c_str());
    EXPECT_EQ(3u, n); // cut: size - 2, ended by two zeros
    EXPECT_EQ(std::string("k1\0\0\0", 5), std::string(buffer, 5));
}

TEST(ProfileTest, WritesChangeOnlyWhatTheyName)
{
    CTempFolder dir;
    dir.Write("a.ini", "junk line\n[A]\nx=1\n; note\n\n[B]\ny=2\n");
    const std::string file = dir.File("a.ini");
    EXPECT_TRUE(WritePrivateProfileString("a", "X", "one", file.c_str()));   // replaced, key spelling kept
    EXPECT_TRUE(WritePrivateProfileString("A", "z", "new", file.c_str()));   // after the last key
    EXPECT_TRUE(WritePrivateProfileString("C", "k", "v", file.c_str()));     // new section at the end
    EXPECT_TRUE(WritePrivateProfileString("B", "y", nullptr, file.c_str())); // key deleted
    EXPECT_EQ("junk line\n[A]\nx=one\nz=new\n; note\n\n[B]\n[C]\nk=v\n", dir.Read("a.ini"));

    EXPECT_TRUE(WritePrivateProfileString("a", nullptr, nullptr, file.c_str())); // whole section
    EXPECT_EQ("junk line\n[B]\n[C]\nk=v\n", dir.Read("a.ini"));
}

TEST(ProfileTest, MixedLineEndsAreWrittenAsTheFilesOwnAndAWriteAgainChangesNothing)
{
    // The first line's end is the file's: every line is written back with it, however many
    // carriage returns it had, so that writing the same again leaves the file as it is.
    const struct
    {
        const char* szFile;
        const char* szWritten;
    } cases[] = {
        {"[A]\nk=1\r\r\n[B]\r\nx=2\r\r\r\n; note\r\n", "[A]\nk=one\n[B]\nx=2\n; note\n"},
        {"[A]\r\nk=1\n[B]\r\r\nx=2\r\n;\r\r", "[A]\r\nk=one\r\n[B]\r\nx=2\r\n;\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szFile);
        CTempFolder dir;
        dir.Write("a.ini", c.szFile);
        const std::string file = dir.File("a.ini");
        EXPECT_TRUE(WritePrivateProfileString("A", "k", "one", file.c_str()));
        EXPECT_EQ(c.szWritten, dir.Read("a.ini"));
        EXPECT_EQ("2", Read(file, "B", "x", "d"));
        EXPECT_TRUE(WritePrivateProfileString("A", "k", "one", file.c_str()));
        EXPECT_EQ(c.szWritten, dir.Read("a.ini"));
    }
}

TEST(ProfileTest, NewFilesUseWindowsLineEndsAndValuesCannotAddLines)
{
    CTempFolder dir;
    const std::string file = dir.File("new.ini");
    EXPECT_TRUE(WritePrivateProfileString("S", "name", "evil\r\n[Other]\r\nk=v", file.c_str()));
    EXPECT_EQ("[S]\r\nname=evil  [Other]  k=v\r\n", dir.Read("new.ini"));
    EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", file.c_str()));
}

TEST(ProfileTest, DeletingASectionRemovesEveryCopy)
{
    CTempFolder dir;
    dir.Write("a.ini", "[S]\nold=1\n[T]\nt=1\n[s]\nolder=2\n");
    const std::string file = dir.File("a.ini");
    CProfileEdit edit(file.c_str());
    edit.WriteString("S", nullptr, nullptr);
    edit.WriteString("S", "fresh", "3");
    EXPECT_TRUE(edit.Commit());
    EXPECT_EQ("[T]\nt=1\n[S]\nfresh=3\n", dir.Read("a.ini"));
}

TEST(ProfileTest, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    CTempFolder dir;
    const std::string old = "[S]\r\nk=old\r\n";
    dir.Write("a.ini", old);
    const std::string file = dir.File("a.ini");
    const EFileWriteFault faults[] = {EFileWriteFault::Create, EFileWriteFault::Write, EFileWriteFault::Sync,
                                      EFileWriteFault::Rename};
    for (EFileWriteFault eFault : faults)
    {
        SCOPED_TRACE(static_cast<int>(eFault));
        SetFileWriteFaultForTest(eFault);
        EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", file.c_str()));
        SetFileWriteFaultForTest(EFileWriteFault::None);
        EXPECT_EQ(old, dir.Read("a.ini"));
        EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.Path()),
                                   std::filesystem::directory_iterator())); // no temporary file left
    }
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.File("no/such/folder/a.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "new", file.c_str()));
    EXPECT_EQ("[S]\r\nk=new\r\n", dir.Read("a.ini"));
}

TEST(ProfileTest, DamagedFilesReadWithoutHarm)
{
    CTempFolder dir;
    std::string bytes = "[Settings]\n";
    bytes += std::string("Bin=\x01\x02\xff", 7) + std::string(1, '\0') + "tail\n";
    bytes += "Long=" + std::string(5000, 'L') + "\n";
    bytes += "[Unclosed\nU=1\n";
    dir.Write("d.ini", bytes);
    const std::string file = dir.File("d.ini");
    EXPECT_EQ("\x01\x02\xff", Read(file, "Settings", "Bin", "d")); // a zero byte ends the value
    EXPECT_EQ(std::string(259, 'L'), Read(file, "Settings", "Long", "d"));
    EXPECT_EQ("1", Read(file, "Unclosed", "U", "d"));
}

TEST(ProfileTest, EditorsAndHandWrittenFilesReadAsMeant)
{
    CTempFolder dir;
    const std::string bom = "\xEF\xBB\xBF";
    dir.Write("bom.ini", bom + "[Settings]\r\nVolume=5\r\n");
    dir.Write("notes.ini", "[S]\n; Volume=comment\n;=x\n  ;k=indented comment\nk=1\n# not a comment=2\n");
    const std::string bomFile = dir.File("bom.ini");
    const std::string notesFile = dir.File("notes.ini");
    EXPECT_EQ("5", Read(bomFile, "Settings", "Volume", "d"));
    char buffer[64];
    const DWORD n = GetPrivateProfileString("S", nullptr, nullptr, buffer, sizeof(buffer), notesFile.c_str());
    EXPECT_EQ(std::string("k\0# not a comment\0", 18), std::string(buffer, n));
    EXPECT_EQ("d", Read(notesFile, "S", "; Volume", "d"));

    EXPECT_TRUE(WritePrivateProfileString("settings", "Volume", "6", bomFile.c_str()));
    EXPECT_EQ(bom + "[Settings]\r\nVolume=6\r\n", dir.Read("bom.ini")); // the mark is kept

    // A file changed in place behind the reader's back is read again, even at the same size and
    // within the same tick of the file clock.
    EXPECT_EQ("6", Read(bomFile, "Settings", "Volume", "d"));
    dir.Write("bom.ini", bom + "[Settings]\r\nVolume=7\r\n");
    EXPECT_EQ("7", Read(bomFile, "Settings", "Volume", "d"));
}

TEST(ProfileTest, ValuesReadBackAsTheyWereWritten)
{
    CTempFolder dir;
    const std::string file = dir.File("a.ini");
    for (const char* szValue :
         {"plain", "  padded  ", "tail\f", "\tlead", "\"quoted\"", "'single'", "\"open", "", "in \"the\" middle"})
    {
        SCOPED_TRACE(szValue);
        ASSERT_TRUE(WritePrivateProfileString("S", "k", szValue, file.c_str()));
        EXPECT_EQ(szValue, Read(file, "S", "k", "default"));
    }
}

TEST(ProfileTest, DeletingInAMissingFileCreatesNothing)
{
    CTempFolder dir;
    const std::string file = dir.File("none.ini");
    EXPECT_TRUE(WritePrivateProfileString("S", "k", nullptr, file.c_str()));
    EXPECT_TRUE(WritePrivateProfileString("S", nullptr, nullptr, file.c_str()));
    EXPECT_FALSE(std::filesystem::exists(file));
    CProfileEdit edit(file.c_str());
    edit.AddSection("S");
    EXPECT_TRUE(edit.Commit());
    EXPECT_EQ("[S]\r\n", dir.Read("none.ini"));
}

TEST(ProfileTest, SpecialFilesAreRefusedNotWaitedOnOrReadWithoutEnd)
{
    CTempFolder dir;
    ASSERT_EQ(0, ::mkfifo(dir.File("fifo.ini").c_str(), 0666));
    std::filesystem::create_symlink("/dev/zero", dir.Path() / "zero.ini");
    std::filesystem::create_directory(dir.Path() / "folder.ini");
    for (const char* szName : {"fifo.ini", "zero.ini", "folder.ini"})
    {
        SCOPED_TRACE(szName);
        const std::string file = dir.File(szName);
        EXPECT_EQ("d", Read(file, "S", "k", "d"));
        EXPECT_EQ(3, static_cast<int>(GetPrivateProfileInt("S", "k", 3, file.c_str())));
        EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", file.c_str()));
        EXPECT_FALSE(std::filesystem::is_regular_file(file)); // still what it was
        std::string bytes;
        EXPECT_EQ(EFileRead::Refused, ReadWholeFileChecked(file, bytes));
    }
    dir.Write("big.ini", std::string(100, 'x'));
    std::string bytes;
    EXPECT_EQ(EFileRead::Refused, ReadWholeFileChecked(dir.File("big.ini"), bytes, 99));
    EXPECT_EQ(EFileRead::Read, ReadWholeFileChecked(dir.File("big.ini"), bytes, 100));
    EXPECT_EQ(EFileRead::Missing, ReadWholeFileChecked(dir.File("none.ini"), bytes));
}

namespace
{
// Runs fn in a child process as the user "nobody" and returns its exit status; -1 when the
// child cannot take that user's identity.
int RunAsUnprivilegedUser(const std::function<int()>& fn)
{
    const passwd* pUser = ::getpwnam("nobody");
    if (pUser == nullptr)
        return -1;
    const uid_t uid = pUser->pw_uid;
    const gid_t gid = pUser->pw_gid;
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(255);
        ::_exit(fn());
    }
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) != 255 ? WEXITSTATUS(nStatus) : -1;
}
} // namespace

TEST(ProfileTest, AReadOnlyFileIsNotWritten)
{
    CTempFolder dir;
    dir.Write("ro.ini", "[S]\r\nk=old\r\n");
    dir.Write("rw.ini", "[S]\r\nk=old\r\n");
    namespace fs = std::filesystem;
    // The folder lets anyone rename into it: only the file's own permission may refuse.
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(dir.File("ro.ini"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.File("rw.ini"), fs::perms::all);
    const std::string ro = dir.File("ro.ini");
    const std::string rw = dir.File("rw.ini");
    // Writes as a user without privilege: 1 when the read-only file was refused and the
    // writable one written.
    const auto WriteBoth = [&]
    {
        const bool bRefused = !WritePrivateProfileString("S", "k", "new", ro.c_str());
        const bool bWritten = WritePrivateProfileString("S", "k", "new", rw.c_str());
        return bRefused && bWritten ? 1 : 0;
    };
    int nResult = 0;
    if (::geteuid() != 0)
        nResult = WriteBoth();
    else
    {
        nResult = RunAsUnprivilegedUser(WriteBoth);
        if (nResult < 0)
            GTEST_SKIP() << "running as root, and no unprivileged user to run the write as";
    }
    EXPECT_EQ(1, nResult);
    EXPECT_EQ("[S]\r\nk=old\r\n", dir.Read("ro.ini"));
    EXPECT_EQ("[S]\r\nk=new\r\n", dir.Read("rw.ini"));
}

TEST(ProfileTest, TemporaryFilesOfDeadProcessesAreRemovedAtTheNextWrite)
{
    CTempFolder dir;
    const pid_t deadPid = ::fork();
    if (deadPid == 0)
        ::_exit(0);
    ::waitpid(deadPid, nullptr, 0);
    const std::string dead = std::to_string(deadPid);
    const std::string live = std::to_string(::getppid());
    dir.Write("a.ini.~" + dead + "-0", "half");
    dir.Write("a.ini.~" + dead + "-17", "half");
    dir.Write("a.ini.~" + live + "-0", "someone else's save in progress");
    dir.Write("b.ini.~" + dead + "-0", "another file's");
    dir.Write("a.ini.~x-0", "not ours");
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "v", dir.File("a.ini").c_str()));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"a.ini", "a.ini.~" + live + "-0", "a.ini.~x-0", "b.ini.~" + dead + "-0"};
    EXPECT_EQ(expected, names);
}
