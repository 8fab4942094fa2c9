// Writes a text X file's tokens in the binary form, as a file of that form holds them: words as
// names (the template words as their own tokens), strings with the separator that ends them, runs
// of numbers as integer or float lists, GUIDs and punctuation as their tokens. For tests and fuzz
// seeds of the binary reader.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace xbin
{
inline void Word(std::string& out, std::uint16_t n)
{
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>(n >> 8));
}
inline void Dword(std::string& out, std::uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(n >> (8 * i) & 0xFF));
}
inline void Bytes(std::string& out, std::string_view s)
{
    Dword(out, static_cast<std::uint32_t>(s.size()));
    out.append(s);
}

/// The binary file of a text one (its header replaced); b64: 64-bit floats.
inline std::string FromText(std::string_view text, bool b64 = false)
{
    std::string out = b64 ? "xof 0303bin 0064" : "xof 0303bin 0032";
    std::size_t i = text.find('\n') + 1; // past the header line
    std::string numbers;                 // a run of numbers: 'i' or 'f' then the values, one a line
    const auto flush = [&]
    {
        if (numbers.empty())
            return;
        // A run with a point or a sign is floats (whole ones among them print as whole numbers).
        const bool bFloat = numbers.find_first_of(".-") != std::string::npos;
        std::string list;
        std::uint32_t n = 0;
        for (std::size_t at = 0; at < numbers.size(); ++n)
        {
            const std::size_t end = numbers.find(' ', at);
            const std::string v = numbers.substr(at, end - at);
            at = end + 1;
            if (bFloat && b64)
            {
                const double d = std::stod(v);
                std::uint64_t u = 0;
                std::memcpy(&u, &d, 8);
                Dword(list, static_cast<std::uint32_t>(u));
                Dword(list, static_cast<std::uint32_t>(u >> 32));
            }
            else if (bFloat)
            {
                const float f = std::stof(v);
                std::uint32_t u = 0;
                std::memcpy(&u, &f, 4);
                Dword(list, u);
            }
            else
                Dword(list, static_cast<std::uint32_t>(std::stoul(v)));
        }
        Word(out, bFloat ? 7 : 6);
        Dword(out, n);
        out += list;
        numbers.clear();
    };
    while (i < text.size())
    {
        const char ch = text[i];
        if (std::isspace(static_cast<unsigned char>(ch)) || ch == ',' || ch == ';')
        {
            ++i; // separators inside and between number runs are implied by the lists
            continue;
        }
        if (ch == '/' && i + 1 < text.size() && text[i + 1] == '/')
        {
            i = text.find('\n', i);
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(ch)) || ch == '-' || ch == '.')
        {
            const std::size_t end = text.find_first_of(" \t\r\n,;}", i);
            numbers += std::string(text.substr(i, end - i)) + " ";
            i = end;
            continue;
        }
        flush();
        if (ch == '{' || ch == '}')
        {
            Word(out, ch == '{' ? 10 : 11);
            ++i;
        }
        else if (ch == '"')
        {
            const std::size_t end = text.find('"', i + 1);
            Word(out, 2);
            Bytes(out, text.substr(i + 1, end - i - 1));
            Word(out, 20);
            i = end + 1;
        }
        else if (ch == '<')
        {
            const std::size_t end = text.find('>', i);
            Word(out, 5);
            out.append(16, '\x5A');
            i = end + 1;
        }
        else
        {
            const std::size_t end = text.find_first_of(" \t\r\n{},;\"<", i);
            const std::string_view w = text.substr(i, end - i);
            if (w == "template")
                Word(out, 31);
            else if (w == "DWORD")
                Word(out, 41);
            else
            {
                Word(out, 1);
                Bytes(out, w);
            }
            i = end;
        }
    }
    flush();
    return out;
}
} // namespace xbin
