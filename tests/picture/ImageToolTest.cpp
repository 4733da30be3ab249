// SPDX-License-Identifier: GPL-3.0-or-later
// BMP files written by an independent image tool load with the pixel values that the tool
// itself decodes from them.
#include "TestHelpers.h"

#include "framework/Bitmap.h"
#include "platform/LittleEndian.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int W = 37;
constexpr int H = 23;

QByteArray RunTool(const QStringList& args) {
    QProcess tool;
    tool.start("convert", args);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        ADD_FAILURE() << "convert " << args.join(' ').toStdString() << ": "
                      << tool.readAllStandardError().toStdString();
        return {};
    }
    return tool.readAllStandardOutput();
}

// A picture with many colours, written as a binary PPM by our own code.
void WriteSource(const QString& path) {
    QByteArray ppm =
        QByteArray("P6\n") + QByteArray::number(W) + " " + QByteArray::number(H) + "\n255\n";
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            ppm.append(static_cast<char>(x * 7));
            ppm.append(static_cast<char>(y * 11));
            ppm.append(static_cast<char>((x * y * 3 + 40) % 256));
        }
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ppm);
}

struct ToolCase {
    const char* name;
    QStringList options;
    const char* format; // the tool's output format prefix
    int headerSize;
    int bits;
    uint32_t compression;
    // The tool writes 16-bit bit fields only with its newest header; its masks sit where they
    // follow a 40-byte header, so the file is rewritten around a 40-byte header.
    bool rewrapAsInfoHeader = false;
};

uint32_t Field32(const QByteArray& b, int at) {
    return ReadLe32(reinterpret_cast<const uint8_t*>(b.constData()) + at);
}

// The colour of pixel x of a row as our picture holds it.
QRgb OurColour(TDIB& dib, const uint8_t* row, int x) {
    auto indexed = [&](int i) {
        const TRGBQuad& c = dib.ColorTable[static_cast<size_t>(i)];
        return qRgb(c.Red, c.Green, c.Blue);
    };
    switch (dib.BitCount()) {
    case 1:
        return indexed((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
        return indexed((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
    case 8:
        return indexed(row[x]);
    case 16: {
        const int v = row[2 * x] | (row[2 * x + 1] << 8);
        return qRgb((v >> 11) << 3, ((v >> 5) & 0x3F) << 2, (v & 0x1F) << 3);
    }
    default: {
        const uint8_t* p = row + x * (dib.BitCount() / 8);
        return qRgb(p[2], p[1], p[0]);
    }
    }
}

class ImageTool : public testing::TestWithParam<ToolCase> {};

TEST_P(ImageTool, LoadsThePixelsTheToolDecodes) {
    if (QStandardPaths::findExecutable("convert").isEmpty()) {
        GTEST_SKIP() << "the image tool (convert) is not installed; scripts/setup.sh installs it";
    }
    const ToolCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = QDir(dir.path()).filePath("source.ppm");
    const QString bmp = QDir(dir.path()).filePath("picture.bmp");
    WriteSource(source);
    RunTool(QStringList{source} + c.options + QStringList{QString(c.format) + ":" + bmp});
    QFile file(bmp);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    ASSERT_GE(bytes.size(), 54);
    const QByteArray expected = RunTool({"-depth", "8", bmp, "rgb:-"});
    ASSERT_EQ(expected.size(), W * H * 3);
    if (c.rewrapAsInfoHeader) {
        ASSERT_GE(Field32(bytes, 14), 56u);
        const auto pixelsAt = static_cast<int>(Field32(bytes, 10));
        QByteArray rewritten = bytes.left(14 + 40) + bytes.mid(14 + 40, 12) + bytes.mid(pixelsAt);
        rewritten[14] = 40;
        rewritten[15] = rewritten[16] = rewritten[17] = 0;
        // The pixels now follow the masks at once, and the offset says so.
        rewritten[10] = 14 + 40 + 12;
        rewritten[11] = rewritten[12] = rewritten[13] = 0;
        bytes = rewritten;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
    }
    // Make sure the tool wrote the form this case is about.
    ASSERT_EQ(Field32(bytes, 14), static_cast<uint32_t>(c.headerSize));
    if (c.headerSize == 40) {
        ASSERT_EQ(bytes[28] | (bytes[29] << 8), c.bits);
        ASSERT_EQ(Field32(bytes, 30), c.compression);
    }

    TDIB dib;
    dib.LoadBmpFile(bmp.toStdString());
    ASSERT_EQ(dib.Width(), W);
    ASSERT_EQ(dib.Height(), H);
    ASSERT_EQ(dib.BitCount(), c.bits);
    TBitmap bitmap;
    bitmap.LoadFromFile(bmp.toStdString());
    const QImage drawn = bitmap.ToImage();

    // A 5-6-5 pixel keeps the high bits of each channel.
    const int redGreenBlueShift[3] = {c.bits == 16 ? 3 : 0, c.bits == 16 ? 2 : 0,
                                      c.bits == 16 ? 3 : 0};
    int mismatches = 0;
    for (int y = 0; y < H && mismatches < 5; ++y) {
        const uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < W; ++x) {
            const auto* p =
                reinterpret_cast<const uint8_t*>(expected.constData()) + 3 * (y * W + x);
            const QRgb ours = OurColour(dib, row, x);
            const bool same =
                (qRed(ours) >> redGreenBlueShift[0]) == (p[0] >> redGreenBlueShift[0]) &&
                (qGreen(ours) >> redGreenBlueShift[1]) == (p[1] >> redGreenBlueShift[1]) &&
                (qBlue(ours) >> redGreenBlueShift[2]) == (p[2] >> redGreenBlueShift[2]);
            if (!same) {
                ADD_FAILURE() << c.name << " pixel (" << x << ", " << y << "): ours " << std::hex
                              << ours << ", the tool's " << int(p[0]) << " " << int(p[1]) << " "
                              << int(p[2]);
                ++mismatches;
            }
            if (c.bits != 16) {
                EXPECT_EQ(drawn.pixel(x, y), ours) << "the framework bitmap draws the same colour";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ImageTool,
    testing::Values(
        ToolCase{"one", {"-type", "bilevel"}, "BMP3", 40, 1, 0},
        ToolCase{"four", {"-colors", "16", "-compress", "None"}, "BMP3", 40, 4, 0},
        ToolCase{
            "eight", {"-colors", "200", "-type", "Palette", "-compress", "None"}, "BMP3", 40, 8, 0},
        ToolCase{
            "rle8", {"-colors", "200", "-type", "Palette", "-compress", "RLE"}, "BMP3", 40, 8, 1},
        ToolCase{"twentyfour", {"-type", "TrueColor"}, "BMP3", 40, 24, 0},
        ToolCase{"thirtytwo",
                 {"-alpha", "set", "-channel", "A", "-evaluate", "set", "50%", "+channel",
                  "-define", "bmp3:alpha=true"},
                 "BMP3",
                 40,
                 32,
                 0},
        ToolCase{"core8", {"-colors", "200", "-type", "Palette"}, "BMP2", 12, 8, 0},
        ToolCase{"core24", {"-type", "TrueColor"}, "BMP2", 12, 24, 0},
        ToolCase{"bitfields565", {"-define", "bmp:subtype=RGB565"}, "BMP", 40, 16, 3, true}),
    [](const testing::TestParamInfo<ToolCase>& tool) { return std::string(tool.param.name); });

} // namespace
