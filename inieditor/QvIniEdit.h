// The text area of the INI editor: QScintilla set up as the editor needs it, plus what it lacks
// (search and replace from the caret, line count, smart tab, trimming, file drops, raw bytes,
// keystroke macros, printing).
#pragma once

#include "inieditor/QvIniTextArea.h"

#include <Qsci/qsciscintilla.h>

#include <QByteArray>
#include <QStringList>

namespace qv {

class TIniLexer;

class TIniEdit : public QsciScintilla, public TIniTextArea {
    Q_OBJECT
  public:
    explicit TIniEdit(QWidget* parent = nullptr);

    TIniLexer* IniLexer() const { return m_lexer; }

    QWidget* Widget() override { return this; }
    TIniEdit* Edit() override { return this; }
    TMacroRecorder* Macros() override { return m_macros; }

    // The document exactly as stored: any bytes, NULs and line ends included.
    QByteArray Bytes() const override;
    // Replaces the text with `data` byte for byte and drops the marks; new lines follow the
    // data's first line end.
    void SetBytes(const QByteArray& data);
    void LoadBytes(const QByteArray& data) override;
    void MarkSaved() override;
    // Empties the text and forgets bookmarks, marks and the undo and redo history.
    void ClearAll() override;

    // Number of lines as a reader counts them: a final line end starts no new line.
    int LineCount() const override;
    // Removes blanks and tabs at the end of every line, as one undo step; true when any went.
    bool TrimTrailingBlanks() override;

    // Searches for `text` from the caret. Find: the match becomes the selection. Replace: the
    // next match (a selected match counts) is replaced. Replace all: every match from there on
    // in the search direction. Returns the number of matches found or replaced.
    int SearchReplace(const QString& text, const QString& replacement,
                      TSearchOptions options) override;

    void Cut() override { cut(); }
    void Copy() override { copy(); }
    void Paste() override { paste(); }
    void SelectAll() override { selectAll(true); }
    void Undo() override { undo(); }
    void ToggleBookmark(int number) override;
    void GotoBookmark(int number) override;
    bool HasBookmark(int number, int line) const;
    // Removes from `line` every mark that is not a bookmark.
    void RemoveOtherMarks(int line) override;
    void RecordMacroShortcut() override;
    void PlayMacroShortcut() override;

    void SetLineNumbersVisible(bool visible) override;
    bool LineNumbersVisible() const;

    QColor Background() const override { return paper(); }
    void SetBackground(const QColor& color) override;

    QString PrintText(const QPrinter& setup) override;

  signals:
    // Local files dropped from a file manager, in the order given.
    void FilesDropped(const QStringList& paths);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    // Blanks to the next word start of the line above, or -1 when that line has none.
    int SmartTabWidth() const;
    // Backspace in leading blanks: back to the indentation of the nearest line above that is
    // indented less. False when that does not apply and Backspace keeps its usual meaning.
    bool SmartBackspace();
    static QStringList LocalFiles(const QMimeData* mime);
    // QScintilla takes Ctrl+drag for a column selection on this platform; Alt+drag is wanted.
    template <typename Handler> void WithAltAsCtrl(QMouseEvent* e, Handler handler);

    TIniLexer* m_lexer;
    TMacroRecorder* m_macros;
    // Bit n: the glyph of bookmark n is defined.
    unsigned m_glyphsDefined = 0;
};

} // namespace qv
