#include "file_size_limit.h"

namespace vantor::test {

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
        return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    if (sigaction(SIGXFSZ, &ignore, &m_previousAction) != 0)
        return;
    rlimit limited = m_previous;
    limited.rlim_cur = rlim_t(bytes);
    if (m_previous.rlim_max != RLIM_INFINITY && limited.rlim_cur > m_previous.rlim_max) {
        sigaction(SIGXFSZ, &m_previousAction, nullptr);
        return;
    }
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        sigaction(SIGXFSZ, &m_previousAction, nullptr);
        return;
    }
    m_active = true;
}

FileSizeLimit::~FileSizeLimit()
{
    lift();
}

void FileSizeLimit::lift()
{
    if (!m_active)
        return;
    setrlimit(RLIMIT_FSIZE, &m_previous);
    sigaction(SIGXFSZ, &m_previousAction, nullptr);
    m_active = false;
}

} // namespace vantor::test
