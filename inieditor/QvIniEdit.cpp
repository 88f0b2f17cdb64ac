// The INI editor's text area: QScintilla configured for INI files, with search and replace,
// numbered bookmarks, smart tab, trailing-blank trimming, file drops, macros and printing added.
#include "inieditor/QvIniEdit.h"

#include "inieditor/QvIniLexer_p.h"
#include "inieditor/QvMacroRecorder_p.h"
#include "printers/QvPrinters.h"

#include <Qsci/qsciprinter.h>

#include <QDragEnterEvent>
#include <QCursor>
#include <QDropEvent>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

namespace qv {

namespace {

constexpr int LineNumberMargin = 0;
constexpr int MarkMargin = 1;
constexpr int OtherMark = BookmarkCount; // a plain mark, for anything that is not a bookmark

QImage BookmarkGlyph(int number) {
    QImage img(14, 14, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(QColor(255, 255, 160));
    p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QString::number(number));
    return img;
}

} // namespace

TIniEdit::TIniEdit(QWidget* parent)
    : QsciScintilla(parent), m_lexer(new TIniLexer(this)),
      m_macros(new TMacroRecorder(this, this)) {
    setObjectName(QStringLiteral("SynEdit1"));
    setAccessibleName(QStringLiteral("Settings file text"));
    setUtf8(true);
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    setLexer(m_lexer);
    setFrameShape(QFrame::NoFrame);

    setMarginsFont(QFont(QStringLiteral("Terminal"), 8));
    setMarginType(LineNumberMargin, QsciScintilla::NumberMargin);
    setMarginWidth(LineNumberMargin, 0);
    setMarginType(MarkMargin, QsciScintilla::SymbolMargin);
    setMarginWidth(MarkMargin, 18);
    setMarginSensitivity(MarkMargin, true);
    // The numbered glyphs are drawn when their bookmark is first set (see ToggleBookmark).
    markerDefine(QsciScintilla::Circle, OtherMark);

    // Editing options: Alt+drag column selection (see WithAltAsCtrl), auto-indent, caret past
    // line end, tabs as blanks. Drag-move and grouped typing undo are Scintilla's own.
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION);
    setAutoIndent(true);
    setIndentationsUseTabs(false);
    setTabWidth(8);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    // The window hears of changes, drops and margin clicks through its callbacks.
    connect(this, &QsciScintilla::textChanged, this, [this] {
        if (OnTextChanged)
            OnTextChanged();
    });
    connect(this, &TIniEdit::FilesDropped, this, [this](const QStringList& paths) {
        if (OnFilesDropped)
            OnFilesDropped(paths);
    });
    connect(this, &QsciScintilla::marginClicked, this,
            [this](int, int line, Qt::KeyboardModifiers) {
                if (OnGutterClick)
                    OnGutterClick(line);
            });

    // While the scroll bar is dragged a hint tells which line will be at the top.
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int value) {
        QToolTip::showText(QCursor::pos(), tr("Top Line: %1").arg(value + 1), this);
    });
}

QByteArray TIniEdit::Bytes() const {
    const int len = length();
    QByteArray out = bytes(0, len);
    out.truncate(len); // bytes() leaves room for a terminating zero
    return out;
}

void TIniEdit::SetBytes(const QByteArray& data) {
    const int lf = data.indexOf('\n');
    const int cr = data.indexOf('\r');
    int mode = SC_EOL_LF;
    if (cr >= 0 && (lf < 0 || cr < lf))
        mode = (cr + 1 < data.size() && data[cr + 1] == '\n') ? SC_EOL_CRLF : SC_EOL_CR;
    SendScintilla(SCI_SETEOLMODE, mode);
    SendScintilla(SCI_CLEARALL);
    markerDeleteAll(); // bookmarks of the previous text mean nothing in this one
    // APPENDTEXT takes a length, so zero bytes in the data survive (SETTEXT would stop at one).
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(data.size()), data.constData());
    SendScintilla(SCI_GOTOPOS, 0);
}

void TIniEdit::LoadBytes(const QByteArray& data) {
    SetBytes(data);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

void TIniEdit::MarkSaved() {
    setModified(false);
}

void TIniEdit::RecordMacroShortcut() {
    m_macros->RecordShortcut();
}

void TIniEdit::PlayMacroShortcut() {
    m_macros->PlaybackShortcut();
}

QString TIniEdit::PrintText(const QPrinter& setup) {
    // The text area prints through a printer of its own kind, set up as the given one.
    QsciPrinter p(QPrinter::HighResolution);
    CopyPrinterChoice(setup, p);
    p.setCopyCount(1);
    p.setFullPage(false);
    // Left, top, right, bottom. The empty header and footer bands lie inside the top and bottom
    // margins, so they take nothing from the body.
    p.setPageMargins(QMarginsF(25, 25, 15, 25), QPageLayout::Millimeter);
    p.setMagnification(0);
    p.setWrapMode(QsciScintilla::WrapWord);

    // Black on white keeps the font styles (italic comments) but drops the colours; the line
    // number margin is printed whenever it is visible, so it goes for the print.
    const long colourMode = SendScintilla(SCI_GETPRINTCOLOURMODE);
    const int numberWidth = marginWidth(LineNumberMargin);
    SendScintilla(SCI_SETPRINTCOLOURMODE, SC_PRINT_BLACKONWHITE);
    setMarginWidth(LineNumberMargin, 0);
    // printRange() reports success even when the printer could not be opened, so open it here.
    QPainter painter;
    bool ok = painter.begin(&p);
    if (ok)
        ok = p.printRange(this, painter) && painter.end();
    setMarginWidth(LineNumberMargin, numberWidth);
    SendScintilla(SCI_SETPRINTCOLOURMODE, colourMode);
    return ok ? QString() : tr("Printing failed");
}

void TIniEdit::ClearAll() {
    SendScintilla(SCI_CLEARALL);
    markerDeleteAll();
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

int TIniEdit::LineCount() const {
    int n = lines();
    if (n > 0 && lineLength(n - 1) == 0)
        --n;
    return n;
}

bool TIniEdit::TrimTrailingBlanks() {
    bool any = false;
    const int count = lines();
    for (int line = 0; line < count; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        long keep = end;
        while (keep > start) {
            const long c = SendScintilla(SCI_GETCHARAT, keep - 1);
            if (c != ' ' && c != '\t')
                break;
            --keep;
        }
        if (keep == end)
            continue;
        if (!any)
            beginUndoAction();
        any = true;
        SendScintilla(SCI_DELETERANGE, keep, end - keep);
    }
    if (any)
        endUndoAction();
    return any;
}

int TIniEdit::SearchReplace(const QString& text, const QString& replacement,
                            TSearchOptions options) {
    if (text.isEmpty())
        return 0;
    const QByteArray what = text.toUtf8();
    const QByteArray with = replacement.toUtf8();
    int flags = 0;
    if (options & ssoMatchCase)
        flags |= SCFIND_MATCHCASE;
    if (options & ssoWholeWord)
        flags |= SCFIND_WHOLEWORD;
    SendScintilla(SCI_SETSEARCHFLAGS, flags);

    const bool back = options & ssoBackwards;
    const bool all = options & ssoReplaceAll;
    const bool replacing = all || (options & ssoReplace);
    const long selStart = SendScintilla(SCI_GETSELECTIONSTART);
    const long selEnd = SendScintilla(SCI_GETSELECTIONEND);
    // Find Next moves on from a match it selected; a replace takes that selected match first.
    long pos = replacing == back ? selEnd : selStart;

    int count = 0;
    if (all)
        beginUndoAction();
    for (;;) {
        const long docEnd = SendScintilla(SCI_GETLENGTH);
        SendScintilla(SCI_SETTARGETRANGE, pos, back ? 0L : docEnd);
        const long found = SendScintilla(SCI_SEARCHINTARGET,
                                         static_cast<unsigned long>(what.size()), what.constData());
        if (found < 0)
            break;
        ++count;
        if (!replacing) {
            const long end = SendScintilla(SCI_GETTARGETEND);
            if (back)
                SendScintilla(SCI_SETSEL, end, found);
            else
                SendScintilla(SCI_SETSEL, found, end);
            break;
        }
        SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(with.size()), with.constData());
        const long end = SendScintilla(SCI_GETTARGETEND);
        pos = back ? found : end;
        if (!all)
            break;
    }
    if (all)
        endUndoAction();
    if (replacing && count > 0)
        SendScintilla(SCI_GOTOPOS, pos);
    return count;
}

void TIniEdit::ToggleBookmark(int number) {
    if (number < 0 || number >= BookmarkCount)
        return;
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    const bool here = HasBookmark(number, line);
    markerDeleteAll(number); // a numbered bookmark marks one line at most
    if (here)
        return;
    // Drawing a glyph loads a font: an editor that never sets a bookmark never pays for one.
    if (!(m_glyphsDefined & (1u << number))) {
        markerDefine(BookmarkGlyph(number), number);
        m_glyphsDefined |= 1u << number;
    }
    markerAdd(line, number);
}

void TIniEdit::GotoBookmark(int number) {
    if (number < 0 || number >= BookmarkCount)
        return;
    const long line = SendScintilla(SCI_MARKERNEXT, 0L, 1L << number);
    if (line >= 0)
        setCursorPosition(static_cast<int>(line), 0);
}

bool TIniEdit::HasBookmark(int number, int line) const {
    return (markersAtLine(line) & (1u << number)) != 0;
}

void TIniEdit::RemoveOtherMarks(int line) {
    const unsigned mask = markersAtLine(line);
    for (int m = BookmarkCount; m < 32; ++m)
        if (mask & (1u << m))
            markerDelete(line, m);
}

void TIniEdit::SetLineNumbersVisible(bool visible) {
    setMarginWidth(LineNumberMargin, visible ? QStringLiteral("00000") : QString());
    if (!visible)
        setMarginWidth(LineNumberMargin, 0);
}

bool TIniEdit::LineNumbersVisible() const {
    return marginWidth(LineNumberMargin) > 0;
}

void TIniEdit::SetBackground(const QColor& color) {
    // Section headers keep their own paper; everything else takes the chosen colour.
    for (int style = 0; style < IniStyleCount; ++style)
        if (style != isSection)
            m_lexer->setPaper(color, style);
    m_lexer->setDefaultPaper(color);
    setPaper(color);
}

int TIniEdit::SmartTabWidth() const {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    if (line == 0)
        return -1;
    // Beyond the line end the blanks would land at the end, not at the caret: a plain tab then.
    if (SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0L) > 0)
        return -1;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long column = SendScintilla(SCI_GETCOLUMN, caret);
    // Columns of the line above, with its tabs expanded, so the blanks line up on screen.
    const long aboveStart = SendScintilla(SCI_POSITIONFROMLINE, line - 1);
    const long aboveEnd = SendScintilla(SCI_GETLINEENDPOSITION, line - 1);
    bool prevBlank = false;
    for (long p = aboveStart; p < aboveEnd;
         p = SendScintilla(SCI_POSITIONAFTER, static_cast<unsigned long>(p))) {
        const long col = SendScintilla(SCI_GETCOLUMN, p);
        const long c = SendScintilla(SCI_GETCHARAT, p);
        const bool blank = c == ' ' || c == '\t';
        if (!blank && prevBlank && col > column)
            return static_cast<int>(col - column);
        prevBlank = blank;
    }
    return -1;
}

bool TIniEdit::SmartBackspace() {
    if (hasSelectedText() || isReadOnly())
        return false;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0L) > 0)
        return false;
    const long line = SendScintilla(SCI_LINEFROMPOSITION, caret);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    if (caret == lineStart)
        return false;
    for (long p = lineStart; p < caret; ++p) {
        const long c = SendScintilla(SCI_GETCHARAT, p);
        if (c != ' ' && c != '\t')
            return false;
    }
    const long column = SendScintilla(SCI_GETCOLUMN, caret);
    for (long above = line - 1; above >= 0; --above) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, above);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, above);
        if (SendScintilla(SCI_GETLINEINDENTPOSITION, above) == end && end >= start)
            continue; // blank lines say nothing about indentation
        const long indent = SendScintilla(SCI_GETLINEINDENTATION, above);
        if (indent < column) {
            const long target = SendScintilla(SCI_FINDCOLUMN, line, indent);
            SendScintilla(SCI_SETSEL, target, caret);
            SendScintilla(SCI_REPLACESEL, "");
            return true;
        }
    }
    return false;
}

void TIniEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace && e->modifiers() == Qt::NoModifier && SmartBackspace()) {
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Tab && e->modifiers() == Qt::NoModifier && !hasSelectedText() &&
        !isReadOnly()) {
        const int blanks = SmartTabWidth();
        if (blanks > 0) {
            // REPLACESEL is recorded by the macro recorder like typed text.
            const QByteArray fill(blanks, ' ');
            SendScintilla(SCI_REPLACESEL, fill.constData());
            e->accept();
            return;
        }
    }
    QsciScintilla::keyPressEvent(e);
}

template <typename Handler> void TIniEdit::WithAltAsCtrl(QMouseEvent* e, Handler handler) {
    if (!(e->modifiers() & Qt::AltModifier)) {
        handler(e);
        return;
    }
    const Qt::KeyboardModifiers mods = (e->modifiers() & ~Qt::AltModifier) | Qt::ControlModifier;
    QMouseEvent mapped(e->type(), e->position(), e->scenePosition(), e->globalPosition(),
                       e->button(), e->buttons(), mods, e->source(), e->pointingDevice());
    mapped.setTimestamp(e->timestamp());
    handler(&mapped);
    e->setAccepted(mapped.isAccepted());
}

void TIniEdit::mousePressEvent(QMouseEvent* e) {
    WithAltAsCtrl(e, [this](QMouseEvent* m) { QsciScintilla::mousePressEvent(m); });
}

void TIniEdit::mouseMoveEvent(QMouseEvent* e) {
    WithAltAsCtrl(e, [this](QMouseEvent* m) { QsciScintilla::mouseMoveEvent(m); });
}

void TIniEdit::mouseReleaseEvent(QMouseEvent* e) {
    WithAltAsCtrl(e, [this](QMouseEvent* m) { QsciScintilla::mouseReleaseEvent(m); });
}

QStringList TIniEdit::LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

void TIniEdit::dragEnterEvent(QDragEnterEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) {
        e->acceptProposedAction();
        return;
    }
    QsciScintilla::dragEnterEvent(e);
}

void TIniEdit::dragMoveEvent(QDragMoveEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) {
        e->acceptProposedAction();
        return;
    }
    QsciScintilla::dragMoveEvent(e);
}

void TIniEdit::dropEvent(QDropEvent* e) {
    const QStringList files = LocalFiles(e->mimeData());
    if (!files.isEmpty()) {
        e->acceptProposedAction();
        emit FilesDropped(files);
        return;
    }
    QsciScintilla::dropEvent(e);
}

} // namespace qv
