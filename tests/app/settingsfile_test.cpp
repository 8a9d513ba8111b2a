// SPDX-License-Identifier: MIT
// SettingsFile on real files in a temporary directory.
#include "app/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <memory>

namespace {

class SettingsFileTest : public ::testing::Test
{
protected:
    QString write(const QByteArray &content, const QString &name = "clientSettings.xml")
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    std::unique_ptr<SettingsFile> load(const QByteArray &content)
    {
        return std::make_unique<SettingsFile>(write(content));
    }

    QByteArray readBack(const QString &name = "clientSettings.xml")
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir dir;
};

// True when building from the path raises SettingsError (which it deletes).
bool loadFails(const QString &path)
{
    try {
        SettingsFile settings(path);
    } catch (SettingsError *error) {
        delete error;
        return true;
    }
    return false;
}

bool saveFails(SettingsFile &settings)
{
    try {
        settings.save();
    } catch (SettingsError *error) {
        delete error;
        return true;
    }
    return false;
}

TEST_F(SettingsFileTest, readsTheThreeSettingsUnderAnyRootName)
{
    auto settings = load("<anything><timeToLive>10</timeToLive><port>4000</port>"
                         "<host>10.0.0.7</host></anything>");
    EXPECT_EQ(settings->readInt("timeToLive", 0), 10);
    EXPECT_EQ(settings->readInt("port", 3333), 4000);
    EXPECT_EQ(settings->readString("host", "localhost"), "10.0.0.7");
}

TEST_F(SettingsFileTest, unreadableOrMalformedFilesRaise)
{
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(loadFails(dir.filePath("missing.xml")));
    EXPECT_TRUE(loadFails(write("", "empty.xml")));
    EXPECT_TRUE(loadFails(write("<settings><port>1</port>", "unclosed.xml")));
    EXPECT_TRUE(loadFails(write("just text", "text.xml")));
    EXPECT_TRUE(loadFails(dir.path())); // a directory is not a file
    EXPECT_FALSE(loadFails(write("<settings/>", "fine.xml")));
}

TEST_F(SettingsFileTest, missingOrUnconvertibleNumbersGiveTheDefault)
{
    auto settings = load("<s><port>abc</port><a>12x</a><b>0x10</b><timeToLive>2.5</timeToLive>"
                         "<c> 42 </c><d>-7</d><e></e><f>99999999999</f><g>1.5</g>"
                         "<h>1,5</h><i>nan</i><j>1e3</j></s>");
    EXPECT_EQ(settings->readInt("port", 3333), 3333);
    EXPECT_EQ(settings->readInt("a", 3333), 3333);
    EXPECT_EQ(settings->readInt("b", 3333), 3333);
    EXPECT_EQ(settings->readInt("timeToLive", 0), 0);
    EXPECT_EQ(settings->readInt("c", 0), 42); // surrounding spaces convert
    EXPECT_EQ(settings->readInt("d", 0), -7);
    EXPECT_EQ(settings->readInt("e", 5), 5);
    EXPECT_EQ(settings->readInt("f", 5), 5); // out of int range
    EXPECT_EQ(settings->readInt("absent", -1), -1);
    EXPECT_EQ(settings->readFloat("g", 0.0f), 1.5f);
    EXPECT_EQ(settings->readFloat("h", 2.0f), 2.0f); // no decimal comma
    EXPECT_EQ(settings->readFloat("j", 0.0f), 1000.0f);
    EXPECT_EQ(settings->readFloat("a", 0.25f), 0.25f);
    EXPECT_EQ(settings->readFloat("absent", 0.25f), 0.25f);
}

TEST_F(SettingsFileTest, booleansReadAsXmlWritesThemAndOtherwiseGiveTheDefault)
{
    auto settings = load("<s><a>true</a><b> 0 </b><c>false</c><d>1</d><e>yes</e><f>TRUE</f>"
                         "<g></g><h>2</h></s>");
    EXPECT_TRUE(settings->readBool("a", false));
    EXPECT_FALSE(settings->readBool("b", true));
    EXPECT_FALSE(settings->readBool("c", true));
    EXPECT_TRUE(settings->readBool("d", false));
    for (const char *unreadable : {"e", "f", "g", "h", "absent"}) {
        EXPECT_TRUE(settings->readBool(unreadable, true)) << unreadable;
        EXPECT_FALSE(settings->readBool(unreadable, false)) << unreadable;
    }
}

TEST_F(SettingsFileTest, numbersIgnoreADecimalCommaLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    auto settings = load("<s><g>1.5</g></s>");
    const float read = settings->readFloat("g", 0.0f);
    settings->setFloat("h", 0.1f);
    settings->save();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(read, 1.5f);
    EXPECT_TRUE(readBack().contains("<h>0.1</h>"));
}

TEST_F(SettingsFileTest, elementsAreFoundByExactNameAmongDirectChildrenFirstWins)
{
    auto settings = load("<s><Port>1</Port><x><port>2</port></x><host>first</host>"
                         "<host>second</host><empty></empty><spaced>  name  </spaced>"
                         "<mixed>a<b>b</b>c</mixed></s>");
    EXPECT_EQ(settings->readInt("port", 3333), 3333);
    EXPECT_EQ(settings->readString("host", "localhost"), "first");
    EXPECT_EQ(settings->readString("empty", "localhost"), "");
    EXPECT_EQ(settings->readString("spaced", ""), "  name  ");
    EXPECT_EQ(settings->readString("mixed", ""), "abc");
    EXPECT_EQ(settings->readString("absent", "localhost"), "localhost");
}

TEST_F(SettingsFileTest, writesAppendThenReplaceInPlaceAndSave)
{
    auto settings = load("<s><host a=\"1\">h<z/></host><timeToLive>3</timeToLive></s>");
    settings->setInt("port", 5000);
    EXPECT_EQ(settings->readInt("port", 0), 5000);
    settings->setInt("port", -6);
    settings->writeElement("host", "10.0.0.9");
    settings->save();

    const QByteArray saved = readBack();
    EXPECT_EQ(saved, "<s>\n"
                     "    <host>10.0.0.9</host>\n"
                     "    <timeToLive>3</timeToLive>\n"
                     "    <port>-6</port>\n"
                     "</s>\n");
    SettingsFile reloaded(dir.filePath("clientSettings.xml"));
    EXPECT_EQ(reloaded.readInt("port", 0), -6);
    EXPECT_EQ(reloaded.readString("host", ""), "10.0.0.9");
}

TEST_F(SettingsFileTest, setFloatWritesSixSignificantDigits)
{
    auto settings = load("<s/>");
    settings->setFloat("a", 0.1f);
    settings->setFloat("b", 1234567.0f);
    settings->setFloat("c", -2.5f);
    settings->setFloat("d", 1.0e-7f);
    EXPECT_EQ(settings->readString("a", ""), "0.1");
    EXPECT_EQ(settings->readString("b", ""), "1.23457e+06");
    EXPECT_EQ(settings->readString("c", ""), "-2.5");
    EXPECT_EQ(settings->readString("d", ""), "1e-07");
}

TEST_F(SettingsFileTest, savingIntoAMissingDirectoryRaisesAndKeepsTheDocument)
{
    const QString sub = dir.filePath("sub");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + "/clientSettings.xml";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<s><port>1</port></s>");
    }
    SettingsFile settings(path);
    ASSERT_TRUE(QDir(sub).removeRecursively());
    settings.setInt("port", 2);
    EXPECT_TRUE(saveFails(settings));
    EXPECT_EQ(settings.readInt("port", 0), 2);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
