#pragma once
// Doubles of the delivery's network services: the messaging call, the client socket (a recorder
// around the real one), name resolution and the echo.
#include "platform/messenger.h"
#include "platform/network.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <memory>

namespace corvane::test {

// Records every messaging call and answers with `code`.
class RecordingMessenger : public IMessenger {
public:
    struct Call {
        QByteArray recipient, fromName, buffer;
        std::uint32_t length = 0;
        QString to() const { return textFromUtf16Buffer(recipient); }
        QString from() const { return textFromUtf16Buffer(fromName); }
        QString message() const { return utf16TextOfLength(buffer, length); }
    };
    std::int32_t NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName, const QByteArray& buffer,
                                      std::uint32_t length, const QString& /*address*/) override
    {
        calls.push_back({recipient, fromName, buffer, length});
        return code;
    }
    std::int32_t code = 0;
    QList<Call> calls;
};

// The real socket, with every send recorded as it was handed over (one entry per SendData).
class RecordingTcpClient : public ITcpClient {
public:
    explicit RecordingTcpClient(std::unique_ptr<ITcpClient> inner = std::make_unique<LinuxTcpClient>());
    void Close() override
    {
        ++closes;
        inner_->Close();
    }
    void Connect(const QString& host, std::uint16_t port) override;
    int State() override { return inner_->State(); }
    void SendData(const QByteArray& bytes) override
    {
        sent << bytes;
        inner_->SendData(bytes);
    }
    QByteArray GetData() override { return inner_->GetData(); }
    void EndSending() override { inner_->EndSending(); }
    qint64 Unacknowledged() override { return inner_->Unacknowledged(); }
    void Finish(int graceMs) override
    {
        finishes << graceMs;
        inner_->Finish(graceMs);
    }
    ITcpClient& inner() { return *inner_; }

    QList<QByteArray> sent;
    QStringList connectedTo; // "host:port" per Connect
    int closes = 0;
    QList<int> finishes; // the grace of each orderly end

private:
    std::unique_ptr<ITcpClient> inner_;
};

// Names from a table; any other name goes to the system's resolver unless `systemFallback` is off.
class FakeResolver : public IResolver {
public:
    int startup(std::uint16_t version) override
    {
        ++startups;
        lastVersion = version;
        return startupResult;
    }
    int cleanup() override
    {
        ++cleanups;
        return cleanupResult;
    }
    QByteArray hostByName(const QByteArray& name) override;

    QMap<QString, QString> names; // name -> dotted address
    bool systemFallback = true;
    int startupResult = 0;
    int cleanupResult = 0;
    int startups = 0, cleanups = 0;
    std::uint16_t lastVersion = 0;
    QStringList asked;
};

// Answers the echo for every address except those in `silent`; with `available` off no echo
// facility can be opened.
class FakePinger : public IPinger {
public:
    std::unique_ptr<IEchoHandle> createFile() override;
    bool available = true;
    QSet<QString> silent; // dotted addresses that never answer
    QStringList pinged;   // dotted addresses, in order
    QList<QByteArray> payloads;
};

} // namespace corvane::test
