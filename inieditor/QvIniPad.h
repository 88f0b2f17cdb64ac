// The INI editor window: a small text editor for INI and text files with INI colouring, search
// and replace, printing, keystroke macros, bookmarks and file drops. Created once, hidden, and
// shown modally by the main window's Settings command.
#pragma once

#include "inieditor/QvIniTextArea.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

class QAction;
class QFileDialog;
class QLabel;
class QMenuBar;
class QStatusBar;
class QToolBar;
class QVBoxLayout;

namespace qv {

class TFindDialog;

// A file the editor could not read or write, or a print that failed.
class EIniPadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TIniPadForm : public QDialog {
    Q_OBJECT
  public:
    // `arguments`: the command line's arguments after the program name; they name the file
    // loaded at creation.
    explicit TIniPadForm(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TIniPadForm() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }

    // Loads FileName when it names an existing file: text, caption := FileName, "Ready...".
    // Does nothing otherwise. EIniPadError when the file can't be read.
    void LoadFile();
    // Replaces FileName with the text (atomically, keeping the file's mode): caption :=
    // FileName, "Ready...". EIniPadError when it can't be written; the flag then stays.
    void SaveFile();
    void SetModified(bool flag);
    bool Modified() const { return m_modified; }
    // Whether the window may close: asks to save unsaved text (Yes / No / Cancel).
    bool ConfirmSave();
    // The close question for `fileName`: its name part, or "File", + " not saved.\nSave now?".
    static QString ConfirmSaveText(const QString& fileName);
    // The command-line arguments joined with blanks and made a full path; empty without any.
    static QString CommandLineFileName(const QStringList& arguments);

    QString StatusText(int panel) const;
    // The text area and its macros are made on first use (at the latest when the window first
    // shows): the editing component costs milliseconds that a start needn't wait for.
    TIniEdit* SynEdit1() const;
    TMacroRecorder* MacroRecorder() const;
    // The dialogs are made on first use: a file dialog watches folders and starts a thread, which
    // the program's start needn't pay for. The file dialogs come back set to their folder and
    // file name.
    TFindDialog* FindDialog1();
    TFindDialog* ReplaceDialog1();
    QFileDialog* OpenDialog1();
    QFileDialog* SaveDialog1();
    QString WebAddress() const { return m_webAddress; }
    QAction* LineNumbers1() const { return m_lineNumbers; }

    // Handlers, public so that tests drive them without the dialogs.
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileOpen1BeforeExecute();
    void FileOpen1Accept(const QString& path);
    void FileSave1Execute();
    void FileSaveAs1Execute();
    void FileSaveAs1BeforeExecute();
    void FileSaveAs1Accept(const QString& path);
    // The print setup of the process's printer, shared with every window that prints.
    void FilePrintSetup1Execute();
    // Prints the whole text on the process's printer without a dialog. EIniPadError when
    // printing fails.
    void FilePrint1Execute();
    void ColorSelect1Execute();
    void ColorSelect1Accept(const QColor& color);
    void BrowseURL1Execute();
    void SynEdit1DropFiles(const QStringList& paths);
    void SynEdit1GutterClick(int line);
    QString LineCountText() const;
    void Statistics1Click();
    void LineNumbers1Click();
    void SearchFindExecute();
    void SearchReplaceExecute();
    void FindDialog1Find();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace(bool all);
    // Closing: ConfirmSave, then the placement is stored. False keeps the window open.
    bool FormCloseQuery();

  public slots:
    // Every way of closing (Esc, the frame, "E&xit") ends a modal showing with Accepted.
    void reject() override;
    void accept() override;
    // The first showing gives the window and its commands their images and makes the text area.
    void setVisible(bool visible) override;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    // Makes an image. Theme and style images are looked up file by file and load image plugins,
    // which the program's start needn't wait for: they are made when the window first shows.
    using TIconMaker = std::function<QIcon()>;

    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                        const QString& hint, TIconMaker icon = {});
    void MakeIcons();
    // The text area, made on first call (which loads the editing component).
    TIniTextArea* Area() const;
    void BuildActions();
    void BuildLayout();
    void FormCreate(const QStringList& arguments);
    void CloseWindow();
    void LoadOtherFile(const QString& path);

    // What a file dialog is to start with, kept while the dialog does not exist yet.
    struct TFileDialogSetup {
        QString Folder;
        QString File;
    };
    QFileDialog* PreparedFileDialog(QFileDialog*& dialog, const TFileDialogSetup& setup, bool save);

    std::vector<std::pair<QAction*, TIconMaker>> m_pendingIcons;
    TIconMaker m_pendingWindowIcon;
    TIniTextArea* m_area = nullptr;
    QVBoxLayout* m_layout = nullptr;
    TFindDialog* m_findDialog = nullptr;
    TFindDialog* m_replaceDialog = nullptr;
    QFileDialog* m_openDialog = nullptr;
    QFileDialog* m_saveDialog = nullptr;
    TFileDialogSetup m_openSetup;
    TFileDialogSetup m_saveSetup;
    QMenuBar* m_menuBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel2 = nullptr;
    QAction* m_lineNumbers = nullptr;
    QString m_fileName;
    QString m_webAddress;
    bool m_modified = false;
};

} // namespace qv
