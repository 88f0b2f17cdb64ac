#include "tests/testsupport/AccessibleWalk.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QAccessible>
#include <QAction>
#include <QHash>
#include <QSet>
#include <QWidget>

namespace qv::test {

namespace {

// The parts of a view whose text is the data they show; an empty cell is no fault.
bool IsContent(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Cell:
    case QAccessible::ListItem:
    case QAccessible::TreeItem:
    case QAccessible::Row:
    case QAccessible::RowHeader:
    case QAccessible::StaticText:
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::Client:
    case QAccessible::ScrollBar:
        return true;
    default:
        return false;
    }
}

// A drop-down list's own name is its value on Linux; a screen reader names it by the label it is
// labelled by.
QString HeardName(QAccessibleInterface* iface) {
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    for (const auto& [label, relation] : iface->relations(QAccessible::Label))
        if (label)
            return label->text(QAccessible::Name);
    return QString();
}

QString Describe(QAccessibleInterface* iface) {
    QObject* object = iface->object();
    QString what = object ? QString::fromLatin1(object->metaObject()->className()) : "item";
    if (object && !object->objectName().isEmpty())
        what += " " + object->objectName();
    return what + " (role " + QString::number(int(iface->role()), 16) + ")";
}

// What a control does: its action when it runs one, else itself.
const void* Identity(QAccessibleInterface* iface) {
    if (auto* button = qobject_cast<QAbstractButton*>(iface->object()))
        for (QAction* action : button->actions())
            return action;
    return iface->object() ? static_cast<const void*>(iface->object())
                           : static_cast<const void*>(iface);
}

struct TWalk {
    QStringList problems;
    QHash<QString, QSet<const void*>> named;
    QHash<QString, QString> firstOfName;

    void Visit(QAccessibleInterface* iface, int depth) {
        if (!iface || !iface->isValid() || depth > 64)
            return;
        const QAccessible::State state = iface->state();
        if (state.invisible)
            return;
        const QAccessible::Role role = iface->role();
        const QAccessibleActionInterface* actions = iface->actionInterface();
        const bool acts = actions && !actions->actionNames().isEmpty();
        const bool control =
            role == QAccessible::ColumnHeader || (!IsContent(role) && (state.focusable || acts));
        if (control) {
            const QString name = HeardName(iface).trimmed();
            if (name.isEmpty())
                problems << Describe(iface) + ": no name";
            else if (role != QAccessible::ColumnHeader) {
                QSet<const void*>& users = named[name.toLower()];
                users.insert(Identity(iface));
                if (users.size() == 2)
                    problems << "\"" + name + "\" names both " + firstOfName[name.toLower()] +
                                    " and " + Describe(iface);
                firstOfName.insert(name.toLower(), Describe(iface));
            }
        }
        for (int i = 0; i < iface->childCount(); ++i)
            Visit(iface->child(i), depth + 1);
    }
};

// The letter after a lone '&' ("&Save" gives s), or none.
QString Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text.mid(i + 1, 1).toLower();
    }
    return {};
}

// Two visible buttons, or labels that lead to a control, with the same underlined letter: the
// letter would only move between them.
QStringList SharedLetters(QWidget* window) {
    QStringList problems;
    QHash<QString, QString> owner;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            text = label->text();
        const QString letter = Mnemonic(text);
        if (letter.isEmpty())
            continue;
        if (owner.contains(letter))
            problems << "letter " + letter + " of \"" + text + "\" is also \"" + owner[letter] +
                            "\"";
        else
            owner.insert(letter, text);
    }
    return problems;
}

} // namespace

QStringList AccessibilityProblems(QWidget* window) {
    TWalk walk;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    if (!root)
        return {"no accessible interface for the window"};
    for (int i = 0; i < root->childCount(); ++i)
        walk.Visit(root->child(i), 1);
    // An open cell editor is no child of its table's cells: it is walked on its own.
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        for (QWidget* editor : view->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (editor->isVisibleTo(window))
                walk.Visit(QAccessible::queryAccessibleInterface(editor), 1);
    return walk.problems + SharedLetters(window);
}

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? HeardName(iface) : QString();
}

} // namespace qv::test
