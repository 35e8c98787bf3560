// Our own reader of INI files, standing in for GetPrivateProfileSectionW
// with the rules Wine follows (checked against it):
//
// - text: UTF-16 LE or BE after its byte-order mark; otherwise UTF-8, with or
//   without its mark, where each byte that is not part of valid UTF-8 is read
//   as Latin-1 (ANSI files; Windows itself would read UTF-8 without a mark in
//   the ANSI code page);
// - lines end at CR LF, LF or CR, and a null ends a line's text;
// - lines are trimmed of ASCII white space; blank lines and lines starting
//   with ';' are skipped;
// - "[name]" starts a section, the name running to the line's last ']' and
//   trimmed; lines before the first header form the section named "";
// - section names compare case-insensitively for ASCII letters only, and
//   only the first section of the name is read, even when it is empty;
// - "key = value" comes back as "key=value" (key and value trimmed); a line
//   without '=' comes back as it stands;
// - lines are kept while they fit a 4,096-character buffer, counted in UTF-16
//   units with a null after each line and a final one; the first line that
//   does not fit and all after it are dropped (Windows would cut it short).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tolvanir {

inline constexpr std::size_t ini_section_buffer_units = 4096;

[[nodiscard]] std::vector<std::wstring> ini_section_lines(const std::string& file_bytes,
                                                          const std::wstring& section);

}  // namespace tolvanir
