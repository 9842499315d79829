#include "tests/support/smalldisk.h"

#include <QDir>
#include <QFile>
#include <sys/mount.h>

namespace corvane::test {

SmallDisk::SmallDisk(const QString& folder, int kilobytes) : path_(folder)
{
    if (path_.isEmpty())
        return;
    QDir().mkpath(path_);
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + 'k';
    mounted_ = ::mount("tmpfs", QFile::encodeName(path_).constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    for (const QString& point : std::as_const(bound_))
        ::umount2(QFile::encodeName(point).constData(), MNT_DETACH);
    if (mounted_)
        ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
}

bool SmallDisk::bind(const QString& from, const QString& onto, bool readOnly)
{
    const QByteArray target = QFile::encodeName(onto);
    if (::mount(QFile::encodeName(from).constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    bound_ << onto;
    return !readOnly || ::mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

void SmallDisk::fill() const
{
    QFile filler(path_ + QStringLiteral("/filler"));
    if (filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
}

} // namespace corvane::test
