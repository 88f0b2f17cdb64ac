// The PNG reader of stored pictures: the chunks, one zlib stream, and the five row filters.
#include "widgets/QvStoredPng.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

quint32 Be32(const unsigned char* p) {
    return quint32{p[0]} << 24 | quint32{p[1]} << 16 | quint32{p[2]} << 8 | p[3];
}

// Inflates `in` into exactly `out.size()` bytes; false when the stream is damaged, ends early or
// holds more.
bool Inflate(const QByteArray& in, QByteArray& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    const bool whole = rc == Z_STREAM_END && z.avail_out == 0;
    inflateEnd(&z);
    return whole;
}

unsigned Paeth(unsigned a, unsigned b, unsigned c) {
    const int p = int(a) + int(b) - int(c);
    const int pa = std::abs(p - int(a)), pb = std::abs(p - int(b)), pc = std::abs(p - int(c));
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

} // namespace

QImage ReadStoredPng(QByteArrayView png) {
    const auto* p = reinterpret_cast<const unsigned char*>(png.data());
    const qsizetype n = png.size();
    if (n < 8 || std::memcmp(p, kSignature, 8) != 0)
        return {};
    int width = 0, height = 0;
    bool ended = false;
    QByteArray stream;
    for (qsizetype at = 8; at < n && !ended;) {
        if (n - at < 12)
            return {};
        const quint32 length = Be32(p + at);
        if (length > quint64(n - at - 12))
            return {};
        const auto* type = p + at + 4;
        const auto* data = p + at + 8;
        const auto is = [type](const char* name) { return std::memcmp(type, name, 4) == 0; };
        if (width == 0) {
            // The header comes first: the size, 8 bits a channel, RGBA, the one compression and
            // filter method, no interlacing.
            if (!is("IHDR") || length != 13)
                return {};
            const quint32 w = Be32(data), h = Be32(data + 4);
            if (w == 0 || h == 0 || w > MaxStoredPngSide || h > MaxStoredPngSide ||
                std::memcmp(data + 8, "\x08\x06\x00\x00\x00", 5) != 0)
                return {};
            width = int(w);
            height = int(h);
        } else if (is("IDAT")) {
            stream.append(reinterpret_cast<const char*>(data), qsizetype(length));
        } else if (is("IEND")) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return {}; // a chunk a reader must understand (a palette, say)
        }
        at += 12 + qsizetype(length);
    }
    if (!ended)
        return {};

    const qsizetype stride = qsizetype(width) * 4;
    QByteArray raw(height * (stride + 1), Qt::Uninitialized);
    if (!Inflate(stream, raw))
        return {};
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return {};
    // The row above the first is zeros. One loop per filter: a start reads a dozen of these.
    const QByteArray zeros(stride, '\0');
    const auto* above = reinterpret_cast<const unsigned char*>(zeros.constData());
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const unsigned char*>(raw.constData()) + y * (stride + 1);
        const unsigned filter = *in++;
        unsigned char* out = image.scanLine(y);
        const auto each = [&](auto predict) {
            for (qsizetype i = 0; i < 4; ++i)
                out[i] = static_cast<unsigned char>(in[i] + predict(0u, above[i], 0u));
            for (qsizetype i = 4; i < stride; ++i)
                out[i] = static_cast<unsigned char>(in[i] + predict(unsigned{out[i - 4]},
                                                                    unsigned{above[i]},
                                                                    unsigned{above[i - 4]}));
        };
        switch (filter) {
        case 0:
            std::memcpy(out, in, std::size_t(stride));
            break;
        case 1:
            each([](unsigned a, unsigned, unsigned) { return a; });
            break;
        case 2:
            each([](unsigned, unsigned b, unsigned) { return b; });
            break;
        case 3:
            each([](unsigned a, unsigned b, unsigned) { return (a + b) / 2; });
            break;
        case 4:
            each(Paeth);
            break;
        default:
            return {};
        }
        above = out;
    }
    return image;
}

} // namespace qv
