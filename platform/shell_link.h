// The target stored in a shortcut (.lnk).
//
// Windows: IShellLinkW and IPersistFile (Load, Resolve with no UI and no
// search, GetPath with SLGP_RAWPATH), COM initialised for the call.
// POSIX: the MS-SHLLINK reader of liblnk, giving the same raw path: the
// environment-variable block's path when present, else the link info's local
// path, else the relative path.
#pragma once

#include <string>

namespace tolvanir {

// The raw target path, environment variables unexpanded, at most 259
// characters; empty when the link cannot be read or holds no path.
[[nodiscard]] std::wstring resolve_shortcut(const std::wstring& path);

}  // namespace tolvanir
