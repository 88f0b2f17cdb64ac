// The Tools menu and the program runner: a submenu of the maker's other programs, and starting
// one of them or handing the request to its running copy.
#pragma once

#include "toolsmenu/QvToolPrograms.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

namespace qv {

class qvApplicationRunner : public QObject {
    Q_OBJECT
  public:
    // Fills `parent` at once with the programs of `grouping` (0..11), skipping `ownCaption`.
    // The runner and its items belong to `owner`.
    qvApplicationRunner(QWidget* owner, int grouping, const QString& ownCaption, QMenu* parent);

    QString OwnCaption;
    QWidget* Owner = nullptr;
    QMenu* ParentItem = nullptr;

    // Adds one item above the ones added before; "-" makes a separator. A caption equal to
    // OwnCaption in any letter case is left out.
    void AddProgramItem(const QString& caption, const QString& path);
    // Runs the program whose path the item's hint holds.
    void ProgramItemClick(QAction* sender);
};

// The texts of the two messages RunProgram can show.
QString NotFoundMessage(const QString& path);
QString NotExecutableMessage(const QString& path);

// Starts the program at `path` with `parameters` (split into arguments the way a command line
// is, but never given to a shell), or hands them to its running copy with code 3. Problems are
// shown in the application's information box.
void RunProgram(const QString& path, const QString& parameters, QWidget* parent = nullptr);

// Starts `path` detached with `arguments`, in the caller's environment and folder, passing on no
// open descriptor but standard input and output. 0 on success, otherwise a nonzero code.
// `processId` receives the new process's id.
int StartProcess(const QString& path, const QStringList& arguments, qint64* processId = nullptr);

// The busy cursor a start shows: on until the started program's message-pool socket appears (its
// receiver is up, which the maker's programs do as their main window is made), the program ends,
// or StartFeedbackMs pass. The user interface keeps working meanwhile.
inline constexpr int StartFeedbackMs = 5000;
void ShowStartFeedback(const QString& title, qint64 processId);

} // namespace qv
