// The application object with the process-wide error handler: an error that
// escapes any event handler is passed to the handler and that event is cut
// short; the program goes on.
#pragma once

#include <QCoreApplication>

#include <exception>
#include <functional>
#include <stdexcept>

namespace vantor {

template <typename Base> class Guarded : public Base
{
public:
    using Handler = std::function<void(const std::exception &)>;

    Guarded(int &argc, char **argv) : Base(argc, argv) {}
    void setErrorHandler(Handler handler) { m_handler = std::move(handler); }

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return Base::notify(receiver, event);
        } catch (const std::exception &e) {
            report(e);
        } catch (...) {
            report(std::runtime_error("unknown error"));
        }
        return false;
    }

private:
    void report(const std::exception &e)
    {
        if (m_handler)
            m_handler(e);
    }

    Handler m_handler;
};

using GuardedCoreApplication = Guarded<QCoreApplication>;

} // namespace vantor
