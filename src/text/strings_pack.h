// Strings sources: the editable form of a strings file.
//
// A source is UTF-8 text with one "Key=Value" entry per line. Empty lines and
// lines starting with "#" are skipped, a CR before the line end is dropped and
// a UTF-8 byte order mark at the start is ignored. The value runs from behind
// the first "=" to the end of the line and may be empty or contain "=".
//
// Packing turns a source into the file that the installer reads: each value
// converted to the code page of the source's own CharactersetCode entry, the
// entries stored as key=value plus a zero byte, one more zero byte for the
// empty entry that ends the table, the whole scrambled with the strings key.
// Unpacking does the reverse. Both are used by distkit and by the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Why a source cannot be packed: the line (1-based; 0 for the source as a
// whole) and the reason.
struct StringsSourceProblem {
  int line = 0;
  std::string message;  // UTF-8
  // "line N: message", or the message alone for the whole source.
  std::string text() const;
};

// Packs a UTF-8 source. On success `packed` holds the scrambled file and the
// result is true; `warnings` (if given) gets notes on things the installer
// will accept but that are probably mistakes (a key given twice, a charset
// number without a fixed code page). On failure `problem` names the line and
// the reason and `packed` is left empty.
//
// Refused: a line without "=", an empty key, a key with characters other
// than printable ASCII (no blanks), a value that is not valid UTF-8 or holds
// a zero character, a source without CharactersetCode, and a value that the
// code page cannot hold exactly (the installer would show a substitute).
bool packStrings(std::string_view source, std::string& packed, StringsSourceProblem& problem,
                 std::vector<std::string>* warnings = nullptr);

// Unpacks a scrambled strings file into UTF-8 "Key=Value" lines ending in
// '\n', in file order, up to the empty entry that ends the table (or the end
// of the data). Fails when the file has no CharactersetCode entry or an entry
// cannot be converted from its code page.
bool unpackStrings(std::string_view packed, std::string& source, std::string& error);

// UTF-8 to UTF-16; false on malformed UTF-8 (overlong forms, surrogates,
// values above U+10FFFF, cut sequences). `out` is replaced.
bool utf8ToWide(std::string_view utf8, std::u16string& out);
