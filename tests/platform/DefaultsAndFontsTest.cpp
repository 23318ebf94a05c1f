#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QFontInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        original_ = UserDefaults::standard().storeFile();
        UserDefaults::standard().removeAll();
    }
    void TearDown() override
    {
        UserDefaults::standard().removeAll();
        UserDefaults::setStoreFile(original_);
        UserDefaults::standard().removeAll();
    }
    QString original_;

    // Reads what reached the disk. QSettings keeps a per-process cache of the
    // files it has open, so pointing the store at the same path again would
    // hand back the values as they were set; a copy of the file must be parsed.
    static UserDefaults& reread()
    {
        static int copies = 0;
        UserDefaults::standard().synchronize();
        const QString from = UserDefaults::standard().storeFile();
        const QString to = TestSupport::scratchDir() + QString("/reread%1.ini").arg(++copies);
        EXPECT_TRUE(QFile::copy(from, to));
        UserDefaults::setStoreFile(to);
        return UserDefaults::standard();
    }
};

TEST_F(UserDefaultsTest, StoreIsPrivateToTheTestRun)
{
    const QString file = UserDefaults::standard().storeFile();
    EXPECT_TRUE(file.startsWith(TestSupport::scratchDir() + "/")) << file.toStdString();
}

TEST_F(UserDefaultsTest, TypedReadingsSurviveARereadOfTheFile)
{
    constexpr int imax = std::numeric_limits<int>::max();
    constexpr int imin = std::numeric_limits<int>::min();
    struct Case {
        const char* key;
        QVariant stored;
        double asDouble;
        float asFloat;
        int asInt;
        bool asBool;
        const char* asString;
    };
    const Case cases[] = {
        {"Tenth", 0.1, 0.1, 0.1f, 0, true, "0.1"},
        {"Whole", 42, 42, 42.f, 42, true, "42"},
        {"Half", -0.5, -0.5, -0.5f, 0, true, "-0.5"},
        {"Huge", 1e12, 1e12, 1e12f, imax, true, "1e+12"},
        {"HugeNeg", -1e12, -1e12, -1e12f, imin, true, "-1e+12"},
        {"Zero", 0, 0, 0.f, 0, false, "0"},
        {"Yes", true, 1, 1.f, 1, true, "true"},
        {"No", false, 0, 0.f, 0, false, "false"},
        {"Word", QString("yes"), 1, 1.f, 1, true, "yes"},
        {"Number", QString("2.5"), 2.5, 2.5f, 2, true, "2.5"},
        {"Text", QString("Helvetica"), 0, 0.f, 0, false, "Helvetica"},
    };
    for (const auto& c : cases)
        UserDefaults::standard().setValue(c.key, c.stored);

    for (int pass = 0; pass < 2; ++pass) {
        UserDefaults& d = pass == 0 ? UserDefaults::standard() : reread();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.key) + (pass ? " after reread" : ""));
            EXPECT_TRUE(d.contains(c.key));
            EXPECT_EQ(d.doubleForKey(c.key), c.asDouble);
            EXPECT_EQ(d.floatForKey(c.key), c.asFloat);
            EXPECT_EQ(d.integerForKey(c.key), c.asInt);
            EXPECT_EQ(d.boolForKey(c.key), c.asBool);
            EXPECT_EQ(d.stringForKey(c.key), c.asString);
        }
        // The store keeps single precision for float readings.
        EXPECT_EQ(double(d.floatForKey("Tenth")), 0.100000001490116119384765625);
    }
}

TEST_F(UserDefaultsTest, AbsentKeysReadAsNothing)
{
    const UserDefaults& d = UserDefaults::standard();
    EXPECT_FALSE(d.contains("Missing"));
    EXPECT_EQ(d.doubleForKey("Missing"), 0.0);
    EXPECT_EQ(d.floatForKey("Missing"), 0.f);
    EXPECT_EQ(d.integerForKey("Missing"), 0);
    EXPECT_FALSE(d.boolForKey("Missing"));
    EXPECT_TRUE(d.stringForKey("Missing").isNull());
    EXPECT_TRUE(d.dataForKey("Missing").isEmpty());
    EXPECT_FALSE(d.colorForKey("Missing"));
}

TEST_F(UserDefaultsTest, RemovedKeysStayRemovedOnDisk)
{
    UserDefaults::standard().setValue("A", 1);
    UserDefaults::standard().setValue("B", 2);
    UserDefaults::standard().removeObjectForKey("A");
    UserDefaults& d = reread();
    EXPECT_FALSE(d.contains("A"));
    EXPECT_EQ(d.integerForKey("B"), 2);
}

TEST_F(UserDefaultsTest, ArgumentDomainOverridesButIsNeverWritten)
{
    UserDefaults::standard().setValue("m", QString("stored.mac"));
    UserDefaults::standard().setArgumentDomain({"vexa", "-m", "file.mac", "-h", "yes", "stray", "-q"});
    {
        const UserDefaults& d = UserDefaults::standard();
        EXPECT_EQ(d.stringForKey("m"), "file.mac");
        EXPECT_TRUE(d.boolForKey("h"));
        EXPECT_FALSE(d.contains("q")); // no value follows it
        EXPECT_FALSE(d.contains("stray"));
    }
    UserDefaults::standard().setValue("h", false); // written, but the argument still wins
    EXPECT_TRUE(UserDefaults::standard().boolForKey("h"));

    UserDefaults::standard().synchronize();
    QFile file(UserDefaults::standard().storeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("file.mac"));

    UserDefaults& d = reread();
    EXPECT_EQ(d.stringForKey("m"), "stored.mac");
    EXPECT_FALSE(d.boolForKey("h"));
}

TEST_F(UserDefaultsTest, ColorsRoundTripThroughTheStore)
{
    const QColor colors[]
        = {Color::black(), Color::lightGray(), Color::rgb(0.2, 0.4, 0.6, 0.5), Color::rgb(1, 0, 0.125)};
    for (int i = 0; i < 4; ++i)
        UserDefaults::standard().setColor(QString("C%1").arg(i), colors[i]);
    for (int pass = 0; pass < 2; ++pass) {
        UserDefaults& d = pass == 0 ? UserDefaults::standard() : reread();
        for (int i = 0; i < 4; ++i) {
            const auto c = d.colorForKey(QString("C%1").arg(i));
            ASSERT_TRUE(c) << i;
            EXPECT_EQ(c->rgba64(), colors[i].rgba64()) << i << " pass " << pass;
        }
    }
    // A key holding something else is no colour.
    UserDefaults::standard().setValue("NotColor", QString("red"));
    EXPECT_FALSE(UserDefaults::standard().colorForKey("NotColor"));
}

TEST(Color, ArchivedDataRejectsGarbage)
{
    const QByteArray garbage[] = {
        "",
        "rgba",
        "rgba ",
        "rgba 1 1 1",
        "rgba 1 1 1 1 1",
        "rgba  1 1 1 1",
        "RGBA 1 1 1 1",
        "rgba a b c d",
        "rgba nan 0 0 1",
        "rgba 0 inf 0 1",
        "rgba 1,0 0 0 1",
        QByteArray("rgba 1\0 1 1 1", 13),
        "rgba 0 0 0 " + QByteArray(300, '1'),
    };
    for (const QByteArray& g : garbage)
        EXPECT_FALSE(Color::colorFromArchivedData(g)) << g.toStdString();

    const QColor c = Color::rgb(0.25, 0.5, 0.75, 1);
    const auto back = Color::colorFromArchivedData(Color::archivedData(c));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgba64(), c.rgba64());
}

TEST(Font, StandardPostScriptNamesResolve)
{
    for (const char* name : {"Helvetica", "Helvetica-Bold", "Times-Roman", "Courier"}) {
        EXPECT_TRUE(Font::exists(name)) << name;
        const auto f = Font::withName(name, 12);
        ASSERT_TRUE(f) << name;
        // The face really drawn with, not a fallback under another family.
        EXPECT_TRUE(QFontInfo(*f).family().startsWith(f->family())) << QFontInfo(*f).family().toStdString();
        EXPECT_TRUE(Font::withName(Font::storedName(*f), 12)) << name;
    }
    EXPECT_TRUE(QFontInfo(*Font::withName("Helvetica-Bold", 12)).bold());
    EXPECT_FALSE(Font::withName("Helvetica", 12)->bold());
    EXPECT_FALSE(Font::exists("Quuxbarian Sans"));
    EXPECT_FALSE(Font::exists("Helvetica-Quux"));
    EXPECT_FALSE(Font::exists(""));
}

TEST(Font, UnusableSizesGiveNothing)
{
    const double bad[] = {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()};
    for (double size : bad)
        EXPECT_FALSE(Font::withName("Helvetica", size)) << size;
    EXPECT_FALSE(Font::withName("Quuxbarian Sans", 12));
    EXPECT_EQ(Font::userFont(14).pointSizeF(), 14.0);
}

} // namespace
