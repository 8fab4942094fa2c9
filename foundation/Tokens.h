// The token readers shared by every line-oriented data text of the game (the scene text, the
// table and ball sets, light lines). Each cuts its token off the front of the line, trimmed of
// white space on both sides, so that successive calls walk along the line.
//
// A token that must end in a separator and does not, or a number that is not finite, throws
// CTokenError; the readers of whole texts catch it and treat the line (or the section) as bad.
#pragma once

#include "platform/mfc/CString.h"

#include <stdexcept>

class CTokenError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The separators of the string, hexadecimal and float tokens.
inline constexpr const char* TOKEN_SEPARATORS = ",;\n";
/// The separators of the integer tokens ("\r" too: a CRLF text's last field still ends).
inline constexpr const char* INT_TOKEN_SEPARATORS = ",;\r\n";

/// The text before the first separator, or the whole line when there is none; the line keeps
/// what follows the separator (empty when there was none). Never fails.
CString ExtractToken(CString& line, const char* szSeparators = TOKEN_SEPARATORS);
CString ExtractStringToken(CString& line);

/// An integer (decimal, read like atoi, held to the 32-bit range). A rest of the line without
/// any digit, when it is at most 2 characters or only separators and blanks, gives nDefault and
/// empties the line, so that loops reading "until two characters or fewer remain" end. A rest
/// of at most 2 characters may lack its separator ("5" gives 5); a longer one must have one.
/// An empty token gives nDefault.
int ExtractIntToken2(CString& line, const char* szSeparators = INT_TOKEN_SEPARATORS, int nDefault = 0);
int ExtractIntToken(CString& line);
/// A base-16 number, "0x" allowed ("0x1f" and "1f" both give 31); needs its separator.
int ExtractHexToken(CString& line);
/// A decimal floating-point number; needs its separator, and must be finite.
float ExtractFloatToken(CString& line);
