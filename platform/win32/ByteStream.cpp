#include "platform/win32/ByteStream.h"

#include "platform/win32/AtomicFile.h"

bool CByteReader::Fits(std::size_t nCount)
{
    if (nCount <= Remaining())
        return true;
    m_bFailed = true;
    return false;
}

bool CByteReader::ReadU8(BYTE& value)
{
    if (!Fits(1))
        return false;
    value = m_data[m_nPos++];
    return true;
}

bool CByteReader::ReadU16LE(WORD& value)
{
    if (!Fits(2))
        return false;
    value = static_cast<WORD>(m_data[m_nPos] | (m_data[m_nPos + 1] << 8));
    m_nPos += 2;
    return true;
}

bool CByteReader::ReadU32LE(DWORD& value)
{
    if (!Fits(4))
        return false;
    value = static_cast<DWORD>(m_data[m_nPos]) | (static_cast<DWORD>(m_data[m_nPos + 1]) << 8) |
            (static_cast<DWORD>(m_data[m_nPos + 2]) << 16) | (static_cast<DWORD>(m_data[m_nPos + 3]) << 24);
    m_nPos += 4;
    return true;
}

bool CByteReader::ReadS32LE(LONG& value)
{
    DWORD raw = 0;
    if (!ReadU32LE(raw))
        return false;
    value = static_cast<LONG>(raw);
    return true;
}

bool CByteReader::ReadBytes(std::size_t nCount, std::vector<BYTE>& out)
{
    if (!Fits(nCount))
        return false;
    out.assign(m_data.begin() + static_cast<std::ptrdiff_t>(m_nPos),
               m_data.begin() + static_cast<std::ptrdiff_t>(m_nPos + nCount));
    m_nPos += nCount;
    return true;
}

bool CByteReader::ReadText(std::size_t nCount, std::string& out)
{
    if (!Fits(nCount))
        return false;
    out.assign(reinterpret_cast<const char*>(m_data.data() + m_nPos), nCount);
    m_nPos += nCount;
    return true;
}

bool CByteReader::Skip(std::size_t nCount)
{
    if (!Fits(nCount))
        return false;
    m_nPos += nCount;
    return true;
}

bool CByteReader::Seek(std::size_t nPosition)
{
    if (nPosition > m_data.size())
    {
        m_bFailed = true;
        return false;
    }
    m_nPos = nPosition;
    return true;
}

void CByteWriter::WriteU16LE(WORD value)
{
    m_bytes.push_back(static_cast<BYTE>(value & 0xFF));
    m_bytes.push_back(static_cast<BYTE>(value >> 8));
}

void CByteWriter::WriteU32LE(DWORD value)
{
    for (int nShift = 0; nShift < 32; nShift += 8)
        m_bytes.push_back(static_cast<BYTE>((value >> nShift) & 0xFF));
}

void CByteWriter::PadTo(std::size_t nAlign)
{
    while (m_bytes.size() % nAlign != 0)
        m_bytes.push_back(0);
}

bool ReadWholeFile(const std::string& strPath, std::vector<BYTE>& out)
{
    return ReadWholeFileChecked(strPath, out) == EFileRead::Read;
}
