#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "recording/TextEncoding.h"
#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

volatile sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

}  // namespace

bool moveIntoPlace(const Path& source, const Path& target, bool replace) {
    const std::string from = toUtf8(source);
    const std::string to = toUtf8(target);
    // The temporary file was made private; the finished one gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(from.c_str(), 0666 & ~mask);
    if (replace) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system that cannot refuse in the same step: a hard link refuses an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

std::string lastSystemError() {
    const int error = errno;
    if (error == ENOSPC) return "no space left on the disk";
    if (error == EFBIG) return "the file is too large for the disk";
    if (error == EACCES || error == EPERM || error == EROFS) return "not allowed to write there";
    if (error == ENOENT || error == ENOTDIR) return "the folder does not exist";
    if (error == EISDIR) return "a folder has that name";
    if (error == EEXIST) return "a file of that name exists";
    return std::strerror(error);
}

bool errorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void prepareConsole() {}

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool interruptRequested() { return interrupted != 0; }

}  // namespace tavrin::exporter
