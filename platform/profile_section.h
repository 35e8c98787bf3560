// Desktop.ini: one section's lines and the file's System attribute.
//
// Windows: GetPrivateProfileSectionW into a 4,096-character buffer and
// GetFileAttributesW. POSIX: our own INI reader (UTF-16 LE with a byte-order
// mark, or UTF-8/ANSI) and the user.DOSATTRIB extended attribute in which
// Wine and Samba keep DOS attributes.
#pragma once

#include <string>
#include <vector>

namespace tolvanir {

// The section's lines as "key=value" (no comments or blank lines), as much of
// them as fits 4,096 characters; none when the file or section is missing.
[[nodiscard]] std::vector<std::wstring> read_profile_section(const std::wstring& file,
                                                             const std::wstring& section);

// Whether the file carries the System attribute.
[[nodiscard]] bool has_system_attribute(const std::wstring& file);

}  // namespace tolvanir
