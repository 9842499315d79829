#pragma once
// A small file system of its own (root only), and bind mounts onto files, all taken away again
// whatever the test's outcome.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <sys/mount.h>

namespace corvane::test {

class SmallDisk {
public:
    // Mounts a tmpfs of this size at the folder, which is made when missing; without a folder, only
    // the bind mounts.
    explicit SmallDisk(const QString& folder = {}, int kilobytes = 64) : path_(folder)
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + 'k';
        mounted_ = !path_.isEmpty() && QDir().mkpath(path_) &&
                   ::mount("tmpfs", QFile::encodeName(path_).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        for (const QString& point : bound_ + (mounted_ ? QStringList{path_} : QStringList{}))
            ::umount2(QFile::encodeName(point).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    const QString& path() const { return path_; }
    // Mounts the file `from` over the file `onto`, read-only when asked.
    bool bind(const QString& from, const QString& onto, bool readOnly)
    {
        const QByteArray target = QFile::encodeName(onto);
        if (::mount(QFile::encodeName(from).constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0)
            return false;
        bound_ << onto;
        return !readOnly ||
               ::mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    // Leaves not one free block.
    void fill() const
    {
        QFile filler(path_ + QStringLiteral("/filler"));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            while (filler.write(QByteArray(4096, 'f')) == 4096) {
            }
        }
    }

private:
    QString path_;
    bool mounted_ = false;
    QStringList bound_;
};

} // namespace corvane::test
