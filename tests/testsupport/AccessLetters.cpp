// Access letters of a window's menus, buttons and labels (see AccessLetters.h).
#include "tests/testsupport/AccessLetters.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace qv::test {

QString AccessLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.mid(i + 1, 1).toLower();
    }
    return {};
}

QStringList SharedLetters(const QStringList& texts) {
    QMap<QString, int> uses;
    for (const QString& t : texts)
        if (const QString letter = AccessLetter(t); !letter.isEmpty())
            ++uses[letter];
    QStringList shared;
    for (auto i = uses.cbegin(); i != uses.cend(); ++i)
        if (i.value() > 1)
            shared << i.key();
    return shared;
}

std::vector<std::pair<QString, QStringList>> LetterGroups(QWidget* window) {
    std::vector<std::pair<QString, QStringList>> groups;
    QStringList own;
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* a : bar->actions())
            own << a->text();
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->window() == window)
            own << b->text();
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->window() == window)
            own << l->text();
    groups.emplace_back(window->objectName(), own);
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        QStringList items;
        for (const QAction* a : menu->actions())
            if (!a->isSeparator())
                items << a->text();
        groups.emplace_back(window->objectName() + QLatin1Char('/') +
                                (menu->title().isEmpty() ? menu->objectName() : menu->title()),
                            items);
    }
    return groups;
}

} // namespace qv::test
