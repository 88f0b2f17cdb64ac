// Access letters ("&File" is reached with Alt+F): which texts of a window share one, so that a
// letter picks one item instead of moving between several.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QWidget;

namespace qv::test {

// The letter a text marks with '&', in lower case; empty when it marks none ("&&" is an '&').
QString AccessLetter(const QString& text);
// The letters that two or more of `texts` mark, each named once; empty when none is shared.
QStringList SharedLetters(const QStringList& texts);

// Every group of texts within which a window's letters must differ: each menu of the window
// (its items), and the window itself (its menu bar's titles, buttons and labelled fields), each
// with a name for messages.
std::vector<std::pair<QString, QStringList>> LetterGroups(QWidget* window);

} // namespace qv::test
