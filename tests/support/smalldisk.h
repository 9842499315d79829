#pragma once
// A small file system of its own (root only), and bind mounts onto files, all taken away again
// whatever the test's outcome.
#include <QString>
#include <QStringList>

namespace corvane::test {

class SmallDisk {
public:
    // Mounts a tmpfs of this size at the folder, which is made when missing; without a folder, only
    // the bind mounts.
    explicit SmallDisk(const QString& folder = {}, int kilobytes = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    const QString& path() const { return path_; }
    // Mounts the file `from` over the file `onto`, read-only when asked.
    bool bind(const QString& from, const QString& onto, bool readOnly);
    // Leaves not one free block.
    void fill() const;

private:
    QString path_;
    bool mounted_ = false;
    QStringList bound_;
};

} // namespace corvane::test
