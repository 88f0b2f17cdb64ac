// The formatted numeric field and its units label: the widget side of the rules in
// QvEditRules, and the click that pops up the unit list.
#include "units/QvFmtEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <memory>

#include "units/QvEditRules.h"
#include "units/QvUnitsForm.h"
#include "units/QvUnitsLabelAccessible_p.h"

namespace qv {

std::function<void()> QvCustomEdit::Beep = [] { QApplication::beep(); };

QvCustomEdit::QvCustomEdit(QWidget* parent) : QLineEdit(parent) {
    // Every character must pass the key filter: no input-method commits, no dropped text.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    setText(QStringLiteral("0.0"));
}

QvCustomEdit::~QvCustomEdit() {
    setUnitsLabel(nullptr);
}

void QvCustomEdit::setUnitsType(TUnitsType value) {
    m_unitsType = value;
    m_unitsValue = ClampUnitIndex(value, m_unitsValue);
    m_unitsBase = ClampUnitIndex(value, m_unitsBase);
    ApplyUnits();
}

void QvCustomEdit::setUnitsValue(int value) {
    m_unitsValue = ClampUnitIndex(m_unitsType, value);
    ApplyUnits();
}

void QvCustomEdit::setUnitsBase(int value) {
    m_unitsBase = ClampUnitIndex(m_unitsType, value);
    ApplyUnits();
}

void QvCustomEdit::setUnitsLabel(QLabel* label) {
    auto* current = qobject_cast<TFmtEditLabel*>(m_unitsLabel.data());
    // Leaving a units label, also for another one, so no label keeps a field it does not show.
    if (current && current != label)
        current->RemoveEdit(this);
    m_unitsLabel = label;
    if (auto* units = qobject_cast<TFmtEditLabel*>(label)) {
        units->AddEdit(this);
        setUnitsValue(m_unitsValue);
    }
}

std::variant<double, QString> QvCustomEdit::GetValue() const {
    const QString t = text();
    if (std::optional<double> v = TextToBaseValue(t.toStdString(), m_unitsFactor, m_unitsOffset))
        return *v;
    return t;
}

double QvCustomEdit::valueOr(double fallback) const {
    std::variant<double, QString> v = GetValue();
    if (const double* d = std::get_if<double>(&v))
        return *d;
    return fallback;
}

void QvCustomEdit::SetValue(double value) {
    std::string shown;
    try {
        const double y = ConvertToUnit(value, m_unitsFactor, m_unitsOffset);
        shown =
            FormatValue(y, m_formatType, m_formatStr.toStdString(), m_sigDigs, m_formatDecimals);
    } catch (const std::exception&) {
        shown.clear();
    }
    setText(QString::fromStdString(shown));
}

void QvCustomEdit::ApplyUnits() {
    std::variant<double, QString> current = GetValue();
    const double* v = std::get_if<double>(&current);
    if (!v)
        return;
    const double value = *v;
    std::string label;
    std::string format;
    double factor = m_unitsFactor;
    double offset = m_unitsOffset;
    try {
        GetUnitInfo(m_unitsType, m_unitsValue, m_unitsBase, label, factor, offset, format);
    } catch (const std::exception&) {
        return;
    }
    m_unitsFactor = factor;
    m_unitsOffset = offset;
    if (m_formatType != ft_Manual)
        m_formatStr = QString::fromStdString(format);
    m_formatDecimals = DecimalsOfFormat(m_formatStr.toStdString());
    if (m_unitsLabel)
        m_unitsLabel->setText(QString::fromStdString(label));
    RenameForAssistiveTech();
    SetValue(value);
}

void QvCustomEdit::setAccessibleCaption(const QString& caption) {
    m_accessibleCaption = caption;
    RenameForAssistiveTech();
}

void QvCustomEdit::RenameForAssistiveTech() {
    if (m_accessibleCaption.isEmpty())
        return;
    const QString unit = m_unitsLabel ? m_unitsLabel->text() : QString();
    setAccessibleName(unit.isEmpty() ? m_accessibleCaption : m_accessibleCaption + ", " + unit);
}

void QvCustomEdit::FinishEntry() {
    CommitEntry();
    emit OnExit(this);
    setModified(false);
}

void QvCustomEdit::Beeped() const {
    if (Beep)
        Beep();
}

void QvCustomEdit::ReplaceText(const QString& t) {
    if (text() != t)
        setText(t);
}

bool QvCustomEdit::KeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    if (OnKeyDown) {
        OnKeyDown(this, key, modifiers);
        if (key == 0)
            return true;
    }
    if (key != Qt::Key_Backspace)
        return false;
    // Only the one character before the selection start goes, even with a selection; the
    // control's own Backspace never runs. A read-only field keeps its text.
    const int s = hasSelectedText() ? selectionStart() : cursorPosition();
    if (s > 0 && !isReadOnly() && CanEditText()) {
        QString t = text();
        t.remove(s - 1, 1);
        setText(t);
        setCursorPosition(s - 1);
    }
    return true;
}

void QvCustomEdit::EnterChar(QChar c) {
    if (c.unicode() == 27) {
        UndoEntry();
        return;
    }
    if (isReadOnly() || !CanEditText())
        return;
    if (c.unicode() == 8) {
        setModified(true);
        return;
    }
    if (c.unicode() == 13) {
        CommitEntry();
        return;
    }
    // A selection of two or more characters goes before the character is judged, so even a
    // refused key clears it.
    if (hasSelectedText() && selectedText().size() >= 2) {
        const int start = selectionStart();
        QString t = text();
        t.remove(start, selectedText().size());
        setText(t);
        setCursorPosition(start);
    }
    setModified(true);
    if (!IsAllowedEntryChar(c.unicode(), m_formatStr.toStdString())) {
        Beeped();
        return;
    }
    insert(QString(c));
    setModified(true);
}

void QvCustomEdit::UndoEntry() {
    if (!isModified())
        return;
    ReplaceText(m_enteredText);
    setModified(false);
}

bool QvCustomEdit::ValidateText(const QString& t) {
    TFieldFormat format;
    format.formatType = m_formatType;
    format.formatStr = m_formatStr.toStdString();
    format.sigDigs = m_sigDigs;
    format.formatDecimals = m_formatDecimals;
    format.rangeLo = m_rangeLo;
    format.rangeHi = m_rangeHi;
    format.factor = m_unitsFactor;
    format.offset = m_unitsOffset;
    TValidation result = ValidateEntryText(t.toStdString(), format);
    if (!result.changed)
        return true;
    ReplaceText(QString::fromStdString(result.text));
    setModified(true);
    return result.ok;
}

void QvCustomEdit::EntryRejected() {
    Beeped();
}

void QvCustomEdit::CommitEntry() {
    if (!isModified())
        return;
    if (!ValidateText(text())) {
        setFocus(Qt::OtherFocusReason);
        setModified(true);
        EntryRejected();
    }
}

void QvCustomEdit::EnterField() {
    emit OnEnter(this);
    setModified(false);
    m_enteredText = text();
}

void QvCustomEdit::LeaveField() {
    CommitEntry();
    emit OnExit(this);
}

bool QvCustomEdit::event(QEvent* e) {
    // While an entry is pending the field claims Escape, so it undoes the entry instead of
    // closing a dialog or reaching a window shortcut.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Escape && isModified()) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void QvCustomEdit::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    KeyDown(key, mods);
    if (key == 0) {
        e->accept();
        return;
    }
    // The unit list without a mouse: F4 or Alt+Down, the keys that open a drop-down list.
    auto* units = qobject_cast<TFmtEditLabel*>(m_unitsLabel.data());
    if (units && (key == Qt::Key_F4 || (key == Qt::Key_Down && (mods & Qt::AltModifier)))) {
        e->accept();
        units->Click();
        return;
    }

    // The character the key types, if any; keys that type nothing go to the control.
    QChar c;
    switch (key) {
    case Qt::Key_Backspace:
        c = QChar(8);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        c = QChar(13);
        break;
    case Qt::Key_Escape:
        c = QChar(27);
        break;
    default:
        if (key >= Qt::Key_Escape || (mods & Qt::AltModifier)) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        if ((mods & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
            c = QChar(key - Qt::Key_A + 1);
        else if (!e->text().isEmpty())
            c = e->text().at(0);
        else {
            QLineEdit::keyPressEvent(e);
            return;
        }
    }

    if (OnKeyPress) {
        OnKeyPress(this, c);
        if (c.isNull()) {
            e->accept();
            return;
        }
    }
    const ushort code = c.unicode();
    if (code == 3 || code == 22 || code == 24) {
        // Copy, paste and cut are the control's own; pasted text is not filtered.
        QLineEdit::keyPressEvent(e);
        return;
    }
    // Nothing to undo: let Escape reach the window (a dialog's cancel).
    if (code == 27 && !isModified()) {
        e->ignore();
        return;
    }
    EnterChar(c);
    e->accept();
}

void QvCustomEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (m_inEntry)
        return;
    m_inEntry = true;
    EnterField();
}

void QvCustomEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (!m_inEntry || e->reason() == Qt::ActiveWindowFocusReason ||
        e->reason() == Qt::PopupFocusReason)
        return;
    m_inEntry = false;
    LeaveField();
}

// --- TFmtEditLabel -----------------------------------------------------------------------------

TFmtEditLabel::TFmtEditLabel(QWidget* parent) : QLabel(parent) {
    InstallUnitsLabelAccessible();
}

TFmtEditLabel::TFmtEditLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    InstallUnitsLabelAccessible();
}

TFmtEditLabel::~TFmtEditLabel() {
    while (!m_linkedEdits.isEmpty()) {
        QvCustomEdit* edit = m_linkedEdits.last();
        edit->setUnitsLabel(nullptr);
        // A field that linked itself by AddEdit alone would not remove itself.
        m_linkedEdits.removeOne(edit);
    }
}

int TFmtEditLabel::AddEdit(QvCustomEdit* edit) {
    const qsizetype at = m_linkedEdits.indexOf(edit);
    if (at >= 0)
        return static_cast<int>(at);
    m_linkedEdits.append(edit);
    return static_cast<int>(m_linkedEdits.size() - 1);
}

void TFmtEditLabel::RemoveEdit(QvCustomEdit* edit) {
    m_linkedEdits.removeOne(edit);
}

void TFmtEditLabel::Click() {
    if (!m_linkedEdits.isEmpty()) {
        // Freed however the choice ends.
        auto form = std::make_unique<TUnitsForm>();
        form->ClientEdit = m_linkedEdits.first();
        form->move(QCursor::pos() + QPoint(5, 5));
        form->FillList();
        QPointer<TFmtEditLabel> self(this);
        form->exec();
        // The modal loop runs every other event; the label may have gone with its window.
        if (!self)
            return;
        const int index = form->ListBox1->currentRow();
        // A field may go away while its OnUnitsEdited runs; only live ones are touched.
        QList<QPointer<QvCustomEdit>> edits;
        for (QvCustomEdit* edit : m_linkedEdits)
            edits.append(edit);
        for (const QPointer<QvCustomEdit>& edit : edits) {
            if (!edit)
                continue;
            edit->setUnitsValue(index);
            emit edit->OnUnitsEdited(edit);
        }
    }
    emit OnClick();
}

void TFmtEditLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Click();
}

} // namespace qv
