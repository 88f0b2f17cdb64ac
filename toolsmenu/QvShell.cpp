// Tools menu runner and program start.
#include "toolsmenu/QvShell.h"

#include "widgets/QvMessageBox.h"
#include "messagepool/QvMessagePool.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace qv {

namespace {

// The application's plain message box: its title, the text, one OK button and no icon. CR and
// CR LF break lines as they would on the maker's other platform.
void ShowInformation(QWidget* parent, QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    FitMessageBox(box);
    box.exec();
}

// Identity of the socket file under a title: it changes when a new receiver binds.
struct TSocketStamp {
    bool Exists = false;
    ino_t Inode = 0;
    bool operator==(const TSocketStamp&) const = default;
};

TSocketStamp StampOf(const QString& title) {
    TSocketStamp stamp;
    const std::string folder = MessagePoolFolder(false);
    struct stat st {};
    if (!folder.empty() && lstat((folder + title.toStdString()).c_str(), &st) == 0 &&
        S_ISSOCK(st.st_mode)) {
        stamp.Exists = true;
        stamp.Inode = st.st_ino;
    }
    return stamp;
}

// Marks every descriptor past the standard three close-on-exec, so that a program we start
// inherits none of ours, whoever opened them and however. Qt 6.4 runs no child-side hook for a
// detached start, so this happens here, before it; nothing in this program hands a descriptor on
// through exec.
void MakeDescriptorsCloseOnExec() {
#if defined(SYS_close_range)
    if (syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */) == 0)
        return;
#endif
    if (DIR* d = opendir("/proc/self/fd")) {
        const int own = dirfd(d);
        while (dirent* e = readdir(d)) {
            const int fd = std::atoi(e->d_name);
            if (e->d_name[0] == '.' || fd < 3 || fd == own)
                continue;
            const int flags = fcntl(fd, F_GETFD);
            if (flags >= 0)
                fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
        closedir(d);
    }
}

// A started program that has exited: gone, or a zombie its new parent has yet to reap.
bool HasEnded(pid_t pid) {
    if (kill(pid, 0) != 0)
        return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) == "Z";
}

} // namespace

qvApplicationRunner::qvApplicationRunner(QWidget* owner, int grouping, const QString& ownCaption,
                                         QMenu* parent)
    : QObject(owner), OwnCaption(ownCaption), Owner(owner), ParentItem(parent) {
    for (int row : ToolGrouping(grouping)) {
        if (row == ToolSeparator)
            AddProgramItem(QStringLiteral("-"), QString());
        else
            AddProgramItem(QString::fromStdString(ToolPrograms[std::size_t(row)].Caption),
                           QString::fromStdString(ToolPrograms[std::size_t(row)].Path));
    }
}

void qvApplicationRunner::AddProgramItem(const QString& caption, const QString& path) {
    const bool separator = caption == QStringLiteral("-");
    if (!separator && caption.compare(OwnCaption, Qt::CaseInsensitive) == 0)
        return;
    if (!ParentItem)
        return;
    // A separator keeps no "-" caption: styles that draw menu sections would show it.
    auto* item =
        new QAction(separator ? QString() : caption, Owner ? static_cast<QObject*>(Owner) : this);
    item->setSeparator(separator);
    item->setStatusTip(path);
    if (!separator)
        connect(item, &QAction::triggered, this, [this, item] { ProgramItemClick(item); });
    const QList<QAction*> items = ParentItem->actions();
    ParentItem->insertAction(items.isEmpty() ? nullptr : items.first(), item);
}

void qvApplicationRunner::ProgramItemClick(QAction* sender) {
    const QString hint = sender ? sender->statusTip() : QString();
    if (hint.isEmpty())
        return;
    RunProgram(hint, QString(), Owner);
}

QString NotFoundMessage(const QString& path) {
    return path + QStringLiteral("\r") + QStringLiteral("not found...");
}

QString NotExecutableMessage(const QString& path) {
    return path + QStringLiteral("\r\n") + QStringLiteral("Program not executable...");
}

void RunProgram(const QString& path, const QString& parameters, QWidget* parent) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (path.isEmpty() || stat(native.constData(), &st) != 0) {
        ShowInformation(parent, NotFoundMessage(path));
        return;
    }
    if (!S_ISREG(st.st_mode) || access(native.constData(), X_OK) != 0) {
        ShowInformation(parent, NotExecutableMessage(path));
        return;
    }
    const QString title = QFileInfo(path).completeBaseName();
    if (TAppWindow window = FindAppWindow(title.toStdString())) {
        SendPoolMessage(parameters.toStdString(), window, 3);
        return;
    }
    qint64 pid = 0;
    // A program that can't be started gives no message.
    if (StartProcess(path, QProcess::splitCommand(parameters), &pid) == 0)
        ShowStartFeedback(title, pid);
}

int StartProcess(const QString& path, const QStringList& arguments, qint64* processId) {
    MakeDescriptorsCloseOnExec();
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 1 + static_cast<int>(process.error());
    if (processId)
        *processId = pid;
    return 0;
}

void ShowStartFeedback(const QString& title, qint64 processId) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    auto* poll = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    const TSocketStamp before = StampOf(title);
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        const TSocketStamp now = StampOf(title);
        const bool receiverUp = now.Exists && !(now == before);
        const bool ended = processId > 0 && HasEnded(static_cast<pid_t>(processId));
        if (receiverUp || ended || clock->elapsed() >= StartFeedbackMs) {
            poll->stop();
            QApplication::restoreOverrideCursor();
            delete clock;
            poll->deleteLater();
        }
    });
    poll->start();
}

} // namespace qv
