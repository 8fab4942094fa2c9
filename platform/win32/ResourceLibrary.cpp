#include "platform/win32/ResourceLibrary.h"

#include "platform/win32/AtomicFile.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <unistd.h>

namespace
{
// Smallest index record: two numeric keys (4 bytes each), language, offset and size.
constexpr std::size_t MIN_ENTRY_SIZE = 4 + 4 + 2 + 4 + 4;
static_assert(MIN_ENTRY_SIZE == 18);
constexpr std::size_t DATA_ALIGN = 4;

struct SHeader
{
    DWORD dwMagic = RESLIB_MAGIC;
    WORD nFormatVersion = RESLIB_FORMAT_VERSION;
    WORD nHeaderSize = static_cast<WORD>(RESLIB_HEADER_SIZE);
    SResourceVersion version;
    DWORD nEntryCount = 0;
    DWORD nIndexSize = 0;
    DWORD nFileSize = 0;
};

// ---- Mirrored field readers and writers ----

void WriteHeader(CByteWriter& wr, const SHeader& hdr)
{
    wr.WriteU32LE(hdr.dwMagic);
    wr.WriteU16LE(hdr.nFormatVersion);
    wr.WriteU16LE(hdr.nHeaderSize);
    wr.WriteU32LE(hdr.version.dwMs);
    wr.WriteU32LE(hdr.version.dwLs);
    wr.WriteU32LE(hdr.nEntryCount);
    wr.WriteU32LE(hdr.nIndexSize);
    wr.WriteU32LE(hdr.nFileSize);
}

bool ReadHeader(CByteReader& rd, SHeader& hdr, std::string& strError)
{
    if (!rd.ReadU32LE(hdr.dwMagic) || hdr.dwMagic != RESLIB_MAGIC)
    {
        strError = "not a resource library (wrong magic number)";
        return false;
    }
    if (!rd.ReadU16LE(hdr.nFormatVersion) || !rd.ReadU16LE(hdr.nHeaderSize) || !rd.ReadU32LE(hdr.version.dwMs) ||
        !rd.ReadU32LE(hdr.version.dwLs) || !rd.ReadU32LE(hdr.nEntryCount) || !rd.ReadU32LE(hdr.nIndexSize) ||
        !rd.ReadU32LE(hdr.nFileSize))
    {
        strError = "the header is cut off";
        return false;
    }
    if (hdr.nFormatVersion != RESLIB_FORMAT_VERSION)
    {
        strError = "unsupported format version " + std::to_string(hdr.nFormatVersion);
        return false;
    }
    if (hdr.nHeaderSize != RESLIB_HEADER_SIZE)
    {
        strError = "wrong header size " + std::to_string(hdr.nHeaderSize);
        return false;
    }
    return true;
}

void WriteKey(CByteWriter& wr, const SResourceKey& key)
{
    wr.WriteU16LE(key.IsName() ? 0 : key.nId);
    wr.WriteU16LE(static_cast<WORD>(key.strName.size()));
    wr.WriteText(key.strName);
}

bool ReadKey(CByteReader& rd, SResourceKey& key)
{
    WORD nLength = 0;
    if (!rd.ReadU16LE(key.nId) || !rd.ReadU16LE(nLength) || nLength > RESLIB_MAX_NAME ||
        !rd.ReadText(nLength, key.strName))
        return false;
    // A key is either a name or a non-zero id, never both or neither.
    return key.IsName() ? key.nId == 0 : key.nId != 0;
}

void WriteEntry(CByteWriter& wr, const SResourceEntry& entry)
{
    WriteKey(wr, entry.type);
    WriteKey(wr, entry.name);
    wr.WriteU16LE(entry.nLanguage);
    wr.WriteU32LE(entry.nOffset);
    wr.WriteU32LE(entry.nSize);
}

bool ReadEntry(CByteReader& rd, SResourceEntry& entry)
{
    return ReadKey(rd, entry.type) && ReadKey(rd, entry.name) && rd.ReadU16LE(entry.nLanguage) &&
           rd.ReadU32LE(entry.nOffset) && rd.ReadU32LE(entry.nSize);
}

// ---- Checks made when a library is opened ----

// What makes an entry's slot, with names in lower case (names match without case), ordered.
struct SSlot
{
    std::tuple<bool, std::string, WORD, bool, std::string, WORD, WORD> key;
    const SResourceEntry* pEntry;
    friend bool operator<(const SSlot& a, const SSlot& b) { return a.key < b.key; }
    friend bool operator==(const SSlot& a, const SSlot& b) { return a.key == b.key; }
};

std::string LowerName(const SResourceKey& key)
{
    std::string name = key.strName;
    for (char& ch : name)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return name;
}

SSlot SlotOf(const SResourceEntry& entry)
{
    return SSlot{{entry.type.IsName(), LowerName(entry.type), entry.type.nId, entry.name.IsName(),
                  LowerName(entry.name), entry.name.nId, entry.nLanguage},
                 &entry};
}

bool ReadIndex(std::span<const BYTE> bytes, const SHeader& hdr, std::vector<SResourceEntry>& entries,
               std::string& strError)
{
    if (hdr.nIndexSize > bytes.size() - RESLIB_HEADER_SIZE)
    {
        strError = "the index runs past the end of the file";
        return false;
    }
    // Every record takes at least MIN_ENTRY_SIZE bytes: check the count before reserving for it.
    if (hdr.nEntryCount > hdr.nIndexSize / MIN_ENTRY_SIZE)
    {
        strError = "the entry count does not fit the index";
        return false;
    }
    CByteReader rd(bytes.subspan(RESLIB_HEADER_SIZE, hdr.nIndexSize));
    entries.resize(hdr.nEntryCount);
    for (DWORD i = 0; i < hdr.nEntryCount; ++i)
    {
        if (!ReadEntry(rd, entries[i]))
        {
            strError = "index record " + std::to_string(i) + " is damaged";
            return false;
        }
    }
    if (rd.Remaining() != 0)
    {
        strError = "the index has bytes after its last record";
        return false;
    }
    return true;
}

bool CheckEntries(const std::vector<SResourceEntry>& entries, std::uint64_t nDataStart, std::uint64_t nFileSize,
                  std::string& strError)
{
    std::vector<const SResourceEntry*> byOffset;
    for (const SResourceEntry& entry : entries)
    {
        const std::uint64_t nEnd = std::uint64_t{entry.nOffset} + entry.nSize;
        if (entry.nOffset < nDataStart || nEnd > nFileSize)
        {
            strError = "entry " + entry.type.Text() + "/" + entry.name.Text() + " lies outside the data";
            return false;
        }
        byOffset.push_back(&entry);
    }
    std::sort(byOffset.begin(), byOffset.end(),
              [](const SResourceEntry* a, const SResourceEntry* b) { return a->nOffset < b->nOffset; });
    for (std::size_t i = 1; i < byOffset.size(); ++i)
    {
        if (std::uint64_t{byOffset[i - 1]->nOffset} + byOffset[i - 1]->nSize > byOffset[i]->nOffset)
        {
            strError = "entries " + byOffset[i - 1]->name.Text() + " and " + byOffset[i]->name.Text() + " overlap";
            return false;
        }
    }
    // Sorted by slot, two entries of one slot are neighbours: n log n, not every pair.
    std::vector<SSlot> slots;
    slots.reserve(entries.size());
    for (const SResourceEntry& entry : entries)
        slots.push_back(SlotOf(entry));
    std::sort(slots.begin(), slots.end());
    const auto it = std::adjacent_find(slots.begin(), slots.end());
    if (it != slots.end())
    {
        strError = "entry " + it->pEntry->type.Text() + "/" + it->pEntry->name.Text() + " appears twice";
        return false;
    }
    return true;
}

/// Reads bytes.size() bytes at nOffset of the file; false when the file ends before them.
bool ReadAt(int fd, std::uint64_t nOffset, std::vector<BYTE>& bytes)
{
    std::size_t nHave = 0;
    while (nHave < bytes.size())
    {
        const ssize_t nRead =
            ::pread(fd, bytes.data() + nHave, bytes.size() - nHave, static_cast<off_t>(nOffset + nHave));
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            return false;
        nHave += static_cast<std::size_t>(nRead);
    }
    return true;
}

bool KeyFits(const SResourceKey& key) { return key.IsName() ? key.strName.size() <= RESLIB_MAX_NAME : key.nId != 0; }

} // namespace

// ---- Keys ----

SResourceKey SResourceKey::FromWin(LPCSTR sz)
{
    const auto nValue = reinterpret_cast<std::uintptr_t>(sz);
    if (nValue <= 0xFFFF)
        return Id(static_cast<WORD>(nValue));
    if (sz[0] == '#')
    {
        unsigned long nId = 0;
        int nRead = 0;
        if (std::sscanf(sz + 1, "%lu%n", &nId, &nRead) == 1 && sz[1 + nRead] == '\0' && nId <= 0xFFFF)
            return Id(static_cast<WORD>(nId));
    }
    return Name(sz);
}

bool SResourceKey::Matches(const SResourceKey& other) const
{
    if (IsName() != other.IsName())
        return false;
    return IsName() ? EqualNoCase(strName, other.strName) : nId == other.nId;
}

std::string SResourceKey::Text() const { return IsName() ? strName : "#" + std::to_string(nId); }

// ---- Reading ----

std::unique_ptr<CResourceLibrary> CResourceLibrary::FromBytes(std::vector<BYTE> bytes, std::string& strError)
{
    CByteReader rd(bytes);
    SHeader hdr;
    if (!ReadHeader(rd, hdr, strError))
        return nullptr;
    if (hdr.nFileSize != bytes.size())
    {
        strError = bytes.size() < hdr.nFileSize ? "the file is cut off" : "the file has bytes after its end";
        return nullptr;
    }
    std::unique_ptr<CResourceLibrary> pLib(new CResourceLibrary());
    if (!ReadIndex(bytes, hdr, pLib->m_entries, strError) ||
        !CheckEntries(pLib->m_entries, RESLIB_HEADER_SIZE + std::uint64_t{hdr.nIndexSize}, bytes.size(), strError))
        return nullptr;
    pLib->m_version = hdr.version;
    pLib->m_bytes = std::move(bytes);
    return pLib;
}

namespace
{
/// Reads and checks a library file's header, its real length and its index: enough to check the
/// whole container (every entry's data inside the file) without reading the data itself.
bool ReadContainer(std::FILE* pFile, SHeader& hdr, std::vector<SResourceEntry>& entries, std::string& strError)
{
    // A short file is refused by the header's reader, with the text a library held whole gets.
    std::vector<BYTE> bytes(RESLIB_HEADER_SIZE);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), pFile));
    CByteReader rd(bytes);
    if (!ReadHeader(rd, hdr, strError))
        return false;
    const long nLength = std::fseek(pFile, 0, SEEK_END) == 0 ? std::ftell(pFile) : -1;
    if (nLength < 0 || static_cast<std::uint64_t>(nLength) != hdr.nFileSize)
    {
        strError = nLength >= 0 && static_cast<std::uint64_t>(nLength) > hdr.nFileSize
                       ? "the file has bytes after its end"
                       : "the file is cut off";
        return false;
    }
    if (hdr.nIndexSize > hdr.nFileSize - RESLIB_HEADER_SIZE)
    {
        strError = "the index runs past the end of the file";
        return false;
    }
    bytes.resize(RESLIB_HEADER_SIZE + std::size_t{hdr.nIndexSize});
    if (std::fseek(pFile, static_cast<long>(RESLIB_HEADER_SIZE), SEEK_SET) != 0 ||
        std::fread(bytes.data() + RESLIB_HEADER_SIZE, 1, hdr.nIndexSize, pFile) != hdr.nIndexSize)
    {
        strError = "cannot read the index";
        return false;
    }
    return ReadIndex(bytes, hdr, entries, strError) &&
           CheckEntries(entries, RESLIB_HEADER_SIZE + std::uint64_t{hdr.nIndexSize}, hdr.nFileSize, strError);
}
} // namespace

std::unique_ptr<CResourceLibrary> CResourceLibrary::FromFile(const std::string& strPath, std::string& strError)
{
    std::unique_ptr<CResourceLibrary> pLib(new CResourceLibrary());
    pLib->m_pFile.reset(OpenRegularFile(strPath));
    if (pLib->m_pFile == nullptr)
    {
        strError = "cannot read the file";
        return nullptr;
    }
    SHeader hdr;
    if (!ReadContainer(pLib->m_pFile.get(), hdr, pLib->m_entries, strError))
        return nullptr;
    pLib->m_version = hdr.version;
    pLib->m_aRead.resize(pLib->m_entries.size());
    return pLib;
}

bool CResourceLibrary::ReadVersion(const std::string& strPath, SResourceVersion& version, std::string& strError)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(OpenRegularFile(strPath), &std::fclose);
    if (pFile == nullptr)
    {
        strError = "cannot read the file";
        return false;
    }
    SHeader hdr;
    std::vector<SResourceEntry> entries;
    if (!ReadContainer(pFile.get(), hdr, entries, strError))
        return false;
    version = hdr.version;
    return true;
}

const SResourceEntry* CResourceLibrary::Find(const SResourceKey& name, const SResourceKey& type) const
{
    for (const SResourceEntry& entry : m_entries)
    {
        if (entry.type.Matches(type) && entry.name.Matches(name))
            return &entry;
    }
    return nullptr;
}

std::span<const BYTE> CResourceLibrary::Data(const SResourceEntry& entry) const
{
    if (m_pFile == nullptr)
        return std::span<const BYTE>(m_bytes).subspan(entry.nOffset, entry.nSize);
    // An empty resource still loads: its span points somewhere, as one inside a whole library does.
    static constexpr BYTE NO_BYTES[1] = {};
    if (entry.nSize == 0)
        return std::span<const BYTE>(NO_BYTES, 0);
    const auto nIndex = static_cast<std::size_t>(&entry - m_entries.data());
    std::lock_guard lock(m_mutex);
    std::unique_ptr<std::vector<BYTE>>& pRead = m_aRead[nIndex];
    if (pRead == nullptr)
    {
        // Read past the stream's buffer, so that the file as it is now answers.
        auto pBytes = std::make_unique<std::vector<BYTE>>(entry.nSize);
        if (!ReadAt(::fileno(m_pFile.get()), entry.nOffset, *pBytes))
            return {};
        pRead = std::move(pBytes);
    }
    return *pRead;
}

// ---- Writing ----

bool CResourceLibraryWriter::Add(const SResourceKey& type, const SResourceKey& name, WORD nLanguage,
                                 std::vector<BYTE> data, std::string& strError)
{
    if (!KeyFits(type) || !KeyFits(name))
    {
        strError = "a type or name is empty, 0 or longer than " + std::to_string(RESLIB_MAX_NAME) + " characters";
        return false;
    }
    for (const SPending& pending : m_pending)
    {
        if (pending.type.Matches(type) && pending.name.Matches(name) && pending.nLanguage == nLanguage)
        {
            strError = "entry " + type.Text() + "/" + name.Text() + " appears twice";
            return false;
        }
    }
    // Each entry adds its data, at most 3 bytes of alignment and an index record with its keys.
    const std::size_t nAdded = data.size() + DATA_ALIGN + MIN_ENTRY_SIZE + type.strName.size() + name.strName.size();
    if (nAdded > RESLIB_MAX_DATA - m_nDataBytes)
    {
        strError = "the library would grow past " + std::to_string(RESLIB_MAX_DATA) + " bytes";
        return false;
    }
    m_nDataBytes += nAdded;
    m_pending.push_back(SPending{type, name, nLanguage, std::move(data)});
    return true;
}

std::vector<BYTE> CResourceLibraryWriter::Build() const
{
    // The index is written once to learn its size, then again with the final offsets.
    std::vector<SResourceEntry> entries;
    for (const SPending& pending : m_pending)
        entries.push_back(
            SResourceEntry{pending.type, pending.name, pending.nLanguage, 0, static_cast<DWORD>(pending.data.size())});
    CByteWriter index;
    for (const SResourceEntry& entry : entries)
        WriteEntry(index, entry);

    std::size_t nOffset = RESLIB_HEADER_SIZE + index.Size();
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        nOffset = (nOffset + DATA_ALIGN - 1) / DATA_ALIGN * DATA_ALIGN;
        entries[i].nOffset = static_cast<DWORD>(nOffset);
        nOffset += m_pending[i].data.size();
    }

    SHeader hdr;
    hdr.version = m_version;
    hdr.nEntryCount = static_cast<DWORD>(entries.size());
    hdr.nIndexSize = static_cast<DWORD>(index.Size());
    hdr.nFileSize = static_cast<DWORD>(nOffset);
    CByteWriter wr;
    WriteHeader(wr, hdr);
    for (const SResourceEntry& entry : entries)
        WriteEntry(wr, entry);
    for (const SPending& pending : m_pending)
    {
        wr.PadTo(DATA_ALIGN);
        wr.WriteBytes(pending.data);
    }
    return wr.Take();
}

bool CResourceLibraryWriter::WriteFile(const std::string& strPath, std::string& strError) const
{
    const std::vector<BYTE> bytes = Build();
    if (!ReplaceFileContents(strPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    {
        strError = "cannot write " + strPath;
        return false;
    }
    return true;
}
