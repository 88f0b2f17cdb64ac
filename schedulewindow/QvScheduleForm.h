// TScheduleForm: the Cable Schedule window. It holds a list of circuits, sizes each one as it is
// entered with the command-line sizer's code, opens and saves the same CSV files, prints the
// list, and trades circuits with the main window through the two hooks the main window sets.
#pragma once

#include "schedulewindow/QvCircuitInputs.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QFileDialog;
class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QUndoStack;

namespace qv {

class TScheduleModel;
class TScheduleReader;
class TScheduleSizer;
class TWatchedFile;
struct TScheduleRow;
struct TFileStamp;

class TScheduleForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TScheduleForm(QWidget* parent = nullptr);
    ~TScheduleForm() override;

    // Set by the main window: its present inputs, and loading a circuit into it (which then
    // calculates). Either may raise; the message is shown.
    std::function<TCircuitInputs()> MainInputs;
    std::function<void(const TCircuitInputs&)> LoadIntoMain;

    // Commands. Those that ask for a file name run a dialog; the ones taking a path do not.
    void FileNew();
    void FileOpen();
    bool FileSave();
    bool FileSaveAs();
    void FileExportPdf();
    void FilePrint();
    void AddRow();
    void AddFromMainWindow();
    void DeleteRows();
    void CopyRows();
    // The same with the column titles as the first line, for a spreadsheet; pasted back, the
    // titles place each cell in its column.
    void CopyRowsWithHeader();
    void PasteRows();
    // Pastes tab-separated text as new circuits after the current row.
    void PasteText(const QString& text);
    // Loads the circuit of a row into the main window, with its installation when it names a
    // method.
    void LoadRow(int row);
    // Shows or hides the installation's columns: its inputs and the standard's answer. A file
    // with a Method column opens with them shown, one without it with them hidden; shown on a
    // schedule without them, the input columns are added, an edit that can be undone.
    void ShowInstallationColumns(bool show);
    bool InstallationColumnsShown() const { return m_showInstallation; }

    // Starts reading a CSV file, a step at a time from the event loop, with a progress bar and
    // a Cancel button; LoadFinished tells the outcome. False, after a message, when the file
    // cannot be opened, is no regular file or has no usable header: the schedule shown stays as
    // it was.
    bool OpenFile(const QString& path);
    bool Loading() const;
    void CancelLoading();
    // Writes the schedule; false after a message when it could not (the edits are kept). When
    // another program wrote the file since this window read or wrote it, asks first whether to
    // overwrite it, save elsewhere or cancel.
    bool SaveFile(const QString& path);
    // Print and export run a step at a time behind a progress dialog with Cancel, the windows
    // live meanwhile; a job of ManyPages pages or more is first asked about. False when the user
    // stopped it: an export then leaves no file (an older one at `path` stays as it was).
    // Both raise ESchedulePrintError.
    bool PrintOn(QPrinter& printer);
    bool ExportPdf(const QString& path);
    int ManyPages = 1000;

    // Asks whether to save unsaved changes: true when they are saved or may go.
    bool ConfirmSave();
    // Sizes every row again when the main window's data or allowed voltage drop changed.
    void RefreshSizer();

    QString FileName() const { return m_fileName; }
    // The file as last read or written, watched for other programs' saves: with no unsaved
    // changes, the window offers to read it again.
    TWatchedFile* File() const { return m_file; }
    bool IsModified() const;
    QString StatusText() const;
    TScheduleModel* Model() const { return m_model; }

    QTableView* Table = nullptr;
    QUndoStack* UndoStack = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* CancelButton = nullptr;

  signals:
    // A file started with OpenFile is in (true), or was cancelled or failed (false).
    void LoadFinished(bool ok);
    // A step of a print or export is done; `progress` runs from 0 to 1000.
    void OutputStep(int progress);

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void BuildActions();
    void BuildTable();
    void BuildStatusBar();
    void RestoreSettings();
    void SaveSettings();
    void ApplyWidths();
    // What the table needs to show every column at its width, row numbers and scroll bar too.
    int ColumnsWidth() const;
    void KeepWidths();
    // Hides the installation's columns while they are not to be shown.
    void ApplyColumnsShown();
    void CommitEditing();
    void UpdateTitle();
    void UpdateStatus();
    void UpdateActions();
    void LoadStep();
    bool RunPrintJob(QPrinter& printer, const QString& doing, const QString& done);
    bool ConfirmPages(int pages);
    void EndLoading(bool ok);
    void ShowError(const QString& text);
    bool WriteFile(const QString& path, bool overwrite);
    void SetFileName(const QString& path, const TFileStamp& stamp);
    void OfferReload();
    QString AskFileName(bool save, const QString& title, const QString& filter,
                        const QString& suffix);
    std::vector<int> SelectedRows() const;
    int InsertPosition() const;
    void InsertRows(std::vector<std::vector<std::string>> records, const QString& what);
    void CopySelection(bool header);

    TScheduleModel* m_model = nullptr;
    QString m_fileName;
    TWatchedFile* m_file = nullptr;
    QLabel* m_status = nullptr;
    QAction* m_save = nullptr;
    std::vector<QAction*> m_editActions;
    std::vector<int> m_widths; // column widths by kind of column (WidthSlot); 0: the design's
    QAction* m_installationColumns = nullptr;
    bool m_showInstallation = false;

    // The file being read, while it is.
    struct TLoad;
    std::unique_ptr<TLoad> m_load;
    QTimer* m_loadTimer = nullptr;
};

} // namespace qv
