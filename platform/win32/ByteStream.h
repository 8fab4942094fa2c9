// Little-endian field readers and writers for the binary formats the program reads and writes.
//
// Formats are read field by field, never by copying bytes into a struct, so padding and the
// host's byte order play no part. The reader never reads past its end: a read that does not fit
// fails, leaves the position where it was and marks the reader as failed.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

class CByteReader
{
public:
    explicit CByteReader(std::span<const BYTE> data) : m_data(data) {}

    bool ReadU8(BYTE& value);
    bool ReadU16LE(WORD& value);
    bool ReadU32LE(DWORD& value);
    bool ReadS32LE(LONG& value);
    /// Reads nCount bytes into out (replacing its contents).
    bool ReadBytes(std::size_t nCount, std::vector<BYTE>& out);
    bool ReadText(std::size_t nCount, std::string& out);
    bool Skip(std::size_t nCount);
    /// Moves to an absolute position; positions past the end fail.
    bool Seek(std::size_t nPosition);

    std::size_t Position() const { return m_nPos; }
    std::size_t Remaining() const { return m_data.size() - m_nPos; }
    std::size_t Size() const { return m_data.size(); }
    /// True once any read did not fit.
    bool Failed() const { return m_bFailed; }

private:
    // True when nCount more bytes fit; marks the reader failed when not.
    bool Fits(std::size_t nCount);

    std::span<const BYTE> m_data;
    std::size_t m_nPos = 0;
    bool m_bFailed = false;
};

class CByteWriter
{
public:
    void WriteU8(BYTE value) { m_bytes.push_back(value); }
    void WriteU16LE(WORD value);
    void WriteU32LE(DWORD value);
    void WriteS32LE(LONG value) { WriteU32LE(static_cast<DWORD>(value)); }
    void WriteBytes(std::span<const BYTE> bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    void WriteText(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    /// Appends zero bytes until the size is a multiple of nAlign.
    void PadTo(std::size_t nAlign);

    std::size_t Size() const { return m_bytes.size(); }
    const std::vector<BYTE>& Bytes() const { return m_bytes; }
    std::vector<BYTE> Take() { return std::move(m_bytes); }

private:
    std::vector<BYTE> m_bytes;
};

/// Reads a whole file; false (out empty) when it cannot be opened or read. The path is a Linux path.
bool ReadWholeFile(const std::string& strPath, std::vector<BYTE>& out);
