// Reading back printed pages with poppler's tools (poppler-utils): the tests of every window that
// prints or saves a PDF use these.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace qv::test {

// What the program wrote to its standard output.
inline QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool HavePoppler() {
    for (const char* tool : {"pdftotext", "pdfinfo", "pdftoppm"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

// The number of pages, or -1 when the file is no PDF.
inline int PdfPages(const QString& pdf) {
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(RunTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace qv::test
