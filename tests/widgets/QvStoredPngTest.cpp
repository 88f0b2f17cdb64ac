// Stored pictures: the PNG reader against every row filter and against damaged files (what Qt's
// writer makes is read back by every build, in BakeIcons); and drawn icons that serve their stored
// sizes without drawing.
#include "widgets/QvPaintedIcon.h"
#include "widgets/QvStoredPng.h"
#include "tests/testsupport/TempFolder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace qv {
namespace {

void PutBe32(QByteArray& b, quint32 v) {
    for (int shift : {24, 16, 8, 0})
        b.append(char(v >> shift));
}

// One chunk; this reader does not check the CRC, so it is left zero.
QByteArray Chunk(const char* type, const QByteArray& data) {
    QByteArray b;
    PutBe32(b, quint32(data.size()));
    b.append(type, 4).append(data);
    PutBe32(b, 0);
    return b;
}

QByteArray Header(quint32 w, quint32 h, const char* tail = "\x08\x06\x00\x00\x00") {
    QByteArray b;
    PutBe32(b, w);
    PutBe32(b, h);
    return b.append(tail, 5);
}

// The pixels of `image` (RGBA8888) as PNG rows, row y filtered with filters[y % size].
QByteArray FilteredRows(const QImage& image, const std::vector<int>& filters) {
    QByteArray rows;
    const int stride = image.width() * 4;
    for (int y = 0; y < image.height(); ++y) {
        const int filter = filters[std::size_t(y) % filters.size()];
        const uchar* row = image.constScanLine(y);
        const uchar* up = y ? image.constScanLine(y - 1) : nullptr;
        rows.append(char(filter));
        for (int i = 0; i < stride; ++i) {
            const int a = i >= 4 ? row[i - 4] : 0, b = up ? up[i] : 0;
            const int c = up && i >= 4 ? up[i - 4] : 0;
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            const int predicted[] = {0, a, b, (a + b) / 2, paeth};
            rows.append(char(row[i] - predicted[filter]));
        }
    }
    return rows;
}

// A PNG of `rows`, its zlib stream split over `idats` chunks.
QByteArray Png(const QByteArray& header, const QByteArray& rows, int idats = 1) {
    const QByteArray stream = qCompress(rows).mid(4); // without Qt's length prefix
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    png += Chunk("IHDR", header);
    const qsizetype part = stream.size() / idats + 1;
    for (qsizetype at = 0; at < stream.size(); at += part)
        png += Chunk("IDAT", stream.mid(at, part));
    return png + Chunk("IEND", {});
}

// Colours and alphas that differ from pixel to pixel and row to row, so each filter predicts
// something other than zero.
QImage Sample(int w, int h) {
    QImage image(w, h, QImage::Format_RGBA8888);
    unsigned seed = 7;
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 4; ++i) {
            seed = seed * 1103515245u + 12345u;
            image.scanLine(y)[i] = uchar(seed >> 16);
        }
    return image;
}

TEST(StoredPng, EveryRowFilterReadsBack) {
    const QImage sample = Sample(7, 6);
    const QByteArray header = Header(7, 6);
    struct Row {
        const char* name;
        std::vector<int> filters;
        int idats;
    };
    for (const Row& r :
         {Row{"none", {0}, 1}, Row{"sub", {1}, 1}, Row{"up", {2}, 1}, Row{"average", {3}, 1},
          Row{"paeth", {4}, 1}, Row{"a different filter each row", {4, 3, 2, 1, 0}, 1},
          Row{"the stream over three chunks", {4, 1}, 3}}) {
        SCOPED_TRACE(r.name);
        const QImage read = ReadStoredPng(Png(header, FilteredRows(sample, r.filters), r.idats));
        ASSERT_EQ(read.size(), sample.size());
        EXPECT_EQ(read.format(), QImage::Format_RGBA8888);
        EXPECT_EQ(read, sample);
    }
}

TEST(StoredPng, DamagedOrOtherKindsOfFileReadAsNothing) {
    const QImage sample = Sample(5, 4);
    const QByteArray rows = FilteredRows(sample, {4, 1});
    const QByteArray good = Png(Header(5, 4), rows);
    const auto cut = [&](qsizetype keep) { return good.left(keep); };
    QByteArray badFilter = rows;
    badFilter[0] = 5;
    QByteArray damagedStream = good;
    damagedStream[8 + 25 + 8 + 2] = char(damagedStream[8 + 25 + 8 + 2] ^ 0x5A);
    QByteArray lengthPastTheEnd = good;
    lengthPastTheEnd[8 + 25 + 0] = char(0x7F);
    const QByteArray idatFirst = QByteArray("\x89PNG\r\n\x1A\n", 8) +
                                 Chunk("IDAT", qCompress(rows).mid(4)) +
                                 Chunk("IHDR", Header(5, 4)) + Chunk("IEND", {});
    const auto withChunk = [&](const char* type) {
        QByteArray png = good;
        return png.insert(8 + 25, Chunk(type, "abc"));
    };
    struct Row {
        const char* name;
        QByteArray png;
        bool reads;
    };
    const Row cases[] = {
        {"the good file", good, true},
        {"a text chunk, which a reader may skip", withChunk("tEXt"), true},
        {"empty", {}, false},
        {"another signature", QByteArray(good).replace(1, 3, "GIF"), false},
        {"cut inside the header", cut(20), false},
        {"cut before the end chunk", cut(good.size() - 12), false},
        {"a chunk longer than the file", lengthPastTheEnd, false},
        {"data before the header", idatFirst, false},
        {"no width", Png(Header(0, 4), rows), false},
        {"taller than any stored picture", Png(Header(1, 0xFFFFFFFF), rows), false},
        {"RGB without alpha", Png(Header(5, 4, "\x08\x02\x00\x00\x00"), rows), false},
        {"interlaced", Png(Header(5, 4, "\x08\x06\x00\x00\x01"), rows), false},
        {"a palette, which a reader must understand", withChunk("PLTE"), false},
        {"an unknown filter", Png(Header(5, 4), badFilter), false},
        {"a row fewer than the header says", Png(Header(5, 4), rows.left(rows.size() - 21)), false},
        {"a row more than the header says", Png(Header(5, 3), rows), false},
        {"a damaged stream", damagedStream, false},
    };
    for (const Row& r : cases) {
        SCOPED_TRACE(r.name);
        const QImage read = ReadStoredPng(r.png);
        EXPECT_EQ(read.isNull(), !r.reads);
        if (r.reads) {
            EXPECT_EQ(read, sample);
        }
    }
}

// How often the drawing below was painted.
int g_paints = 0;

void CountedDrawing(QPainter& p, const QColor& ink, const QColor&) {
    ++g_paints;
    p.fillRect(QRectF(0, 0, 24, 24), ink);
}

TEST(PaintedIcon, StoredSizesAreReadNotDrawnAndEveryOtherIsDrawn) {
    const test::TempFolder folder;
    const QString path = QString::fromStdString(folder.Path()) + "/pic-%1.png";
    QImage red(24, 24, QImage::Format_RGBA8888);
    red.fill(Qt::red);
    const auto write = [&](int side, const QByteArray& bytes) {
        QFile f(path.arg(side));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(24, Png(Header(24, 24), FilteredRows(red, {0})));
    write(32, "not a picture");
    write(40, Png(Header(24, 24), FilteredRows(red, {0}))); // not the size it is stored for
    struct Row {
        const char* name;
        int side;
        QIcon::Mode mode;
        bool drawn;
    };
    const QIcon icon = PaintedIcon(CountedDrawing, {path, {24, 32, 40, 16}});
    for (const Row& r : {Row{"a stored size", 24, QIcon::Normal, false},
                         Row{"a stored size, disabled", 24, QIcon::Disabled, true},
                         Row{"a size whose file is damaged", 32, QIcon::Normal, true},
                         Row{"a file of another size", 40, QIcon::Normal, true},
                         Row{"a size whose file is missing", 16, QIcon::Normal, true}}) {
        SCOPED_TRACE(r.name);
        const int before = g_paints;
        const QImage image = icon.pixmap(QSize(r.side, r.side), 1.0, r.mode).toImage();
        ASSERT_EQ(image.size(), QSize(r.side, r.side));
        EXPECT_EQ(g_paints - before, r.drawn ? 1 : 0);
        EXPECT_EQ(image.pixel(r.side / 2, r.side / 2) == QColor(Qt::red).rgb(), !r.drawn);
    }
}

} // namespace
} // namespace qv
