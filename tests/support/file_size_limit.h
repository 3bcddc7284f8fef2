// A full disk as a test can have it: while a FileSizeLimit lives, no file of
// this process can grow past the limit (RLIMIT_FSIZE; SIGXFSZ is ignored so a
// write past it fails instead of ending the process). Both are restored when
// it goes or is lifted.
#pragma once

#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

namespace vantor::test {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // False when the limit could not be set; tests then skip.
    bool active() const { return m_active; }
    // Space returns: files may grow again.
    void lift();

private:
    bool m_active = false;
    rlimit m_previous{};
    struct sigaction m_previousAction {};
};

} // namespace vantor::test
