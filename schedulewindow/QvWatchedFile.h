// TWatchedFile: a window's file as the window last read or wrote it, and a watch on it that tells
// when another program has written it since.
#pragma once

#include "schedule/QvOutputFile.h"

#include <QObject>
#include <QString>

class QFileSystemWatcher;

namespace qv {

class TWatchedFile : public QObject {
    Q_OBJECT

  public:
    explicit TWatchedFile(QObject* parent = nullptr);

    // The window has just read or written `path`, which was then `stamp`; an empty path: none.
    void Set(const QString& path, const TFileStamp& stamp);
    const QString& Path() const { return m_path; }
    // What the file was when last read or written; not Exists when there is none.
    const TFileStamp& Stamp() const { return m_stamp; }
    // Looks at the file now: Changed is emitted when it is not what it was, once for each new
    // version. The watch calls it; tests may too.
    void Check();

  signals:
    void Changed();

  private:
    QFileSystemWatcher* m_watcher = nullptr;
    QString m_path;
    TFileStamp m_stamp;
    TFileStamp m_told; // the version Changed was last emitted for
};

} // namespace qv
