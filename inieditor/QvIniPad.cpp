// The INI editor window: layout, actions and the file, print, search and close logic.
#include "inieditor/QvIniPad.h"

#include "inieditor/QvFindDialog_p.h"
#include "inieditor/QvIniPadIcons_p.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvFormPlacement.h"
#include "settings/QvRegistry.h"
#include "widgets/QvMessageBox.h"
#include "ondemand/QvOnDemand.h"
#include "verinfo/QvVerInfo.h"

#include <QAction>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qv {

namespace {

const QString FileFilter = QStringLiteral("Text Files (*.ini *.txt)");
// Larger files are not settings files; refusing them keeps the editor from exhausting memory.
constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

} // namespace

TIniPadForm::TIniPadForm(const QStringList& arguments, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IniPadForm"));
    setWindowTitle(QStringLiteral("INI File Editor"));
    m_pendingWindowIcon = [this] {
        return QIcon::fromTheme(QStringLiteral("accessories-text-editor"),
                                style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    };
    move(294, 205);

    BuildActions();
    BuildLayout();
    // 503 x 334 is the client area below the menu bar, which this window carries inside itself.
    resize(503, 334 + m_menuBar->sizeHint().height());

    SetModified(false);
    FormCreate(arguments);
}

TIniPadForm::~TIniPadForm() = default;

void TIniPadForm::FormCreate(const QStringList& arguments) {
    RestoreDesignedFormPlacement(this, false, true);
    setWindowTitle(GetProductTitle(QString::fromStdString(ExecutablePath())));
    setSizeGripEnabled(true);
    const QString exeFolder = FolderOf(QString::fromStdString(ExecutablePath()));
    m_openSetup.Folder = exeFolder;
    m_saveSetup.Folder = exeFolder;
    m_webAddress = QString::fromStdString(MakerWebAddress);
    m_fileName = CommandLineFileName(arguments);
    LoadFile();
}

TIniTextArea* TIniPadForm::Area() const {
    if (!m_area) {
        auto* self = const_cast<TIniPadForm*>(this);
        TIniTextArea* area = OnDemand().MakeIniTextArea(self);
        // Between the tool bar and the status bar.
        m_layout->insertWidget(1, area->Widget(), 1);
        area->OnFilesDropped = [self](const QStringList& paths) { self->SynEdit1DropFiles(paths); };
        area->OnGutterClick = [self](int line) { self->SynEdit1GutterClick(line); };
        area->OnTextChanged = [self] { self->SetModified(true); };
        self->m_area = area;
    }
    return m_area;
}

TIniEdit* TIniPadForm::SynEdit1() const {
    return Area()->Edit();
}

TMacroRecorder* TIniPadForm::MacroRecorder() const {
    return Area()->Macros();
}

QAction* TIniPadForm::MakeAction(const char* name, const QString& caption,
                                 const QKeySequence& shortcut, const QString& hint,
                                 TIconMaker icon) {
    auto* a = new QAction(caption, this);
    if (icon)
        m_pendingIcons.emplace_back(a, std::move(icon));
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    // A hint is "short|long": the short part is the tool tip, the long one the status tip.
    const int bar = hint.indexOf(QLatin1Char('|'));
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    addAction(a);
    return a;
}

void TIniPadForm::MakeIcons() {
    for (auto& [action, make] : m_pendingIcons)
        action->setIcon(make());
    m_pendingIcons.clear();
    if (m_pendingWindowIcon) {
        setWindowIcon(m_pendingWindowIcon());
        m_pendingWindowIcon = nullptr;
    }
}

void TIniPadForm::setVisible(bool visible) {
    if (visible) {
        MakeIcons();
        Area();
    }
    QDialog::setVisible(visible);
}

void TIniPadForm::BuildActions() {
    // A theme image, else the fallback (a style picture or a drawn one).
    const auto themed = [](const char* name, TIconMaker fallback = {}) -> TIconMaker {
        return [name, fallback] {
            return QIcon::fromTheme(QString::fromLatin1(name), fallback ? fallback() : QIcon());
        };
    };
    const auto standard = [this](QStyle::StandardPixmap picture) -> TIconMaker {
        return [this, picture] { return style()->standardIcon(picture); };
    };
    const auto drawn = [](TIniPadIcon kind) -> TIconMaker {
        return [kind] { return IniPadIcon(kind); };
    };
    QAction* a = nullptr;
    a = MakeAction("FileNew1", tr("&New"), QKeySequence(tr("Ctrl+N")), tr("Start new file"),
                   themed("document-new", standard(QStyle::SP_FileIcon)));
    connect(a, &QAction::triggered, this, &TIniPadForm::FileNew1Execute);
    a = MakeAction("FileOpen1", tr("&Open..."), QKeySequence(tr("Ctrl+O")),
                   tr("Open|Opens an existing file"),
                   themed("document-open", standard(QStyle::SP_DialogOpenButton)));
    connect(a, &QAction::triggered, this, &TIniPadForm::FileOpen1Execute);
    a = MakeAction("FileSave1", tr("&Save"), QKeySequence(tr("Ctrl+S")), tr("Save current file"),
                   themed("document-save", standard(QStyle::SP_DialogSaveButton)));
    connect(a, &QAction::triggered, this, &TIniPadForm::FileSave1Execute);
    a = MakeAction("FileSaveAs1", tr("Save &As.."), {},
                   tr("Save As|Saves the active file with a new name"), themed("document-save-as"));
    connect(a, &QAction::triggered, this, &TIniPadForm::FileSaveAs1Execute);
    a = MakeAction("FilePrintSetup1", tr("Print Set&up..."), {}, tr("Print Setup"),
                   themed("document-page-setup"));
    connect(a, &QAction::triggered, this, &TIniPadForm::FilePrintSetup1Execute);
    a = MakeAction("FilePrint1", tr("&Print"), QKeySequence(tr("Ctrl+P")), tr("Print current file"),
                   themed("document-print"));
    connect(a, &QAction::triggered, this, &TIniPadForm::FilePrint1Execute);
    a = MakeAction("EditCut1", tr("Cu&t"), QKeySequence(tr("Ctrl+X")),
                   tr("Cut|Cuts the selection and puts it on the Clipboard"),
                   themed("edit-cut", drawn(TIniPadIcon::Cut)));
    connect(a, &QAction::triggered, this, [this] { Area()->Cut(); });
    a = MakeAction("EditCopy1", tr("&Copy"), QKeySequence(tr("Ctrl+C")),
                   tr("Copy|Copies the selection and puts it on the Clipboard"),
                   themed("edit-copy", drawn(TIniPadIcon::Copy)));
    connect(a, &QAction::triggered, this, [this] { Area()->Copy(); });
    a = MakeAction("EditPaste1", tr("&Paste"), QKeySequence(tr("Ctrl+V")),
                   tr("Paste|Inserts Clipboard contents"),
                   themed("edit-paste", drawn(TIniPadIcon::Paste)));
    connect(a, &QAction::triggered, this, [this] { Area()->Paste(); });
    a = MakeAction("EditSelectAll1", tr("Select &All"), QKeySequence(tr("Ctrl+A")),
                   tr("Select All|Selects the entire document"), themed("edit-select-all"));
    connect(a, &QAction::triggered, this, [this] { Area()->SelectAll(); });
    a = MakeAction("EditUndo1", tr("&Undo"), QKeySequence(tr("Ctrl+Z")),
                   tr("Undo|Reverts the last action"), themed("edit-undo"));
    connect(a, &QAction::triggered, this, [this] { Area()->Undo(); });
    a = MakeAction("SearchFind", tr("&Find"), QKeySequence(tr("Ctrl+F")), {}, themed("edit-find"));
    connect(a, &QAction::triggered, this, &TIniPadForm::SearchFindExecute);
    a = MakeAction("SearchReplace", tr("&Replace"), {}, {}, themed("edit-find-replace"));
    connect(a, &QAction::triggered, this, &TIniPadForm::SearchReplaceExecute);
    a = MakeAction("ColorSelect1", tr("Select &Background Color..."), {}, tr("Color Select"),
                   themed("preferences-desktop-color"));
    connect(a, &QAction::triggered, this, &TIniPadForm::ColorSelect1Execute);
    a = MakeAction("BrowseURL1", tr("&Browse Web Site"), {}, tr("Browse URL"),
                   themed("internet-web-browser"));
    connect(a, &QAction::triggered, this, &TIniPadForm::BrowseURL1Execute);

    a = MakeAction("Exit1", tr("E&xit"), {}, tr("Exit|Quits the application"),
                   themed("application-exit"));
    connect(a, &QAction::triggered, this, &TIniPadForm::close);
    a = MakeAction("Statistics1", tr("&Line Count"), {}, {});
    connect(a, &QAction::triggered, this, &TIniPadForm::Statistics1Click);
    m_lineNumbers = MakeAction("LineNumbers1", tr("Line &Numbers"), {}, {});
    m_lineNumbers->setCheckable(true);
    connect(m_lineNumbers, &QAction::triggered, this, &TIniPadForm::LineNumbers1Click);

    // Keys of the text area that no menu shows.
    a = MakeAction("MacroRecord1", tr("Record Macro"), QKeySequence(tr("Ctrl+Shift+R")), {});
    connect(a, &QAction::triggered, this, [this] { Area()->RecordMacroShortcut(); });
    a = MakeAction("MacroPlayback1", tr("Play Macro"), QKeySequence(tr("Ctrl+Shift+P")), {});
    connect(a, &QAction::triggered, this, [this] { Area()->PlayMacroShortcut(); });
    // Context help on Ctrl+F1, so that F1 stays free for the application's own help.
    a = MakeAction("ContextHelp1", tr("Context Help"), QKeySequence(tr("Ctrl+F1")), {});
    connect(a, &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
    for (int n = 0; n < BookmarkCount; ++n) {
        const QString digit = QString::number(n);
        a = MakeAction("", tr("Toggle Bookmark %1").arg(n),
                       QKeySequence(QStringLiteral("Ctrl+Shift+") + digit), {});
        a->setObjectName(QStringLiteral("ToggleBookmark") + digit);
        connect(a, &QAction::triggered, this, [this, n] { Area()->ToggleBookmark(n); });
        a = MakeAction("", tr("Go to Bookmark %1").arg(n),
                       QKeySequence(QStringLiteral("Ctrl+") + digit), {});
        a->setObjectName(QStringLiteral("GotoBookmark") + digit);
        connect(a, &QAction::triggered, this, [this, n] { Area()->GotoBookmark(n); });
    }
}

void TIniPadForm::BuildLayout() {
    const auto act = [this](const char* name) {
        return findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    m_menuBar = new QMenuBar(this);
    QMenu* file = m_menuBar->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({act("FileOpen1"), act("FileSave1"), act("FileSaveAs1")});
    file->addSeparator();
    file->addActions({act("FilePrintSetup1"), act("FilePrint1")});
    file->addSeparator();
    file->addAction(act("Exit1"));
    QMenu* search = m_menuBar->addMenu(tr("&Search"));
    search->setObjectName(QStringLiteral("Search1"));
    search->addActions({act("SearchFind"), act("SearchReplace")});
    QMenu* view = m_menuBar->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("View1"));
    view->addActions({act("Statistics1"), m_lineNumbers});
    QMenu* edit = m_menuBar->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->addActions({act("EditCut1"), act("EditCopy1"), act("EditPaste1")});
    edit->addSeparator();
    edit->addActions({act("EditSelectAll1"), act("EditUndo1")});
    QMenu* help = m_menuBar->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addActions({act("ColorSelect1"), act("BrowseURL1")});

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->addActions({act("FileNew1"), act("FileOpen1"), act("FileSave1")});
    m_toolBar->addSeparator();
    m_toolBar->addActions({act("EditCut1"), act("EditCopy1"), act("EditPaste1")});

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_panel1 = new QLabel(m_statusBar);
    m_panel1->setFixedWidth(120);
    m_panel2 = new QLabel(m_statusBar);
    m_panel2->setFixedWidth(50);
    m_statusBar->addWidget(m_panel1);
    m_statusBar->addWidget(m_panel2);

    // The text area joins between the tool bar and the status bar when it is made.
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setMenuBar(m_menuBar);
    m_layout->addWidget(m_toolBar);
    m_layout->addWidget(m_statusBar);
}

QString TIniPadForm::CommandLineFileName(const QStringList& arguments) {
    const QString joined = arguments.join(QLatin1Char(' '));
    if (joined.isEmpty())
        return {};
    return QDir::cleanPath(QDir::current().absoluteFilePath(joined));
}

QString TIniPadForm::StatusText(int panel) const {
    if (panel == 0)
        return m_panel1->text();
    if (panel == 1)
        return m_panel2->text();
    return {};
}

void TIniPadForm::SetModified(bool flag) {
    m_modified = flag;
    m_panel1->setText(flag ? QStringLiteral("Modified...") : QStringLiteral("Ready..."));
}

void TIniPadForm::LoadFile() {
    if (m_fileName.isEmpty())
        return;
    const QFileInfo info(m_fileName);
    // Only regular files: a folder, a device or a pipe would fail or block the window.
    if (!info.isFile())
        return;
    QFile f(m_fileName);
    if (info.size() > MaxFileSize)
        throw EIniPadError(
            tr("Cannot open file \"%1\".\nThe file is too large.").arg(m_fileName).toStdString());
    if (!f.open(QIODevice::ReadOnly))
        throw EIniPadError(
            tr("Cannot open file \"%1\".\n%2").arg(m_fileName, f.errorString()).toStdString());
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EIniPadError(
            tr("Cannot read file \"%1\".\n%2").arg(m_fileName, f.errorString()).toStdString());
    Area()->LoadBytes(data);
    setWindowTitle(m_fileName);
    SetModified(false);
}

void TIniPadForm::SaveFile() {
    TIniTextArea* area = Area();
    area->TrimTrailingBlanks();
    // QSaveFile writes a temporary file beside the target and renames it over the target, so a
    // failed write never leaves half a settings file; the target's permissions are kept.
    QSaveFile f(m_fileName);
    if (m_fileName.isEmpty() || !f.open(QIODevice::WriteOnly))
        throw EIniPadError(
            tr("Cannot create file \"%1\".\n%2").arg(m_fileName, f.errorString()).toStdString());
    const QByteArray data = area->Bytes();
    if (f.write(data) != data.size() || !f.commit())
        throw EIniPadError(
            tr("Cannot write file \"%1\".\n%2").arg(m_fileName, f.errorString()).toStdString());
    area->MarkSaved();
    setWindowTitle(m_fileName);
    SetModified(false);
}

QString TIniPadForm::ConfirmSaveText(const QString& fileName) {
    QString name = QFileInfo(fileName).fileName();
    if (name.isEmpty())
        name = QStringLiteral("File");
    return name + QStringLiteral(" not saved.\nSave now?");
}

bool TIniPadForm::ConfirmSave() {
    if (!m_modified)
        return true;
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(),
                    ConfirmSaveText(m_fileName),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("ConfirmSaveBox"));
    FitMessageBox(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        FileSave1Execute();
        // A Save As left with Cancel saved nothing: the text must not be lost by closing.
        return !m_modified;
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool TIniPadForm::FormCloseQuery() {
    if (!ConfirmSave())
        return false;
    SaveFormPlacement(this);
    return true;
}

void TIniPadForm::CloseWindow() {
    if (FormCloseQuery())
        QDialog::done(QDialog::Accepted);
}

void TIniPadForm::closeEvent(QCloseEvent* e) {
    // Refused until the window has closed: should saving fail, the error leaves this handler
    // with the close refused, so the window stays open with its text and modified flag.
    e->ignore();
    QDialog::closeEvent(e);
    if (!isVisible())
        e->accept();
}

void TIniPadForm::reject() {
    CloseWindow();
}
void TIniPadForm::accept() {
    CloseWindow();
}

void TIniPadForm::FileNew1Execute() {
    Area()->ClearAll();
}

QFileDialog* TIniPadForm::PreparedFileDialog(QFileDialog*& dialog, const TFileDialogSetup& setup,
                                             bool save) {
    if (!dialog) {
        dialog = new QFileDialog(this, save ? tr("Save As") : tr("Open"));
        dialog->setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
        dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog->setNameFilter(FileFilter);
    }
    dialog->setDirectory(setup.Folder);
    if (!setup.File.isEmpty())
        dialog->selectFile(setup.File);
    return dialog;
}

QFileDialog* TIniPadForm::OpenDialog1() {
    return PreparedFileDialog(m_openDialog, m_openSetup, false);
}

QFileDialog* TIniPadForm::SaveDialog1() {
    return PreparedFileDialog(m_saveDialog, m_saveSetup, true);
}

TFindDialog* TIniPadForm::FindDialog1() {
    if (!m_findDialog) {
        m_findDialog = new TFindDialog(TFindDialog::TKind::Find, this);
        connect(m_findDialog, &TFindDialog::FindNext, this, &TIniPadForm::FindDialog1Find);
    }
    return m_findDialog;
}

TFindDialog* TIniPadForm::ReplaceDialog1() {
    if (!m_replaceDialog) {
        m_replaceDialog = new TFindDialog(TFindDialog::TKind::Replace, this);
        connect(m_replaceDialog, &TFindDialog::FindNext, this, &TIniPadForm::ReplaceDialog1Find);
        connect(m_replaceDialog, &TFindDialog::Replace, this,
                [this] { ReplaceDialog1Replace(false); });
        connect(m_replaceDialog, &TFindDialog::ReplaceAll, this,
                [this] { ReplaceDialog1Replace(true); });
    }
    return m_replaceDialog;
}

void TIniPadForm::FileOpen1BeforeExecute() {
    if (m_fileName.isEmpty())
        return;
    m_openSetup.Folder = FolderOf(m_fileName);
    m_openSetup.File = QFileInfo(m_fileName).fileName();
}

void TIniPadForm::LoadOtherFile(const QString& path) {
    // Should the file be unreadable, the text still belongs to the previous name; keeping that
    // name stops a later Save from writing this text over the file that failed to load.
    const QString previous = m_fileName;
    m_fileName = path;
    try {
        LoadFile();
    } catch (...) {
        m_fileName = previous;
        throw;
    }
}

void TIniPadForm::FileOpen1Accept(const QString& path) {
    m_openSetup.Folder = FolderOf(path);
    m_openSetup.File = path;
    m_saveSetup.File = path;
    LoadOtherFile(path);
}

void TIniPadForm::FileOpen1Execute() {
    FileOpen1BeforeExecute();
    QFileDialog* dialog = OpenDialog1();
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog->selectedFiles();
    if (!files.isEmpty())
        FileOpen1Accept(files.first());
}

void TIniPadForm::FileSave1Execute() {
    // Saving under no name at all would fail; ask for one instead.
    if (m_fileName.isEmpty())
        FileSaveAs1Execute();
    else
        SaveFile();
}

void TIniPadForm::FileSaveAs1BeforeExecute() {
    if (m_fileName.isEmpty())
        return;
    m_saveSetup.Folder = FolderOf(m_fileName);
    m_saveSetup.File = QFileInfo(m_fileName).fileName();
}

void TIniPadForm::FileSaveAs1Accept(const QString& path) {
    m_fileName = path;
    m_saveSetup.Folder = FolderOf(path);
    m_saveSetup.File = path;
    SaveFile();
}

void TIniPadForm::FileSaveAs1Execute() {
    FileSaveAs1BeforeExecute();
    QFileDialog* dialog = SaveDialog1();
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog->selectedFiles();
    if (!files.isEmpty())
        FileSaveAs1Accept(files.first());
}

void TIniPadForm::FilePrintSetup1Execute() {
    TOnDemand& part = OnDemand();
    part.ExecPrintDialog(part.ProcessPrinter(), this, tr("Print Setup"));
}

void TIniPadForm::FilePrint1Execute() {
    TOnDemand& part = OnDemand();
    // Without a print system Qt falls back to a PDF file with no name: nothing would come out.
    if (!part.PrinterUsable(part.ProcessPrinter()))
        throw EIniPadError(tr("There is no default printer currently selected.").toStdString());
    const QString failure = Area()->PrintText(part.ProcessPrinter());
    if (!failure.isEmpty())
        throw EIniPadError(failure.toStdString());
}

void TIniPadForm::ColorSelect1Execute() {
    const QColor c = QColorDialog::getColor(Area()->Background(), this);
    if (c.isValid())
        ColorSelect1Accept(c);
}

void TIniPadForm::ColorSelect1Accept(const QColor& color) {
    Area()->SetBackground(color);
}

void TIniPadForm::BrowseURL1Execute() {
    QDesktopServices::openUrl(QUrl::fromUserInput(m_webAddress));
}

void TIniPadForm::SynEdit1DropFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    LoadOtherFile(paths.first());
}

void TIniPadForm::SynEdit1GutterClick(int line) {
    Area()->RemoveOtherMarks(line);
}

QString TIniPadForm::LineCountText() const {
    return QStringLiteral("Line Count: %1").arg(Area()->LineCount());
}

void TIniPadForm::Statistics1Click() {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), LineCountText(),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("LineCountBox"));
    FitMessageBox(box);
    box.exec();
}

void TIniPadForm::LineNumbers1Click() {
    Area()->SetLineNumbersVisible(m_lineNumbers->isChecked());
}

void TIniPadForm::SearchFindExecute() {
    TFindDialog* find = FindDialog1();
    // A dialog not made yet has no search text to offer.
    if (find->FindText().isEmpty() && m_replaceDialog)
        find->SetFindText(m_replaceDialog->FindText());
    find->show();
    find->raise();
    find->activateWindow();
}

void TIniPadForm::SearchReplaceExecute() {
    TFindDialog* replace = ReplaceDialog1();
    if (replace->FindText().isEmpty() && m_findDialog)
        replace->SetFindText(m_findDialog->FindText());
    replace->show();
    replace->raise();
    replace->activateWindow();
}

namespace {

TSearchOptions SearchOptionsOf(const TFindDialog& d) {
    TSearchOptions o;
    if (!d.Down())
        o |= ssoBackwards;
    if (d.MatchCase())
        o |= ssoMatchCase;
    if (d.WholeWord())
        o |= ssoWholeWord;
    return o;
}

} // namespace

void TIniPadForm::FindDialog1Find() {
    const TFindDialog& d = *FindDialog1();
    Area()->SearchReplace(d.FindText(), {}, SearchOptionsOf(d));
}

void TIniPadForm::ReplaceDialog1Find() {
    const TFindDialog& d = *ReplaceDialog1();
    Area()->SearchReplace(d.FindText(), {}, SearchOptionsOf(d));
}

void TIniPadForm::ReplaceDialog1Replace(bool all) {
    const TFindDialog& d = *ReplaceDialog1();
    const TSearchOptions o = SearchOptionsOf(d) | (all ? ssoReplaceAll : ssoReplace);
    Area()->SearchReplace(d.FindText(), d.ReplaceText(), o);
}

} // namespace qv
