#include "tests/support/fakedelivery.h"

#include <arpa/inet.h>

namespace corvane::test {

RecordingTcpClient::RecordingTcpClient(std::unique_ptr<ITcpClient> inner) : inner_(std::move(inner))
{
    inner_->DataArrival = [this](int n) {
        if (DataArrival)
            DataArrival(n);
    };
    inner_->SendComplete = [this] {
        if (SendComplete)
            SendComplete();
    };
}

void RecordingTcpClient::Connect(const QString& host, std::uint16_t port)
{
    connectedTo << host + QLatin1Char(':') + QString::number(port);
    inner_->Connect(host, port);
}

QByteArray FakeResolver::hostByName(const QByteArray& name)
{
    asked << QString::fromLatin1(name);
    const auto found = names.constFind(QString::fromLatin1(name));
    if (found != names.constEnd()) {
        in_addr a{};
        if (::inet_pton(AF_INET, found->toLatin1().constData(), &a) != 1)
            return {};
        return QByteArray(reinterpret_cast<const char*>(&a.s_addr), 4);
    }
    return systemFallback ? LinuxResolver().hostByName(name) : QByteArray();
}

namespace {
class FakeEchoHandle : public IEchoHandle {
public:
    explicit FakeEchoHandle(FakePinger& owner) : owner_(owner) {}
    void sendEcho(std::uint32_t address, const QByteArray& payload, EchoReply& reply, int) override
    {
        in_addr a{};
        a.s_addr = address;
        const QString dotted = QString::fromLatin1(::inet_ntoa(a));
        owner_.pinged << dotted;
        owner_.payloads << payload;
        reply.status = owner_.silent.contains(dotted) ? kEchoTimedOut : kEchoSuccess;
    }

private:
    FakePinger& owner_;
};
} // namespace

std::unique_ptr<IEchoHandle> FakePinger::createFile()
{
    if (!available)
        return nullptr;
    return std::make_unique<FakeEchoHandle>(*this);
}

} // namespace corvane::test
