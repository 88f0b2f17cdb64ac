// The formatted numeric field and its clickable units label. QvCustomEdit holds all the logic:
// it filters keystrokes, cleans, range-checks and re-formats the text when an entry ends, and
// converts the shown number when its unit changes; TFmtEdit is the class forms use. The field
// keeps no hidden number: its value is parsed from its text whenever it is read.
// TFmtEditLabel shows a field's unit and pops up the unit list when clicked.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <variant>

#include "units/QvConv.h"

namespace qv {

class TFmtEditLabel;

class QvCustomEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit QvCustomEdit(QWidget* parent = nullptr);
    ~QvCustomEdit() override;

    // Units and formatting properties. The plain ones are only stored; the units ones clamp
    // their index and run ApplyUnits at once.
    double rangeLo() const { return m_rangeLo; }
    void setRangeLo(double value) { m_rangeLo = value; }
    double rangeHi() const { return m_rangeHi; }
    void setRangeHi(double value) { m_rangeHi = value; }
    TUnitsType unitsType() const { return m_unitsType; }
    void setUnitsType(TUnitsType value);
    int unitsValue() const { return m_unitsValue; }
    void setUnitsValue(int value);
    int unitsBase() const { return m_unitsBase; }
    void setUnitsBase(int value);
    // Not owned. A TFmtEditLabel links the field into its list; a plain label only gets its
    // caption from ApplyUnits.
    QLabel* unitsLabel() const { return m_unitsLabel; }
    void setUnitsLabel(QLabel* label);
    TFormatType formatType() const { return m_formatType; }
    void setFormatType(TFormatType value) { m_formatType = value; }
    int sigDigs() const { return m_sigDigs; }
    void setSigDigs(int value) { m_sigDigs = value; }
    QString formatStr() const { return m_formatStr; }
    void setFormatStr(const QString& value) { m_formatStr = value; }

    double unitsFactor() const { return m_unitsFactor; }
    double unitsOffset() const { return m_unitsOffset; }
    int formatDecimals() const { return m_formatDecimals; }
    QString enteredText() const { return m_enteredText; }

    // The value in base units, or the text when it does not read as a number.
    std::variant<double, QString> GetValue() const;
    bool hasNumber() const { return std::holds_alternative<double>(GetValue()); }
    double valueOr(double fallback) const;
    // Shows a value given in base units, formatted in the shown unit (no range check).
    void SetValue(double value);
    // Re-derives factor, offset, format and label after a units property changed.
    void ApplyUnits();
    // Ends a pending entry as if the user had left the field: commit, OnExit, Modified cleared.
    void FinishEntry();
    // The field's name for assistive technology: the caption and, after a comma, the unit its
    // units label shows ("Power, kW"), renewed whenever the unit changes.
    void setAccessibleCaption(const QString& caption);
    QString accessibleCaption() const { return m_accessibleCaption; }

    // What the event handlers call; public so that the rules can be driven directly.
    // Key-down: OnKeyDown first (a key it sets to 0 is dropped), then the Backspace rule.
    // Returns true when the key is consumed (Backspace always is; its character still follows).
    bool KeyDown(int& key, Qt::KeyboardModifiers modifiers);
    // One typed character (8 Backspace, 13 Enter, 27 Escape, others as typed).
    void EnterChar(QChar c);

    virtual bool CanEditText() const { return true; }
    virtual void UndoEntry();
    // Cleans, range-checks and re-formats `text` into the field; false when the value had to
    // be brought into range. Text that is no number is left alone and counts as accepted.
    virtual bool ValidateText(const QString& text);
    virtual void EntryRejected();
    virtual void CommitEntry();

    // Runs before anything else on key-down; setting the key to 0 consumes it.
    std::function<void(QvCustomEdit* sender, int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // Runs first on every typed character; it may change the character or clear it (QChar()).
    std::function<void(QvCustomEdit* sender, QChar& key)> OnKeyPress;

    // The default beep of refused keys and out-of-range values. Tests replace it to count.
    static std::function<void()> Beep;

  signals:
    void OnEnter(qv::QvCustomEdit* sender);
    void OnExit(qv::QvCustomEdit* sender);
    // After the user picked a unit from the pop-up list.
    void OnUnitsEdited(qv::QvCustomEdit* sender);

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void Beeped() const;
    void EnterField();
    void LeaveField();
    // Replaces the text only where it differs, so an unchanged text keeps caret and undo.
    void ReplaceText(const QString& text);
    void RenameForAssistiveTech();

    QString m_enteredText;
    QString m_accessibleCaption;
    double m_rangeLo = 0;
    double m_rangeHi = 0;
    TUnitsType m_unitsType = utNone;
    int m_unitsValue = 0;
    int m_unitsBase = 0;
    double m_unitsFactor = 1;
    double m_unitsOffset = 0;
    // Guarded: a plain label may be destroyed without telling the field.
    QPointer<QLabel> m_unitsLabel;
    int m_formatDecimals = 0;
    TFormatType m_formatType = ft_Fixed;
    int m_sigDigs = 5;
    QString m_formatStr = QStringLiteral("%0.1f");
    // True between entering the field and leaving it; a focus change of the whole window
    // (another window activated, a pop-up opened) is no entry and no exit.
    bool m_inEntry = false;
};

class TFmtEdit : public QvCustomEdit {
    Q_OBJECT

  public:
    using QvCustomEdit::QvCustomEdit;
};

class TFmtEditLabel : public QLabel {
    Q_OBJECT

  public:
    explicit TFmtEditLabel(QWidget* parent = nullptr);
    explicit TFmtEditLabel(const QString& text, QWidget* parent = nullptr);
    // Unlinks every field, last first, so none keeps a dangling label.
    ~TFmtEditLabel() override;

    // Appends the field unless it is linked already; returns its position.
    int AddEdit(QvCustomEdit* edit);
    void RemoveEdit(QvCustomEdit* edit);
    const QList<QvCustomEdit*>& LinkedEdits() const { return m_linkedEdits; }

    // Pops up the unit list of the first linked field, applies the choice to every linked
    // field in link order, then emits OnClick.
    void Click();

  signals:
    void OnClick();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    QList<QvCustomEdit*> m_linkedEdits;
};

} // namespace qv
