// The window's side of the help channel: one connection per request. On
// Linux and macOS a plain local socket, so that the program does not link
// Qt's network library (and the Kerberos, GSSAPI and proxy libraries that it
// brings), which would be loaded and relocated at every start; on Windows
// Qt's QLocalSocket over a named pipe.
#include <QDeadlineTimer>
#include <QDir>

#include "help_channel.h"

namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kReplyTimeoutMs = 3000;

}  // namespace

#ifdef _WIN32

#include <QLocalSocket>

QString HelpChannelAddress(const QString& strChannel)
{
    return strChannel;
}

bool SendHelpRequest(const QString& strChannel, const SHelpRequest& request, QByteArray* pReply)
{
    QLocalSocket socket;
    socket.connectToServer(strChannel);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(EncodeHelpRequest(request));
    if (!socket.waitForBytesWritten(kConnectTimeoutMs))
        return false;
    if (pReply != nullptr) {
        while (!socket.canReadLine()) {
            if (socket.bytesAvailable() >= kHelpReplyLimit || !socket.waitForReadyRead(kReplyTimeoutMs))
                return false;
        }
        *pReply = socket.readLine();
    }
    socket.disconnectFromServer();
    return true;
}

#else

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;  // a viewer gone meanwhile is a failed send, not SIGPIPE
#else
constexpr int kSendFlags = 0;  // macOS: SO_NOSIGPIPE on the socket instead
#endif

constexpr int kConnectRetryMs = 10;

// One socket, closed when it goes out of scope.
class CSocketHandle {
public:
    explicit CSocketHandle(int nFd) : m_nFd(nFd) {}
    ~CSocketHandle()
    {
        if (m_nFd >= 0)
            ::close(m_nFd);
    }
    CSocketHandle(const CSocketHandle&) = delete;
    CSocketHandle& operator=(const CSocketHandle&) = delete;
    int Fd() const { return m_nFd; }

private:
    int m_nFd;
};

// A non-blocking stream socket that is not handed to the programs this one
// starts (the help viewer itself).
int OpenSocket()
{
    const int nFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (nFd < 0)
        return -1;
    const int nFlags = ::fcntl(nFd, F_GETFL);
    if (nFlags < 0 || ::fcntl(nFd, F_SETFL, nFlags | O_NONBLOCK) != 0 || ::fcntl(nFd, F_SETFD, FD_CLOEXEC) != 0) {
        ::close(nFd);
        return -1;
    }
#ifdef SO_NOSIGPIPE
    const int nOn = 1;
    ::setsockopt(nFd, SOL_SOCKET, SO_NOSIGPIPE, &nOn, sizeof nOn);
#endif
    return nFd;
}

// Waits until the socket is ready for `events`; false when the deadline
// passes first or the wait fails.
bool WaitFor(int nFd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd fd = {nFd, events, 0};
        const int nReady = ::poll(&fd, 1, static_cast<int>(deadline.remainingTime()));
        if (nReady > 0)
            return true;
        if (nReady == 0 || errno != EINTR)
            return false;
    }
}

bool Connect(int nFd, const sockaddr_un& address, const QDeadlineTimer& deadline)
{
    const auto* pAddress = reinterpret_cast<const sockaddr*>(&address);
    for (;;) {
        if (::connect(nFd, pAddress, sizeof address) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EINPROGRESS) {
            int nError = 0;
            socklen_t nLength = sizeof nError;
            return WaitFor(nFd, POLLOUT, deadline) && ::getsockopt(nFd, SOL_SOCKET, SO_ERROR, &nError, &nLength) == 0 &&
                   nError == 0;
        }
        // Linux: the viewer's queue of connections is full for a moment.
        if (errno != EAGAIN || deadline.hasExpired())
            return false;
        ::poll(nullptr, 0, kConnectRetryMs);
    }
}

bool SendAll(int nFd, const QByteArray& data, const QDeadlineTimer& deadline)
{
    qsizetype nSent = 0;
    while (nSent < data.size()) {
        const ssize_t n = ::send(nFd, data.constData() + nSent, static_cast<std::size_t>(data.size() - nSent),
                                 kSendFlags);
        if (n > 0)
            nSent += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(nFd, POLLOUT, deadline))
            continue;
        else
            return false;
    }
    return true;
}

// Reads up to and including the first line end: false when the peer closes
// first, stays silent for the time-out, or sends more than the limit.
bool ReceiveLine(int nFd, QByteArray& line)
{
    line.clear();
    char buffer[4096];
    for (;;) {
        const qsizetype nEnd = line.indexOf('\n');
        if (nEnd >= 0) {
            line.truncate(nEnd + 1);
            return true;
        }
        if (line.size() >= kHelpReplyLimit || !WaitFor(nFd, POLLIN, QDeadlineTimer(kReplyTimeoutMs)))
            return false;
        const ssize_t n = ::recv(nFd, buffer, sizeof buffer, 0);
        if (n > 0)
            line.append(buffer, static_cast<qsizetype>(n));
        else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
    }
}

}  // namespace

QString HelpChannelAddress(const QString& strChannel)
{
    if (QDir::isAbsolutePath(strChannel))
        return strChannel;
    return QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + strChannel;
}

bool SendHelpRequest(const QString& strChannel, const SHelpRequest& request, QByteArray* pReply)
{
    if (strChannel.isEmpty())
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(HelpChannelAddress(strChannel));
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path) || path.contains('\0'))
        return false;  // no socket can have that path
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

    const CSocketHandle socket(OpenSocket());
    if (socket.Fd() < 0)
        return false;
    const QDeadlineTimer deadline(kConnectTimeoutMs);
    if (!Connect(socket.Fd(), address, deadline) || !SendAll(socket.Fd(), EncodeHelpRequest(request), deadline))
        return false;
    if (pReply == nullptr)
        return true;
    QByteArray line;
    if (!ReceiveLine(socket.Fd(), line))
        return false;
    *pReply = line;
    return true;
}

#endif
