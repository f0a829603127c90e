// SPDX-License-Identifier: MIT
#include "engine/Errors.h"
#include "ui/Appearance.h"
#include "ui/Jpeg.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QByteArray SaveAsJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 100));
    return bytes;
}

// Four quarters of plain colour, so that every pixel away from the seams
// keeps its colour through the compression.
QImage Quarters()
{
    QImage image(105, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 53, 32, Qt::red);
    painter.fillRect(53, 0, 52, 32, Qt::green);
    painter.fillRect(0, 32, 53, 32, Qt::blue);
    painter.fillRect(53, 32, 52, 32, Qt::white);
    return image;
}

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 12 && std::abs(qGreen(a) - qGreen(b)) <= 12
        && std::abs(qBlue(a) - qBlue(b)) <= 12;
}

std::string DecodeError(const QByteArray& bytes)
{
    try {
        DecodeJpeg(bytes);
    } catch (const EError& error) {
        return error.what();
    }
    return "decoded";
}

TEST(Jpeg, APictureDecodesToItsSizeAndColours)
{
    const QImage original = Quarters();
    const QImage decoded = DecodeJpeg(SaveAsJpeg(original));
    ASSERT_EQ(decoded.size(), original.size());
    for (const QPoint p : {QPoint(20, 12), QPoint(80, 12), QPoint(20, 50), QPoint(80, 50), QPoint(104, 63)})
        EXPECT_TRUE(Near(decoded.pixel(p), original.pixel(p))) << p.x() << "," << p.y();
}

TEST(Jpeg, AGreyPictureDecodesToColour)
{
    QImage grey(16, 8, QImage::Format_Grayscale8);
    grey.fill(200);
    const QImage decoded = DecodeJpeg(SaveAsJpeg(grey));
    ASSERT_EQ(decoded.size(), grey.size());
    EXPECT_TRUE(Near(decoded.pixel(8, 4), qRgb(200, 200, 200)));
}

TEST(Jpeg, TheProgramsPhotographIs105By64)
{
    EXPECT_EQ(DecodeJpeg(AssetBytes(QStringLiteral("photo.jpg"))).size(), QSize(105, 64));
}

TEST(Jpeg, BrokenPicturesRaiseLibjpegsMessageInsteadOfEndingTheProgram)
{
    const QByteArray good = SaveAsJpeg(Quarters());
    QByteArray corrupt = good;
    for (qsizetype i = good.size() / 2; i < good.size() / 2 + 40; ++i)
        corrupt[i] = char(0xFF);
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"garbage", QByteArray("no picture at all")},
        {"truncated", good.left(good.size() / 2)},
        {"header only", good.left(200)},
        {"corrupt", corrupt},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string message = DecodeError(bytes);
        EXPECT_NE(message, "decoded");
        EXPECT_FALSE(message.empty());
    }
    EXPECT_EQ(DecodeError(QByteArray("no picture at all")), "Not a JPEG file: starts with 0x6e 0x6f");
    EXPECT_EQ(DecodeError(good.left(good.size() / 2)), "Premature end of JPEG file");
    EXPECT_EQ(DecodeJpeg(good).size(), QSize(105, 64)) << "a failure leaves nothing behind";
}

} // namespace
