// The INI editor window driven as a user would: captions, status texts, loading and saving,
// the close question, search and replace, macros, bookmarks, printing and the menus.
#include "inieditor/QvFindDialog_p.h"
#include "inieditor/QvIniEdit.h"
#include "inieditor/QvIniLexer_p.h"
#include "inieditor/QvIniPad.h"
#include "inieditor/QvMacroRecorder_p.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvRegistry.h"
#include "printers/QvPrinters.h"
#include "verinfo/QvVerInfo.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <functional>

namespace qv {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// Answers the close question with `button` after checking its text.
std::function<void(QWidget*)> Answer(QMessageBox::StandardButton button, QString* seenText) {
    return [button, seenText](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        if (seenText)
            *seenText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->button(button)->click();
    };
}

class IniPad : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        SetExecutablePath("");
        ResetProcessPrinter();
        MakerWebAddress = "https://maker.example/home";
        m_path = tempDir() + "/Ampwise.ini";
    }
    QString m_path;
};

TEST_F(IniPad, CaptionAndStatusAfterCreationEditsLoadsAndSaves) {
    TIniPadForm form;
    const QString title = GetProductTitle(QString::fromStdString(ExecutablePath()));
    EXPECT_TRUE(title.startsWith("Ampwise ")) << title.toStdString();
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_EQ(form.StatusText(0), "Ready...");
    EXPECT_EQ(form.StatusText(1), "");

    WriteAll(m_path, "a=1\n");
    form.setFileName(m_path);
    form.LoadFile();
    EXPECT_EQ(form.windowTitle(), m_path);
    EXPECT_EQ(form.SynEdit1()->text(), "a=1\n");
    form.SynEdit1()->insert("x");
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(form.StatusText(0), "Modified...");
    form.LoadFile(); // a load clears the flag
    EXPECT_EQ(form.StatusText(0), "Ready...");

    form.SynEdit1()->insert("x");
    const QString other = tempDir() + "/other.ini";
    form.setFileName(other);
    form.SaveFile();
    EXPECT_EQ(form.windowTitle(), other);
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(form.StatusText(0), "Ready...");
    EXPECT_EQ(ReadAll(other), "xa=1\n");
}

TEST_F(IniPad, MissingSettingsFileKeepsTextAndCaptionAndSavingCreatesIt) {
    TIniPadForm form;
    form.SynEdit1()->setText("kept=1\n");
    form.SetModified(false);
    const QString caption = form.windowTitle();
    form.setFileName(m_path);
    form.LoadFile();
    EXPECT_EQ(form.SynEdit1()->text(), "kept=1\n");
    EXPECT_EQ(form.windowTitle(), caption);
    EXPECT_FALSE(form.Modified());
    EXPECT_FALSE(QFile::exists(m_path));
    form.FileSave1Execute();
    EXPECT_EQ(ReadAll(m_path), "kept=1\n");
    EXPECT_EQ(form.windowTitle(), m_path);
}

TEST_F(IniPad, LoadFileIgnoresWhatIsNoRegularFile) {
    TIniPadForm form;
    form.SynEdit1()->setText("before");
    const QString fifo = tempDir() + "/pipe.ini";
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& name : {QString(), tempDir(), fifo, tempDir() + "/nothing.ini"}) {
        form.setFileName(name);
        form.LoadFile(); // a pipe would block here if it were opened
        EXPECT_EQ(form.SynEdit1()->text(), "before") << name.toStdString();
    }
}

TEST_F(IniPad, BytesSurviveLoadAndSaveUnchanged) {
    struct TCase {
        const char* name;
        QByteArray data;
    };
    const TCase cases[] = {
        {"empty", QByteArray()},
        {"crlf_lines", "[S]\r\nk=v\r\n"},
        {"cr_lines", "a=1\rb=2\r"},
        {"zero_bytes_and_invalid_utf8", QByteArray("k=\0\xff\xfe\n", 7)},
        {"utf8_bom_and_text", "\xEF\xBB\xBF[\xC3\xA9t\xC3\xA9]\n"},
        {"no_final_line_end", "k=v"},
    };
    TIniPadForm form;
    for (const TCase& c : cases) {
        WriteAll(m_path, c.data);
        form.setFileName(m_path);
        form.LoadFile();
        EXPECT_EQ(ReadAll(m_path), c.data) << c.name << ": loading changed the file";
        form.SaveFile();
        EXPECT_EQ(ReadAll(m_path), c.data) << c.name;
    }
}

TEST_F(IniPad, NewLinesFollowTheFilesLineEnds) {
    WriteAll(m_path, "a=1\r\n");
    TIniPadForm form;
    form.setFileName(m_path);
    form.LoadFile();
    form.SynEdit1()->setCursorPosition(1, 0);
    QTest::keyClicks(form.SynEdit1(), "b=2");
    QTest::keyClick(form.SynEdit1(), Qt::Key_Return);
    form.SaveFile();
    EXPECT_EQ(ReadAll(m_path), "a=1\r\nb=2\r\n");
}

TEST_F(IniPad, SaveReplacesAtomicallyKeepsModeAndTrimsTrailingBlanks) {
    WriteAll(m_path, "old\n");
    ASSERT_EQ(chmod(m_path.toLocal8Bit().constData(), 0640), 0);
    TIniPadForm form;
    form.SynEdit1()->setText("[S]  \nk=v \t\n");
    form.setFileName(m_path);
    form.SaveFile();
    EXPECT_EQ(ReadAll(m_path), "[S]\nk=v\n");
    struct stat st {};
    ASSERT_EQ(stat(m_path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(tempDir()).entryList(QDir::Files), QStringList{"Ampwise.ini"});

    // A settings file that is a link stays a link; its target gets the text.
    const QString link = tempDir() + "/link.ini";
    ASSERT_TRUE(QFile::link(m_path, link));
    form.setFileName(link);
    form.SaveFile();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(IniPad, FailedSaveRaisesKeepsFlagAndFile) {
    WriteAll(m_path, "original\n");
    TIniPadForm form;
    form.setFileName(m_path);
    form.LoadFile();
    form.SynEdit1()->insert("new ");
    const QString caption = form.windowTitle();
    // A path below a regular file can't be created, whoever runs the test.
    form.setFileName(m_path + "/child.ini");
    EXPECT_THROW(form.SaveFile(), EIniPadError);
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(form.windowTitle(), caption);
    EXPECT_EQ(ReadAll(m_path), "original\n");
}

TEST(IniPadText, CloseQuestion) {
    struct TCase {
        const char* name;
        const char* fileName;
        const char* text;
    };
    const TCase cases[] = {
        {"name_part_only", "/opt/Brannoworks/Ampwise/Ampwise.ini",
         "Ampwise.ini not saved.\nSave now?"},
        {"no_file_name", "", "File not saved.\nSave now?"},
        {"folder_only", "/opt/Brannoworks/", "File not saved.\nSave now?"},
        {"blank_in_name", "/tmp/my file.ini", "my file.ini not saved.\nSave now?"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TIniPadForm::ConfirmSaveText(c.fileName), c.text) << c.name;
}

TEST(IniPadText, CommandLineFileName) {
    const QString cwd = QDir::currentPath();
    struct TCase {
        const char* name;
        QStringList args;
        QString expected;
    };
    const TCase cases[] = {
        {"no_arguments", {}, ""},
        {"absolute_path", {"/etc/x.ini"}, "/etc/x.ini"},
        {"unquoted_blanks_rejoined",
         {"/tmp/my", "settings", "file.ini"},
         "/tmp/my settings file.ini"},
        {"relative_made_full", {"sub/a.ini"}, cwd + "/sub/a.ini"},
        {"dot_dot_resolved", {"/a/b/../c.ini"}, "/a/c.ini"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TIniPadForm::CommandLineFileName(c.args), c.expected) << c.name;
}

TEST_F(IniPad, CommandLineFileIsLoadedAtCreation) {
    const QString path = tempDir() + "/my settings.ini";
    WriteAll(path, "[A]\n");
    TIniPadForm form(QStringList{tempDir() + "/my", "settings.ini"});
    EXPECT_EQ(form.FileName(), path);
    EXPECT_EQ(form.SynEdit1()->text(), "[A]\n");
    EXPECT_EQ(form.windowTitle(), path);
    EXPECT_FALSE(form.Modified());
    EXPECT_FALSE(form.isVisible());
}

struct TCloseCase {
    const char* name;
    QMessageBox::StandardButton answer;
    bool saveFails;
    bool closes;
    QByteArray fileAfter;
};

class IniPadClose : public IniPad, public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(IniPadClose, AnswerToTheCloseQuestion) {
    const TCloseCase& c = GetParam();
    WriteAll(m_path, "k=1\n");
    TIniPadForm form;
    form.setFileName(m_path);
    form.LoadFile();
    // Below a regular file nothing can be created, whoever runs the test.
    if (c.saveFails)
        form.setFileName(m_path + "/Ampwise.ini");
    form.SynEdit1()->setText("k=2\n");
    form.show();
    QString text;
    onNextModal(Answer(c.answer, &text));
    form.setResult(-1);
    if (c.saveFails) {
        // The error goes on to the application's error display, which catches it and lets the
        // toolkit go on with the close: the event itself must say no.
        QCloseEvent close;
        EXPECT_THROW(QApplication::sendEvent(&form, &close), EIniPadError);
        EXPECT_FALSE(close.isAccepted());
    } else {
        form.close();
    }
    EXPECT_EQ(text, "Ampwise.ini not saved.\nSave now?");
    EXPECT_EQ(form.isVisible(), !c.closes);
    EXPECT_EQ(form.result(), c.closes ? QDialog::Accepted : -1);
    EXPECT_EQ(ReadAll(m_path), c.fileAfter);
    EXPECT_EQ(form.Modified(), c.answer != QMessageBox::Yes || c.saveFails);
    EXPECT_EQ(form.SynEdit1()->text(), "k=2\n");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, IniPadClose,
    ::testing::Values(TCloseCase{"yes_saves_and_closes", QMessageBox::Yes, false, true, "k=2\n"},
                      TCloseCase{"no_closes_leaving_file", QMessageBox::No, false, true, "k=1\n"},
                      TCloseCase{"cancel_stays_open", QMessageBox::Cancel, false, false, "k=1\n"},
                      TCloseCase{"failed_save_stays_open", QMessageBox::Yes, true, false, "k=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniPad, ModalShowingEndsWithOkWhateverCloseIt) {
    TIniPadForm form;
    QTimer::singleShot(0, &form, [&] { form.reject(); }); // as the frame's close button does
    EXPECT_EQ(form.exec(), QDialog::Accepted);

    form.SynEdit1()->setText("changed");
    QTimer::singleShot(0, &form, [&] {
        onNextModal(Answer(QMessageBox::No, nullptr));
        form.findChild<QAction*>("Exit1")->trigger();
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
}

TEST_F(IniPad, PlacementStoredAtCloseAndRestoredAtCreation) {
    {
        // Without a stored placement: the area below the menu bar is 503 x 334.
        TIniPadForm form;
        const int menu = form.findChild<QMenuBar*>()->sizeHint().height();
        EXPECT_GT(menu, 0);
        EXPECT_EQ(form.size(), QSize(503, 334 + menu));
    }
    {
        TIniPadForm form;
        form.show();
        form.resize(611, 422);
        form.close();
    }
    EXPECT_TRUE(ReadAll(QString::fromStdString(UserRegistryPath())).contains("IniPadForm"));
    TIniPadForm again;
    EXPECT_EQ(again.size(), QSize(611, 422));
}

TEST_F(IniPad, OpenAndDropReplaceUnsavedTextWithoutAsking) {
    const QString first = tempDir() + "/first.ini";
    const QString second = tempDir() + "/second.ini";
    WriteAll(first, "first=1\n");
    WriteAll(second, "second=2\n");
    TIniPadForm form;
    form.SynEdit1()->setText("unsaved");
    form.SynEdit1()->ToggleBookmark(0);
    form.FileOpen1Accept(first);
    EXPECT_EQ(form.SynEdit1()->markersAtLine(0), 0u);
    EXPECT_EQ(form.SynEdit1()->text(), "first=1\n");
    EXPECT_EQ(form.FileName(), first);
    EXPECT_EQ(form.OpenDialog1()->directory().absolutePath(), tempDir());
    EXPECT_EQ(form.SaveDialog1()->selectedFiles().value(0), first);

    // A real drop of two files from a file manager: the first is loaded, the other ignored.
    form.SynEdit1()->setText("unsaved again");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(second), QUrl::fromLocalFile(first)});
    QWidget* target = form.SynEdit1()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(form.FileName(), second);
    EXPECT_EQ(form.SynEdit1()->text(), "second=2\n");
    EXPECT_FALSE(form.Modified());
}

TEST_F(IniPad, OpenDialogStartsAtTheFileBeingEdited) {
    TIniPadForm form;
    EXPECT_EQ(form.OpenDialog1()->directory().absolutePath(),
              QFileInfo(QString::fromStdString(ExecutablePath())).absolutePath());
    EXPECT_EQ(form.OpenDialog1()->nameFilters(), QStringList{"Text Files (*.ini *.txt)"});
    EXPECT_EQ(form.SaveDialog1()->nameFilters(), QStringList{"Text Files (*.ini *.txt)"});
    form.setFileName(m_path);
    form.FileOpen1BeforeExecute();
    EXPECT_EQ(form.OpenDialog1()->directory().absolutePath(), tempDir());
    form.FileSaveAs1Accept(tempDir() + "/copy.ini");
    EXPECT_EQ(form.FileName(), tempDir() + "/copy.ini");
    EXPECT_TRUE(QFile::exists(tempDir() + "/copy.ini"));
}

TEST_F(IniPad, DialogsAreMadeOnFirstUseWithTheSetupTheyWouldHaveHad) {
    TIniPadForm form;
    EXPECT_TRUE(form.findChildren<QFileDialog*>().isEmpty()) << "no file dialog at start-up";
    EXPECT_TRUE(form.findChildren<TFindDialog*>().isEmpty()) << "no search dialog at start-up";

    // Set up before the dialogs exist: they start where a dialog made at once would have.
    form.setFileName(m_path);
    form.FileOpen1BeforeExecute();
    form.FileSaveAs1BeforeExecute();
    EXPECT_EQ(form.OpenDialog1()->directory().absolutePath(), tempDir());
    EXPECT_EQ(form.SaveDialog1()->directory().absolutePath(), tempDir());
    EXPECT_EQ(form.SaveDialog1()->selectedFiles().value(0), m_path);
    form.OpenDialog1();
    EXPECT_EQ(form.findChildren<QFileDialog*>().size(), 2) << "each made once";

    // Find with no replace dialog yet takes no text from it, and makes only itself.
    form.show();
    form.SearchFindExecute();
    EXPECT_EQ(form.findChildren<TFindDialog*>().size(), 1);
    EXPECT_EQ(form.FindDialog1()->FindText(), "");
}

// The search dialogs' options as the text area sees them.
struct TDialogOptionsCase {
    const char* name;
    bool replaceDialog;
    bool down, matchCase, wholeWord;
    int button; // 0 Find Next, 1 Replace, 2 Replace All
    const char* expectedText;
    const char* expectedSelection;
};

class IniPadDialogOptions : public IniPad,
                            public ::testing::WithParamInterface<TDialogOptionsCase> {};

TEST_P(IniPadDialogOptions, BecomeSearchOptions) {
    const TDialogOptionsCase& c = GetParam();
    TIniPadForm form;
    TIniEdit* ed = form.SynEdit1();
    ed->setText("Ax ax AXe ax");
    ed->setCursorPosition(0, 3);
    TFindDialog* d = c.replaceDialog ? form.ReplaceDialog1() : form.FindDialog1();
    d->SetFindText("ax");
    d->SetReplaceText("Q");
    d->SetDown(c.down);
    d->SetMatchCase(c.matchCase);
    d->SetWholeWord(c.wholeWord);
    if (!c.replaceDialog)
        form.FindDialog1Find();
    else if (c.button == 0)
        form.ReplaceDialog1Find();
    else
        form.ReplaceDialog1Replace(c.button == 2);
    EXPECT_EQ(ed->text(), c.expectedText);
    EXPECT_EQ(ed->selectedText(), c.expectedSelection);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, IniPadDialogOptions, ::testing::Values(
    TDialogOptionsCase{"find_down", false, true, false, false, 0, "Ax ax AXe ax", "ax"},
    TDialogOptionsCase{"find_up_any_case", false, false, false, false, 0, "Ax ax AXe ax", "Ax"},
    TDialogOptionsCase{"find_up_match_case_finds_nothing", false, false, true, false, 0,
                       "Ax ax AXe ax", ""},
    TDialogOptionsCase{"replace_dialog_find_next", true, true, false, false, 0, "Ax ax AXe ax", "ax"},
    TDialogOptionsCase{"replace_next", true, true, false, false, 1, "Ax Q AXe ax", ""},
    TDialogOptionsCase{"replace_all_whole_words", true, true, false, true, 2, "Ax Q AXe Q", ""},
    TDialogOptionsCase{"replace_all_parts_of_words", true, true, false, false, 2, "Ax Q Qe Q", ""},
    TDialogOptionsCase{"replace_all_match_case", true, true, true, false, 2, "Ax Q AXe Q", ""}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(IniPad, NewKeepsFileNameAndForgetsHistoryAndBookmarks) {
    WriteAll(m_path, "a=1\nb=2\n");
    TIniPadForm form;
    form.setFileName(m_path);
    form.LoadFile();
    form.SynEdit1()->insert("z");
    form.SynEdit1()->ToggleBookmark(1);
    form.FileNew1Execute();
    EXPECT_EQ(form.SynEdit1()->text(), "");
    EXPECT_EQ(form.FileName(), m_path);
    EXPECT_FALSE(form.SynEdit1()->isUndoAvailable());
    EXPECT_EQ(form.SynEdit1()->markersAtLine(0), 0u);
    form.FileSave1Execute();
    EXPECT_EQ(ReadAll(m_path), "");
}

struct TSearchCase {
    const char* name;
    const char* text;
    int line, index; // caret
    const char* what;
    TSearchOptions options;
    const char* expectedText;
    const char* expectedSelection;
    int expectedCount;
};

class IniPadSearch : public IniPad, public ::testing::WithParamInterface<TSearchCase> {};

TEST_P(IniPadSearch, FromTheCaret) {
    const TSearchCase& c = GetParam();
    TIniPadForm form;
    TIniEdit* ed = form.SynEdit1();
    ed->setText(c.text);
    ed->setCursorPosition(c.line, c.index);
    EXPECT_EQ(ed->SearchReplace(c.what, "Y", c.options), c.expectedCount);
    EXPECT_EQ(ed->text(), c.expectedText);
    EXPECT_EQ(ed->selectedText(), c.expectedSelection);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, IniPadSearch, ::testing::Values(
    TSearchCase{"find_down_selects_next", "x a x", 0, 1, "x", {}, "x a x", "x", 1},
    TSearchCase{"find_up_selects_previous", "x a x", 0, 4, "x", ssoBackwards, "x a x", "x", 1},
    TSearchCase{"nothing_found_changes_nothing", "abc", 0, 0, "q", ssoReplaceAll, "abc", "", 0},
    TSearchCase{"match_case", "X x", 0, 0, "x", ssoMatchCase | ssoReplace, "X Y", "", 1},
    TSearchCase{"any_case", "X x", 0, 0, "x", ssoReplace, "Y x", "", 1},
    TSearchCase{"whole_word", "xx x", 0, 0, "x", ssoWholeWord | ssoReplaceAll, "xx Y", "", 1},
    TSearchCase{"replace_all_from_middle_down", "a=x\nb=x\nc=x\n", 1, 0, "x", ssoReplaceAll,
                "a=x\nb=Y\nc=Y\n", "", 2},
    TSearchCase{"replace_all_from_middle_up", "a=x\nb=x\nc=x\n", 1, 0, "x",
                ssoReplaceAll | ssoBackwards, "a=Y\nb=x\nc=x\n", "", 1},
    TSearchCase{"replace_one_takes_next_only", "x x x", 0, 1, "x", ssoReplace, "x Y x", "", 1},
    TSearchCase{"replacement_holding_the_text_ends", "x x", 0, 0, "x", ssoReplaceAll, "Y Y", "", 2},
    TSearchCase{"empty_search_text", "abc", 0, 0, "", ssoReplaceAll, "abc", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(IniPad, ReplaceTakesTheMatchFindNextSelected) {
    TIniPadForm form;
    form.SynEdit1()->setText("k=x\nk=x\n");
    form.SynEdit1()->setCursorPosition(0, 0);
    TFindDialog* d = form.ReplaceDialog1();
    d->SetFindText("x");
    d->SetReplaceText("7");
    form.ReplaceDialog1Find();
    form.ReplaceDialog1Replace(false);
    EXPECT_EQ(form.SynEdit1()->text(), "k=7\nk=x\n");
    form.ReplaceDialog1Replace(false);
    EXPECT_EQ(form.SynEdit1()->text(), "k=7\nk=7\n");
}

TEST_F(IniPad, FindAndReplaceDialogsShareTheirSearchText) {
    TIniPadForm form;
    form.show();
    form.ReplaceDialog1()->SetFindText("volt");
    form.SearchFindExecute();
    EXPECT_TRUE(form.FindDialog1()->isVisible());
    EXPECT_FALSE(form.FindDialog1()->isModal());
    EXPECT_EQ(form.FindDialog1()->FindText(), "volt");
    EXPECT_TRUE(form.ReplaceDialog1()->Down());
    form.FindDialog1()->SetFindText("drop");
    form.SearchReplaceExecute();
    EXPECT_EQ(form.ReplaceDialog1()->FindText(), "volt");

    // The find dialog's "Up" becomes a backwards search.
    form.SynEdit1()->setText("drop drop");
    form.SynEdit1()->setCursorPosition(0, 9);
    form.FindDialog1()->SetDown(false);
    form.FindDialog1Find();
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
    form.SynEdit1()->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
    EXPECT_EQ(indexFrom, 5);
}

TEST_F(IniPad, MacroStatesOnTheirKeys) {
    TIniPadForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TIniEdit* ed = form.SynEdit1();
    ed->setFocus();
    TMacroRecorder* m = form.MacroRecorder();
    const auto key = [&](Qt::Key k) {
        QTest::keyClick(ed, k, Qt::ControlModifier | Qt::ShiftModifier);
    };

    key(Qt::Key_P); // nothing recorded yet: playing does nothing
    EXPECT_EQ(ed->text(), "");
    key(Qt::Key_R);
    EXPECT_EQ(m->State(), TMacroState::msRecording);
    QTest::keyClicks(ed, "ab");
    key(Qt::Key_P);
    EXPECT_EQ(m->State(), TMacroState::msPaused);
    QTest::keyClicks(ed, "-");
    key(Qt::Key_P);
    EXPECT_EQ(m->State(), TMacroState::msRecording);
    QTest::keyClicks(ed, "c");
    QTest::keyClick(ed, Qt::Key_Return);
    key(Qt::Key_R);
    EXPECT_EQ(m->State(), TMacroState::msIdle);
    EXPECT_EQ(ed->text(), "ab-c\n");

    key(Qt::Key_P); // plays at the caret, without the paused part
    EXPECT_EQ(ed->text(), "ab-c\nabc\n");
    ed->setCursorPosition(0, 0);
    key(Qt::Key_P);
    EXPECT_EQ(ed->text(), "abc\nab-c\nabc\n");

    key(Qt::Key_R); // a new recording replaces the macro
    QTest::keyClicks(ed, "z");
    key(Qt::Key_R);
    ed->setCursorPosition(0, 0);
    key(Qt::Key_P);
    EXPECT_EQ(ed->text(), "zabc\nzab-c\nabc\n");

    // Stopping while paused keeps what was recorded before the pause.
    ed->clear();
    key(Qt::Key_R);
    QTest::keyClicks(ed, "q");
    key(Qt::Key_P);
    QTest::keyClicks(ed, "-");
    key(Qt::Key_R);
    EXPECT_EQ(m->State(), TMacroState::msIdle);
    key(Qt::Key_P);
    EXPECT_EQ(ed->text(), "q-q");
}

// Playing a macro back gives what typing it gave, auto-indent included.
TEST_F(IniPad, MacroPlaybackIndentsAsTypingDoes) {
    TIniPadForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TIniEdit* ed = form.SynEdit1();
    ed->setFocus();
    for (bool crlf : {false, true}) {
        const QString eol = crlf ? "\r\n" : "\n";
        ed->setEolMode(crlf ? QsciScintilla::EolWindows : QsciScintilla::EolUnix);
        ed->setText("  k=1");
        ed->setCursorPosition(0, 5);
        QTest::keyClick(ed, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Return);
        QTest::keyClicks(ed, "rec");
        QTest::keyClick(ed, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(ed->text(), "  k=1" + eol + "  rec" + eol + "  rec") << crlf;
    }
}

TEST_F(IniPad, LineCountText) {
    struct TCase {
        const char* text;
        const char* expected;
    };
    const TCase cases[] = {{"", "Line Count: 0"},           {"a", "Line Count: 1"},
                           {"a\n", "Line Count: 1"},        {"a\nb", "Line Count: 2"},
                           {"a\r\nb\r\n", "Line Count: 2"}, {"\n\n", "Line Count: 2"}};
    TIniPadForm form;
    for (const TCase& c : cases) {
        form.SynEdit1()->setText(c.text);
        EXPECT_EQ(form.LineCountText(), c.expected) << c.text;
    }
    form.show();
    QString shown;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        // Room for the title beside a window frame's icon and buttons, not cut to "A...".
        const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
        EXPECT_GE(box->width(), title.horizontalAdvance(box->windowTitle()) + 120);
        box->accept();
    });
    form.Statistics1Click();
    EXPECT_EQ(shown, "Line Count: 2");
}

TEST_F(IniPad, TheTextAreaIsMadeWhenFirstNeeded) {
    WriteAll(m_path, "a=1\n");
    struct Row {
        const char* what;
        QStringList arguments;
        std::function<void(TIniPadForm&)> use;
        bool made;
        const char* text;
    };
    const Row rows[] = {
        {"made at start-up, nothing asked", {}, [](TIniPadForm&) {}, false, ""},
        {"a settings file asked for by name",
         {},
         [this](TIniPadForm& f) {
             f.setFileName(m_path);
             f.LoadFile();
         },
         true,
         "a=1\n"},
        {"a file named on the command line", {m_path}, [](TIniPadForm&) {}, true, "a=1\n"},
        {"shown", {}, [](TIniPadForm& f) { f.show(); }, true, ""},
    };
    for (const Row& r : rows) {
        TIniPadForm form(r.arguments);
        r.use(form);
        EXPECT_EQ(form.findChild<TIniEdit*>() != nullptr, r.made) << r.what;
        form.show();
        TIniEdit* ed = form.SynEdit1();
        EXPECT_EQ(form.findChildren<TIniEdit*>().size(), 1) << r.what;
        // Typing goes to the text at once, however late the text area was made.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form)) << r.what;
        EXPECT_EQ(QApplication::focusWidget(), ed) << r.what;
        // Between the tool bar and the status bar, taking the room between them.
        const QRect bar = form.findChild<QToolBar*>("ToolBar1")->geometry();
        const QRect status = form.findChild<QStatusBar*>("StatusBar1")->geometry();
        EXPECT_EQ(ed->geometry().top(), bar.bottom() + 1) << r.what;
        EXPECT_EQ(ed->geometry().bottom() + 1, status.top()) << r.what;
        EXPECT_EQ(ed->text(), r.text) << r.what;
    }
}

TEST_F(IniPad, EveryToolBarButtonShowsAnImageFromTheFirstShowing) {
    TIniPadForm form;
    auto* bar = form.findChild<QToolBar*>("ToolBar1");
    // The window is made at the program's start, hidden: its images are not looked up then.
    EXPECT_FALSE(form.testAttribute(Qt::WA_SetWindowIcon));
    for (QAction* a : bar->actions())
        EXPECT_TRUE(a->icon().isNull()) << a->text().toStdString();
    form.show();
    EXPECT_TRUE(form.testAttribute(Qt::WA_SetWindowIcon));
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            continue;
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << a->text().toStdString();
        EXPECT_FALSE(a->icon().pixmap(QSize(24, 24)).isNull()) << a->text().toStdString();
    }
}

TEST_F(IniPad, GutterClickRemovesOnlyOtherMarks) {
    TIniPadForm form;
    TIniEdit* ed = form.SynEdit1();
    ed->setText("a\nb\n");
    ed->setCursorPosition(1, 0);
    ed->ToggleBookmark(3);
    // Shown with its numbered glyph, drawn when the bookmark was first set.
    EXPECT_EQ(ed->SendScintilla(QsciScintillaBase::SCI_MARKERSYMBOLDEFINED, 3UL),
              QsciScintillaBase::SC_MARK_RGBAIMAGE);
    ed->markerAdd(1, BookmarkCount);
    ed->markerAdd(0, BookmarkCount);
    form.SynEdit1GutterClick(1);
    EXPECT_TRUE(ed->HasBookmark(3, 1));
    EXPECT_EQ(ed->markersAtLine(1), 1u << 3);
    EXPECT_EQ(ed->markersAtLine(0), 1u << BookmarkCount);
    ed->setCursorPosition(0, 0);
    ed->GotoBookmark(3);
    int line = 0, index = 0;
    ed->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 1);
}

TEST_F(IniPad, SmartTabAndEditorKeys) {
    TIniPadForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TIniEdit* ed = form.SynEdit1();
    ed->setFocus();
    ed->setText("ab    cd  ef\n");
    ed->setCursorPosition(1, 0);
    QTest::keyClick(ed, Qt::Key_Tab);
    QTest::keyClicks(ed, "x");
    QTest::keyClick(ed, Qt::Key_Tab);
    QTest::keyClicks(ed, "y");
    EXPECT_EQ(ed->text(), "ab    cd  ef\n      x   y");
    QTest::keyClick(ed, Qt::Key_Tab); // nothing further above: an ordinary tab, as blanks
    EXPECT_FALSE(ed->text().contains('\t'));

    // Backspace in leading blanks goes back to the indentation of the lines above.
    ed->setText("a\n    b\n\n          c");
    ed->setCursorPosition(3, 10);
    QTest::keyClick(ed, Qt::Key_Backspace);
    EXPECT_EQ(ed->text(), "a\n    b\n\n    c");
    QTest::keyClick(ed, Qt::Key_Backspace);
    EXPECT_EQ(ed->text(), "a\n    b\n\nc");
    QTest::keyClick(ed, Qt::Key_Backspace); // not in leading blanks: an ordinary Backspace
    EXPECT_EQ(ed->text(), "a\n    b\nc");

    // F1 is left to the window; the editor does not take it.
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(ed, &f1);
    EXPECT_FALSE(f1.isAccepted());
    auto* help = form.findChild<QAction*>("ContextHelp1");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence("Ctrl+F1"));
}

TEST_F(IniPad, WindowKeysWorkFromTheTextArea) {
    WriteAll(m_path, "a=1\nb=2\n");
    TIniPadForm form;
    form.setFileName(m_path);
    form.LoadFile();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TIniEdit* ed = form.SynEdit1();
    EXPECT_EQ(QApplication::focusWidget(), ed); // typing goes to the text at once
    ed->setCursorPosition(1, 0);
    QTest::keyClick(ed, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(ed->HasBookmark(3, 1));
    ed->setCursorPosition(0, 0);
    QTest::keyClick(ed, Qt::Key_3, Qt::ControlModifier);
    int line = 0, index = 0;
    ed->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 1);
    QTest::keyClicks(ed, "x");
    QTest::keyClick(ed, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(m_path), "a=1\nxb=2\n");
    QTest::keyClick(ed, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(form.FindDialog1()->isVisible());
    // Escape belongs to the text area (it cancels a selection); it does not close the window.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ed->setFocus();
    QTest::keyClick(ed, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(IniPad, SaveWithoutANameAsksForOneAndCancelKeepsTheWindowOpen) {
    TIniPadForm form;
    form.show();
    form.SynEdit1()->setText("k=v\n");
    onNextModal([&](QWidget* w) {
        onNextModal([](QWidget* dialog) {
            auto* d = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(d, nullptr);
            d->reject();
        });
        Answer(QMessageBox::Yes, nullptr)(w);
    });
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Modified());

    const QString chosen = tempDir() + "/chosen.ini";
    onNextModal([&](QWidget* dialog) {
        auto* d = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(d, nullptr);
        // Typed into the name field, as a user would; the dialog then accepts it.
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(chosen);
        static_cast<QDialog*>(d)->accept(); // QFileDialog::accept() is protected
    });
    form.FileSave1Execute();
    EXPECT_EQ(form.FileName(), chosen);
    EXPECT_EQ(ReadAll(chosen), "k=v\n");
}

TEST_F(IniPad, OversizedFileIsRefusedAndNotRead) {
    QFile big(m_path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(256LL * 1024 * 1024 + 1)); // sparse: costs no disk
    big.close();
    TIniPadForm form;
    form.SynEdit1()->setText("kept");
    form.setFileName(m_path);
    EXPECT_THROW(form.LoadFile(), EIniPadError);
    EXPECT_EQ(form.SynEdit1()->text(), "kept");

    // Dropped or opened, it leaves the name alone too, so Save can't write "kept" over it.
    const QString before = tempDir() + "/before.ini";
    form.setFileName(before);
    EXPECT_THROW(form.SynEdit1DropFiles({m_path}), EIniPadError);
    EXPECT_EQ(form.FileName(), before);
    EXPECT_THROW(form.FileOpen1Accept(m_path), EIniPadError);
    EXPECT_EQ(form.FileName(), before);
}

TEST_F(IniPad, BackgroundColourLeavesSectionHeaders) {
    TIniPadForm form;
    form.ColorSelect1Accept(QColor(255, 255, 200));
    EXPECT_EQ(form.SynEdit1()->IniLexer()->paper(isKey), QColor(255, 255, 200));
    EXPECT_EQ(form.SynEdit1()->IniLexer()->paper(isDefault), QColor(255, 255, 200));
    EXPECT_EQ(form.SynEdit1()->IniLexer()->paper(isSection), QColor(0, 128, 255));
}

class UrlCatcher : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { urls << url; }

  public:
    QList<QUrl> urls;
};

TEST_F(IniPad, BrowseWebSiteOpensTheMakersAddress) {
    TIniPadForm form;
    MakerWebAddress = "https://changed.example/"; // copied at creation, not read later
    EXPECT_EQ(form.WebAddress(), "https://maker.example/home");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    form.findChild<QAction*>("BrowseURL1")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl("https://maker.example/home")});
}

TEST_F(IniPad, MenusToolBarAndActions) {
    TIniPadForm form;
    const auto entries = [&](const char* menuName) {
        QStringList out;
        for (QAction* a : form.findChild<QMenu*>(menuName)->actions())
            out << (a->isSeparator() ? "-" : a->text());
        return out.join(",");
    };
    EXPECT_EQ(entries("File1"), "&Open...,&Save,Save &As..,-,Print Set&up...,&Print,-,E&xit");
    EXPECT_EQ(entries("Search1"), "&Find,&Replace");
    EXPECT_EQ(entries("View1"), "&Line Count,Line &Numbers");
    EXPECT_EQ(entries("Edit1"), "Cu&t,&Copy,&Paste,-,Select &All,&Undo");
    EXPECT_EQ(entries("Help1"), "Select &Background Color...,&Browse Web Site");
    QStringList menus;
    for (QAction* a : form.findChild<QMenuBar*>()->actions())
        menus << a->text();
    EXPECT_EQ(menus.join(","), "&File,&Search,&View,&Edit,&Help");

    QStringList tools;
    for (QAction* a : form.findChild<QToolBar*>("ToolBar1")->actions())
        tools << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(tools.join(","), "FileNew1,FileOpen1,FileSave1,-,EditCut1,EditCopy1,EditPaste1");

    struct TCase {
        const char* name;
        const char* shortcut;
        const char* toolTip;
        const char* statusTip;
    };
    // clang-format off
    const TCase cases[] = {
        {"FileNew1", "Ctrl+N", "Start new file", "Start new file"},
        {"FileOpen1", "Ctrl+O", "Open", "Opens an existing file"},
        {"FileSave1", "Ctrl+S", "Save current file", "Save current file"},
        {"FileSaveAs1", "", "Save As", "Saves the active file with a new name"},
        {"FilePrintSetup1", "", "Print Setup", "Print Setup"},
        {"FilePrint1", "Ctrl+P", "Print current file", "Print current file"},
        {"EditCut1", "Ctrl+X", "Cut", "Cuts the selection and puts it on the Clipboard"},
        {"EditCopy1", "Ctrl+C", "Copy", "Copies the selection and puts it on the Clipboard"},
        {"EditPaste1", "Ctrl+V", "Paste", "Inserts Clipboard contents"},
        {"EditSelectAll1", "Ctrl+A", "Select All", "Selects the entire document"},
        {"EditUndo1", "Ctrl+Z", "Undo", "Reverts the last action"},
        {"SearchFind", "Ctrl+F", "", ""},
        {"SearchReplace", "", "", ""},
        {"ColorSelect1", "", "Color Select", "Color Select"},
        {"BrowseURL1", "", "Browse URL", "Browse URL"},
        {"Exit1", "", "Exit", "Quits the application"},
    };
    // clang-format on
    for (const TCase& c : cases) {
        auto* a = form.findChild<QAction*>(c.name);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(c.shortcut)) << c.name;
        if (*c.toolTip) {
            EXPECT_EQ(a->toolTip(), c.toolTip) << c.name;
        }
        EXPECT_EQ(a->statusTip(), c.statusTip) << c.name;
    }
}

TEST_F(IniPad, FontColumnSelectionAndScrollHint) {
    TIniPadForm form;
    TIniEdit* ed = form.SynEdit1();
    EXPECT_EQ(ed->font().family(), "Courier New");
    EXPECT_EQ(ed->font().pointSize(), 10);
    EXPECT_TRUE(QFontInfo(ed->IniLexer()->font(isKey)).fixedPitch()); // a stand-in if missing
    ed->setText("abcd\nabcd\nabcd\n");
    const auto at = [&](int line, int col) {
        const long pos = ed->positionFromLineIndex(line, col);
        return QPointF(ed->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, pos),
                       ed->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos) + 3);
    };
    const auto mouse = [&](QEvent::Type type, QPointF p, Qt::MouseButtons held) {
        QMouseEvent e(type, p, ed->viewport()->mapToGlobal(p), Qt::LeftButton, held,
                      Qt::AltModifier);
        QApplication::sendEvent(ed->viewport(), &e);
    };
    mouse(QEvent::MouseButtonPress, at(0, 1), Qt::LeftButton);
    mouse(QEvent::MouseMove, at(2, 3), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, at(2, 3), Qt::NoButton);
    EXPECT_TRUE(ed->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE));
    EXPECT_EQ(ed->selectedText(), "bc\nbc\nbc\n");

    // Dragging the scroll bar shows the line that will be at the top.
    ed->setText(QString("k=v\n").repeated(300));
    ed->verticalScrollBar()->setSliderDown(true);
    ed->verticalScrollBar()->setSliderPosition(41);
    EXPECT_EQ(QToolTip::text(), "Top Line: 42");
    ed->verticalScrollBar()->setSliderDown(false);
}

// Text of a PDF through pdftotext; -bbox gives each word with its place on the page in points.
QString PdfText(const QString& pdf, bool boxes) {
    QProcess p;
    QStringList args;
    if (boxes)
        args << "-bbox";
    args << pdf << "-";
    p.start("pdftotext", args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return "<pdftotext failed>";
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(IniPad, PrintsTheTextToAPdfFile) {
    for (const char* tool : {"pdftotext", "pdffonts", "pdftoppm"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " (poppler-utils) is not installed";
    TIniPadForm form;
    QString longLine = "long=";
    for (int i = 0; i < 60; ++i)
        longLine += QString("word%1 ").arg(i);
    form.SynEdit1()->setText("[Settings]\n;comment here\nMaxVoltDrop=5.5\n" + longLine + "\n");
    EXPECT_FALSE(form.LineNumbers1()->isChecked());
    EXPECT_FALSE(form.SynEdit1()->LineNumbersVisible());
    form.LineNumbers1()->trigger(); // shown on screen, never printed
    EXPECT_TRUE(form.SynEdit1()->LineNumbersVisible());
    const QString pdf = tempDir() + "/out.pdf";
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    ProcessPrinter().setOutputFileName(pdf);
    ProcessPrinter().setPageSize(QPageSize(QPageSize::A4));
    form.FilePrint1Execute();

    const QString text = PdfText(pdf, false);
    EXPECT_TRUE(text.contains("[Settings]")) << text.toStdString();
    EXPECT_TRUE(text.contains(";comment here"));
    EXPECT_TRUE(text.contains("MaxVoltDrop=5.5"));
    EXPECT_TRUE(text.contains("word59"));
    // Wrapped: the long line's last word is on a later printed line than its first.
    const QStringList lines = text.split('\n');
    int first = -1, last = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains("word0 ") && first < 0)
            first = i;
        if (lines[i].contains("word59"))
            last = i;
    }
    EXPECT_GT(last, first);
    EXPECT_FALSE(QRegularExpression("(^|\\n)\\s*1\\s*\\[Settings\\]").match(text).hasMatch());

    // The body starts at the left margin (25 mm) and the top margin (25 mm): 70.9 pt.
    const QString boxes = PdfText(pdf, true);
    const QRegularExpression word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>\\[Settings\\]");
    const QRegularExpressionMatch m = word.match(boxes);
    ASSERT_TRUE(m.hasMatch()) << boxes.left(2000).toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), 70.9, 2.0);
    EXPECT_NEAR(m.captured(2).toDouble(), 70.9, 6.0);
    // Long lines wrap at the right margin (15 mm): the body ends at 195 mm, 552.8 pt.
    double right = 0;
    const QRegularExpression xMax("<word [^>]*xMax=\"([0-9.]+)\"");
    for (auto it = xMax.globalMatch(boxes); it.hasNext();)
        right = std::max(right, it.next().captured(1).toDouble());
    EXPECT_LE(right, 552.8 + 1.0);
    EXPECT_GT(right, 552.8 - 45.0) << "wrapped well before the margin";
    EXPECT_EQ(form.SynEdit1()->marginWidth(0) > 0, true); // restored after printing

    // Styles without colours: the comment is set in an italic face, and the page holds no
    // coloured pixel (the section header's blue paper, the green comment, the maroon key).
    QProcess fonts;
    fonts.start("pdffonts", {pdf});
    ASSERT_TRUE(fonts.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(fonts.readAllStandardOutput()).contains("Italic"));
    QProcess render;
    render.start("pdftoppm", {"-r", "40", "-f", "1", "-l", "1", "-png", pdf, tempDir() + "/page"});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QStringList pages = QDir(tempDir()).entryList({"page*.png"});
    ASSERT_EQ(pages.size(), 1);
    const QImage page(tempDir() + "/" + pages.first());
    ASSERT_FALSE(page.isNull());
    int coloured = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) -
                    std::min({c.red(), c.green(), c.blue()}) >
                40)
                ++coloured;
        }
    EXPECT_EQ(coloured, 0);
}

TEST_F(IniPad, PrintingToNowhereIsAnError) {
    TIniPadForm form;
    form.SynEdit1()->setText("a=1\n");
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    ProcessPrinter().setOutputFileName(tempDir() + "/no/such/folder/out.pdf");
    EXPECT_THROW(form.FilePrint1Execute(), EIniPadError);
    // What Qt chooses when there is no printer at all.
    ProcessPrinter().setOutputFileName("");
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    try {
        form.FilePrint1Execute();
        ADD_FAILURE() << "printing to no printer reported success";
    } catch (const EIniPadError& e) {
        EXPECT_STREQ(e.what(), "There is no default printer currently selected.");
    }
}

} // namespace
} // namespace qv

#include "QvIniPadTest.moc"
