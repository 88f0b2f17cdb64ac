// The watch on a window's file (see QvWatchedFile.h).
#include "schedule/QvWatchedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace qv {

TWatchedFile::TWatchedFile(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
    // A save replaces the file by renaming another over it, which only its folder sees.
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { Check(); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Check(); });
}

void TWatchedFile::Set(const QString& path, const TFileStamp& stamp) {
    if (path != m_path) {
        if (!m_watcher->files().isEmpty())
            m_watcher->removePaths(m_watcher->files());
        if (!m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        m_path = path;
        if (!path.isEmpty())
            m_watcher->addPath(QFileInfo(path).absolutePath());
    }
    m_stamp = stamp;
    m_told = stamp;
    Rearm();
}

void TWatchedFile::Rearm() {
    if (m_path.isEmpty())
        return;
    // The watch on a replaced file follows the old one: watch the name again.
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
}

void TWatchedFile::Check() {
    if (m_path.isEmpty() || !m_stamp.Exists)
        return;
    Rearm();
    // A file taken away is nothing to read again; a save makes it anew.
    const TFileStamp now = StampOf(QFile::encodeName(m_path).toStdString());
    if (!now.Exists || now == m_stamp || now == m_told)
        return;
    m_told = now;
    emit Changed();
}

} // namespace qv
