#include "log_file.h"

#include <algorithm>
#include <utility>

namespace vantor {

// Unbuffered: the pending text is kept here, so that a failed flush can be
// taken back whole instead of leaving half a line in a buffer of QFile.
LogFile::LogFile(const QString &path, Open how)
    : m_path(path), m_file(path),
      m_awaitsCreation(how == Open::AppendLater || how == Open::ReplaceLater),
      m_openMode(QIODevice::WriteOnly | QIODevice::Unbuffered |
                 (how == Open::Append || how == Open::AppendLater ? QIODevice::Append
                                                                  : QIODevice::Truncate))
{
    if (!m_awaitsCreation)
        m_file.open(m_openMode);
}

bool LogFile::create()
{
    if (!m_awaitsCreation)
        return true;
    m_awaitsCreation = false;
    if (m_file.open(m_openMode))
        return true;
    m_pending.clear();
    return false;
}

bool LogFile::writeLine(const QString &text, Flush when)
{
    if (!isOpen())
        return false;
    m_pending += text.toLatin1() + "\r\n";
    return when == Flush::Later || flush();
}

bool LogFile::flush()
{
    // Kept until the file is made.
    if (m_awaitsCreation)
        return true;
    if (!m_file.isOpen())
        return false;
    if (m_pending.isEmpty())
        return true;
    const QByteArray bytes = std::exchange(m_pending, {});
    const qint64 written = m_file.write(bytes);
    if (written == bytes.size())
        return true;
    // Cut short: the part that reached the file ends it (the file is appended
    // to, and nothing else writes between), so it is cut off again. Measured
    // only now, a write that succeeds costs no look at the file's size.
    m_file.resize(m_file.size() - std::max<qint64>(written, 0));
    return false;
}

bool LogFile::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_pending += bytes;
    return flush();
}

LogFile::~LogFile()
{
    close();
}

bool LogFile::close()
{
    if (!create())
        return false;
    if (!m_file.isOpen())
        return true;
    const bool flushed = flush();
    m_file.close();
    return flushed;
}

} // namespace vantor
