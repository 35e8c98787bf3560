// File names are UTF-8 here, whatever the locale.
//
// Boost converts between wide paths and the system's narrow names with the
// codecvt of std::locale(""): in the C locale (LANG unset, as under many
// service managers) that knows only ASCII, and any Chinese name would throw
// from deep inside a scan or a load. This file is compiled into every
// program that links the core, so the facet is in place before main().
#include <boost/filesystem/detail/utf8_codecvt_facet.hpp>
#include <boost/filesystem/path.hpp>
#include <locale>

namespace {

[[maybe_unused]] const bool utf8_file_names = [] {
    boost::filesystem::path::imbue(
        std::locale(std::locale::classic(), new boost::filesystem::detail::utf8_codecvt_facet));
    return true;
}();

}  // namespace
