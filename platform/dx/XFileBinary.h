// The binary form of DirectX's mesh files ("xof 0302bin" and "0303bin", 32- or 64-bit floats):
// its token stream (names, strings, integers, GUIDs, integer and float lists, punctuation and the
// template words) written out as the text form says the same, so that one reader, the text
// reader's, knows the templates.
//
// Every token is checked against the bytes that are left before it is read, and a name or a
// string that the text form could not hold (a separator in a name, a quote or a NUL in a string)
// refuses the file.
#pragma once

#include <string>
#include <string_view>

/// The text form of a binary X file (header included); false with the reason in strError for a
/// file that is not binary or is malformed.
bool XFileBinaryToText(std::string_view file, std::string& strText, std::string& strError);
