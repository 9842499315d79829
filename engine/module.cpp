#include "engine/module.h"

#include "engine/module1.h"
#include "engine/textfile.h"
#include "platform/eventwait.h"

#include <QStringList>
#include <optional>

namespace corvane {

std::int32_t Module::PingHost(const QString& address, const QByteArray& payload, EchoReply& reply)
{
    std::uint32_t a = 0;
    if (!dottedToAddress(toAnsi(address), a))
        return -1;
    std::unique_ptr<IEchoHandle> h = m1_.platform().pinger->createFile();
    if (!h)
        return 0; // no echo facility: the node counts as answering and the delivery goes on
    h->sendEcho(a, payload.left(3), reply, EchoTimeoutMs);
    return static_cast<std::int32_t>(reply.status);
}

QString Module::ResolveHostIP(const QString& name)
{
    IResolver& resolver = *m1_.platform().resolver;
    std::optional<QByteArray> found;
    const unsigned lookup = resolver.lookUp(toAnsi(name), [&found](const QByteArray& address) { found = address; });
    if (!waitInEventLoop([&found] { return found.has_value(); }, NameLookupMs)) {
        resolver.abandon(lookup);
        return {};
    }
    const QByteArray bytes = *found;
    if (bytes.size() != 4)
        return {};
    return BytesToDottedIP(bytes);
}

QString Module::BytesToDottedIP(const QByteArray& bytes)
{
    QStringList parts;
    for (const char c : bytes)
        parts << QString::number(static_cast<unsigned char>(c));
    return parts.join(QLatin1Char('.'));
}

bool Module::SocketsStartup()
{
    return m1_.platform().resolver->startup(0x0101) == 0;
}

void Module::SocketsCleanup()
{
    if (m1_.platform().resolver->cleanup() != 0)
        m1_.dialogs().msgBox(QStringLiteral("Windows Sockets error occurred in Cleanup."), MsgButtons::Ok,
                             MsgIcon::Exclamation, QStringLiteral("Corvane"));
}

} // namespace corvane
