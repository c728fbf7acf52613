#!/usr/bin/env bash
# Renders the application icon resources/icons/zavelon.svg into the PNG sizes
# of the hicolor theme (resources/icons/hicolor/) and the 64-pixel picture the
# windows show, with Qt's own SVG reader, so that every size looks as the
# program draws it. Run it after changing the SVG and commit the results.
set -euo pipefail
cd "$(dirname "$0")/.."

tool=$(mktemp -d)
trap 'rm -rf "$tool"' EXIT
cat > "$tool/render.cpp" <<'CPP'
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>
// render IN.svg OUT.png SIZE
int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[3]);
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    return image.save(QString::fromLocal8Bit(argv[2]), "PNG", 9) ? 0 : 1;
}
CPP
g++ -std=c++17 -fPIC "$tool/render.cpp" -o "$tool/render" $(pkg-config --cflags --libs Qt6Gui)

export QT_QPA_PLATFORM=offscreen
svg=resources/icons/zavelon.svg
for size in 16 22 24 32 48 64 128 256 512; do
  folder="resources/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$folder"
  "$tool/render" "$svg" "$folder/org.zavelon.Zavelon.png" "$size"
done
"$tool/render" "$svg" resources/icons/zavelon.png 64
