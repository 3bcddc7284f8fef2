#include "log_file.h"

namespace vantor
{

LogFile::LogFile(const QString &path) : m_path(path), m_file(path)
{
    m_file.open(QIODevice::WriteOnly | QIODevice::Append);
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
