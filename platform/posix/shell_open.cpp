#include "platform/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "platform/utf8.h"

extern char** environ;

namespace tolvanir {

bool shell_open(const std::wstring& text, bool elevated) {
    if (text.empty()) return false;
    const std::string target = to_utf8(text);
    char opener[] = "xdg-open";
    char elevator[] = "pkexec";
    char* plain[] = {opener, const_cast<char*>(target.c_str()), nullptr};
    char* raised[] = {elevator, opener, const_cast<char*>(target.c_str()), nullptr};
    char** argv = elevated ? raised : plain;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    return waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tolvanir
