#include "app/SingleInstanceUnit.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& identity, QObject* parent)
    : QObject(parent)
    , Name(identity + u'-' + QString::number(getuid()))
{
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Claim()
{
    Lock = std::make_unique<QLockFile>(QDir::temp().filePath(Name + QStringLiteral(".lock")));
    Lock->setStaleLockTime(0); // stale only when its process is gone, never by age
    if (!Lock->tryLock(0)) {
        const bool heldByAnother = Lock->error() == QLockFile::LockFailedError;
        Lock.reset();
        // A lock that cannot be made at all (no writable temporary folder) must not keep the program from
        // starting.
        if (heldByAnother)
            return false;
    }
    // Holding the lock, any socket left by a killed copy is stale.
    QLocalServer::removeServer(Name);
    Server = new QLocalServer(this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(Server, &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnection);
    Server->listen(Name);
    return true;
}

void TSingleInstance::AcceptConnection()
{
    while (QLocalSocket* socket = Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QList<QByteArray> words = socket->readLine().trimmed().split(' ');
                if (words.size() == 2)
                    Q_EMIT MessageReceived(words[0].toUInt(), words[1].toUInt());
            }
        });
    }
}

bool TSingleInstance::SendMessage(quint32 wParam, quint32 lParam) const
{
    // The first copy may be between taking the lock and listening: try for about two seconds.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(Name);
        if (socket.waitForConnected(100)) {
            socket.write(QByteArray::number(wParam) + ' ' + QByteArray::number(lParam) + '\n');
            const bool written = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(100);
    }
    return false;
}
