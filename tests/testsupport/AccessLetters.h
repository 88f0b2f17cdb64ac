// Access letters ("&File" is reached with Alt+F): which texts of a window share one, so that a
// letter moves between several items instead of choosing one.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>

#include <utility>
#include <vector>

namespace qv::test {

// The letter a text marks with '&', in lower case; empty when it marks none ("&&" is an '&').
inline QString AccessLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&' && text[++i] != '&')
            return text.mid(i, 1).toLower();
    return {};
}

// The letters that two or more of `texts` mark, each named once.
inline QStringList SharedLetters(const QStringList& texts) {
    QMap<QString, int> uses;
    for (const QString& t : texts)
        ++uses[AccessLetter(t)];
    QStringList shared;
    for (auto i = uses.cbegin(); i != uses.cend(); ++i)
        if (!i.key().isEmpty() && i.value() > 1)
            shared << i.key();
    return shared;
}

// The groups within which a window's letters must differ, each named: the window itself (its
// menu titles, buttons and labelled fields) and each of its menus.
inline std::vector<std::pair<QString, QStringList>> LetterGroups(QWidget* window) {
    std::vector<std::pair<QString, QStringList>> groups{{window->objectName(), {}}};
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* a : bar->actions())
            groups[0].second << a->text();
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->window() == window)
            groups[0].second << b->text();
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->window() == window)
            groups[0].second << l->text();
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        groups.emplace_back(window->objectName() + '/' + menu->title(), QStringList());
        for (const QAction* a : menu->actions())
            groups.back().second << a->text();
    }
    return groups;
}

} // namespace qv::test
