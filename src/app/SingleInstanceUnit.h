#pragma once
// One running copy per user and temporary folder: a lock file stands for the named mutex, a local socket for
// the activation message that a second start sends to the first before it ends.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// The program's identity text, which names the lock and the socket (with the user id added).
inline constexpr const char* InstanceIdentity = "8468781D-3715-468C-8904-E59A1CF59A51";

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(
        const QString& identity = QString::fromLatin1(InstanceIdentity), QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True for the first copy: it now holds the lock and listens for messages.
    bool Claim();
    // Hands the message to the running copy; false when none answers.
    bool SendMessage(quint32 wParam, quint32 lParam) const;
    QString ServerName() const { return Name; }

Q_SIGNALS:
    // The activation message arrives with wParam 1 and lParam 0.
    void MessageReceived(quint32 wParam, quint32 lParam);

private:
    void AcceptConnection();

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer* Server = nullptr;
};
