#include "support/firebird_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {
const QString serverBinary = QStringLiteral("/usr/sbin/firebird");

// Debian's Firebird folder (/usr/lib/<triplet>/firebird/3.0): messages and the intl library.
QString firebirdLibFolder() {
    for (const QString& triplet : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs)) {
        const QString folder = QStringLiteral("/usr/lib/%1/firebird/3.0").arg(triplet);
        if (QFileInfo::exists(folder + QStringLiteral("/intl/libfbintl.so"))) return folder;
    }
    return {};
}

// A port nobody listens on at the moment, from the system's own choice.
int freeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(s);
    return port;
}

bool accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return ok;
}

bool copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    return QFile::copy(from, to);
}
}  // namespace

FirebirdServer::FirebirdServer() {
    m_error = start();
    if (!m_error.isEmpty() && m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

FirebirdServer::~FirebirdServer() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();  // SIGTERM to the server's own process id
    if (!m_process.waitForFinished(15000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString FirebirdServer::databaseName(const QString& path) const {
    return QStringLiteral("127.0.0.1/%1:%2").arg(m_port).arg(path);
}

QString FirebirdServer::start() {
    if (!QFileInfo(serverBinary).isExecutable()) {
        return serverBinary + QStringLiteral(" is missing (Debian package firebird3.0-server)");
    }
    const QString lib = firebirdLibFolder();
    if (lib.isEmpty()) return QStringLiteral("Firebird's intl library is missing");
    if (!m_root.isValid()) return QStringLiteral("no temporary folder");
    const QDir root(m_root.path());
    const QString lock = root.filePath(QStringLiteral("lock"));
    if (!root.mkpath(QStringLiteral("intl")) || !root.mkpath(QStringLiteral("lock"))) {
        return QStringLiteral("cannot make the server's folders in ") + root.path();
    }
    // Copies, not links: the engine finds its intl library and messages under FIREBIRD.
    for (const char* name : {"intl/libfbintl.so", "intl/fbintl.conf", "firebird.msg"}) {
        const QString file = QString::fromLatin1(name);
        if (!copyFile(lib + QLatin1Char('/') + file, root.filePath(file))) {
            return QStringLiteral("cannot copy ") + lib + QLatin1Char('/') + file;
        }
    }
    m_port = freeLoopbackPort();
    if (m_port == 0) return QStringLiteral("no free loopback port");
    const QString security = root.filePath(QStringLiteral("security3.fdb"));
    QFile conf(root.filePath(QStringLiteral("firebird.conf")));
    if (!conf.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write firebird.conf");
    conf.write(QStringLiteral("RemoteServicePort = %1\n"
                              "RemoteBindAddress = 127.0.0.1\n"
                              "SecurityDatabase = %2\n"
                              "ServerMode = Super\n"
                              "AuthServer = Srp\n"
                              "UserManager = Srp\n"
                              "DatabaseAccess = Full\n")
                   .arg(m_port)
                   .arg(security)
                   .toUtf8());
    conf.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FIREBIRD"), root.path());
    environment.insert(QStringLiteral("FIREBIRD_LOCK"), lock);
    environment.remove(QStringLiteral("ISC_USER"));
    environment.remove(QStringLiteral("ISC_PASSWORD"));

    // The security database with its one user, made by the embedded engine under the same root.
    QProcess isql;
    isql.setProcessEnvironment(environment);
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    isql.write(QStringLiteral("CREATE DATABASE '%1';\nCREATE USER %2 PASSWORD '%3';\nCOMMIT;\n")
                   .arg(security, QString::fromLatin1(user), QString::fromLatin1(password))
                   .toUtf8());
    isql.closeWriteChannel();
    if (!isql.waitForFinished(60000) || isql.exitCode() != 0 || !QFileInfo::exists(security)) {
        return QStringLiteral("cannot make the security database: ") +
               QString::fromLocal8Bit(isql.readAll()).trimmed();
    }

    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(root.path());
    m_process.start(serverBinary, {});
    if (!m_process.waitForStarted(10000)) {
        return QStringLiteral("cannot start ") + serverBinary + QStringLiteral(": ") +
               m_process.errorString();
    }
    QElapsedTimer waited;
    waited.start();
    while (!accepts(m_port)) {
        if (m_process.state() == QProcess::NotRunning || waited.elapsed() > 30000) {
            m_process.waitForFinished(100);
            return QStringLiteral("the server did not listen on port %1: %2")
                .arg(m_port)
                .arg(QString::fromLocal8Bit(m_process.readAll()).trimmed());
        }
        QThread::msleep(20);
    }
    return {};
}
