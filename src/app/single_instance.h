// One running copy per data folder: a lock file in the folder, and a local
// socket through which a second start asks the first to come forward. The
// socket lives in $XDG_RUNTIME_DIR (the data folder when that is not set) and
// only its user may connect to it.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

namespace vantor {

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // dataFolder must exist.
    explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one copy for the folder. When another
    // runs, it is asked to come forward and false is returned.
    bool claim();

signals:
    // Another start asked this copy to come forward.
    void activationRequested();

private:
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

} // namespace vantor
