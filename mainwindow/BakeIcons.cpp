// Build-time tool: draws each main-window picture at the sizes a start asks for into PNG files,
// which the build puts in the program's resources (see QvAmpwiseIcons.cpp). It is given the files
// the build expects and fails when the drawings store others, or when a file does not read back
// as the drawing's own pixels.
#include "mainwindow/QvAmpwiseDrawings.h"
#include "widgets/QvStoredPng.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QStringList>

#include <cstdio>

using namespace qv;

namespace {

QImage Premultiplied(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: BakeIcons <folder> <file.png>...\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QStringList expected;
    for (int i = 2; i < argc; ++i)
        expected << QFileInfo(QString::fromLocal8Bit(argv[i])).fileName();

    QStringList made;
    for (TAmpwiseIcon kind : AllAmpwiseIcons) {
        const QIcon icon = PaintedIcon(AmpwiseDrawing(kind));
        for (int side : BakedSides(kind)) {
            const QString name = QFileInfo(StoredIconPath(kind).arg(side)).fileName();
            made << name;
            const QImage drawn = Premultiplied(icon.pixmap(QSize(side, side), 1.0).toImage());
            const QString path = folder.filePath(name);
            if (!drawn.save(path, "PNG", 0)) {
                std::fprintf(stderr, "BakeIcons: cannot write %s\n", qPrintable(path));
                return 1;
            }
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) ||
                Premultiplied(ReadStoredPng(file.readAll())) != drawn) {
                std::fprintf(stderr, "BakeIcons: %s does not read back as drawn\n",
                             qPrintable(path));
                return 1;
            }
        }
    }
    expected.sort();
    made.sort();
    if (made != expected) {
        std::fprintf(stderr, "BakeIcons: the build lists %s but the drawings store %s\n",
                     qPrintable(expected.join(' ')), qPrintable(made.join(' ')));
        return 1;
    }
    return 0;
}
