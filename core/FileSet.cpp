#include "core/FileSet.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

namespace vortan {

namespace {

// A name beside `path` that nothing uses yet.
QString unusedNameBeside(const QString& path, const char* kind) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QString("%1.%2-%3")
                                      .arg(path, kind)
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
    return {};
}

} // namespace

bool writeAll(QIODevice& file, const char* data, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const qint64 n = file.write(data + done, size - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

FileSet::~FileSet() {
    if (!committed_) removeTemporaries();
}

QFile* FileSet::add(const QString& target) {
    const QFileInfo info(target);
    // A folder of that name is not ours to move aside.
    if (failed_ || (info.exists() && !info.isFile())) {
        failed_ = true;
        return nullptr;
    }
    Member m;
    m.target = target;
    m.temporary = unusedNameBeside(target, "new");
    m.file = std::make_unique<QFile>(m.temporary);
    if (m.temporary.isEmpty() ||
        !m.file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        failed_ = true;
        return nullptr;
    }
    members_.push_back(std::move(m));
    return members_.back().file.get();
}

bool FileSet::add(const QString& target, const QByteArray& bytes) {
    QFile* file = add(target);
    if (!file || !writeAll(*file, bytes.constData(), bytes.size())) failed_ = true;
    return !failed_;
}

bool FileSet::move(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool FileSet::commit() {
    if (committed_) return false;
    // Every new file complete and on the disk before any old one is touched.
    for (Member& m : members_) {
        if (m.file->error() != QFileDevice::NoError || ::fsync(m.file->handle()) != 0) failed_ = true;
        m.file->close();
    }
    if (failed_ || members_.empty()) {
        removeTemporaries();
        return false;
    }
    for (Member& m : members_) {
        if (!QFileInfo::exists(m.target)) continue;
        const QString aside = unusedNameBeside(m.target, "old");
        if (aside.isEmpty() || !move(m.target, aside)) {
            rollBack();
            return false;
        }
        m.aside = aside;
    }
    for (Member& m : members_) {
        if (!move(m.temporary, m.target)) {
            rollBack();
            return false;
        }
        m.placed = true;
    }
    for (Member& m : members_)
        if (!m.aside.isEmpty()) QFile::remove(m.aside);
    committed_ = true;
    return true;
}

void FileSet::rollBack() {
    for (Member& m : members_) {
        if (m.placed) QFile::remove(m.target);
        if (!m.aside.isEmpty()) move(m.aside, m.target);
        m.placed = false;
        m.aside.clear();
    }
    removeTemporaries();
    failed_ = true;
}

void FileSet::removeTemporaries() {
    for (Member& m : members_) {
        if (m.file && m.file->isOpen()) m.file->close();
        if (!m.placed) QFile::remove(m.temporary);
    }
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    FileSet set;
    return set.add(path, bytes) && set.commit();
}

} // namespace vortan
