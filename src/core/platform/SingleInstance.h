#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running client per user. A lock file stands for the named semaphore; a local socket,
// opened once the main window exists, stands for the window property by which a second start
// finds the first and asks it to come forward.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        First,           // we hold the lock: start normally
        OtherHasWindow,  // another instance shows its window: it was asked to come forward
        OtherStarting,   // another instance runs but has no window yet
        Failed,          // the lock could not be taken at all
    };

    // NAME is "VELO"; FOLDER defaults to the user's runtime folder.
    explicit SingleInstance(const QString& name, const QString& folder = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Outcome acquire();
    // Opens the socket a later start connects to; the main window calls it when it is shown.
    // False, and nothing touched, for an instance that does not hold the lock.
    bool listen();

signals:
    // A later start asked this instance to restore and raise its window.
    void raiseRequested();

private:
    QString m_name;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
