// The Cable Schedule window: layout, commands, reading files in steps, saving, printing and the
// placement kept between runs.
#include "schedulewindow/QvScheduleForm.h"

#include "core/QvAmpwise.h"
#include "schedulewindow/QvScheduleCommands.h"
#include "schedulewindow/QvScheduleDelegate.h"
#include "schedulewindow/QvScheduleModel.h"
#include "schedulewindow/QvSchedulePrint.h"
#include "schedule/QvScheduleRun.h"
#include "scheduleiec/QvScheduleIec.h"
#include "schedulewindow/QvWatchedFile.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvFiles.h"
#include "settings/QvFirstPlacement.h"
#include "settings/QvFormPlacement.h"
#include "settings/QvRegistry.h"
#include "settings/QvTextUtils.h"
#include "widgets/QvMessageBox.h"
#include "printers/QvPrinters.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

const char* const kSection = "ScheduleForm";
const QString kTitle = QStringLiteral("Cable Schedule");
const QString kCsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");
// Rows read and sized between two turns of the event loop: a few milliseconds of work.
constexpr std::size_t kRowsPerStep = 2000;
// Stored column widths outside these are not taken.
constexpr int kMinWidth = 16;
constexpr int kMaxWidth = 4000;

// Stored column widths go by kind of column, each kind's at its place in TColumn's order, which
// only ever grows at the end. The file's other columns, each a kind of its own, keep none.
constexpr std::size_t kWidthSlots = static_cast<std::size_t>(TColumn::IecStatus) + 1;
std::size_t WidthSlot(TColumn kind) {
    return kind == TColumn::Other ? kWidthSlots : static_cast<std::size_t>(kind);
}

// The columns the View menu shows and hides together.
bool IsInstallationColumn(TColumn kind) {
    return IsIecInput(kind) || IsIecResult(kind);
}

// What a shown column is made wide enough for at first, beside its title.
QString DesignSample(TColumn kind) {
    switch (kind) {
    case TColumn::Method:
    case TColumn::Insulation:
    case TColumn::Device:
        return QStringLiteral("XLPE");
    case TColumn::Arrangement:
        return QStringLiteral("perforated tray");
    case TColumn::Ambient:
        return QStringLiteral("35.0 °C");
    case TColumn::IecLimitedBy:
        return QStringLiteral("device and voltage drop");
    case TColumn::IecStatus:
        return QStringLiteral("Error: Grouped Circuits \"21\" is more than 20");
    case TColumn::Circuit:
        return QStringLiteral("Chilled water pump 12");
    case TColumn::Material:
        return QStringLiteral("Aluminium");
    case TColumn::LoadType:
        return QStringLiteral("Inductive");
    case TColumn::Power:
    case TColumn::Length:
        return QStringLiteral("1000.000 inch");
    case TColumn::LimitedBy:
        return QStringLiteral("carrying capacity");
    case TColumn::Status:
        return QStringLiteral("Error: unknown material \"Tin\"");
    default:
        return QStringLiteral("0000.00");
    }
}

// The table, with the editor's commit made reachable: a command (Save, Print) takes a cell still
// being typed in as its user left it.
class TScheduleTable : public QTableView {
  public:
    explicit TScheduleTable(QWidget* parent) : QTableView(parent) {
        m_clickEdit.setSingleShot(true);
        connect(&m_clickEdit, &QTimer::timeout, this, [this] {
            if (state() != EditingState && m_clicked.isValid() && m_clicked == currentIndex())
                QTableView::edit(m_clicked, AllEditTriggers, nullptr);
        });
    }
    using QTableView::edit;
    void CommitEditing() {
        if (state() != QAbstractItemView::EditingState)
            return;
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

  protected:
    // A click on the chosen cell opens its editor once no double click can follow. The view's
    // own wait for that would open an editor over the one a key typed meanwhile had opened,
    // and what was typed into it would be lost; here any other start of an edit ends the wait.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        const EditTrigger last = m_lastTrigger;
        m_lastTrigger = trigger;
        if (trigger != SelectedClicked) {
            m_clickEdit.stop();
            return QTableView::edit(index, trigger, event);
        }
        // The release that ends a double click is no click of its own.
        if (last == DoubleClicked || !(editTriggers() & SelectedClicked) ||
            !(model()->flags(index) & Qt::ItemIsEditable))
            return false;
        m_clicked = index;
        m_clickEdit.start(QApplication::doubleClickInterval());
        return true;
    }

  private:
    QTimer m_clickEdit;
    QPersistentModelIndex m_clicked;
    EditTrigger m_lastTrigger = NoEditTriggers;
};

} // namespace

struct TScheduleForm::TLoad {
    QString Path;
    TFileStamp Stamp;
    int Fd = -1;
    qint64 Size = 0;
    qint64 Read = 0;
    std::unique_ptr<TScheduleReader> Reader;
    std::vector<TScheduleRow> Rows;
    std::shared_ptr<const TScheduleSizer> Sizer;
    ~TLoad() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

TScheduleForm::TScheduleForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(kSection);
    setAcceptDrops(true);
    resize(960, 480);

    m_model = new TScheduleModel(this);
    UndoStack = new QUndoStack(this);
    m_model->SetUndoStack(UndoStack);
    m_file = new TWatchedFile(this);
    connect(m_file, &TWatchedFile::Changed, this, &TScheduleForm::OfferReload);
    m_loadTimer = new QTimer(this);
    m_loadTimer->setInterval(0);
    connect(m_loadTimer, &QTimer::timeout, this, &TScheduleForm::LoadStep);

    BuildTable();
    BuildActions();
    BuildStatusBar();
    RefreshSizer();
    RestoreSettings();

    connect(UndoStack, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
    connect(m_model, &TScheduleModel::CountsChanged, this, [this] { UpdateStatus(); });
    // Another file may show other columns; each kind keeps the width it was given.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { KeepWidths(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // Another file, or the installation's columns added or taken off again.
        m_showInstallation = m_model->Layout().HasIec();
        ApplyWidths();
    });
    UpdateTitle();
    UpdateStatus();
}

TScheduleForm::~TScheduleForm() {
    // The stack says it is clean as it goes, after this window's own part is gone.
    UndoStack->disconnect(this);
    m_model->disconnect(this);
}

void TScheduleForm::BuildTable() {
    auto* table = new TScheduleTable(this);
    Table = table;
    Table->setObjectName(QStringLiteral("Table"));
    Table->setAccessibleName(QStringLiteral("Circuits"));
    Table->setModel(m_model);
    Table->setItemDelegate(new TScheduleDelegate(Table));
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double click loads the row into the main window, so editing starts from the keyboard or
    // a click on a row already chosen.
    Table->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                           QAbstractItemView::SelectedClicked);
    Table->setWordWrap(false);
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 8);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->horizontalHeader()->setHighlightSections(false);
    setCentralWidget(Table);
    connect(Table, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { LoadRow(index.row()); });
}

void TScheduleForm::BuildActions() {
    QStyle* st = style();
    auto icon = [](const char* name, const QIcon& fallback = {}) {
        return QIcon::fromTheme(QString::fromLatin1(name), fallback);
    };
    auto make = [this](const char* name, const QString& text, const QKeySequence& key,
                       const QIcon& image, void (TScheduleForm::*handler)()) {
        auto* a = new QAction(image, text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        addAction(a);
        m_editActions.push_back(a);
        return a;
    };
    auto save = [this] { FileSave(); };
    auto saveAs = [this] { FileSaveAs(); };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QToolBar* bar = addToolBar(QStringLiteral("Schedule"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    // Text only, as the report and Sizes windows have it: icon themes lack some of these
    // pictures, and a bar of some pictures and some bare words reads as two kinds of button.
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    QAction* fileNew =
        make("FileNew", QStringLiteral("&New"), QKeySequence::New,
             icon("document-new", st->standardIcon(QStyle::SP_FileIcon)), &TScheduleForm::FileNew);
    QAction* open = make("FileOpen", QStringLiteral("&Open..."), QKeySequence::Open,
                         icon("document-open", st->standardIcon(QStyle::SP_DialogOpenButton)),
                         &TScheduleForm::FileOpen);
    m_save = new QAction(icon("document-save", st->standardIcon(QStyle::SP_DialogSaveButton)),
                         QStringLiteral("&Save"), this);
    m_save->setObjectName(QStringLiteral("FileSave"));
    m_save->setShortcut(QKeySequence::Save);
    connect(m_save, &QAction::triggered, this, save);
    auto* saveAsAction = new QAction(icon("document-save-as"), QStringLiteral("Save &As..."), this);
    saveAsAction->setObjectName(QStringLiteral("FileSaveAs"));
    // Only some desktops have a key for Save As; elsewhere the one most programs use.
    const QList<QKeySequence> saveAsKeys = QKeySequence::keyBindings(QKeySequence::SaveAs);
    saveAsAction->setShortcuts(
        saveAsKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+S"))}
                             : saveAsKeys);
    connect(saveAsAction, &QAction::triggered, this, saveAs);
    for (QAction* a : {m_save, saveAsAction}) {
        addAction(a);
        m_editActions.push_back(a);
    }
    QAction* pdf = make("FileExportPdf", QStringLiteral("&Export PDF..."), {},
                        icon("application-pdf"), &TScheduleForm::FileExportPdf);
    QAction* print = make("FilePrint", QStringLiteral("&Print..."), QKeySequence::Print,
                          icon("document-print"), &TScheduleForm::FilePrint);
    auto* closeAction = new QAction(QStringLiteral("&Close"), this);
    closeAction->setObjectName(QStringLiteral("FileClose"));
    closeAction->setShortcut(QKeySequence::Close);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    file->addActions({fileNew, open, m_save, saveAsAction});
    file->addSeparator();
    file->addActions({pdf, print});
    file->addSeparator();
    file->addAction(closeAction);

    QAction* undo = UndoStack->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("EditUndo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setIcon(icon("edit-undo", st->standardIcon(QStyle::SP_ArrowBack)));
    // The tool bar keeps its short names; the menu says what would be undone.
    undo->setIconText(QStringLiteral("Undo"));
    QAction* redo = UndoStack->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("EditRedo"));
    redo->setShortcuts({QKeySequence::Redo, QKeySequence(QStringLiteral("Ctrl+Y"))});
    redo->setIcon(icon("edit-redo", st->standardIcon(QStyle::SP_ArrowForward)));
    redo->setIconText(QStringLiteral("Redo"));
    for (QAction* a : {undo, redo})
        addAction(a);
    QAction* copy = make("EditCopy", QStringLiteral("&Copy"), QKeySequence::Copy, icon("edit-copy"),
                         &TScheduleForm::CopyRows);
    QAction* copyHeader =
        make("EditCopyWithHeader", QStringLiteral("Copy with &Header"),
             QKeySequence(QStringLiteral("Ctrl+Shift+C")), {}, &TScheduleForm::CopyRowsWithHeader);
    QAction* paste = make("EditPaste", QStringLiteral("&Paste"), QKeySequence::Paste,
                          icon("edit-paste"), &TScheduleForm::PasteRows);
    QAction* addRow =
        make("EditAddRow", QStringLiteral("&Add Row"), QKeySequence(QStringLiteral("Ctrl+Ins")),
             icon("list-add"), &TScheduleForm::AddRow);
    QAction* addMain = make("EditAddFromMain", QStringLiteral("Add from &Main Window"),
                            QKeySequence(QStringLiteral("Ctrl+M")), icon("go-down"),
                            &TScheduleForm::AddFromMainWindow);
    QAction* del = make("EditDeleteRows", QStringLiteral("&Delete Rows"),
                        QKeySequence(QStringLiteral("Ctrl+Del")), icon("list-remove"),
                        &TScheduleForm::DeleteRows);
    edit->addActions({undo, redo});
    edit->addSeparator();
    edit->addActions({copy, copyHeader, paste});
    edit->addSeparator();
    edit->addActions({addRow, addMain, del});

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    m_installationColumns = new QAction(QStringLiteral("&Installation Columns"), this);
    m_installationColumns->setObjectName(QStringLiteral("ViewInstallationColumns"));
    m_installationColumns->setCheckable(true);
    m_installationColumns->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+I")));
    connect(m_installationColumns, &QAction::triggered, this,
            [this](bool checked) { ShowInstallationColumns(checked); });
    addAction(m_installationColumns);
    // Showing them may add columns: not while a file is being read.
    m_editActions.push_back(m_installationColumns);
    view->addAction(m_installationColumns);

    bar->addActions({open, m_save});
    bar->addSeparator();
    bar->addActions({addRow, addMain, del});
    bar->addSeparator();
    bar->addActions({undo, redo});
    bar->addSeparator();
    bar->addActions({print, pdf});
}

void TScheduleForm::BuildStatusBar() {
    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar1"));
    m_status = new QLabel(status);
    status->addPermanentWidget(m_status);
    Progress = new QProgressBar(status);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 1000);
    Progress->setTextVisible(false);
    Progress->setMaximumWidth(200);
    Progress->hide();
    CancelButton = new QPushButton(QStringLiteral("Cancel"), status);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->hide();
    status->addPermanentWidget(Progress);
    status->addPermanentWidget(CancelButton);
    connect(CancelButton, &QPushButton::clicked, this, &TScheduleForm::CancelLoading);
}

void TScheduleForm::RestoreSettings() {
    TRegistryIniFile reg(AppRegistryKey());
    RestoreDesignedFormPlacement(this, reg, false, true);
    const bool placed = reg.ValueExists(kSection, "Left");
    std::string stored;
    try {
        stored = reg.ReadText(kSection, "ColumnWidths", "");
    } catch (const ERegistryException&) {
        // A value of the wrong kind keeps the design widths; the next save writes it sound.
    }
    // Kept by kind of column, so that they hold for any file's columns; 0 for none.
    m_widths.assign(kWidthSlots, 0);
    std::size_t k = 0;
    for (const QString& item : QString::fromStdString(stored).split(QLatin1Char(','))) {
        bool ok = false;
        const int w = item.trimmed().toInt(&ok);
        if (k < m_widths.size())
            m_widths[k++] = ok && w >= kMinWidth && w <= kMaxWidth ? w : 0;
    }
    ApplyWidths();
    // The first time, beside the window it is opened from, wide enough for every column.
    if (!placed) {
        const int wide = ColumnsWidth();
        PlaceWindowBeside(this, QApplication::activeWindow(), QSize(wide, height()),
                          QSize(wide, 240));
    }
}

int TScheduleForm::ColumnsWidth() const {
    const QHeaderView* header = Table->horizontalHeader();
    int width = 2 * Table->frameWidth() + Table->verticalHeader()->sizeHint().width() +
                Table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < header->count(); ++c)
        width += header->sectionSize(c);
    return width;
}

void TScheduleForm::ApplyWidths() {
    QHeaderView* header = Table->horizontalHeader();
    const QFontMetrics titles(header->font());
    const QFontMetrics cells(Table->font());
    const int padding = 3 * cells.averageCharWidth();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const TColumn kind = m_model->ColumnKind(c);
        const std::size_t i = WidthSlot(kind);
        const int design =
            std::max(titles.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()),
                     cells.horizontalAdvance(DesignSample(kind))) +
            padding;
        // Sized while shown, so that a hidden column comes back at its width.
        Table->setColumnHidden(c, false);
        header->resizeSection(c, i < m_widths.size() && m_widths[i] > 0 ? m_widths[i] : design);
    }
    ApplyColumnsShown();
}

void TScheduleForm::ApplyColumnsShown() {
    for (int c = 0; c < m_model->columnCount(); ++c)
        Table->setColumnHidden(c,
                               !m_showInstallation && IsInstallationColumn(m_model->ColumnKind(c)));
    const QSignalBlocker quiet(m_installationColumns);
    m_installationColumns->setChecked(m_showInstallation);
}

void TScheduleForm::ShowInstallationColumns(bool show) {
    if (Loading())
        return;
    CommitEditing();
    m_showInstallation = show;
    // Shown on a schedule without a Method column, the installation's columns are added, as one
    // edit, save those the file has already under their names.
    if (show && !m_model->Layout().HasIec()) {
        std::vector<std::string> missing;
        for (std::size_t i = 0; i < kIecInputColumnCount; ++i) {
            const auto kind = static_cast<TColumn>(static_cast<std::size_t>(kFirstIecInput) + i);
            const auto& header = m_model->Header();
            if (std::none_of(header.begin(), header.end(),
                             [kind](const std::string& name) { return ColumnOf(name) == kind; }))
                missing.emplace_back(ColumnName(kind));
        }
        try {
            UndoStack->push(new TAppendColumnsCommand(m_model, std::move(missing),
                                                      QStringLiteral("Add Installation Columns")));
        } catch (const std::exception& e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    }
    ApplyColumnsShown();
}

void TScheduleForm::KeepWidths() {
    for (int c = 0; c < m_model->columnCount(); ++c) {
        // A hidden column has no width of its own to keep.
        if (Table->isColumnHidden(c))
            continue;
        const std::size_t i = WidthSlot(m_model->ColumnKind(c));
        if (i < m_widths.size())
            m_widths[i] = Table->horizontalHeader()->sectionSize(c);
    }
}

void TScheduleForm::SaveSettings() {
    KeepWidths();
    QStringList items;
    for (int w : m_widths)
        items << QString::number(w);
    // One commit for the whole window: each commit flushes the file to disk.
    TRegistryIniFile reg(AppRegistryKey());
    reg.BeginUpdate();
    SaveFormPlacement(this, reg);
    reg.WriteText(kSection, "ColumnWidths", items.join(QLatin1Char(',')).toStdString());
    reg.EndUpdate();
}

void TScheduleForm::UpdateTitle() {
    QString title = kTitle;
    if (!m_fileName.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(m_fileName).fileName();
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(IsModified());
}

void TScheduleForm::UpdateStatus() {
    const int n = m_model->rowCount();
    QString text = n == 1 ? QStringLiteral("1 circuit") : QStringLiteral("%1 circuits").arg(n);
    text += QStringLiteral(", %1 not solved, %2 in error")
                .arg(m_model->NotSolvedCount())
                .arg(m_model->ErrorCount());
    if (m_model->Layout().HasIec())
        text += QStringLiteral("; IEC: %1 not solved, %2 in error")
                    .arg(m_model->IecNotSolvedCount())
                    .arg(m_model->IecErrorCount());
    m_status->setText(text);
}

void TScheduleForm::UpdateActions() {
    const bool idle = !Loading();
    for (QAction* a : m_editActions)
        a->setEnabled(idle);
    for (QAction* a : actions()) {
        if (a->objectName() == QLatin1String("EditUndo"))
            a->setEnabled(idle && UndoStack->canUndo());
        else if (a->objectName() == QLatin1String("EditRedo"))
            a->setEnabled(idle && UndoStack->canRedo());
    }
    Table->setEnabled(idle);
    Progress->setVisible(!idle);
    CancelButton->setVisible(!idle);
}

QString TScheduleForm::StatusText() const {
    return m_status->text();
}

bool TScheduleForm::IsModified() const {
    return !UndoStack->isClean();
}

void TScheduleForm::ShowError(const QString& text) {
    // Paths and messages are shown as written, never as markup.
    QMessageBox box(QMessageBox::Critical, kTitle, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.setTextFormat(Qt::PlainText);
    FitMessageBox(box);
    box.exec();
}

QString TScheduleForm::AskFileName(bool save, const QString& title, const QString& filter,
                                   const QString& suffix) {
    QFileDialog dialog(this, title);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!m_fileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(m_fileName).absolutePath());
        if (save)
            dialog.selectFile(QFileInfo(m_fileName).completeBaseName() + QLatin1Char('.') + suffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool TScheduleForm::ConfirmSave() {
    CommitEditing();
    if (!IsModified())
        return true;
    const QString name =
        m_fileName.isEmpty()
            ? QStringLiteral("The cable schedule")
            : QStringLiteral("The cable schedule \"%1\"").arg(QFileInfo(m_fileName).fileName());
    QMessageBox box(QMessageBox::Question, kTitle,
                    name + QStringLiteral(" has unsaved changes.\nSave them?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("ConfirmSaveBox"));
    box.setTextFormat(Qt::PlainText);
    // Each answer has its letter, as the other windows' questions have.
    box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    FitMessageBox(box);
    switch (box.exec()) {
    case QMessageBox::Save:
        // A Save As left with Cancel, or a save that failed, saved nothing: keep the edits.
        return FileSave();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TScheduleForm::RefreshSizer() {
    TElecData data;
    data.Sizes = StandardSizes;
    data.Ratings = MotorRatings;
    data.Materials = Materials;
    const TScheduleSizer& now = m_model->Sizer();
    if (now.Data() == data && now.MaxVoltDrop() == MaxVoltDrop && now.Installation())
        return;
    m_model->SetSizer(std::make_shared<const TScheduleSizer>(
        std::move(data), MaxVoltDrop, std::make_shared<const TIecScheduleSizer>()));
}

void TScheduleForm::CommitEditing() {
    static_cast<TScheduleTable*>(Table)->CommitEditing();
}

// --- Files ------------------------------------------------------------------------------------

void TScheduleForm::FileNew() {
    if (Loading() || !ConfirmSave())
        return;
    m_model->Clear();
    SetFileName({}, {});
    UndoStack->clear();
    UpdateTitle();
}

void TScheduleForm::FileOpen() {
    if (Loading())
        return;
    const QString path = AskFileName(false, QStringLiteral("Open Cable Schedule"), kCsvFilter,
                                     QStringLiteral("csv"));
    if (!path.isEmpty())
        OpenFile(path);
}

bool TScheduleForm::FileSave() {
    if (m_fileName.isEmpty())
        return FileSaveAs();
    return SaveFile(m_fileName);
}

bool TScheduleForm::FileSaveAs() {
    if (Loading())
        return false;
    const QString path = AskFileName(true, QStringLiteral("Save Cable Schedule As"), kCsvFilter,
                                     QStringLiteral("csv"));
    return !path.isEmpty() && SaveFile(path);
}

bool TScheduleForm::OpenFile(const QString& path) {
    CancelLoading();
    if (!ConfirmSave())
        return false;
    auto load = std::make_unique<TLoad>();
    load->Path = path;
    auto fail = [&](const QString& reason) {
        ShowError(QStringLiteral("Unable to open the cable schedule\n%1\n%2").arg(path, reason));
        return false;
    };
    // Without blocking: a FIFO or a device at the path would stop the whole program in open().
    load->Fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (load->Fd < 0 || ::fstat(load->Fd, &st) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(st.st_mode))
        return fail(QStringLiteral("It is a folder."));
    if (!S_ISREG(st.st_mode))
        return fail(QStringLiteral("It is not a regular file."));
    load->Size = st.st_size;
    load->Stamp = StampOfOpen(load->Fd);
    TLoad* counted = load.get();
    TCsvReader::TSource source = [read = FdSource(load->Fd), counted](char* buf, std::size_t cap) {
        const std::size_t n = read(buf, cap);
        counted->Read += static_cast<qint64>(n);
        return n;
    };
    try {
        load->Reader = std::make_unique<TScheduleReader>(std::move(source));
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    load->Sizer = m_model->SharedSizer();
    m_load = std::move(load);
    Progress->setValue(0);
    UpdateActions();
    m_loadTimer->start();
    return true;
}

bool TScheduleForm::Loading() const {
    return m_load != nullptr;
}

void TScheduleForm::LoadStep() {
    if (!m_load) {
        m_loadTimer->stop();
        return;
    }
    bool more = false;
    try {
        more = m_load->Reader->ReadRows(m_load->Rows, kRowsPerStep, *m_load->Sizer);
    } catch (const std::exception& e) {
        const QString path = m_load->Path;
        EndLoading(false);
        ShowError(QStringLiteral("Unable to open the cable schedule\n%1\n%2")
                      .arg(path, QString::fromUtf8(e.what())));
        emit LoadFinished(false);
        return;
    }
    if (m_load->Size > 0)
        Progress->setValue(
            static_cast<int>(std::min<qint64>(1000, m_load->Read * 1000 / m_load->Size)));
    if (more)
        return;
    std::unique_ptr<TLoad> load = std::move(m_load);
    m_model->Reset(load->Reader->Header(), load->Reader->Layout(), std::move(load->Rows));
    // The main window's data or allowed drop changed while the file was being read.
    if (load->Sizer != m_model->SharedSizer())
        m_model->SetSizer(m_model->SharedSizer());
    SetFileName(load->Path, load->Stamp);
    UndoStack->clear();
    UpdateTitle();
    EndLoading(true);
    emit LoadFinished(true);
}

void TScheduleForm::EndLoading(bool ok) {
    const QString name = m_load ? QFileInfo(m_load->Path).fileName() : QString();
    m_loadTimer->stop();
    m_load.reset();
    UpdateActions();
    // A message from before the load (another file opened) must not be taken for its outcome.
    if (ok)
        statusBar()->showMessage(QStringLiteral("Opened %1").arg(QFileInfo(m_fileName).fileName()),
                                 5000);
    else
        statusBar()->showMessage(QStringLiteral("Did not open %1").arg(name), 5000);
}

void TScheduleForm::CancelLoading() {
    if (!m_load)
        return;
    EndLoading(false);
    emit LoadFinished(false);
}

bool TScheduleForm::SaveFile(const QString& path) {
    if (Loading())
        return false;
    CommitEditing();
    return WriteFile(path, false);
}

bool TScheduleForm::WriteFile(const QString& path, bool overwrite) {
    TOutputOptions options;
    options.Interactive = true;
    // Another program's save since this window read or wrote the file is not lost unasked.
    if (!overwrite && path == m_file->Path())
        options.Expected = m_file->Stamp();
    TFileStamp written;
    try {
        // Written beside the file and renamed over it when complete, as ampwise-schedule -o does.
        TOutputFile out(std::string(QFile::encodeName(path).constData()), options);
        WriteScheduleCsv(m_model->Header(), m_model->Layout(), m_model->Rows(),
                         [&out](std::string_view s) { out.Write(s); });
        out.Commit();
        written = out.Written();
    } catch (const EFileChangedError&) {
        QMessageBox box(QMessageBox::Warning, kTitle,
                        QStringLiteral("The cable schedule \"%1\" was changed by another program "
                                       "since it was opened or saved here.\nOverwrite it, or save "
                                       "this schedule elsewhere?")
                            .arg(QFileInfo(path).fileName()),
                        QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("ChangedOnDiskBox"));
        box.setTextFormat(Qt::PlainText);
        QAbstractButton* overwriteButton =
            box.addButton(QStringLiteral("&Overwrite"), QMessageBox::DestructiveRole);
        overwriteButton->setObjectName(QStringLiteral("Overwrite"));
        QAbstractButton* elsewhere =
            box.addButton(QStringLiteral("Save &As..."), QMessageBox::AcceptRole);
        elsewhere->setObjectName(QStringLiteral("SaveAs"));
        box.setDefaultButton(QMessageBox::Cancel);
        FitMessageBox(box);
        box.exec();
        if (box.clickedButton() == overwriteButton)
            return WriteFile(path, true);
        if (box.clickedButton() == elsewhere)
            return FileSaveAs();
        return false;
    } catch (const std::exception& e) {
        ShowError(QStringLiteral("Unable to save the cable schedule\n%1\n%2")
                      .arg(path, QString::fromUtf8(e.what())));
        return false;
    }
    SetFileName(path, written);
    UndoStack->setClean();
    UpdateTitle();
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()), 5000);
    return true;
}

void TScheduleForm::SetFileName(const QString& path, const TFileStamp& stamp) {
    m_fileName = path;
    m_file->Set(path, stamp);
}

void TScheduleForm::OfferReload() {
    // Unsaved edits are asked about when they are saved, not now.
    if (Loading() || IsModified() || m_fileName.isEmpty())
        return;
    QMessageBox box(QMessageBox::Question, kTitle,
                    QStringLiteral("The cable schedule \"%1\" was changed by another program.\n"
                                   "Read it again?")
                        .arg(QFileInfo(m_fileName).fileName()),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("ReloadBox"));
    box.setTextFormat(Qt::PlainText);
    FitMessageBox(box);
    // Edits made while the question was open are not thrown away by the answer.
    if (box.exec() == QMessageBox::Yes && !IsModified())
        OpenFile(m_fileName);
}

// --- Printing ---------------------------------------------------------------------------------

bool TScheduleForm::PrintOn(QPrinter& printer) {
    return RunPrintJob(printer, QStringLiteral("Printing the cable schedule..."),
                       QStringLiteral("Printed on %1").arg(PrintTarget(printer)));
}

bool TScheduleForm::RunPrintJob(QPrinter& printer, const QString& doing, const QString& done) {
    CommitEditing();
    std::string drop;
    AppendNumber(drop, m_model->Sizer().MaxVoltDrop());
    TSchedulePrintHeading heading;
    heading.Title = m_fileName.isEmpty()
                        ? kTitle
                        : kTitle + QStringLiteral(" - ") + QFileInfo(m_fileName).fileName();
    heading.Lines << QStringLiteral("Date: ") + QDate::currentDate().toString(Qt::ISODate)
                  << QStringLiteral("Data file: ") +
                         QString::fromStdString(SharedDataPath + "ElecData.ini")
                  << QStringLiteral("MaxVoltDrop: ") + QString::fromStdString(drop) +
                         QStringLiteral(" V");
    // With the installation's columns, the circuit and its own answer, the installation, and
    // the standard's answer are printed as three tables, the last two named by the Circuit
    // column: all on one page's width, none would read.
    TPrintBands bands;
    if (m_model->Layout().HasIec()) {
        bands.resize(3);
        const int circuit = m_model->ColumnOfKind(TColumn::Circuit);
        if (circuit >= 0)
            bands[1] = bands[2] = {circuit};
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const TColumn kind = m_model->ColumnKind(c);
            bands[IsIecInput(kind) ? 1 : IsIecResult(kind) ? 2 : 0].push_back(c);
        }
    }
    TSchedulePrintJob job(printer, *m_model, heading, std::move(bands));

    // Every window stays drawn while the job runs; none takes input, so the schedule cannot
    // change under it.
    QProgressDialog progress(doing, QStringLiteral("&Cancel"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("OutputProgress"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(300);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    struct TRestoreCursor {
        ~TRestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    bool asked = false;
    for (;;) {
        const bool more = job.Step();
        if (!more)
            break;
        progress.setValue(job.Progress());
        emit OutputStep(job.Progress());
        // Until the dialog shows (a short job never shows it) nothing blocks the user's input:
        // it waits, so that no edit reaches the schedule being printed.
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        if (!asked && job.LaidOut()) {
            asked = true;
            if (job.PageCount() >= ManyPages && !ConfirmPages(job.PageCount()))
                progress.cancel();
        }
        if (progress.wasCanceled()) {
            job.Abort();
            statusBar()->showMessage(QStringLiteral("Cancelled"), 5000);
            return false;
        }
    }
    statusBar()->showMessage(done, 5000);
    return true;
}

bool TScheduleForm::ConfirmPages(int pages) {
    QMessageBox box(QMessageBox::Question, kTitle,
                    QStringLiteral("The cable schedule takes %1 pages.\nGo on?").arg(pages),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("ManyPagesBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("&Go On"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    box.setDefaultButton(QMessageBox::Cancel);
    FitMessageBox(box);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    QApplication::restoreOverrideCursor();
    return answer == QMessageBox::Ok;
}

bool TScheduleForm::ExportPdf(const QString& path) {
    // Written beside the file and renamed over it when whole: a cancelled or failed export
    // leaves no file, half or whole, and an older file there stays as it was.
    const std::string target(QFile::encodeName(path).constData());
    std::string temporary;
    const int fd = CreateTemporary(target, 0666, temporary);
    if (fd < 0)
        throw ESchedulePrintError(QStringLiteral("Unable to write \"%1\": %2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(errno)))
                                      .toStdString());
    ::close(fd);
    struct TRemove {
        std::string Name;
        ~TRemove() {
            if (!Name.empty())
                ::unlink(Name.c_str());
        }
    } remove{temporary};
    // The paper and orientation chosen for the process's printer, into a file.
    QPrinter printer(QPrinter::HighResolution);
    CopyPrinterChoice(ProcessPrinter(), printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QFile::decodeName(temporary.c_str()));
    if (!RunPrintJob(printer, QStringLiteral("Exporting the cable schedule..."),
                     QStringLiteral("Exported %1").arg(QFileInfo(path).fileName())))
        return false;
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        throw ESchedulePrintError(QStringLiteral("Unable to write \"%1\": %2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(errno)))
                                      .toStdString());
    remove.Name.clear();
    return true;
}

void TScheduleForm::FileExportPdf() {
    const QString path = AskFileName(true, QStringLiteral("Export PDF"),
                                     QStringLiteral("PDF files (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    try {
        ExportPdf(path);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TScheduleForm::FilePrint() {
    QPrintDialog dialog(&ProcessPrinter(), this);
    dialog.setWindowTitle(QStringLiteral("Print Cable Schedule"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        PrintOn(ProcessPrinter());
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

// --- Rows -------------------------------------------------------------------------------------

std::vector<int> TScheduleForm::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : Table->selectionModel()->selectedRows())
        rows.push_back(i.row());
    if (rows.empty() && Table->currentIndex().isValid())
        rows.push_back(Table->currentIndex().row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TScheduleForm::InsertPosition() const {
    const QModelIndex current = Table->currentIndex();
    return current.isValid() ? current.row() + 1 : m_model->rowCount();
}

void TScheduleForm::InsertRows(std::vector<std::vector<std::string>> records, const QString& what) {
    if (records.empty())
        return;
    CommitEditing();
    const int position = InsertPosition();
    std::vector<TScheduleRow> rows;
    rows.reserve(records.size());
    // Sized as the model takes them in.
    for (std::vector<std::string>& r : records) {
        TScheduleRow& row = rows.emplace_back();
        row.Fields = std::move(r);
    }
    const int count = static_cast<int>(rows.size());
    UndoStack->push(new TInsertRowsCommand(m_model, position, std::move(rows), what));
    Table->clearSelection();
    const int first = std::max(0, m_model->ColumnOfKind(TColumn::Circuit));
    Table->setCurrentIndex(m_model->index(position, first));
    Table->selectionModel()->select(
        QItemSelection(m_model->index(position, 0),
                       m_model->index(position + count - 1, m_model->columnCount() - 1)),
        QItemSelectionModel::Select);
}

void TScheduleForm::AddRow() {
    if (Loading())
        return;
    // A new circuit starts as a copy of the chosen one (without its name), the way schedules
    // are usually filled in; the first one from the main window's starting inputs.
    const QModelIndex current = Table->currentIndex();
    std::vector<std::string> fields;
    if (current.isValid()) {
        fields = m_model->Rows()[static_cast<std::size_t>(current.row())].Fields;
        fields.resize(m_model->Layout().Width);
        const int circuit = m_model->Layout().Position(TColumn::Circuit);
        if (circuit >= 0)
            fields[static_cast<std::size_t>(circuit)].clear();
    } else {
        const auto& materials = m_model->Sizer().Data().Materials;
        fields = MakeFields(m_model->Layout(),
                            {{TColumn::Material, materials.empty() ? "" : materials[0].Name},
                             {TColumn::LoadType, LoadTypeNames[0]},
                             {TColumn::Phase, PhaseNames[0]},
                             {TColumn::Power, "5.500 kW"},
                             {TColumn::Length, "40.000 m"}});
    }
    InsertRows({std::move(fields)}, QStringLiteral("Add Row"));
}

void TScheduleForm::AddFromMainWindow() {
    if (Loading() || !MainInputs)
        return;
    try {
        const TCircuitInputs in = MainInputs();
        InsertRows({MakeFields(m_model->Layout(), {{TColumn::Material, in.Material.toStdString()},
                                                   {TColumn::LoadType, in.LoadType.toStdString()},
                                                   {TColumn::Phase, in.Phase.toStdString()},
                                                   {TColumn::Power, in.Power.toStdString()},
                                                   {TColumn::Length, in.Length.toStdString()}})},
                   QStringLiteral("Add from Main Window"));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TScheduleForm::DeleteRows() {
    if (Loading())
        return;
    CommitEditing();
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    const int next = rows.front();
    UndoStack->push(new TDeleteRowsCommand(m_model, std::move(rows)));
    if (m_model->rowCount() > 0)
        Table->setCurrentIndex(m_model->index(std::min(next, m_model->rowCount() - 1), 0));
}

void TScheduleForm::CopyRows() {
    CopySelection(false);
}

void TScheduleForm::CopyRowsWithHeader() {
    CopySelection(true);
}

void TScheduleForm::CopySelection(bool header) {
    CommitEditing();
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(m_model->TabText(rows, header)));
    statusBar()->showMessage(rows.size() == 1 ? QStringLiteral("Copied 1 row")
                                              : QStringLiteral("Copied %1 rows").arg(rows.size()),
                             5000);
}

void TScheduleForm::PasteRows() {
    PasteText(QGuiApplication::clipboard()->text());
}

void TScheduleForm::PasteText(const QString& text) {
    if (Loading())
        return;
    std::vector<std::vector<std::string>> records =
        RecordsFromTable(ParseTabText(text.toStdString()), m_model->Header(), m_model->Layout());
    if (records.empty()) {
        statusBar()->showMessage(QStringLiteral("Nothing to paste"), 5000);
        return;
    }
    InsertRows(std::move(records), QStringLiteral("Paste"));
}

void TScheduleForm::LoadRow(int row) {
    if (!LoadIntoMain || row < 0 || row >= m_model->rowCount())
        return;
    const TScheduleRow& chosen = m_model->Rows()[static_cast<std::size_t>(row)];
    // The main window would make such a row into another circuit (a power cut to its limit, a
    // material it knows), and show that circuit's size as if it were this one's.
    if (chosen.Result.Status == TRowStatus::Error) {
        ShowError(QStringLiteral("Row %1 is not loaded into the main window: %2")
                      .arg(row + 1)
                      .arg(QString::fromStdString(chosen.Result.Error)));
        return;
    }
    // The same for the standard's answer: the Cable Sizes window would show another
    // installation's as this one's.
    if (chosen.Result.Iec && chosen.Result.Iec->Status == TRowStatus::Error) {
        ShowError(QStringLiteral("Row %1 is not loaded into the main window: %2")
                      .arg(row + 1)
                      .arg(QString::fromStdString(chosen.Result.Iec->Error)));
        return;
    }
    const std::vector<std::string>& fields = chosen.Fields;
    auto field = [&](TColumn c) {
        const int i = m_model->Layout().Position(c);
        return i >= 0 && static_cast<std::size_t>(i) < fields.size()
                   ? QString::fromStdString(fields[static_cast<std::size_t>(i)])
                   : QString();
    };
    // A number under "Length [ft]" is in feet wherever it goes.
    auto quantity = [&](TColumn c, TUnitsType type) {
        const TScheduleLayout& layout = m_model->Layout();
        return QString::fromStdString(
            CellWithUnit(field(c).toStdString(), type, layout.UnitOf(c), layout.DecimalComma()));
    };
    try {
        TCircuitInputs circuit{field(TColumn::Material),
                               field(TColumn::LoadType),
                               field(TColumn::Phase),
                               quantity(TColumn::Power, utPower),
                               quantity(TColumn::Length, utLengthPrim),
                               {}};
        if (chosen.Result.Iec) {
            const std::vector<std::string_view> record(fields.begin(), fields.end());
            const TCircuitText text = CircuitOf(record, m_model->Layout());
            circuit.Installation = IecInputsOf(m_model->Sizer(), text);
            // An empty cell leaves the power factor to the load there as here, whatever load the
            // main window is given next.
            if (TrimBlanks(text.Installation.Cell(TColumn::PowerFactor)).empty())
                circuit.Installation->PowerFactor = 0;
        }
        LoadIntoMain(circuit);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

// --- Events -----------------------------------------------------------------------------------

bool TScheduleForm::event(QEvent* e) {
    // The main window's Settings may have changed the allowed drop meanwhile.
    if (e->type() == QEvent::WindowActivate && !Loading())
        RefreshSizer();
    return QMainWindow::event(e);
}

void TScheduleForm::closeEvent(QCloseEvent* e) {
    CancelLoading();
    if (!ConfirmSave()) {
        e->ignore();
        return;
    }
    // Changes let go are gone: the window shows the schedule as last saved when it comes back.
    if (IsModified()) {
        if (UndoStack->cleanIndex() >= 0) {
            UndoStack->setIndex(UndoStack->cleanIndex());
        } else {
            m_model->Clear();
            SetFileName({}, {});
            UndoStack->clear();
            UpdateTitle();
        }
    }
    try {
        SaveSettings();
    } catch (const std::exception& e2) {
        ShowError(QString::fromUtf8(e2.what()));
    }
    e->accept();
}

void TScheduleForm::dragEnterEvent(QDragEnterEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        e->acceptProposedAction();
}

void TScheduleForm::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    e->acceptProposedAction();
    // Opened once the drop is over: the file may first ask about unsaved changes.
    const QString path = urls.first().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

} // namespace qv
