#include "log_file.h"

namespace vantor {

LogFile::LogFile(const QString &path, Open how) : m_path(path), m_file(path)
{
    m_file.open(QIODevice::WriteOnly |
                (how == Open::Append ? QIODevice::Append : QIODevice::Truncate));
}

bool LogFile::writeLine(const QString &text, Flush when)
{
    const QByteArray bytes = text.toLatin1() + "\r\n";
    if (when == Flush::Now)
        return write(bytes);
    return m_file.isOpen() && m_file.write(bytes) == bytes.size();
}

bool LogFile::flush()
{
    return m_file.isOpen() && m_file.flush();
}

bool LogFile::write(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return false;
    if (m_file.write(bytes) != bytes.size())
        return false;
    return m_file.flush();
}

void LogFile::close()
{
    m_file.close();
}

} // namespace vantor
