#include "log_file.h"

#include <utility>

namespace vantor {

LogFile::LogFile(const QString &path, Open how) : m_path(path), m_file(path)
{
    // Unbuffered: the pending text is kept here, so that a failed flush can be
    // taken back whole instead of leaving half a line in a buffer of QFile.
    m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered |
                (how == Open::Append ? QIODevice::Append : QIODevice::Truncate));
}

bool LogFile::writeLine(const QString &text, Flush when)
{
    if (!m_file.isOpen())
        return false;
    m_pending += text.toLatin1() + "\r\n";
    return when == Flush::Later || flush();
}

bool LogFile::flush()
{
    if (!m_file.isOpen())
        return false;
    if (m_pending.isEmpty())
        return true;
    // Measured each time: two devices of the same name append to one file.
    const qint64 whole = m_file.size();
    const QByteArray bytes = std::exchange(m_pending, {});
    if (m_file.write(bytes) == bytes.size())
        return true;
    m_file.resize(whole);
    return false;
}

bool LogFile::write(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return false;
    m_pending += bytes;
    return flush();
}

void LogFile::close()
{
    flush();
    m_file.close();
}

} // namespace vantor
