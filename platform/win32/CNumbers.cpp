#include "platform/win32/CNumbers.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace
{
template <class T> bool Scan(std::string_view text, T& value)
{
    while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
        text.remove_prefix(1);
    // from_chars takes "-" but not "+"; it never looks at the locale.
    if (text.size() >= 2 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    T result{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ptr == text.data())
        return false;
    if (ec == std::errc::result_out_of_range)
    {
        // As sscanf: a negative exponent underflows to 0, anything else overflows to infinity.
        const std::string_view parsed(text.data(), static_cast<std::size_t>(ptr - text.data()));
        const std::size_t nExp = parsed.find_first_of("eE");
        const bool bUnderflow = nExp != std::string_view::npos && parsed.substr(nExp + 1).starts_with('-');
        const T inf = std::numeric_limits<T>::infinity();
        result = bUnderflow ? T(0) : (parsed.front() == '-' ? -inf : inf);
    }
    value = result;
    return true;
}
} // namespace

bool ScanDouble(std::string_view text, double& value) { return Scan(text, value); }

bool ScanFloat(std::string_view text, float& value) { return Scan(text, value); }

std::string FormatFixed(double value, int nDecimals)
{
    char buffer[512];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, nDecimals);
    if (ec != std::errc())
        return std::string();
    return std::string(buffer, ptr);
}
