// The watch on a window's file (see QvWatchedFile.h).
#include "schedulewindow/QvWatchedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace qv {

TWatchedFile::TWatchedFile(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
    // The folder, not the file: a save replaces the file by renaming another over it, which a
    // watch on the file would not follow; the folder's watch sees that and writes into it alike.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Check(); });
}

void TWatchedFile::Set(const QString& path, const TFileStamp& stamp) {
    if (path != m_path) {
        if (!m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        m_path = path;
        // A link's target is what other programs write.
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!path.isEmpty())
            m_watcher->addPath(QFileInfo(target.isEmpty() ? path : target).absolutePath());
    }
    m_stamp = stamp;
    m_told = stamp;
}

void TWatchedFile::Check() {
    if (m_path.isEmpty() || !m_stamp.Exists)
        return;
    // A file taken away is nothing to read again; a save makes it anew.
    const TFileStamp now = StampOf(QFile::encodeName(m_path).toStdString());
    if (!now.Exists || now == m_stamp || now == m_told)
        return;
    m_told = now;
    emit Changed();
}

} // namespace qv
