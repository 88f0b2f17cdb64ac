// The modeless find and replace dialogs of the INI editor (one class, two layouts), standing in
// for the system's common find and replace dialogs.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv {

class TFindDialog : public QDialog {
    Q_OBJECT
  public:
    enum class TKind { Find, Replace };
    TFindDialog(TKind kind, QWidget* parent = nullptr);

    TKind Kind() const { return m_kind; }
    QString FindText() const;
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    void SetReplaceText(const QString& text);
    // "Down" off means search upwards; the replace dialog always searches down.
    bool Down() const;
    void SetDown(bool down);
    bool MatchCase() const;
    void SetMatchCase(bool on);
    bool WholeWord() const;
    void SetWholeWord(bool on);

  signals:
    void FindNext();
    void Replace();
    void ReplaceAll();

  private:
    void UpdateButtons();

    TKind m_kind;
    QLineEdit* m_find;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext;
    QPushButton* m_replaceOne = nullptr;
    QPushButton* m_replaceAll = nullptr;
};

} // namespace qv
