#include "store/photo_files.h"
#include "photo_test_pictures.h"
#include "store/photo_codec.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"
#include "test_paths.h"

#include <gtest/gtest.h>
#include <QFile>

#include <cstdlib>

namespace tallyport {
namespace {

using test::patterned;
using test::Rgb;
using test::rgbAt;
using test::setRgb;

QString fixture(const char* name) {
    return QStringLiteral(TALLYPORT_TEST_DATA_DIR "/photos/") + QLatin1String(name);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A smooth picture with a red block in the top-left quarter: JPEG keeps it close, and the
// block shows whether red and blue came out in their places.
Picture photoLike(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool block = x < width / 2 && y < height / 2;
            setRgb(picture, x, y,
                   block ? Rgb{230, 20, 20} : Rgb{x * 255 / width, y * 255 / height, 128});
        }
    return picture;
}

double meanDifference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.byteCount(); ++i) sum += std::abs(a.data()[i] - b.data()[i]);
    return sum / static_cast<double>(a.byteCount());
}

QByteArray jpegOf(const Picture& picture) {
    const auto jpeg = encodeJpeg(picture);
    EXPECT_TRUE(jpeg);
    return jpeg ? *jpeg : QByteArray();
}

TEST(PhotoJpeg, RoundTripThroughTheLibraryKeepsThePicture) {
    const Picture original = photoLike(64, 48);
    const QByteArray jpeg = jpegOf(original);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    const auto decoded = decodeJpeg(jpeg);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->width(), 64);
    ASSERT_EQ(decoded->height(), 48);
    EXPECT_LT(meanDifference(original, *decoded), 3.0);
    const Rgb red = rgbAt(*decoded, 8, 8);
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[2], 50);
}

TEST(PhotoField, StoredPhotoLoadsBackAndBadBytesLeaveThePicture) {
    const auto stored = StorePhotoToField(photoLike(240, 320));
    ASSERT_TRUE(stored);
    Picture picture;
    ASSERT_TRUE(LoadPhotoFromField(*stored, picture));
    EXPECT_EQ(picture.width(), 240);
    EXPECT_EQ(picture.height(), 320);

    const Picture held = patterned(5, 5);
    for (const QByteArray& bad : {QByteArray(), QByteArray("not a picture"), stored->left(300),
                                  readAll(fixture("rgb24.bmp"))}) {
        picture = held;
        EXPECT_FALSE(LoadPhotoFromField(bad, picture)) << bad.size() << " bytes";
        EXPECT_EQ(picture, held);
    }
    EXPECT_FALSE(StorePhotoToField(Picture()));
}

// Every fixture holds the same 3 x 2 picture (see make_bitmaps.py beside them); 16-bit pixels
// carry five bits a colour, scaled so that full stays 255.
TEST(PhotoBitmap, ReadsEveryDepthAndRowOrder) {
    const std::vector<Rgb> expected{{255, 0, 0},     {0, 255, 0}, {0, 0, 255},
                                    {255, 255, 255}, {0, 0, 0},   {128, 128, 128}};
    for (const char* name : {"rgb24.bmp", "rgb24_topdown.bmp", "pal8.bmp", "pal4.bmp",
                             "rgb32_bitfields.bmp", "core8.bmp", "rgb16.bmp"}) {
        const auto picture = decodeBitmap(readAll(fixture(name)));
        ASSERT_TRUE(picture) << name << ": " << picture.error().text.toStdString();
        ASSERT_EQ(picture->width(), 3) << name;
        ASSERT_EQ(picture->height(), 2) << name;
        const bool five = std::string(name) == "rgb16.bmp";
        for (int i = 0; i < 6; ++i) {
            Rgb want = expected[i];
            if (five && want[0] == 128) want = {131, 131, 131};  // 128 >> 3 = 16, 16 * 255 / 31
            EXPECT_EQ(rgbAt(*picture, i % 3, i / 3), want) << name << " pixel " << i;
        }
    }
    const auto mono = decodeBitmap(readAll(fixture("mono1.bmp")));
    ASSERT_TRUE(mono);
    EXPECT_EQ(rgbAt(*mono, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(rgbAt(*mono, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(rgbAt(*mono, 0, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(rgbAt(*mono, 2, 1), (Rgb{0, 0, 0}));
}

void putU32(QByteArray& bytes, int at, quint32 value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct Damage {
    const char* what;
    QByteArray bytes;
};

std::vector<Damage> damagedBitmaps() {
    const QByteArray good = readAll(fixture("rgb24.bmp"));
    const QByteArray pal8 = readAll(fixture("pal8.bmp"));
    auto patched = [&](const QByteArray& base, int at, quint32 value) {
        QByteArray b = base;
        putU32(b, at, value);
        return b;
    };
    QByteArray sevenBits = good;
    sevenBits[28] = 7;
    return {
        {"empty", QByteArray()},
        {"not a bitmap", QByteArray("GIF89a and more bytes than a header")},
        {"cut in the header", good.left(20)},
        {"cut in the pixels", good.left(good.size() - 8)},
        {"width 100000", patched(good, 18, 100000)},
        {"height of the lowest int", patched(good, 22, 0x80000000u)},
        {"width 0", patched(good, 18, 0)},
        {"huge header size", patched(good, 14, 0xFFFFFFF0u)},
        {"header size 20", patched(good, 14, 20)},
        {"pixels past the end", patched(good, 10, 0xFFFFFF00u)},
        {"seven bits a pixel", sevenBits},
        {"run-length compressed", patched(pal8, 30, 1)},
        {"colour table of 1000", patched(pal8, 46, 1000)},
        {"colour table past the end", patched(pal8, 14, 60)},
    };
}

TEST(PhotoBitmap, RefusesMalformedHeadersWithAReason) {
    for (const Damage& d : damagedBitmaps()) {
        const auto picture = decodeBitmap(d.bytes);
        ASSERT_FALSE(picture) << d.what;
        EXPECT_FALSE(picture.error().text.isEmpty()) << d.what;
    }
    QByteArray absurd = readAll(fixture("rgb24.bmp"));
    putU32(absurd, 18, 100000);
    EXPECT_EQ(decodeBitmap(absurd).error().text,
              QStringLiteral("The picture is too large (100000 x 2 pixels)."));
}

// A JPEG whose frame header claims width x height.
QByteArray jpegClaiming(int width, int height) {
    QByteArray jpeg = jpegOf(photoLike(16, 16));
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    EXPECT_GT(sof, 0);
    jpeg[sof + 5] = static_cast<char>(height >> 8), jpeg[sof + 6] = static_cast<char>(height);
    jpeg[sof + 7] = static_cast<char>(width >> 8), jpeg[sof + 8] = static_cast<char>(width);
    return jpeg;
}

TEST(PhotoJpeg, RefusesAnAbsurdSizeBeforeDecoding) {
    EXPECT_EQ(decodeJpeg(jpegClaiming(60000, 60000)).error().text,
              QStringLiteral("The picture is too large (60000 x 60000 pixels)."));
    EXPECT_EQ(decodeJpeg(jpegClaiming(9000, 9000)).error().text,
              QStringLiteral("The picture is too large (9000 x 9000 pixels)."));
}

class PhotoFile : public ::testing::Test {
protected:
    QString place(const char* name, const QByteArray& bytes) {
        const QString path = m_dir.file(QLatin1String(name));
        writeAll(path, bytes);
        return path;
    }
    bool loadChosen(const QString& path, int width = 0, int height = 0) {
        m_op.answerFile(path);
        return LoadPhotoFile(m_op, m_picture, width, height);
    }

    test::TempDataDir m_dir;
    test::ScriptedOperator m_op;
    Picture m_picture = patterned(7, 7);
};

TEST_F(PhotoFile, CancelAndUnknownExtensionLeaveThePicture) {
    EXPECT_FALSE(LoadPhotoFile(m_op, m_picture, 240, 320));
    EXPECT_EQ(m_op.shown(), QStringList{QStringLiteral("open: Open | ") + kPhotoFileFilter});

    m_op.clear();
    EXPECT_FALSE(loadChosen(place("photo.png", jpegOf(photoLike(8, 8)))));
    EXPECT_EQ(m_op.shown("error"), QStringList{QStringLiteral("Unknown file extension.")});
    EXPECT_FALSE(loadChosen(place("photo", jpegOf(photoLike(8, 8)))));
    EXPECT_EQ(m_picture, patterned(7, 7));
}

TEST_F(PhotoFile, LoadsJpegAndBitmapAtTheRequestedOrOwnSize) {
    ASSERT_TRUE(loadChosen(place("camera.JPG", jpegOf(photoLike(64, 48))), 240, 320));
    EXPECT_EQ(m_picture.width(), 240);
    EXPECT_EQ(m_picture.height(), 320);
    ASSERT_TRUE(loadChosen(place("camera.jpeg", jpegOf(photoLike(64, 48))), 0, 320));
    EXPECT_EQ(m_picture.width(), 64);
    EXPECT_EQ(m_picture.height(), 48);

    ASSERT_TRUE(loadChosen(fixture("rgb24.bmp"), 0, 0));
    EXPECT_EQ(m_picture, *decodeBitmap(readAll(fixture("rgb24.bmp"))));
    ASSERT_TRUE(LoadBitmapFile(m_op, 6, 4, m_picture, fixture("pal8.bmp")));
    EXPECT_EQ(m_picture.width(), 6);
    EXPECT_EQ(rgbAt(m_picture, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_TRUE(m_op.shown("error").isEmpty());
}

TEST_F(PhotoFile, UnreadableFilesAreReportedAndLeaveThePicture) {
    const QByteArray jpeg = jpegOf(photoLike(64, 48));
    QByteArray flipped = jpeg;
    for (qsizetype i = jpeg.size() / 3; i < jpeg.size() - 2; i += 7) flipped[i] = '\xFF';
    std::vector<std::pair<QString, QByteArray>> files{
        {QStringLiteral("text.jpg"), QByteArray("hello, this is not a photo")},
        {QStringLiteral("empty.jpg"), QByteArray()},
        {QStringLiteral("half.jpg"), jpeg.left(jpeg.size() / 2)},
        {QStringLiteral("noise.jpg"), flipped},
        {QStringLiteral("bitmap.jpg"), readAll(fixture("rgb24.bmp"))},
        {QStringLiteral("huge.jpg"), jpegClaiming(60000, 60000)},
        {QStringLiteral("photo.bmp"), jpeg},
    };
    for (const Damage& d : damagedBitmaps())
        files.emplace_back(QStringLiteral("damaged.bmp"), d.bytes);
    for (const auto& [name, bytes] : files) {
        m_op.clear();
        const QString path = place(name.toUtf8().constData(), bytes);
        EXPECT_FALSE(loadChosen(path, 240, 320)) << name.toStdString();
        const QStringList errors = m_op.shown("error");
        ASSERT_EQ(errors.size(), 1) << name.toStdString();
        EXPECT_TRUE(errors[0].startsWith(kPictureNotLoaded.arg(path, QString())))
            << errors[0].toStdString();
        EXPECT_EQ(m_picture, patterned(7, 7)) << name.toStdString();
    }
}

TEST_F(PhotoFile, VanishedJpegAnswersFalseQuietly) {
    EXPECT_FALSE(loadChosen(m_dir.file(QStringLiteral("gone.jpg"))));
    EXPECT_TRUE(m_op.shown("error").isEmpty());
    EXPECT_EQ(m_picture, patterned(7, 7));
    EXPECT_FALSE(loadChosen(m_dir.file(QStringLiteral("gone.bmp"))));
    EXPECT_EQ(m_op.shown("error").size(), 1);
}

TEST_F(PhotoFile, SavedJpegReplacesTheFileWhole) {
    const QString path = place("card.jpg", QByteArray("old content"));
    ASSERT_TRUE(SavePictureAsJpeg(photoLike(64, 48), path));
    const auto saved = decodeJpeg(readAll(path));
    ASSERT_TRUE(saved);
    EXPECT_LT(meanDifference(*saved, photoLike(64, 48)), 3.0);

    const QString nowhere = m_dir.file(QStringLiteral("missing/card.jpg"));
    const auto refused = SavePictureAsJpeg(photoLike(64, 48), nowhere);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().text.contains(nowhere));
    EXPECT_FALSE(SavePictureAsJpeg(Picture(), path));
    EXPECT_EQ(*decodeJpeg(readAll(path)), *saved);
}

}  // namespace
}  // namespace tallyport
