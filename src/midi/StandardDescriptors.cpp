#include "midi/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void ReopenClosedStandardDescriptors() noexcept
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor: this one, as the lower ones are open.
        const int opened = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}
