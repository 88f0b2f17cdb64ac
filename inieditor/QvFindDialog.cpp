// The modeless find and replace dialogs of the INI editor.
#include "inieditor/QvFindDialog_p.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {

TFindDialog::TFindDialog(TKind kind, QWidget* parent) : QDialog(parent), m_kind(kind) {
    const bool replace = kind == TKind::Replace;
    setObjectName(replace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    setModal(false);

    auto* fields = new QFormLayout;
    m_find = new QLineEdit(this);
    fields->addRow(tr("Fi&nd what:"), m_find);
    if (replace) {
        m_replace = new QLineEdit(this);
        fields->addRow(tr("Re&place with:"), m_replace);
    }
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);

    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    options->addLayout(checks);
    if (!replace) {
        auto* direction = new QGroupBox(tr("Direction"), this);
        auto* dirLayout = new QHBoxLayout(direction);
        m_up = new QRadioButton(tr("&Up"), direction);
        m_down = new QRadioButton(tr("&Down"), direction);
        dirLayout->addWidget(m_up);
        dirLayout->addWidget(m_down);
        options->addWidget(direction);
        m_down->setChecked(true);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    m_findNext = new QPushButton(tr("&Find Next"), this);
    m_findNext->setDefault(true);
    buttons->addWidget(m_findNext);
    connect(m_findNext, &QPushButton::clicked, this, &TFindDialog::FindNext);
    if (replace) {
        m_replaceOne = new QPushButton(tr("&Replace"), this);
        m_replaceAll = new QPushButton(tr("Replace &All"), this);
        buttons->addWidget(m_replaceOne);
        buttons->addWidget(m_replaceAll);
        connect(m_replaceOne, &QPushButton::clicked, this, &TFindDialog::Replace);
        connect(m_replaceAll, &QPushButton::clicked, this, &TFindDialog::ReplaceAll);
    }
    auto* cancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_find, &QLineEdit::textChanged, this, &TFindDialog::UpdateButtons);
    UpdateButtons();
}

void TFindDialog::UpdateButtons() {
    const bool any = !m_find->text().isEmpty();
    m_findNext->setEnabled(any);
    if (m_replaceOne) {
        m_replaceOne->setEnabled(any);
        m_replaceAll->setEnabled(any);
    }
}

QString TFindDialog::FindText() const {
    return m_find->text();
}
void TFindDialog::SetFindText(const QString& text) {
    m_find->setText(text);
}
QString TFindDialog::ReplaceText() const {
    return m_replace ? m_replace->text() : QString();
}
void TFindDialog::SetReplaceText(const QString& text) {
    if (m_replace)
        m_replace->setText(text);
}
bool TFindDialog::Down() const {
    return m_down ? m_down->isChecked() : true;
}
void TFindDialog::SetDown(bool down) {
    if (m_down)
        (down ? m_down : m_up)->setChecked(true);
}
bool TFindDialog::MatchCase() const {
    return m_matchCase->isChecked();
}
void TFindDialog::SetMatchCase(bool on) {
    m_matchCase->setChecked(on);
}
bool TFindDialog::WholeWord() const {
    return m_wholeWord->isChecked();
}
void TFindDialog::SetWholeWord(bool on) {
    m_wholeWord->setChecked(on);
}

} // namespace qv
