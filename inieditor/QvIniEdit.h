// The text area of the INI editor: QScintilla set up as the editor needs it, plus what it lacks
// (search and replace from the caret, line count, smart tab, trimming, file drops, raw bytes).
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QByteArray>
#include <QFlags>
#include <QStringList>

namespace qv {

class TIniLexer;

enum TSearchOption {
    ssoMatchCase = 0x01,
    ssoWholeWord = 0x02,
    ssoBackwards = 0x04,
    ssoReplace = 0x08,
    ssoReplaceAll = 0x10,
};
Q_DECLARE_FLAGS(TSearchOptions, TSearchOption)

// Marker numbers 0..9 are the numbered bookmarks; higher numbers are other marks.
constexpr int BookmarkCount = 10;

class TIniEdit : public QsciScintilla {
    Q_OBJECT
  public:
    explicit TIniEdit(QWidget* parent = nullptr);

    TIniLexer* IniLexer() const { return m_lexer; }

    // The document exactly as stored: any bytes, NULs and line ends included.
    QByteArray Bytes() const;
    // Replaces the text with `data` byte for byte and drops the marks; new lines follow the
    // data's first line end.
    void SetBytes(const QByteArray& data);
    // Empties the text and forgets bookmarks, marks and the undo and redo history.
    void ClearAll();

    // Number of lines as a reader counts them: a final line end starts no new line.
    int LineCount() const;
    // Removes blanks and tabs at the end of every line, as one undo step; true when any went.
    bool TrimTrailingBlanks();

    // Searches for `text` from the caret. Find: the match becomes the selection. Replace: the
    // next match (a selected match counts) is replaced. Replace all: every match from there on
    // in the search direction. Returns the number of matches found or replaced.
    int SearchReplace(const QString& text, const QString& replacement, TSearchOptions options);

    void ToggleBookmark(int number);
    void GotoBookmark(int number);
    bool HasBookmark(int number, int line) const;
    // Removes from `line` every mark that is not a bookmark.
    void RemoveOtherMarks(int line);

    void SetLineNumbersVisible(bool visible);
    bool LineNumbersVisible() const;

    void SetBackground(const QColor& color);

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
    // Bit n: the glyph of bookmark n is defined.
    unsigned m_glyphsDefined = 0;
};

} // namespace qv

Q_DECLARE_OPERATORS_FOR_FLAGS(qv::TSearchOptions)
