// SPDX-License-Identifier: MIT
// SettingsFile on hostile files in a temporary directory: junk, nothing,
// far too much, deep nesting, byte-order marks, UTF-16 and entities. Each
// either loads with the values it holds (or the defaults) or raises
// SettingsError, quickly and without a crash.
#include "app/settingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include <sys/stat.h>

namespace {

const int defaultPort = 3333;
const char defaultHost[] = "localhost";

class HostileSettings : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const QByteArray &content)
    {
        const QString path = dir.filePath("clientSettings.xml");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(content), content.size());
        return path;
    }

    // The loaded settings, or null when loading raised SettingsError.
    std::unique_ptr<SettingsFile> loadPath(const QString &path)
    {
        try {
            return std::make_unique<SettingsFile>(path);
        } catch (SettingsError *error) {
            delete error;
            return nullptr;
        }
    }

    std::unique_ptr<SettingsFile> load(const QByteArray &content)
    {
        return loadPath(write(content));
    }

    QTemporaryDir dir;
};

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray out;
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                         : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return out;
}

QByteArray nested(int depth, const QByteArray &inside)
{
    return QByteArray("<a>").repeated(depth) + inside + QByteArray("</a>").repeated(depth);
}

TEST_F(HostileSettings, binaryJunkIsRefused)
{
    std::mt19937 random(8);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int size : {1, 2, 64, 4096, 300000}) {
        QByteArray junk(size, '\0');
        for (char &c : junk)
            c = char(byte(random));
        EXPECT_EQ(load(junk), nullptr) << size << " random bytes";
    }
    EXPECT_EQ(load(QByteArray("<s><port>1</port>\0\x01\xff</s>", 24)), nullptr);
    EXPECT_EQ(load(QByteArray("<s>\xc3\x28</s>")), nullptr); // not UTF-8
}

TEST_F(HostileSettings, emptyFilesAndBareMarksAreRefused)
{
    EXPECT_EQ(load(QByteArray()), nullptr);
    EXPECT_EQ(load(QByteArray("\xef\xbb\xbf")), nullptr);
    EXPECT_EQ(load(QByteArray("\xff\xfe")), nullptr);
    EXPECT_EQ(load(QByteArray(" \n\t ")), nullptr);
    EXPECT_EQ(load(QByteArray("<?xml version=\"1.0\"?>")), nullptr);
}

TEST_F(HostileSettings, byteOrderMarksAndUtf16AreReadThrough)
{
    const QString document = "<s><port>4000</port><host>h\u00e9</host></s>";
    const QString declared = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + document;
    const QList<QPair<const char *, QByteArray>> files = {
        {"UTF-8 with a mark", "\xef\xbb\xbf" + document.toUtf8()},
        {"UTF-16LE with a mark", "\xff\xfe" + utf16(document, false)},
        {"UTF-16BE with a mark", "\xfe\xff" + utf16(document, true)},
        {"UTF-16LE declared, no mark", utf16(declared, false)},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.first);
        auto settings = load(file.second);
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->readInt("port", defaultPort), 4000);
        EXPECT_EQ(settings->readString("host", defaultHost), QString("h\u00e9"));
    }
}

TEST_F(HostileSettings, fiftyMegabyteFileIsRefusedNotParsed)
{
    // Well-formed, with the settings up front: only its size is wrong.
    // Parsed, it would take seconds and a DOM of gigabytes.
    const int fiftyMegabytes = 50 << 20;
    const QByteArray head = "<s><port>4000</port><host>h</host>";
    const QByteArray element = "<x>1</x>";
    const QByteArray huge = head + element.repeated(fiftyMegabytes / element.size()) + "</s>";
    EXPECT_EQ(load(huge), nullptr);

    // The limit itself is fine.
    const QByteArray padding(int(SettingsFile::maxFileBytes) - head.size() - 4 - 7, ' ');
    const QByteArray largest = head + "<!--" + padding + "--></s>";
    ASSERT_EQ(largest.size(), SettingsFile::maxFileBytes);
    auto settings = load(largest);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->readInt("port", defaultPort), 4000);
    EXPECT_EQ(load(largest + " "), nullptr);
}

TEST_F(HostileSettings, endlessDeviceIsRefusedAfterTheSizeLimit)
{
    const QString path = dir.filePath("clientSettings.xml");
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    EXPECT_EQ(loadPath(path), nullptr);
}

TEST_F(HostileSettings, pipeIsRefusedWithoutWaitingForAWriter)
{
    const QString path = dir.filePath("clientSettings.xml");
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(loadPath(path), nullptr);
}

TEST_F(HostileSettings, deepNestingIsRefusedNotAStackOverflow)
{
    // Deep enough to overflow the stack in the toolkit's recursive parser.
    EXPECT_EQ(load("<s><port>1</port>" + nested(100000, "x") + "</s>"), nullptr);
    EXPECT_EQ(load("<s>" + nested(SettingsFile::maxNestingDepth, "") + "</s>"), nullptr);
    // Inside the settings' own element, the text still counts.
    EXPECT_EQ(load("<s><host>" + nested(50000, "h") + "</host></s>"), nullptr);

    auto settings = load("<s><port>7</port><host>" +
                         nested(SettingsFile::maxNestingDepth - 2, "h") + "</host></s>");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->readInt("port", defaultPort), 7);
    EXPECT_EQ(settings->readString("host", defaultHost), "h");
}

QByteArray laughs(int levels)
{
    QByteArray out = "<?xml version=\"1.0\"?>\n<!DOCTYPE s [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= levels; ++i)
        out += "<!ENTITY l" + QByteArray::number(i) + " \"" +
               QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    return out + "]>\n<s><port>1</port><host>&l" + QByteArray::number(levels) + ";</host></s>";
}

TEST_F(HostileSettings, entityBombsAreRefused)
{
    // A thousand million "lol"s from a file of under a kilobyte.
    EXPECT_EQ(load(laughs(9)), nullptr);
    // Entities that refer to each other.
    EXPECT_EQ(load(QByteArray("<!DOCTYPE s [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]>"
                              "<s><host>&a;</host></s>")),
              nullptr);
    // One large entity referred to many times: a quadratic blow-up.
    const QByteArray quadratic = "<!DOCTYPE s [<!ENTITY a \"" + QByteArray(50000, 'a') +
                                 "\">]><s><host>" + QByteArray("&a;").repeated(10000) +
                                 "</host></s>";
    EXPECT_EQ(load(quadratic), nullptr);
    // An entity small enough for the parser's own limit, written so often
    // that it expands to hundreds of millions of characters; also in UTF-16,
    // where the references are not the bytes "&a;".
    const auto often = [](int uses) {
        return "<!DOCTYPE s [<!ENTITY a \"" + QByteArray(4000, 'a') + "\">]><s><host>" +
               QByteArray("&a;").repeated(uses) + "</host></s>";
    };
    EXPECT_EQ(load(often(300000)), nullptr);
    const QString wide = QString::fromLatin1(often(150000));
    const QByteArray utf16 =
        QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char *>(wide.utf16()),
                                            wide.size() * int(sizeof(char16_t)));
    ASSERT_LE(utf16.size(), SettingsFile::maxFileBytes);
    EXPECT_EQ(load(utf16), nullptr);
}

TEST_F(HostileSettings, smallEntitiesExpandAndExternalOnesAreNeverFetched)
{
    auto settings = load(QByteArray("<!DOCTYPE s [<!ENTITY h \"10.0.0.7\">]><s><host>&h;</host>"
                                    "<port>&#52;000</port></s>"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->readString("host", defaultHost), "10.0.0.7");
    EXPECT_EQ(settings->readInt("port", defaultPort), 4000);

    // A file outside the settings must not become the host name.
    QFile secret(dir.filePath("secret"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("secret-host");
    secret.close();
    auto external = load("<!DOCTYPE s [<!ENTITY e SYSTEM \"file://" + secret.fileName().toUtf8() +
                         "\">]><s><host>&e;</host></s>");
    if (external) {
        EXPECT_FALSE(external->readString("host", defaultHost).contains("secret"));
    }
}

} // namespace
