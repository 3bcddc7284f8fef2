#include "open_handles.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/resource.h>
#endif

namespace vantor {

int OpenHandleCount()
{
#ifdef Q_OS_LINUX
    DIR *folder = opendir("/proc/self/fd");
    if (!folder)
        return -1;
    int count = 0;
    while (const dirent *entry = readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    closedir(folder);
    return count - 1; // the listing's own handle
#else
    return -1;
#endif
}

long OpenHandleLimit()
{
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return static_cast<long>(limit.rlim_cur);
#else
    return 0;
#endif
}

bool WithinHandleReserve(int reserve)
{
    const long limit = OpenHandleLimit();
    const int open = OpenHandleCount();
    if (limit <= 0 || open < 0)
        return false;
    return limit - open <= reserve;
}

} // namespace vantor
