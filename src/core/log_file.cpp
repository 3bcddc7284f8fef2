#include "log_file.h"

namespace vantor {

LogFile::LogFile(const QString &path, Open how) : m_path(path), m_file(path)
{
    m_file.open(QIODevice::WriteOnly |
                (how == Open::Append ? QIODevice::Append : QIODevice::Truncate));
}

bool LogFile::writeLine(const QString &text)
{
    return write(text.toLatin1() + "\r\n");
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
