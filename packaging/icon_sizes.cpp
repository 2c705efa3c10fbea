// Build-time tool: the program icon in the hicolor theme's sizes, scaled
// from one source image.
//
//   zm_icon_sizes SOURCE OUTDIR NAME SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for every SIZE. A size larger
// than the source is refused: an enlarged picture only gets blurred, and a
// theme without it falls back to the nearest size anyway.
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SOURCE OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull() || source.width() != source.height()) {
        std::fprintf(stderr, "%s: %s is not a square image\n", argv[0], argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || size < 1 || size > source.width()) {
            std::fprintf(stderr, "%s: size %s: not between 1 and the source's %d\n", argv[0], argv[i], source.width());
            return 1;
        }
        const int n = static_cast<int>(size);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(n);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        const QImage scaled = n == source.width()
            ? source
            : source.scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(dir) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
