// Cell editors of the schedule table (see QvScheduleDelegate.h).
#include "schedulewindow/QvScheduleDelegate.h"

#include "iec/QvIecNames.h"
#include "schedulewindow/QvScheduleModel.h"
#include "text/QvNumberText.h"
#include "units/QvFmtEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace qv {

namespace {

// The main window holds power and length between 0 and these (kW, m); the schedule's fields
// take what it takes.
constexpr double kQuantityRangeHi = 1e6;

// The number of a quantity's text: up to its last digit.
QString NumberPart(const QString& text) {
    for (qsizetype i = text.size(); i > 0; --i)
        if (text[i - 1].isDigit())
            return text.left(i).trimmed();
    return text.trimmed();
}

QComboBox* ChoiceEditor(const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

// An installation value's list: each item shows a text and writes its cell (item data). The
// first item writes an empty cell, which takes the default.
QComboBox* NamedEditor(const QString& empty, const std::vector<std::pair<QString, QString>>& items,
                       QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItem(empty, QString());
    for (const auto& [shown, cell] : items)
        box->addItem(shown, cell);
    box->setProperty("named", true);
    return box;
}

template <std::size_t N>
std::vector<std::pair<QString, QString>> Names(const char* const (&names)[N]) {
    std::vector<std::pair<QString, QString>> items;
    for (const char* n : names)
        items.emplace_back(QString::fromUtf8(n), QString::fromUtf8(n));
    return items;
}

// What a named cell means, so that a list left as it was rewrites no cell that says the same in
// other words ("xlpe", "Circuit Breaker"); -1 for text that names nothing, -2 for an empty cell.
int Meaning(TColumn kind, const QString& cell) {
    const std::string text = cell.trimmed().toStdString();
    if (text.empty())
        return -2;
    std::optional<int> v;
    switch (kind) {
    case TColumn::Method:
        if (const auto m = iec::ParseMethod(text))
            v = static_cast<int>(*m);
        break;
    case TColumn::Insulation:
        if (const auto m = iec::ParseInsulation(text))
            v = static_cast<int>(*m);
        break;
    case TColumn::Arrangement:
        if (const auto m = iec::ParseArrangement(text))
            v = static_cast<int>(*m);
        break;
    case TColumn::Device:
        if (const auto m = iec::ParseDevice(text))
            v = *m == iec::TDevice::None ? -2 : static_cast<int>(*m);
        break;
    default:
        break;
    }
    return v.value_or(-1);
}

// How an installation number is written in its cell.
QString NumberFormat(TColumn kind) {
    switch (kind) {
    case TColumn::GroupedCircuits:
        return QStringLiteral("%0.0f");
    case TColumn::Ambient:
    case TColumn::Voltage:
        return QStringLiteral("%0.1f");
    default:
        return QStringLiteral("%0.2f");
    }
}

// On Linux a drop-down list's name is its value; a screen reader names the list by the label that
// it is the buddy of. The label stands beside the list unseen, and goes with it.
void NameList(QComboBox* box, const QString& name) {
    auto* label = new QLabel(name, box->parentWidget());
    label->setBuddy(box);
    label->hide();
    QObject::connect(box, &QObject::destroyed, label, &QObject::deleteLater);
    box->setAccessibleName(name);
}

} // namespace

TQuantityEditor::TQuantityEditor(TUnitsType type, QWidget* parent, int unit, bool decimalComma)
    : QWidget(parent), m_type(type), m_unit(unit), m_decimalComma(decimalComma) {
    Number = new TFmtEdit(this);
    Number->setObjectName(QStringLiteral("Number"));
    // Set up as the main window sets up its power and length fields.
    Number->setFormatStr(QStringLiteral("%0.3f"));
    Number->setFormatType(ft_Fixed);
    Number->setSigDigs(5);
    Number->setUnitsType(type);
    Number->setUnitsBase(0);
    Number->setUnitsValue(0);
    Number->setRangeLo(0);
    Number->setRangeHi(kQuantityRangeHi);
    Number->setFrame(false);

    Unit = new QComboBox(this);
    Unit->setObjectName(QStringLiteral("Unit"));
    for (int i = 0; i < UnitCount(type); ++i)
        Unit->addItem(QString::fromStdString(UnitLabel(type, i)));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(Number, 1);
    row->addWidget(Unit);
    setFocusProxy(Number);
    setAutoFillBackground(true);

    Number->installEventFilter(this);
    Unit->installEventFilter(this);
    connect(Number, &QLineEdit::textEdited, this, [this] {
        m_touched = true;
        m_typed = true;
        m_base.reset();
    });
    connect(Unit, &QComboBox::activated, this, &TQuantityEditor::PickUnit);
}

void TQuantityEditor::SetColumnName(const QString& name) {
    m_name = name;
    setAccessibleName(name);
    NameList(Unit, name + QStringLiteral(" unit"));
    NameFields();
}

void TQuantityEditor::SetFixedUnit(const char* unit, const QString& format) {
    m_fixedUnit = unit;
    // Its own format, which no unit's replaces.
    Number->setFormatType(ft_Manual);
    Number->setFormatStr(format);
    // Nothing to pick: the unit, if any, is the column's.
    Unit->hide();
    NameFields();
}

void TQuantityEditor::NameFields() {
    if (m_name.isEmpty())
        return;
    const QString unit = UnitCount(m_type) > 0 ? Unit->currentText()
                         : m_fixedUnit         ? QString::fromUtf8(m_fixedUnit)
                                               : QString();
    Number->setAccessibleName(unit.isEmpty() ? m_name : m_name + QStringLiteral(", ") + unit);
}

void TQuantityEditor::PickUnit(int index) {
    m_touched = true;
    NameFields();
    if (!m_typed && Number->hasNumber()) {
        Number->setUnitsValue(index);
        return;
    }
    // Typed text (a number or not) keeps its digits: the unit is the one they were meant in.
    // The field converts only a number, so it is given one while it takes up the unit.
    const QString kept = Number->text();
    Number->setText(QStringLiteral("0"));
    Number->setUnitsValue(index);
    Number->setText(kept);
    // Still an entry: leaving the field cleans and checks it in its new unit.
    Number->setModified(true);
}

void TQuantityEditor::ShowUnits() {
    if (UnitCount(m_type) > 0)
        Unit->showPopup();
}

void TQuantityEditor::SetText(const QString& text) {
    const std::string t = text.toStdString();
    const int unit = std::max(0, QuantityUnit(t, m_type, m_unit));
    Unit->setCurrentIndex(unit);
    NameFields();
    // The field needs a number to take up a unit's factor and format.
    Number->setText(QStringLiteral("0"));
    Number->setUnitsValue(unit);
    m_base.reset();
    try {
        m_base = UnitCount(m_type) > 0 ? ParseQuantity(t, m_type, "", m_unit, m_decimalComma)
                                       : ParseFixedQuantity(t, m_fixedUnit, "", m_decimalComma);
        Number->SetValue(*m_base);
    } catch (const EScheduleError&) {
        Number->setText(NumberPart(text));
    }
    Number->setModified(false);
    m_touched = false;
    m_typed = false;
}

QString TQuantityEditor::Text() {
    const int unit = Unit->currentIndex();
    // A number of one unit is written alone: the column's title says its unit.
    const QString label = UnitCount(m_type) > 0
                              ? QLatin1Char(' ') + QString::fromStdString(UnitLabel(m_type, unit))
                              : QString();
    if (m_base && !m_typed) {
        // Only the unit changed: the value as it was, to the last digit, not the field's
        // rounded text (20 kW in HP and back is 20 kW, not 19.9998).
        std::string name, format, number;
        double factor = 1, offset = 0;
        GetUnitInfo(m_type, unit, 0, name, factor, offset, format);
        AppendNumber(number, ConvertToUnit(*m_base, factor, offset));
        return QString::fromStdString(number) + label;
    }
    Number->CommitEntry();
    const QString number = Number->text().trimmed();
    if (number.isEmpty())
        return {};
    return number + label;
}

bool TQuantityEditor::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(e);
        const int key = press->key();
        // The keys that open a drop-down list, and the menu key, reach the units from the field.
        const bool alt = press->modifiers() & Qt::AltModifier;
        if (watched == Number && (key == Qt::Key_F4 || key == Qt::Key_Menu ||
                                  (alt && (key == Qt::Key_Down || key == Qt::Key_Up)))) {
            ShowUnits();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit Done();
            return true;
        }
        if (key == Qt::Key_Escape) {
            emit Cancelled();
            return true;
        }
    } else if (e->type() == QEvent::ContextMenu && watched == Number &&
               static_cast<QContextMenuEvent*>(e)->reason() == QContextMenuEvent::Keyboard) {
        ShowUnits();
        return true;
    } else if (e->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        // The unit list's pop-up and another window taking the focus for a moment end nothing.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            QWidget* w = QApplication::focusWidget();
            while (w && w != this)
                w = w->parentWidget();
            if (!w)
                emit Done();
        }
    }
    return QWidget::eventFilter(watched, e);
}

QWidget* TScheduleDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    const auto* model = qobject_cast<const TScheduleModel*>(index.model());
    const TColumn kind = model ? model->ColumnKind(index.column()) : TColumn::Other;
    // An editor stands where the cell was: a screen reader names it after the cell's column.
    const QString column = index.model()->headerData(index.column(), Qt::Horizontal).toString();
    QComboBox* choice = nullptr;
    switch (kind) {
    case TColumn::Material: {
        QStringList names;
        for (const MaterialRec& m : model->Sizer().Data().Materials)
            names << QString::fromStdString(m.Name);
        choice = ChoiceEditor(names, parent);
        break;
    }
    case TColumn::LoadType:
        choice = ChoiceEditor(
            {QString::fromStdString(LoadTypeNames[0]), QString::fromStdString(LoadTypeNames[1])},
            parent);
        break;
    case TColumn::Phase:
        choice = ChoiceEditor(
            {QString::fromStdString(PhaseNames[0]), QString::fromStdString(PhaseNames[1])}, parent);
        break;
    case TColumn::Method: {
        std::vector<std::pair<QString, QString>> methods;
        for (iec::TMethod m : iec::kMethods)
            methods.emplace_back(QString::fromUtf8(iec::MethodName(m)) + QStringLiteral(": ") +
                                     QString::fromUtf8(iec::MethodDescription(m)),
                                 QString::fromUtf8(iec::MethodName(m)));
        choice = NamedEditor(QStringLiteral("none (no IEC answer)"), methods, parent);
        break;
    }
    case TColumn::Insulation:
        choice = NamedEditor(QStringLiteral("default (PVC)"), Names(iec::kInsulationNames), parent);
        break;
    case TColumn::Arrangement:
        choice = NamedEditor(QStringLiteral("default for the method"),
                             Names(iec::kArrangementNames), parent);
        break;
    case TColumn::Device:
        choice = NamedEditor(QStringLiteral("none"), Names(iec::kDeviceNames), parent);
        break;
    case TColumn::Power:
    case TColumn::Length:
    case TColumn::Ambient:
    case TColumn::SoilResistivity:
    case TColumn::GroupedCircuits:
    case TColumn::DeviceRating:
    case TColumn::Voltage:
    case TColumn::PowerFactor:
    case TColumn::MaxDrop:
    case TColumn::FaultCurrent:
    case TColumn::FaultTime: {
        const TUnitsType type = ColumnUnitsType(kind);
        auto* editor = new TQuantityEditor(type, parent, model->Layout().UnitOf(kind),
                                           model->Layout().DecimalComma());
        if (UnitCount(type) == 0)
            editor->SetFixedUnit(ColumnUnit(kind), NumberFormat(kind));
        else if (kind == TColumn::Ambient)
            editor->Number->setRangeLo(-kQuantityRangeHi); // below 0 °C is a temperature too
        editor->SetColumnName(column);
        // Each editor says once that it is done; the view then closes it.
        connect(editor, &TQuantityEditor::Done, this, [this, editor] {
            if (editor->property("closing").toBool())
                return;
            editor->setProperty("closing", true);
            emit const_cast<TScheduleDelegate*>(this)->commitData(editor);
            emit const_cast<TScheduleDelegate*>(this)->closeEditor(editor);
        });
        connect(editor, &TQuantityEditor::Cancelled, this, [this, editor] {
            if (editor->property("closing").toBool())
                return;
            editor->setProperty("closing", true);
            emit const_cast<TScheduleDelegate*>(this)->closeEditor(
                editor, QAbstractItemDelegate::RevertModelCache);
        });
        return editor;
    }
    default: {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->setAccessibleName(column);
        return editor;
    }
    }
    NameList(choice, column);
    // A choice from the list is the whole edit.
    connect(choice, &QComboBox::activated, this, [this, choice] {
        emit const_cast<TScheduleDelegate*>(this)->commitData(choice);
        emit const_cast<TScheduleDelegate*>(this)->closeEditor(choice);
    });
    return choice;
}

void TScheduleDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* quantity = qobject_cast<TQuantityEditor*>(editor)) {
        quantity->SetText(text);
    } else if (auto* choice = qobject_cast<QComboBox*>(editor)) {
        if (choice->property("named").toBool()) {
            // The item written as the cell is, or else one that means the same.
            const TColumn kind =
                static_cast<const TScheduleModel*>(index.model())->ColumnKind(index.column());
            int at = choice->findData(text.trimmed(), Qt::UserRole, Qt::MatchFixedString);
            for (int i = 0; at < 0 && i < choice->count(); ++i)
                if (Meaning(kind, choice->itemData(i).toString()) == Meaning(kind, text))
                    at = i;
            choice->setCurrentIndex(at);
        } else {
            choice->setCurrentIndex(choice->findText(text.trimmed(), Qt::MatchFixedString));
        }
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
}

void TScheduleDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* quantity = qobject_cast<TQuantityEditor*>(editor)) {
        // Opening and leaving the editor must not rewrite the text the file had.
        if (quantity->Touched())
            model->setData(index, quantity->Text());
    } else if (auto* choice = qobject_cast<QComboBox*>(editor)) {
        if (choice->property("named").toBool()) {
            const TColumn kind =
                static_cast<const TScheduleModel*>(model)->ColumnKind(index.column());
            const QString chosen = choice->currentData().toString();
            if (choice->currentIndex() >= 0 && Meaning(kind, chosen) != Meaning(kind, text))
                model->setData(index, chosen);
            return;
        }
        const QString chosen = choice->currentText();
        if (choice->currentIndex() >= 0 && chosen.compare(text.trimmed(), Qt::CaseInsensitive) != 0)
            model->setData(index, chosen);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}

void TScheduleDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    QRect r = option.rect;
    // A narrow column still gets a usable number field beside its unit list.
    r.setWidth(std::max(r.width(), editor->sizeHint().width()));
    editor->setGeometry(r);
    (void)index;
}

} // namespace qv
