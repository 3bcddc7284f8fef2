#include "password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vantor {

namespace {
constexpr std::size_t MaxPasswordBytes = 1024;

// One line from standard input without its line end; nothing at end of input
// or on a line too long to be a password.
std::optional<QByteArray> ReadLine()
{
    std::string line;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF)
            return line.empty() ? std::nullopt : std::optional(QByteArray::fromStdString(line));
        if (c == '\n')
            break;
        if (line.size() == MaxPasswordBytes)
            return std::nullopt;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QByteArray::fromStdString(line);
}

// Turns the terminal's echo off for its lifetime.
class EchoOff
{
public:
    EchoOff()
    {
        if (tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        m_set = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_set)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;
    bool set() const { return m_set; }

private:
    termios m_saved{};
    bool m_set = false;
};

std::optional<QByteArray> AskWithoutEcho(const char *prompt, QString *error)
{
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    const EchoOff echoOff;
    if (!echoOff.set()) {
        *error = QStringLiteral("cannot turn the terminal's echo off");
        return std::nullopt;
    }
    auto line = ReadLine();
    if (!line)
        *error = QStringLiteral("no password given");
    return line;
}
} // namespace

std::optional<QByteArray> ReadNewPassword(QString *error)
{
    if (!isatty(STDIN_FILENO)) {
        auto line = ReadLine();
        if (!line)
            *error = QStringLiteral("no password on standard input");
        return line;
    }
    const auto first = AskWithoutEcho("Password: ", error);
    if (!first)
        return std::nullopt;
    const auto second = AskWithoutEcho("Password again: ", error);
    if (!second)
        return std::nullopt;
    if (*first != *second) {
        *error = QStringLiteral("the two passwords differ");
        return std::nullopt;
    }
    return first;
}

} // namespace vantor
