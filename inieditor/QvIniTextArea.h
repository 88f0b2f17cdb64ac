// What the INI editor window asks of its text area. The text area is the editing component's
// (TIniEdit, in the part of the program loaded on first use); the window knows it only through
// this, so that the program starts without loading the editing component.
#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>

class QColor;
class QPrinter;
class QWidget;

namespace qv {

class TIniEdit;
class TMacroRecorder;

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

class TIniTextArea {
  public:
    // The widget itself, for layouts and focus, and as the editing component's class.
    virtual QWidget* Widget() = 0;
    virtual TIniEdit* Edit() = 0;
    virtual TMacroRecorder* Macros() = 0;

    // The document exactly as stored, and as loaded: the undo history starts afresh and the
    // text counts as unmodified.
    virtual QByteArray Bytes() const = 0;
    virtual void LoadBytes(const QByteArray& data) = 0;
    // The text has been saved: it counts as unmodified.
    virtual void MarkSaved() = 0;
    virtual void ClearAll() = 0;
    virtual int LineCount() const = 0;
    virtual bool TrimTrailingBlanks() = 0;
    virtual int SearchReplace(const QString& text, const QString& replacement,
                              TSearchOptions options) = 0;

    virtual void Cut() = 0;
    virtual void Copy() = 0;
    virtual void Paste() = 0;
    virtual void SelectAll() = 0;
    virtual void Undo() = 0;
    virtual void ToggleBookmark(int number) = 0;
    virtual void GotoBookmark(int number) = 0;
    virtual void RemoveOtherMarks(int line) = 0;
    virtual void RecordMacroShortcut() = 0;
    virtual void PlayMacroShortcut() = 0;

    virtual void SetLineNumbersVisible(bool visible) = 0;
    virtual QColor Background() const = 0;
    virtual void SetBackground(const QColor& color) = 0;

    // Prints the whole text with the choice of `setup` (printer or file, paper, orientation);
    // the empty text, or what failed.
    virtual QString PrintText(const QPrinter& setup) = 0;

    // What the window is told: typing changed the text, files were dropped on it, the mark
    // margin was clicked on a line. Unset ones are skipped.
    std::function<void()> OnTextChanged;
    std::function<void(const QStringList&)> OnFilesDropped;
    std::function<void(int line)> OnGutterClick;

  protected:
    ~TIniTextArea() = default;
};

} // namespace qv

Q_DECLARE_OPERATORS_FOR_FLAGS(qv::TSearchOptions)
